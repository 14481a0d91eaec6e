#pragma once

#include "core/radio/MemoryMap.h"

#include <QDialog>

#include <memory>

class Exchange;
class LinkTrace;
class SafeWrite;
class QLabel;
class QProgressBar;
class QPushButton;
class SerialLink;
class StringTable;
class Workspace;

// The read/write dialog: one start button that runs a programming exchange
// with the radio (reading when its tag is 1, writing when it is 2), a
// progress bar and an exit button. The port is open while the dialog is
// shown; the dialog cannot be closed while an exchange runs.
class TRWForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ReadTag = 1;
    static constexpr int WriteTag = 2;

    explicit TRWForm(Workspace &workspace, QWidget *parent = nullptr);
    ~TRWForm() override;

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    void setStartText(const QString &text);
    void resetProgress();

    SerialLink &link() { return *m_link; }
    Exchange &exchange() { return *m_exchange; }
    SafeWrite &safeWrite() { return *m_safeWrite; }
    bool isRunning() const;

    void applyLanguage(const StringTable &table);

    // The start button: one whole exchange, then its result.
    void Button1Click();
    void Button2Click() { close(); }

Q_SIGNALS:
    // An exchange has ended (the tag says which), its result shown.
    void exchangeFinished(int tag, bool succeeded);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void FormShow();
    bool FormCloseQuery() const;
    void FormClose();
    void showPortError(const QString &reason);
    void showRefusal(const QList<MemoryMap::CellProblem> &problems);
    // A write with its backup and read-back, as the workspace asks for.
    void runSafeWrite();
    void warn(const QString &text, const QString &detail = QString());
    // Before a run: gives the link the trace the workspace asks for, a new
    // file each time recording is turned on. After it: takes it back.
    void attachTrace();
    void detachTrace();
    // The failure details with the trace file's line when one was recorded.
    QString withTraceLine(const QString &detail) const;
    void setStatusText(const QString &text);

    Workspace &m_workspace;
    std::unique_ptr<SerialLink> m_link;
    std::unique_ptr<Exchange> m_exchange;
    std::unique_ptr<SafeWrite> m_safeWrite;
    bool m_safeRunning = false;
    std::unique_ptr<LinkTrace> m_trace;
    int m_traceCount = 0;   // the workspace's count the trace belongs to
    QString m_traceProblem; // why the trace file cannot be written
    int m_tag = 0;

    QPushButton *Button1;       // start: runs the exchange
    QPushButton *Button2;       // "退 出": closes the dialog
    QProgressBar *ProgressBar1; // progress of the exchange
    QLabel *StatusBar;          // one simple panel
};
