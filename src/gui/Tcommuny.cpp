#include "gui/Tcommuny.h"

#include "core/workspace/Workspace.h"
#include "gui/ApplyText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

Tcommuny::Tcommuny(Workspace &workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace), m_map(workspace.portDevices())
{
    setObjectName(QStringLiteral("communy"));
    setWindowTitle(QStringLiteral("通信端口"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setFixedSize(341, 232);

    GroupBox1 = new QGroupBox(QStringLiteral("通信端口"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 4, 325, 112);
    // Four rows of four: COM1 to COM4 in the first row.
    for (int index = 0; index < PortMap::PortCount; ++index) {
        com[index] = new QRadioButton(PortMap::portName(index + 1), GroupBox1);
        com[index]->setObjectName(QStringLiteral("com%1").arg(index + 1));
        com[index]->setGeometry(14 + index % 4 * 78, 20 + index / 4 * 22, 72, 20);
        connect(com[index], &QRadioButton::clicked, this, &Tcommuny::portClicked);
    }

    CheckBox1 = new QCheckBox(QStringLiteral("单口"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(14, 120, 196, 22);
    connect(CheckBox1, &QCheckBox::clicked, this,
            [this](bool checked) { m_workspace.setSinglePort(checked); });
    // Each step moves on as soon as the radio has answered.
    FastCheck = new QCheckBox(workspace.texts().fastTransferText, this);
    FastCheck->setObjectName(QStringLiteral("FastCheck"));
    FastCheck->setGeometry(214, 120, 119, 22);
    connect(FastCheck, &QCheckBox::clicked, this,
            [this](bool checked) { m_workspace.setFastTransfer(checked); });

    // Not in the original layout: names the device behind the chosen COM
    // number, which on this system is not a fixed name.
    DeviceLabel = new QLineEdit(this);
    DeviceLabel->setObjectName(QStringLiteral("DeviceLabel"));
    DeviceLabel->setGeometry(8, 146, 325, 22);
    DeviceLabel->setReadOnly(true);
    DeviceLabel->setFocusPolicy(Qt::ClickFocus);

    // What the system knows of the checked port's adapter, under the device
    // line; it wraps rather than being cut off (fitHeight).
    AdapterLabel = new QLabel(this);
    AdapterLabel->setObjectName(QStringLiteral("AdapterLabel"));
    AdapterLabel->setWordWrap(true);
    AdapterLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    AdapterLabel->setGeometry(10, 170, 323, 20);

    NoteLabel = new QLabel(this);
    NoteLabel->setObjectName(QStringLiteral("NoteLabel"));
    NoteLabel->setGeometry(10, 170, 323, 20);

    button1 = new QPushButton(QStringLiteral("确定"), this);
    button1->setObjectName(QStringLiteral("button1"));
    button1->setGeometry(133, 198, 75, 26);
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_workspace, &Workspace::portChanged, this, &Tcommuny::showWorkspace);
    showWorkspace();
}

void Tcommuny::applyLanguage(const StringTable &table)
{
    applyCaption(this, table, 22);
    applyTitle(GroupBox1, table, 22);
    applyText(CheckBox1, table, 142);
    FastCheck->setText(table.text(1110, FastCheck->text()));
    applyText(button1, table, 2);
    m_noDeviceText = table.text(1000, m_noDeviceText);
    m_tiedText = table.text(1032, m_tiedText);
    showCheckedDevice();
}

void Tcommuny::showEvent(QShowEvent *event)
{
    probePorts();
    showWorkspace();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void Tcommuny::probePorts()
{
    m_listedDevices = m_systemDevices ? *m_systemDevices : PortMap::systemDevices();
    m_map = PortMap(m_workspace.portDevices(), m_listedDevices);
    const QList<PortReport> reports =
        PortReport::describe(m_map, m_systemAdapters ? *m_systemAdapters : PortAdapter::system(),
                             m_workspace.portPlaces());
    for (int index = 0; index < PortMap::PortCount; ++index) {
        m_holders[index].reset();
        m_adapterTexts[index].clear();
        com[index]->setEnabled(false);
        com[index]->setToolTip(m_noDeviceText);
    }
    for (const PortReport &report : reports) {
        const int index = report.port - 1;
        const bool present = report.state == PortReport::State::Free;
        m_holders[index] = report.holder;
        m_adapterTexts[index] = report.adapter.text();
        // The device, what the system knows of its adapter, and why it
        // cannot be opened.
        QStringList tip{report.devicePath};
        if (!m_adapterTexts[index].isEmpty())
            tip.append(m_adapterTexts[index]);
        if (!present)
            tip.append(report.holder ? heldText(report.port) : report.reason);
        // A disabled button stays checked when it was.
        com[index]->setEnabled(present);
        // Tool tips show on disabled buttons too, where the reason matters.
        com[index]->setToolTip(tip.join(QLatin1Char('\n')));
    }
}

QString Tcommuny::heldText(int port) const
{
    const std::optional<PortHolder> &holder = m_holders[port - 1];
    const LanguageTexts &texts = m_workspace.texts();
    return holder ? holder->describe(texts.heldByText, texts.heldByProcessText) : QString();
}

void Tcommuny::showWorkspace()
{
    com[m_workspace.portNumber() - 1]->setChecked(true);
    CheckBox1->setChecked(m_workspace.singlePort());
    FastCheck->setChecked(m_workspace.fastTransfer());
    showCheckedDevice();
}

void Tcommuny::showCheckedDevice()
{
    const int port = m_workspace.portNumber();
    const QString path = m_map.devicePath(port);
    const QString held = heldText(port);
    DeviceLabel->setText(PortMap::portName(port) + QStringLiteral(": ") +
                         (path.isEmpty() ? m_noDeviceText : path) +
                         (held.isEmpty() ? QString() : QStringLiteral(", ") + held));
    // A long path shows from its start, and whole in the tool tip.
    DeviceLabel->setCursorPosition(0);
    DeviceLabel->setToolTip(DeviceLabel->text());
    AdapterLabel->setText(m_adapterTexts[port - 1]);
    NoteLabel->setText(PortMap::isStableName(path, m_workspace.portPlaces().stableNameDir)
                           ? m_tiedText.arg(PortMap::portName(port))
                           : QString());
    fitHeight();
}

void Tcommuny::fitHeight()
{
    // Room for two lines of the adapter's text, which most descriptions fit,
    // so that the buttons stay where they are from port to port; a longer
    // one moves what is below it down.
    const int adapterHeight = qMax(2 * AdapterLabel->fontMetrics().lineSpacing(),
                                   AdapterLabel->heightForWidth(AdapterLabel->width()));
    AdapterLabel->resize(AdapterLabel->width(), adapterHeight);
    NoteLabel->move(NoteLabel->x(), AdapterLabel->geometry().bottom() + 3);
    button1->move(button1->x(), NoteLabel->geometry().bottom() + 9);
    setFixedSize(width(), button1->geometry().bottom() + 9);
}

void Tcommuny::portClicked()
{
    for (int port = 1; port <= PortMap::PortCount; ++port) {
        if (com[port - 1]->isChecked()) {
            m_workspace.setPortNumber(port);
            tieToAdapter(port);
            return;
        }
    }
}

void Tcommuny::tieToAdapter(int port)
{
    // The system's list orders adapters by their current names, which a
    // newly plugged adapter can shift; the stable name stays with the cable.
    const QString stable =
        PortMap::stableName(m_map.devicePath(port), m_workspace.portPlaces().stableNameDir);
    if (!m_workspace.choosePortDevice(port, stable))
        return;
    m_map = PortMap(m_workspace.portDevices(), m_listedDevices);
    showCheckedDevice();
}
