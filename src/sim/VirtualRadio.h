#pragma once

#include "sim/PseudoTerminal.h"
#include "sim/RadioImage.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <algorithm>

class QSocketNotifier;
class QTimer;

// A radio on the far side of a serial line: it answers the programming
// protocol from a 64 KiB memory image, served on the master side of a
// pseudo-terminal whose slave device the program opens as its serial port.
//
// The protocol: the handshake (02 05 "QUmta") is answered with 06 06
// "vesqar"; the start of programming (06 00) with the acknowledge 06 00 06;
// then 16-byte reads (52 03 address 10) are answered with 57, the address,
// 10, the 16 bytes and a check byte, and writes (57 n address, n - 2 bytes)
// are stored and acknowledged; the end (64 01 6F) leaves programming mode
// unanswered. Reads and writes outside programming mode, frames with a bad
// check byte and unknown commands go unanswered. A frame left incomplete for
// 100 ms is dropped.
//
// It can misbehave on purpose, each way on its own: busy answers (09 00 09),
// garbage, bad check bytes, answers longer or shorter than they should be,
// silence, the echo of a single-wire cable, a delay before answering, the
// pace of a 9600 bit/s line, and vanishing.
//
// Everything runs in the event loop of the thread the radio lives in: a test
// or a program can run it beside its own serial port, whose waits run that
// loop.
class VirtualRadio : public QObject
{
    Q_OBJECT
public:
    // The kinds of command, for choosing which ones a fault hits.
    enum Step { Handshake = 0x01, Start = 0x02, Read = 0x04, Write = 0x08, End = 0x10 };
    Q_DECLARE_FLAGS(Steps, Step)
    Q_FLAG(Steps)

    // FirstCommands: the next count commands of the chosen kinds are hit.
    // EveryCommand: every command of those kinds is hit count times in a
    // row before it is served, as a radio that is always slow.
    enum class Repeat { FirstCommands, EveryCommand };

    // One byte at 9600 bit/s with a start and a stop bit.
    static constexpr qint64 ByteNanoseconds = 10 * 1000000000LL / 9600;
    static const QByteArray BusyAnswer;
    static const QByteArray AcknowledgeAnswer;
    static const QByteArray HandshakeAnswer;
    // What the radio sends in place of an answer when it sends garbage.
    static const QByteArray Garbage;
    // How many bytes a long answer has beyond the right ones, and a short
    // answer lacks.
    static constexpr int LengthFaultBytes = 4;

    explicit VirtualRadio(QObject *parent = nullptr);
    ~VirtualRadio() override;

    // Opens a new pseudo-terminal and starts serving it.
    bool start();
    bool isRunning() const { return m_pty.isOpen(); }
    // The device to open as the serial port; stays known after vanishing.
    QString devicePath() const { return m_pty.slavePath(); }
    QString errorString() const { return m_errorString; }
    // Closes the radio's side at once, as a pulled cable: the device fails
    // for the program that has it open. Answers not yet sent are lost.
    void vanish();

    RadioImage &image() { return m_image; }
    const RadioImage &image() const { return m_image; }
    void setImage(const RadioImage &image) { m_image = image; }

    // Faults; a count of 0 turns one off. Setting a fault starts its count
    // anew. When several hit one command, busy wins over garbage, garbage
    // over the others. A busy or garbage answer leaves the memory
    // unchanged; a wrong length and a bad check byte change the answer of a
    // command served (the length first, so a bad check byte spoils a long
    // answer too).
    void setBusy(int count, Steps steps = Steps(Start | Read | Write),
                 Repeat repeat = Repeat::FirstCommands);
    void setGarbage(int count, Steps steps = Steps(Start | Read | Write),
                    Repeat repeat = Repeat::FirstCommands);
    void setBadCheck(int count, Steps steps = Steps(Read), Repeat repeat = Repeat::FirstCommands);
    // The answer of a command served gets LengthFaultBytes bytes of zero
    // ahead of its check byte (long), or loses the LengthFaultBytes bytes
    // ahead of it (short); either way with a check byte that fits it.
    void setLongAnswers(int count, Steps steps = Steps(Read),
                        Repeat repeat = Repeat::FirstCommands);
    void setShortAnswers(int count, Steps steps = Steps(Read),
                         Repeat repeat = Repeat::FirstCommands);
    // A write is acknowledged but stored with bit 0 of its first data byte
    // flipped, as a weak cell or a cable that flips a bit does; address -1
    // hits writes to any block, else only writes to that address.
    void setCorruptWrites(int count, Repeat repeat = Repeat::FirstCommands, int address = -1);
    // A radio that needs this long after each acknowledged write before it
    // takes the next command: frames that arrive sooner are heard and
    // ignored (no answer). 0 turns it off.
    void setWriteRecovery(int ms) { m_writeRecoveryMs = ms; }
    // Hears and records everything, answers nothing.
    void setSilent(bool silent) { m_silent = silent; }
    // Every byte received comes back at once, ahead of the answer.
    void setSingleWire(bool echo) { m_singleWire = echo; }
    // Each answer leaves this long after its command is complete.
    void setAnswerDelay(int ms) { m_answerDelayMs = ms; }
    // Bytes travel both ways at 9600 bit/s (about 1.04 ms a byte) instead
    // of at once.
    void setPacing(bool paced) { m_paced = paced; }
    // Vanishes on receiving the given number of commands (counted from
    // start), before answering the last; 0 never.
    void setVanishAfter(int commands) { m_vanishAfter = commands; }

