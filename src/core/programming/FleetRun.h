#pragma once

#include "core/programming/FleetLog.h"
#include "core/programming/SafeWrite.h"

#include <QDateTime>
#include <QList>
#include <QObject>

#include <functional>

class SerialLink;
class Workspace;

// One configuration into many radios, one after another, on one port: wait
// for a radio (a handshake every poll, nothing else, until one answers: it
// has been plugged in and switched on), write it with the full write (its
// backup and read-back as the options say), record the result in the log,
// then wait until the radio no longer answers (unplugged or switched off)
// before waiting for the next. A radio whose write fails is recorded and
// waited out like any other. The run ends when asked to stop or after the
// given count of radios, always between two steps of the protocol, so no
// radio is left in programming mode.
class FleetRun : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Waiting, // for radio number n to answer
        Writing, // radio n
        Leaving, // radio n is done; waiting for it to go
    };

    enum class Ending {
        Done,      // the count of radios was reached
        Stopped,   // on request
        Refused,   // the configuration cannot be written (problems()); no radio touched
        PortError, // the port could not be opened at the start (portErrorReason())
        LogError,  // the log cannot be written (logError())
    };

    struct Options {
        SafeWrite::Options write;
        int count = 0;    // radios to write; 0: until stopped
        QString logPath;  // the CSV log
        QString portName; // the port as the log names it ("COM1", a device path)
        int pollMs = 1000;
        // Handshakes in a row without an answer that tell a radio has gone.
        int goneAfter = 2;
    };

    struct Radio {
        int number = 0;
        bool ok = false;
        FleetLog::Entry entry;
        QString failure; // why it failed, in English; empty when ok
    };

    FleetRun(SerialLink &link, Workspace &workspace, QObject *parent = nullptr);

    void setOptions(const Options &options) { m_options = options; }
    const Options &options() const { return m_options; }
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    Ending run(const QString &devicePath);
    bool isRunning() const { return m_running; }
    // Ends the run after the step under way: a wait ends at once, a write
    // after its current step with the radio taken out of programming mode.
    void requestStop();

    const QList<Radio> &radios() const { return m_radios; }
    int writtenCount() const;
    int failedCount() const;
    QString portErrorReason() const { return m_portErrorReason; }
    QString logError() const { return m_logError; }
    const QList<MemoryMap::CellProblem> &problems() const { return m_problems; }
    SafeWrite &safeWrite() { return m_write; }

Q_SIGNALS:
    void stateChanged(FleetRun::State state, int number);
    // A radio is done (written, verified or failed) and logged.
    void radioDone(const FleetRun::Radio &radio);
    // The write of the current radio: 0 to 100.
    void progressChanged(int value, int maximum);
    // The port could not be opened while waiting; the run goes on trying.
    void portTrouble(const QString &reason);

private:
    // Polls until a radio answers (present) or has not answered goneAfter
    // times in a row (!present); false when stopped.
    bool waitFor(bool present, int number);
    Radio writeOne(int number, const QString &devicePath);

    SerialLink &m_link;
    Workspace &m_workspace;
    SafeWrite m_write;
    Options m_options;
    std::function<QDateTime()> m_clock;
    bool m_running = false;
    bool m_stopRequested = false;
    QString m_devicePath;
    QList<Radio> m_radios;
    QString m_portErrorReason;
    QString m_logError;
    QList<MemoryMap::CellProblem> m_problems;
};
