#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <functional>

class LinkTrace;

// The byte link to the radio: frames with their check byte, the receive text
// with the removal of a single-wire cable's echo, the answer check and the
// waits that let answers arrive. It holds the serial port rather than being
// one, and everything but the port itself works without a device, so the
// frame and receive rules can be driven directly.
//
// Commands and answers are hex texts, one digit pair per byte, first byte
// first. The receive text holds the bytes received since the last send in
// upper-case hex.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    // The receive text keeps at most this many hex characters (2048 bytes);
    // bytes beyond it are read from the port and dropped until the next send.
    // The longest text the protocol produces, a block read's 21-byte answer
    // after the 6-byte echo of its command, has 54.
    static constexpr int RxHexLimit = 4096;
    static constexpr qint32 BaudRate = 9600;

    // singlePort tells, at every receive, whether the cable echoes each sent
    // byte (single-port mode); without it the mode is off.
    explicit SerialLink(std::function<bool()> singlePort = {}, QObject *parent = nullptr);
    ~SerialLink() override;

    void setSinglePortSource(std::function<bool()> singlePort);
    // The millisecond tick counter the waits measure with; by default a
    // monotonic clock. It may wrap around: only differences are used.
    void setTickSource(std::function<quint32()> ticks);

    // Where the link reports what it sends, receives and does; none by
    // default. The trace must outlive its use here.
    void setTrace(LinkTrace *trace) { m_trace = trace; }
    LinkTrace *trace() const { return m_trace; }

    // Opens the device at 9600 bit/s 8N1, no flow control, DTR and RTS
    // raised where the device allows, anything it still held discarded.
    // An open link is closed first. On failure errorString() gives the
    // system's reason.
    bool open(const QString &devicePath);
    void close();
    bool isOpen() const;
    // True from a read or write failure of the device (pulled out, gone)
    // until the next close or successful open; the port is closed then, and
    // sends and waits return at once.
    bool isLost() const { return m_lost; }
    QString errorString() const { return m_errorString; }

    // Builds TxFrame from the hex text (a trailing odd digit is ignored)
    // and sets EchoLength to the frame's length in hex characters. A digit
    // pair that is not hexadecimal throws AppError.
    void MakeFrame(const QString &hexText);
    // Whether the receive text holds an answer the step can judge.
    using AnswerCheck = std::function<bool(const QString &rxHex)>;

    // Fast transfer: a wait after a frame ends as soon as the receive text
    // holds an answer its check accepts (in single-port mode only once the
    // echo is off it); otherwise it runs its full time. Off by default.
    void setFastTransfer(bool on) { m_fast = on; }
    bool fastTransfer() const { return m_fast; }

    // One command step: MakeFrame, empty the receive text, send the frame,
    // wait (in fast transfer only until the answer is complete, when a
    // check is given). Nothing is sent while the port is closed.
    void SendFrame(const QString &hexText, int waitMs, const AnswerCheck &complete = {});
    // Fast transfer: waits out what is left of the last frame's full wait,
    // for a frame that must not come sooner than without the mode.
    void finishLastWait();
    // Waits at least ms milliseconds in an event loop, so receive events,
    // repaints and input are handled meanwhile; sleeps rather than polls.
    // Returns at once for ms <= 0 and while the device is lost.
    void SysDelay(int ms);
    // True when the last byte of the receive text is the XOR of all the
    // bytes before it; false for an empty text.
    bool CheckAnswer() const { return hasValidCheck(m_rxHex); }

    const QString &RxHex() const { return m_rxHex; }
    const QByteArray &TxFrame() const { return m_txFrame; }
    int EchoLength() const { return m_echoLength; }

    // The receive event: appends the bytes to the receive text and, in
    // single-port mode, removes the echo of the last frame once at least
    // one byte beyond it has arrived.
    void receiveBytes(const QByteArray &bytes);

    static bool hasValidCheck(const QString &hexText);
    // Ticks elapsed from start to now on a 32-bit counter that wraps.
    static quint32 elapsedTicks(quint32 start, quint32 now) { return now - start; }

Q_SIGNALS:
    // The device failed or disappeared; the port has been closed.
    void deviceLost(const QString &reason);
    // Fast transfer: the answer the current wait expects is complete.
    void answerComplete();

private:
    void readPort();
    void portError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    std::function<bool()> m_singlePort;
    std::function<quint32()> m_ticks;
    QString m_rxHex;
    QByteArray m_txFrame;
    int m_echoLength = 0;
    LinkTrace *m_trace = nullptr;
    bool m_fast = false;
    AnswerCheck m_complete; // set only while a frame's wait may end early
    bool m_answerDone = false;
    quint32 m_lastSendTick = 0;  // when the last frame went out
    int m_lastWaitMs = 0;        // its full wait
    qint64 m_lastReceiveMs = -1; // on the trace's clock: the last byte since the send
    bool m_lost = false;
    QString m_errorString;
};
