#pragma once

#include "core/programming/FleetRun.h"

#include <QDialog>

#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class SerialLink;
class Workspace;

// Writing the configuration of the channel editor and function options into
// many radios, one after another: the dialog runs the fleet loop on the
// chosen port as soon as it is shown, names the state in large text (waiting
// for radio n, writing it, unplug it), counts the radios done, lists each
// with its result, and stops on its Stop button. Each radio is logged in
// the user's data folder (fleet-log.csv).
class TFleetForm : public QDialog
{
    Q_OBJECT
public:
    explicit TFleetForm(Workspace &workspace, QWidget *parent = nullptr);
    ~TFleetForm() override;

    FleetRun &run() { return *m_run; }
    // Where the log goes; by default the user's data folder.
    void setLogPath(const QString &path) { m_logPath = path; }
    QString logPath() const { return m_logPath; }
    static QString defaultLogPath();

    bool isRunning() const { return m_run->isRunning(); }
    // Starts the loop once the dialog is up (also for tests that show it
    // without exec).
    void start();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void showState(FleetRun::State state, int number);
    void addRadio(const FleetRun::Radio &radio);
    void showCount();
    void finished(FleetRun::Ending ending);

    Workspace &m_workspace;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<FleetRun> m_run;
    QString m_logPath;
    bool m_started = false;
    bool m_closeWhenStopped = false;

    QLabel *StateLabel;        // the state in large text
    QLabel *CountLabel;        // radios done so far
    QListWidget *RadioList;    // one line per radio done
    QProgressBar *ProgressBar; // the write of the current radio
    QLabel *LogLabel;          // where the log goes
    QPushButton *StopButton;
    QPushButton *CloseButton;
};
