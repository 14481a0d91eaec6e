#include "gui/TFleetForm.h"

#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"

#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

TFleetForm::TFleetForm(Workspace &workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace),
      m_link(std::make_unique<SerialLink>([&workspace] { return workspace.singlePort(); })),
      m_run(std::make_unique<FleetRun>(*m_link, workspace)), m_logPath(defaultLogPath())
{
    const LanguageTexts &texts = workspace.texts();
    setObjectName(QStringLiteral("FleetForm"));
    setWindowTitle(texts.fleetCaption);
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    StateLabel = new QLabel(this);
    StateLabel->setObjectName(QStringLiteral("StateLabel"));
    QFont large = StateLabel->font();
    large.setPointSizeF(large.pointSizeF() * 1.8);
    large.setBold(true);
    StateLabel->setFont(large);
    StateLabel->setWordWrap(true);
    StateLabel->setMinimumHeight(StateLabel->fontMetrics().height() * 2 + 8);
    StateLabel->setAlignment(Qt::AlignCenter);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);

    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    RadioList = new QListWidget(this);
    RadioList->setObjectName(QStringLiteral("RadioList"));
    LogLabel = new QLabel(this);
    LogLabel->setObjectName(QStringLiteral("LogLabel"));
    LogLabel->setWordWrap(true);
    LogLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    StopButton = new QPushButton(texts.fleetStopText, this);
    StopButton->setObjectName(QStringLiteral("StopButton"));
    CloseButton = new QPushButton(texts.fleetCloseText, this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(StopButton, &QPushButton::clicked, this, [this] { m_run->requestStop(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(StopButton);
    buttons->addWidget(CloseButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(StateLabel);
    layout->addWidget(ProgressBar);
    layout->addWidget(CountLabel);
    layout->addWidget(RadioList, 1);
    layout->addWidget(LogLabel);
    layout->addLayout(buttons);
    resize(520, 420);

    connect(m_run.get(), &FleetRun::stateChanged, this, &TFleetForm::showState);
    connect(m_run.get(), &FleetRun::radioDone, this, &TFleetForm::addRadio);
    connect(m_run.get(), &FleetRun::progressChanged, this, [this](int value, int maximum) {
        ProgressBar->setMaximum(qMax(1, maximum));
        ProgressBar->setValue(value);
    });
    showCount();
}

TFleetForm::~TFleetForm() = default;

QString TFleetForm::defaultLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/KT-700/fleet-log.csv");
}

void TFleetForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started)
        QTimer::singleShot(0, this, &TFleetForm::start);
}

void TFleetForm::start()
{
    if (m_started)
        return;
    m_started = true;
    LogLabel->setText(m_workspace.texts().fleetLogText.arg(QDir::toNativeSeparators(m_logPath)));
    FleetRun::Options options;
    options.logPath = m_logPath;
    options.portName = QStringLiteral("COM%1").arg(m_workspace.portNumber());
    m_run->setOptions(options);
    StopButton->setEnabled(true);
    CloseButton->setEnabled(false);
    const FleetRun::Ending ending = m_run->run(m_workspace.portDevicePath());
    m_link->close();
    finished(ending);
}

void TFleetForm::finished(FleetRun::Ending ending)
{
    const LanguageTexts &texts = m_workspace.texts();
    StopButton->setEnabled(false);
    CloseButton->setEnabled(true);
    StateLabel->setText(texts.fleetStoppedText);
    ProgressBar->setValue(0);
    QString detail;
    QString text = texts.exchangeFailedText;
    switch (ending) {
    case FleetRun::Ending::Done:
    case FleetRun::Ending::Stopped:
        break;
    case FleetRun::Ending::Refused: {
        QStringList lines;
        for (const MemoryMap::CellProblem &problem : m_run->problems())
            lines << problem.describe();
        text = texts.writeRefusedText;
        detail = lines.join(QLatin1Char('\n'));
        break;
    }
    case FleetRun::Ending::PortError:
        text = texts.portErrorText;
        detail = m_run->portErrorReason();
        break;
    case FleetRun::Ending::LogError:
        detail = texts.fleetLogText.arg(QDir::toNativeSeparators(m_logPath)) +
                 QStringLiteral(": ") + m_run->logError();
        break;
    }
    if (!detail.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, texts.warningCaption, text, QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("WarningBox"));
        box.setDetailedText(detail);
        box.exec();
    }
    if (m_closeWhenStopped)
        QDialog::reject();
}

void TFleetForm::showState(FleetRun::State state, int number)
{
    const LanguageTexts &texts = m_workspace.texts();
    const QString text = state == FleetRun::State::Waiting   ? texts.fleetWaitingText
                         : state == FleetRun::State::Writing ? texts.fleetWritingText
                                                             : texts.fleetUnplugText;
    StateLabel->setText(text.arg(number));
    if (state == FleetRun::State::Waiting)
        ProgressBar->setValue(0);
}

void TFleetForm::addRadio(const FleetRun::Radio &radio)
{
    const LanguageTexts &texts = m_workspace.texts();
    const QString result =
        !radio.ok ? texts.fleetFailedText.arg(m_run->safeWrite().failureText(texts.failure))
        : m_run->options().write.verify ? texts.fleetVerifiedText
                                        : texts.fleetWrittenText;
    auto *item = new QListWidgetItem(
        QStringLiteral("%1   %2   %3   %4")
            .arg(radio.number, 3)
            .arg(radio.entry.time.toString(QStringLiteral("hh:mm:ss")), radio.entry.model, result),
        RadioList);
    if (!radio.ok)
        item->setForeground(Qt::darkRed);
    item->setToolTip(radio.entry.backupPath);
    RadioList->scrollToItem(item);
    showCount();
}

void TFleetForm::showCount()
{
    CountLabel->setText(m_workspace.texts()
                            .fleetCountText.arg(m_run->radios().size())
                            .arg(m_run->writtenCount())
                            .arg(m_run->failedCount()));
}

void TFleetForm::closeEvent(QCloseEvent *event)
{
    if (m_run->isRunning()) {
        // Closing stops the loop first; the dialog goes once it has ended.
        m_closeWhenStopped = true;
        m_run->requestStop();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFleetForm::reject()
{
    if (m_run->isRunning()) {
        m_closeWhenStopped = true;
        m_run->requestStop();
        return;
    }
    QDialog::reject();
}
