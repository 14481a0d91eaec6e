#pragma once

#include "core/radio/ExchangeFailure.h"
#include "core/radio/MemoryMap.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>

class SerialLink;
class Workspace;

// One programming exchange with the radio over a serial link: the opening
// (port reset, handshake, start of programming, identification), the read or
// the write sequence, and the closing (end command). It changes the
// workspace as the steps go (nothing is rolled back on failure) and reports
// progress; it never shows a window. The read/write dialog runs it for the
// GUI, the command-line tool for the shell.
//
// The exchange waits through the link, which keeps the event loop running,
// so a window stays responsive; run() returns when the closing is done.
class Exchange : public QObject
{
    Q_OBJECT
public:
    enum class Direction {
        Read = 1,  // fill the workspace from the radio
        Write = 2, // put the workspace into the radio
        // A read that keeps going whatever the band: every block is read and
        // recorded (readBlocks()), the workspace filled as a read does; a
        // band that is not in the band list stays unselected instead of
        // failing the exchange. What a backup before a write takes.
        Backup = 3,
        // Reads back the blocks given with setExpectedBlocks() and compares
        // each with what was sent; a difference ends as Mismatch. The
        // workspace is only given the model.
        Verify = 4,
        // The opening, then the band and the information block only: what
        // the radio is, whose band it has, when and by whom it was last
        // written. Nothing is written; any band is taken (bandText() tells
        // it, and a listed one is selected).
        Identify = 5,
    };

    enum class Result {
        Success,
        Failed,    // the exchange ran and ended as failed; failureText() says why
        PortError, // the device could not be opened; nothing was sent
        Refused,   // a write whose cells the radio cannot take; nothing was sent
        Mismatch,  // a read-back found blocks that differ from what was sent
    };

    // How often one step may be repeated because the radio answers busy or
    // the answer's check byte is wrong before the exchange ends as failed. A
    // radio that keeps answering so would otherwise hold the exchange forever.
    static constexpr int DefaultRepeatLimit = 20;

    Exchange(SerialLink &link, Workspace &workspace, QObject *parent = nullptr);

    void setRepeatLimit(int repeats) { m_repeatLimit = repeats; }
    int repeatLimit() const { return m_repeatLimit; }
    // The clock whose local time the information block of a write carries;
    // by default QDateTime::currentDateTime.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Runs a whole exchange on the device (reopened by the port reset of the
    // opening). A write is first checked with MemoryMap::validate; when it
    // finds problems, nothing is sent and the result is Refused. While it
    // runs, the link follows the workspace's single-port mode. A call made
    // while an exchange runs (from an event handled during a wait) returns
    // Failed at once and changes nothing.
    Result run(Direction direction, const QString &devicePath);

    // Whether a radio is on the line: one handshake and nothing else, on
    // the link as it stands (opened on the device when it is not open). A
    // handshake leaves a radio out of programming mode. PortError when the
    // device cannot be opened (portErrorReason() says why).
    enum class Presence { Answered, Silent, PortError };
    Presence probe(const QString &devicePath);

    bool isRunning() const { return m_running; }
    // Asks a running exchange to stop after the step under way: it goes
    // straight to the closing (the end command is still sent, so the radio
    // leaves programming mode) and ends as Failed. Meant for an interrupted
    // command-line run; does nothing when no exchange runs.
    void requestStop();
    // The blocks of the last run by address, as 32 upper-case hex digits:
    // those read (identification included), and those a write sent (the
    // data only; function block 2 its 10 hex digits, the information block
    // as last sent).
    const QMap<int, QString> &readBlocks() const { return m_readBlocks; }
    const QMap<int, QString> &writtenBlocks() const { return m_writtenBlocks; }
    // What a Verify run compares with: address to the data sent.
    void setExpectedBlocks(const QMap<int, QString> &blocks) { m_expectedBlocks = blocks; }
    // A Verify run's differences, one line each ("channel 3: sent
    // 46212500…, radio holds 47212500…").
    const QStringList &mismatches() const { return m_mismatches; }
    // The band text the last run read from the radio; empty before the band read.
    QString bandText() const { return m_bandText; }
    // The model the last run's identification named; empty before it.
    QString identifiedModel() const { return m_identifiedModel; }

    int progress() const { return m_progress; }
    // Channel count x 5 + 20 once the identification has been read; 0 before.
    int progressMaximum() const { return m_progressMaximum; }

    // Why the last run ended as it did, in parts for wording it in any
    // language; reason None after success.
    const ExchangeFailure &failure() const { return m_failure; }
    // The same as one English line for the command-line tool and the log
    // ("no answer to the handshake", "the radio's band 400-430MHz is not in
    // the band list"); empty after success.
    QString failureText() const { return m_failure.english(); }
    // The system's reason for a PortError ("Permission denied").
    QString portErrorReason() const { return m_portErrorReason; }
    // The cells a Refused write could not express.
    const QList<MemoryMap::CellProblem> &problems() const { return m_problems; }

Q_SIGNALS:
    // Emitted whenever the progress or its maximum changes.
    void progressChanged(int value, int maximum);

private:
    // How a step's answer ended the step.
    enum class Outcome {
        Done,     // a read answer with a good check byte, or an acknowledge
        Rejected, // any other answer, no answer included
        Stopped,  // the exchange fails at once: repeat bound reached or device lost
    };

    // False when the port cannot be opened; otherwise the success flag
    // tells whether a sequence follows.
    bool opening();
    // The band (selected when listed; a band outside the list fails the
    // exchange unless anyBand) and the information block; false when a read
    // failed.
    bool readBandAndInformation(bool anyBand);
    void readSequence(bool backup);
    void writeSequence();
    void verifySequence();
    void closing();
    // The trace's last line for the run: complete, or why it failed.
    void traceEnd();
    static QString directionTitle(Direction direction);

    using Step = ExchangeFailure::Step;
    // One block read, repeated on busy answers and bad check bytes; the
    // before action runs ahead of every sending.
    Outcome readAnswer(const QString &command, Step step, QString *block,
                       const std::function<void()> &before = {});
    // A block read the exchange cannot do without: a rejected answer fails it.
    bool readBlock(int address, Step step, QString *block);
    // One write, built anew for every sending, repeated on busy answers.
    Outcome writeAnswer(const std::function<QString()> &command, Step step);

    // True, after recording the failure, when the device has gone or a stop
    // was requested: the exchange goes to the closing.
    bool mustStop();
    // Clears the success flag; the first reason given is the one reported.
    void fail(const ExchangeFailure &failure);
    void fail(ExchangeFailure::Reason reason, Step step = {}, int count = 0);
    void setProgress(int value);
    void advanceProgress() { setProgress(m_progress + ProgressPerBlock); }

    static constexpr int ProgressPerBlock = 5;

    SerialLink &m_link;
    Workspace &m_workspace;
    std::function<QDateTime()> m_clock;
    int m_repeatLimit = DefaultRepeatLimit;
    bool m_running = false;
    bool m_success = false; // the exchange's success flag
    bool m_lost = false;    // the device went away during this run
    bool m_stopRequested = false;
    QString m_devicePath;
    int m_progress = 0;
    int m_progressMaximum = 0;
    ExchangeFailure m_failure;
    QMap<int, QString> m_readBlocks;
    QMap<int, QString> m_writtenBlocks;
    QMap<int, QString> m_expectedBlocks;
    QStringList m_mismatches;
    QString m_bandText;
    QString m_identifiedModel;
    QString m_portErrorReason;
    QList<MemoryMap::CellProblem> m_problems;
};
