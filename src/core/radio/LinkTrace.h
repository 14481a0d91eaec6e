#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QDateTime;
class QFile;

// A record of what went over the link, one plain text line per event, for
// a dealer to send to support: the time in milliseconds from the start of
// the exchange, the direction (TX sent to the radio, RX received from it,
// -- an event of the link or the exchange), the bytes in hex and what they
// mean:
//
//      312 ms  TX  52 03 01 90 10 D0  read 0190 (channel 1)
//      331 ms  RX  57 03 01 90 46 21 …  read answer
//
// The serial link reports the frames, the answers and its own events; the
// exchange its start and end. Each line is written and flushed at once, so
// a trace keeps everything up to a crash.
class LinkTrace
{
public:
    enum class Direction { Sent, Received, Event };

    // How an answer reads.
    enum class Answer {
        Nothing,     // no byte came back
        Acknowledge, // 06 00 06
        Busy,        // 09 00 09
        Handshake,   // the radio's answer to the handshake
        Read,        // a read answer with a good check byte
        WrongCheck,  // a read answer whose check byte does not fit
        TooShort,    // a read answer too short to hold a block
        Unexpected,  // anything else
    };

    LinkTrace();
    ~LinkTrace();
    LinkTrace(const LinkTrace &) = delete;
    LinkTrace &operator=(const LinkTrace &) = delete;

    // Appends to the file, created with its folder when missing; "-" is the
    // standard error. False, with errorString(), when it cannot be opened.
    bool open(const QString &path);
    // Hands every line (without its line end) to the function instead.
    void setSink(std::function<void(const QString &line)> sink);
    QString path() const { return m_path; }
    QString errorString() const { return m_errorString; }

    // The folder traces are kept in by default: the user's data folder.
    static QString defaultDir();
    // A new trace's file in the folder, named by the time: "2026-12-11_09-30-00.txt".
    static QString newPath(const QString &dir, const QDateTime &time);

    // An exchange starts: the clock restarts at 0 and the title is written.
    void begin(const QString &title);
    qint64 elapsedMs() const;

    // A frame sent, its check byte included; its meaning is worked out.
    void sent(const QByteArray &frame);
    // An answer (the receive text, hex) as it stood at the end of the wait
    // after the frame; at is the time its last byte came, -1 for now.
    void received(const QString &answerHex, qint64 at = -1);
    // An event of the link or the exchange, with the bytes it concerns.
    void event(const QString &text, const QByteArray &bytes = QByteArray(), qint64 at = -1);

    // One line of the trace.
    static QString line(qint64 ms, Direction direction, const QByteArray &bytes,
                        const QString &meaning);
    // "handshake", "start", "end", "read 0190 (channel 1)", "write 00F0
    // (information block)"; "command" for a frame of no known kind.
    static QString commandMeaning(const QByteArray &frame);
    static Answer classify(const QString &answerHex);
    // The answer kind in English words, as the trace writes it.
    static QString answerWord(Answer answer);
    // "09 00 09": the bytes of a hex text, a space between each two.
    static QString spacedHex(const QString &hexText);

private:
    void write(const QString &line);

    std::unique_ptr<QFile> m_file;
    std::function<void(const QString &)> m_sink;
    QString m_path;
    QString m_errorString;
    QElapsedTimer m_clock;
};