    // A row of radios on the one line, as a dealer plugs in one after
    // another: after a session that wrote, the radio stays stayMs after the
    // end of the last session (a session under way keeps it; handshakes
    // alone do not), then
    // leaves (answers nothing); gapMs later the next radio comes, with a
    // fresh copy of the memory the row started with. After the count-th
    // radio has left, none comes. The radio on the line at the call is the
    // first. 0 turns the row off.
    void setRowOfRadios(int count, int stayMs = 1500, int gapMs = 1000);
    // The radio of the row on the line (1 = the first), 0 while none is.
    int rowRadio() const { return m_rowAbsent ? 0 : m_rowIndex; }
    // The memory of each radio of the row that has left, in order.
    const QList<RadioImage> &rowImages() const { return m_rowImages; }

    // Every complete frame received since start, check byte included.
    const QList<QByteArray> &commands() const { return m_commands; }
    // The same as upper-case hex texts.
    QStringList commandTexts() const;
    void clearCommands() { m_commands.clear(); }
    // Between an acknowledged start and the end command.
    bool isProgramming() const { return m_mode == Mode::Programming; }

    // "handshake,start,read,write,end" (any subset, any case) to steps;
    // false for an unknown name.
    static bool parseSteps(const QString &text, Steps *steps);

Q_SIGNALS:
    void commandReceived(const QByteArray &frame);
    void vanished();
    // A radio of the row came onto the line, or left it.
    void radioArrived(int number);
    void radioLeft(int number);

private:
    enum class Mode { Idle, Greeted, Programming };

    struct Fault {
        int count = 0;
        Steps steps;
        Repeat repeat = Repeat::FirstCommands;
        int used = 0;
        bool hits(Step step);
    };

    // Bytes of one direction on a paced line: the time the first queued
    // byte started, so a byte is through one byte time later.
    struct Line {
        qint64 headStart = 0;
        void queued(qint64 now) { headStart = std::max(headStart, now); }
        int due(int queuedBytes, qint64 now);
        qint64 nextDue() const { return headStart + ByteNanoseconds; }
    };

    void readMaster();
    void writeMaster();
    void pump();
    // arrivedAt: when the byte was through the line, on the radio's clock.
    void receiveByte(char byte, qint64 arrivedAt);
    void handleFrame(const QByteArray &frame);
    QByteArray answerTo(Step step, const QByteArray &frame);
    void send(const QByteArray &bytes);
    void schedulePump();
    qint64 now() const { return m_clock.nsecsElapsed(); }

    PseudoTerminal m_pty;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_paceTimer = nullptr;
    QString m_errorString;
    QElapsedTimer m_clock;
    quint64 m_generation = 0; // answers delayed past a vanish are dropped

    RadioImage m_image;
    Mode m_mode = Mode::Idle;
    QByteArray m_frame;
    qint64 m_lastByteAt = 0;
    QList<QByteArray> m_commands;
    int m_commandCount = 0;

    QByteArray m_in;        // received, not yet through the line
    QByteArray m_out;       // to send, not yet through the line
    QByteArray m_unwritten; // through the line, not yet taken by the device
    Line m_inLine;
    Line m_outLine;

    Fault m_busy;
    Fault m_garbage;
    Fault m_badCheck;
    Fault m_corruptWrite;
    int m_corruptAddress = -1; // -1: any block
    Fault m_longAnswer;
    Fault m_shortAnswer;
    bool m_silent = false;
    bool m_singleWire = false;
    int m_answerDelayMs = 0;
    bool m_paced = false;
    int m_vanishAfter = 0;
    int m_writeRecoveryMs = 0;
    qint64 m_recoveredAt = 0; // on the radio's clock: when the last write's recovery ends

    void rowLeave();
    void rowArrive();
    int m_rowCount = 0;
    int m_rowStayMs = 0;
    int m_rowGapMs = 0;
    int m_rowIndex = 0;
    bool m_rowAbsent = false;
    bool m_rowWrote = false; // the radio on the line has taken a write
    RadioImage m_rowFresh;
    QList<RadioImage> m_rowImages;
    QTimer *m_rowLeaveTimer = nullptr;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(VirtualRadio::Steps)
