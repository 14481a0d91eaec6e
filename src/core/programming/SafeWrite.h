#pragma once

#include "core/radio/Exchange.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <functional>

class SerialLink;
class Workspace;

// A write that cannot lose a radio's configuration and cannot pass for a
// success when the radio stores something else: first a backup (the radio
// read as it stands and kept in the backup folder), then the write, then a
// read-back of every block written, compared byte for byte. Each phase is
// one whole exchange (its own opening and closing); the backup and the
// read-back go into workspaces of their own, so the user's stays as the
// write left it. Progress runs from 0 to 100 over the phases that run.
class SafeWrite : public QObject
{
    Q_OBJECT
public:
    enum class Phase { Backup, Write, Verify };

    struct Options {
        bool backup = true;
        bool verify = true;
        QString backupDir; // empty: BackupFolder::defaultDir()
        int keepBackups = 200;
    };

    SafeWrite(SerialLink &link, Workspace &workspace, QObject *parent = nullptr);

    void setOptions(const Options &options) { m_options = options; }
    const Options &options() const { return m_options; }
    // The clock for the backup's name and the write's information block.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Backup, write and read-back on the device. A write the radio cannot
    // take is refused before anything is sent (no backup either). A backup
    // that fails (read or save) ends the run before the write: the radio
    // is unchanged. Returns Success, Failed, PortError, Refused, or
    // Mismatch when the read-back differs from what was sent.
    Exchange::Result run(const QString &devicePath);
    bool isRunning() const { return m_running; }
    // Stops after the step under way, the radio taken out of programming
    // mode; no later phase starts.
    void requestStop();

    // The phase under way, or the one the last run ended in.
    Phase phase() const { return m_phase; }
    // The backup file of the last run; empty when none was taken.
    QString backupPath() const { return m_backupPath; }
    // The radio's model and band as the last run's exchanges read them;
    // empty when none got that far.
    QString radioModel() const { return m_radioModel; }
    QString radioBand() const { return m_radioBand; }
    // Whether that backup is a file of raw blocks rather than a channel file.
    bool backupIsRaw() const { return m_backupIsRaw; }

    // Why the last run failed, in the language of the texts given; a backup
    // that failed says so first. Empty after success.
    QString failureText(const LanguageTexts::FailureTexts &texts) const;
    QString failureText() const { return failureText(ExchangeFailure::englishTexts()); }
    const ExchangeFailure &failure() const { return m_failure; }
    QString portErrorReason() const { return m_portErrorReason; }
    const QList<MemoryMap::CellProblem> &problems() const { return m_problems; }
    const QStringList &mismatches() const { return m_mismatches; }

Q_SIGNALS:
    void phaseChanged(SafeWrite::Phase phase);
    // Over all phases: value 0 to 100 of maximum 100.
    void progressChanged(int value, int maximum);

private:
    Exchange::Result runPhase(Phase phase, Exchange &exchange, Exchange::Direction direction,
                              const QString &devicePath);
    // Saves what the backup exchange read; throws AppError when it cannot.
    void saveBackup(const Workspace &radio, const Exchange &reader);
    // Ends the run with the exchange's outcome, or with a failure between
    // two exchanges.
    Exchange::Result end(Exchange::Result result, const Exchange &exchange);
    Exchange::Result fail(const ExchangeFailure &failure);

    SerialLink &m_link;
    Workspace &m_workspace;
    Options m_options;
    std::function<QDateTime()> m_clock;
    bool m_running = false;
    bool m_stopRequested = false;
    QPointer<Exchange> m_current;
    Phase m_phase = Phase::Write;
    int m_phaseIndex = 0; // of the phases that run
    int m_phaseCount = 1;
    QString m_backupPath;
    QString m_radioModel;
    QString m_radioBand;
    bool m_backupIsRaw = false;
    bool m_backupFailed = false;
    ExchangeFailure m_failure;
    QString m_portErrorReason;
    QList<MemoryMap::CellProblem> m_problems;
    QStringList m_mismatches;
};
