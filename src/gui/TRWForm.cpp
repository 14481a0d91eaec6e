#include "gui/TRWForm.h"

#include "core/base/StringTable.h"
#include "core/programming/SafeWrite.h"
#include "core/radio/Exchange.h"
#include "core/radio/LinkTrace.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"
#include "gui/ApplyText.h"
#include "gui/ErrorBox.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

TRWForm::TRWForm(Workspace &workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace),
      m_link(std::make_unique<SerialLink>([&workspace] { return workspace.singlePort(); })),
      m_exchange(std::make_unique<Exchange>(*m_link, workspace)),
      m_safeWrite(std::make_unique<SafeWrite>(*m_link, workspace))
{
    setObjectName(QStringLiteral("RWForm"));
    setWindowTitle(QStringLiteral("读频"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(353, 182);

    Button1 = new QPushButton(QStringLiteral("读 频"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(56, 96, 97, 33);
    connect(Button1, &QPushButton::clicked, this, &TRWForm::Button1Click);

    Button2 = new QPushButton(QStringLiteral("退 出"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(200, 96, 97, 33);
    connect(Button2, &QPushButton::clicked, this, &TRWForm::Button2Click);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(24, 40, 305, 25);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    StatusBar = new QLabel(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StatusBar->setGeometry(0, 182 - 22, 353, 22);
    setStatusText(QStringLiteral("    VESQAR调频手持对讲机KT-100系列编程软件"));

    const auto showProgress = [this](int value, int maximum) {
        if (maximum > 0)
            ProgressBar1->setMaximum(maximum);
        ProgressBar1->setValue(qMin(value, ProgressBar1->maximum()));
    };
    connect(m_exchange.get(), &Exchange::progressChanged, this, showProgress);
    connect(m_safeWrite.get(), &SafeWrite::progressChanged, this, showProgress);
    connect(m_safeWrite.get(), &SafeWrite::phaseChanged, this, [this](SafeWrite::Phase phase) {
        const LanguageTexts &texts = m_workspace.texts();
        setStatusText(QStringLiteral("     ") +
                      (phase == SafeWrite::Phase::Backup  ? texts.backupPhaseText
                       : phase == SafeWrite::Phase::Write ? texts.writePhaseText
                                                          : texts.verifyPhaseText));
    });
}

TRWForm::~TRWForm() = default;

void TRWForm::setStartText(const QString &text)
{
    Button1->setText(text);
}

void TRWForm::resetProgress()
{
    ProgressBar1->setValue(0);
}

bool TRWForm::isRunning() const
{
    return !Button1->isEnabled() || m_safeRunning;
}

void TRWForm::applyLanguage(const StringTable &table)
{
    applyText(Button2, table, 2);
    if (table.contains(61))
        setStatusText(QStringLiteral("     ") + table.text(61));
}

void TRWForm::setStatusText(const QString &text)
{
    // The panel is as wide as the dialog: a longer text ends in an ellipsis
    // and shows whole in the tool tip.
    const int room = StatusBar->contentsRect().width() - 2 * StatusBar->margin() - 4;
    StatusBar->setText(StatusBar->fontMetrics().elidedText(text, Qt::ElideRight, room));
    StatusBar->setToolTip(text.trimmed());
}

void TRWForm::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    FormShow();
}

void TRWForm::FormShow()
{
    // The PW-100 has no P1 and P2 short keys of its own: their settings go
    // back to the first entry whenever the dialog opens for it.
    if (m_workspace.modelIndex() == 0) {
        m_workspace.functions().setIndex(FunctionSettings::ShortKey0, 0);
        m_workspace.functions().setIndex(FunctionSettings::ShortKey1, 0);
    }
    Button1->setFocus();
    // A port that fails to open here is reported by the exchange, which
    // opens it again.
    m_link->open(m_workspace.portDevicePath());
}

void TRWForm::Button1Click()
{
    if (isRunning() || (m_tag != ReadTag && m_tag != WriteTag))
        return;
    if (m_tag == WriteTag && m_workspace.safeWrites()) {
        runSafeWrite();
        return;
    }
    const auto direction =
        m_tag == WriteTag ? Exchange::Direction::Write : Exchange::Direction::Read;
    Button1->setEnabled(false);
    ProgressBar1->setValue(0);
    Exchange::Result result = Exchange::Result::Failed;
    attachTrace();
    const bool completed = ErrorBox::run(
        this, [&] { result = m_exchange->run(direction, m_workspace.portDevicePath()); });
    detachTrace();
    Button1->setEnabled(true);
    if (!completed) {
        Q_EMIT exchangeFinished(m_tag, false);
        return;
    }
    switch (result) {
    case Exchange::Result::Success:
        ProgressBar1->setValue(ProgressBar1->maximum());
        break;
    case Exchange::Result::Failed:
    case Exchange::Result::Mismatch:
        warn(m_workspace.texts().exchangeFailedText,
             withTraceLine(m_exchange->failure().text(m_workspace.texts().failure)));
        break;
    case Exchange::Result::PortError:
        showPortError(m_exchange->portErrorReason());
        break;
    case Exchange::Result::Refused:
        showRefusal(m_exchange->problems());
        break;
    }
    Q_EMIT exchangeFinished(m_tag, result == Exchange::Result::Success);
}

void TRWForm::runSafeWrite()
{
    Button1->setEnabled(false);
    m_safeRunning = true;
    ProgressBar1->setValue(0);
    Exchange::Result result = Exchange::Result::Failed;
    attachTrace();
    const bool completed =
        ErrorBox::run(this, [&] { result = m_safeWrite->run(m_workspace.portDevicePath()); });
    detachTrace();
    m_safeRunning = false;
    Button1->setEnabled(true);
    if (!completed) {
        Q_EMIT exchangeFinished(m_tag, false);
        return;
    }
    const LanguageTexts &texts = m_workspace.texts();
    switch (result) {
    case Exchange::Result::Success:
        ProgressBar1->setValue(ProgressBar1->maximum());
        if (!m_safeWrite->backupPath().isEmpty())
            setStatusText(
                QStringLiteral("     ") +
                texts.backupSavedText.arg(QFileInfo(m_safeWrite->backupPath()).fileName()));
        break;
    case Exchange::Result::Failed:
    case Exchange::Result::Mismatch:
        warn(texts.exchangeFailedText, withTraceLine(m_safeWrite->failureText(texts.failure)));
        break;
    case Exchange::Result::PortError:
        showPortError(m_safeWrite->portErrorReason());
        break;
    case Exchange::Result::Refused:
        showRefusal(m_safeWrite->problems());
        break;
    }
    Q_EMIT exchangeFinished(m_tag, result == Exchange::Result::Success);
}

void TRWForm::warn(const QString &text, const QString &detail)
{
    QMessageBox box(QMessageBox::Warning, m_workspace.texts().warningCaption, text, QMessageBox::Ok,
                    this);
    box.setObjectName(QStringLiteral("WarningBox"));
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
}

void TRWForm::showPortError(const QString &reason)
{
    warn(m_workspace.texts().portErrorText, withTraceLine(reason));
}

void TRWForm::attachTrace()
{
    if (!m_workspace.recordTrace()) {
        m_trace.reset();
        m_traceProblem.clear();
        return;
    }
    if (m_traceCount != m_workspace.traceCount() || (!m_trace && m_traceProblem.isEmpty())) {
        m_traceCount = m_workspace.traceCount();
        m_traceProblem.clear();
        const QString path =
            LinkTrace::newPath(LinkTrace::defaultDir(), QDateTime::currentDateTime());
        m_trace = std::make_unique<LinkTrace>();
        if (!m_trace->open(path)) {
            m_traceProblem = m_workspace.texts().traceFailedText.arg(QDir::toNativeSeparators(path),
                                                                     m_trace->errorString());
            m_trace.reset();
        }
    }
    m_link->setTrace(m_trace.get());
}

void TRWForm::detachTrace()
{
    m_link->setTrace(nullptr);
}

QString TRWForm::withTraceLine(const QString &detail) const
{
    if (!m_workspace.recordTrace())
        return detail;
    const QString line =
        m_trace ? m_workspace.texts().traceFileText.arg(QDir::toNativeSeparators(m_trace->path()))
                : m_traceProblem;
    if (line.isEmpty())
        return detail;
    return detail.isEmpty() ? line : detail + QStringLiteral("\n\n") + line;
}

void TRWForm::showRefusal(const QList<MemoryMap::CellProblem> &problems)
{
    // One line per cell the radio cannot take, named as the grid names it.
    QStringList lines;
    const ChannelTable &channels = m_workspace.channels();
    for (const MemoryMap::CellProblem &problem : problems) {
        if (problem.row > 0 && problem.column > 0)
            lines << QStringLiteral("CH%1  %2: \"%3\"")
                         .arg(problem.row, 2, 10, QLatin1Char('0'))
                         .arg(channels.cell(problem.column, 0).trimmed(), problem.text);
        else
            lines << problem.describe();
    }
    QMessageBox box(QMessageBox::Warning, m_workspace.texts().warningCaption,
                    m_workspace.texts().writeRefusedText, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("WarningBox"));
    box.setInformativeText(lines.join(QLatin1Char('\n')));
    box.exec();
}

bool TRWForm::FormCloseQuery() const
{
    return !isRunning();
}

void TRWForm::FormClose()
{
    m_link->close();
}

void TRWForm::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void TRWForm::reject()
{
    // Escape closes the dialog like its close box, and is refused the same way.
    if (!FormCloseQuery())
        return;
    FormClose();
    QDialog::reject();
}
