#include "sim/RadioImage.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace
{

QByteArray hexBytes(const QString &hex)
{
    return QByteArray::fromHex(hex.toLatin1());
}

// Eight decimal digits of a frequency in units of 10 Hz, one pair a byte.
QString frequencyDigits(qint64 tenHertz)
{
    return QString::number(tenHertz).rightJustified(8, QLatin1Char('0'));
}

// The sample channels, as offsets from the band's lower edge in units of
// 10 Hz and bytes 9 to 16 of the record (tone codes, flags, frequency
// relation). A transmit offset of -1 is no transmit frequency.
struct SampleChannel {
    qint64 receive;
    qint64 transmit;
    const char *rest;
};
const SampleChannel sampleChannels[] = {
    // 67.0 both ways, low power, wide, scan list off, transmit above receive
    {212500, 262500, "02F102F5FFFE73FE"},
    // receive only, no tones, narrow, compander
    {300000, -1, "FFF0FFF4FFFD36FD"},
    // D023N / D754I, high power, wide, scrambler
    {446250, 446250, "02F26BFEFFFCEAFC"},
    // 100.0 receive only tone, high power, narrow, compander, options off
    {550000, 550000, "0EF1FFF4FFFFB7FC"},
};

// 16 channels, squelch 2, all beeps and battery save on, step index 1,
// time-out index 3, automatic power off off, VOX level 3 with a 2 s delay,
// voice prompt index 1.
const char sampleFunctionBlock1[] = "001000FF0202FFFFC1FF010300030101";
// Long-key time 1.5 s, P1/P2/P3 long keys 1, 2, 3, P3 short key 1, volume 5.
const char sampleFunctionBlock2[] = "0F10203104FFFFFFFFFFFFFFFFFFFFFF";

} // namespace

RadioImage::RadioImage() : m_bytes(Size, char(0xFF)) {}

QByteArray RadioImage::read(quint16 address, int length) const
{
    QByteArray bytes;
    bytes.reserve(length);
    for (int i = 0; i < length; ++i)
        bytes.append(m_bytes.at((address + i) % Size));
    return bytes;
}

void RadioImage::write(quint16 address, const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size(); ++i)
        m_bytes[(address + i) % Size] = bytes.at(i);
}

bool RadioImage::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray data = file.read(Size + 1);
    if (data.size() > Size) {
        if (error)
            *error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(Size);
        return false;
    }
    m_bytes.fill(char(0xFF));
    write(0, data);
    return true;
}

bool RadioImage::save(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_bytes) != m_bytes.size() ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void RadioImage::setModel(int model)
{
    // "KT-", 01, the model byte, then fixed bytes. (Joined rather than
    // formatted: arg() would read "%10" as the tenth placeholder.)
    const QString id = QStringLiteral("4B542D01") +
                       QStringLiteral("%1").arg(model & 0xFF, 2, 16, QLatin1Char('0')) +
                       QStringLiteral("00FF06");
    write(IdentificationAddress, hexBytes(id) + QByteArray(8, char(0xFF)));
}

bool RadioImage::setBand(const QString &bandText)
{
    const QString text = bandText.trimmed();
    if (text.isEmpty() || text.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("FFF-FFFMHz"), Qt::CaseInsensitive) == 0) {
        write(BandAddress, QByteArray(BlockSize, char(0xFF)));
        return true;
    }
    static const QRegularExpression form(QStringLiteral("^(\\d{3})-(\\d{3})(MHz)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    // Upper edge first, each as three decimal digits and an unused nibble.
    const QString hex = match.captured(2) + QLatin1Char('0') + match.captured(1) + QLatin1Char('0');
    write(BandAddress, hexBytes(hex) + QByteArray(BlockSize - 4, char(0xFF)));
    return true;
}

void RadioImage::setInformation(const QDateTime &lastWrite, const QString &administrator)
{
    const QByteArray name = administrator.left(7).toLatin1();
    QByteArray block = hexBytes(lastWrite.toString(QStringLiteral("yyyyMMddhhmmss")));
    block.append(char(0xFF));
    block.append(name);
    block.append(QByteArray(7 - name.size(), char(0xFF)));
    block.append(char(name.size()));
    write(InformationAddress, block);
}

RadioImage RadioImage::sample(const Sample &sample)
{
    RadioImage image;
    image.setModel(sample.model);
    if (!image.setBand(sample.band))
        image.setBand(QString());
    image.setInformation(sample.lastWrite, sample.administrator);

    bool hasLowerEdge = false;
    const qint64 lowerMHz =
        image.block(BandAddress).mid(2, 2).toHex().left(3).toLongLong(&hasLowerEdge);
    const qint64 base = (hasLowerEdge ? lowerMHz : 400) * 100000;
    int channel = 1;
    for (const SampleChannel &c : sampleChannels) {
        const QString transmit =
            c.transmit < 0 ? QStringLiteral("FFFFFFFF") : frequencyDigits(base + c.transmit);
        image.write(channelAddress(channel++),
                    hexBytes(frequencyDigits(base + c.receive) + transmit + QLatin1String(c.rest)));
    }
    image.write(FunctionBlock1Address, hexBytes(QLatin1String(sampleFunctionBlock1)));
    image.write(FunctionBlock2Address, hexBytes(QLatin1String(sampleFunctionBlock2)));
    return image;
}
