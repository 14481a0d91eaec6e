#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The radio's 64 KiB memory as the virtual radio serves it: raw bytes, FF
// where nothing is programmed, addresses wrapping at the end. Also builds a
// sample configuration in the radio's block layout.
class RadioImage
{
public:
    static constexpr int Size = 0x10000;
    static constexpr int BlockSize = 16;
    static constexpr quint16 FunctionBlock1Address = 0x0010;
    static constexpr quint16 FunctionBlock2Address = 0x0020;
    static constexpr quint16 BandAddress = 0x00C0;
    static constexpr quint16 IdentificationAddress = 0x00D0;
    static constexpr quint16 InformationAddress = 0x00F0;
    static constexpr int ChannelCount = 16;
    // Channel n (1..16) lives at (n + 24) * 16: 0190 to 0280.
    static quint16 channelAddress(int channel) { return quint16((channel + 24) * BlockSize); }

    // Everything FF, as an unprogrammed radio.
    RadioImage();

    const QByteArray &bytes() const { return m_bytes; }
    QByteArray read(quint16 address, int length) const;
    void write(quint16 address, const QByteArray &bytes);
    QByteArray block(quint16 address) const { return read(address, BlockSize); }

    // A file of at most 64 KiB; a shorter one fills the start of the memory
    // and leaves the rest FF.
    bool load(const QString &path, QString *error = nullptr);
    bool save(const QString &path, QString *error = nullptr) const;

    // What sample() puts into the radio.
    struct Sample {
        int model = 0;                               // 0 PW-100, 1 R5
        QString band = QStringLiteral("400-470MHz"); // see setBand()
        QString administrator = QStringLiteral("KT100");
        QDateTime lastWrite = QDateTime(QDate(2009, 3, 15), QTime(14, 5, 9));
    };
    // An identification, a band, the time and name of a last write, four
    // channels inside the band (CTCSS, DCS and no tones, both powers and
    // bandwidths, a receive-only channel, both voice privacy modes), twelve
    // empty ones and both function blocks. A malformed band gives no band.
    static RadioImage sample(const Sample &sample);
    static RadioImage sample() { return sample(Sample()); }

    // The identification of model 0 (PW-100) or 1 (R5); other numbers give
    // an identification that matches no model.
    void setModel(int model);
    // "400-470MHz" (the "MHz" may be left out); "none", "" or "FFF-FFFMHz"
    // erase the band block. False, and nothing changed, for anything else.
    bool setBand(const QString &bandText);
    // The last write's time and administrator (at most 7 characters).
    void setInformation(const QDateTime &lastWrite, const QString &administrator);

private:
    QByteArray m_bytes;
};
