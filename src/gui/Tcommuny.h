#pragma once

#include "core/ports/PortHolder.h"
#include "core/ports/PortMap.h"
#include "core/ports/PortReport.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class StringTable;
class Workspace;

// The port dialog: picks the workspace's port number 1..16 and single-port
// mode. Every change takes effect when it is made; "确定" only closes the
// dialog. Each time it is shown it probes the device of every port and
// enables the buttons of the ports that can be opened now; a port another
// program holds names that program. Each port's tool tip, and the line under
// the device line for the checked port, tell what the system knows of the
// adapter (description, maker, USB identifiers). Picking a port that follows
// the system's list and stands for a USB adapter with a stable name ties the
// port to that name, so the port keeps the adapter when others are plugged
// in.
class Tcommuny : public QDialog
{
    Q_OBJECT
public:
    explicit Tcommuny(Workspace &workspace, QWidget *parent = nullptr);

    // Caption and group box from entry 22, "单口" from 142, "确定" from 2,
    // "no device" from 1000, the note on a port tied to its adapter from 1032.
    void applyLanguage(const StringTable &table);

    // Uses these device paths in place of the system's serial device list,
    // from the next show on.
    void setSystemDevices(const QStringList &devices) { m_systemDevices = devices; }
    // Uses these descriptions in place of what the system tells of its
    // serial devices, from the next show on.
    void setSystemAdapters(const QList<PortAdapter> &adapters) { m_systemAdapters = adapters; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void probePorts();
    void showWorkspace();
    void showCheckedDevice();
    void portClicked();
    void tieToAdapter(int port);
    void fitHeight();
    QString heldText(int port) const;

    Workspace &m_workspace;
    std::optional<QStringList> m_systemDevices;
    std::optional<QList<PortAdapter>> m_systemAdapters;
    QStringList m_listedDevices; // the system's list at the last probe
    // The program that held each port's device at the last probe.
    std::optional<PortHolder> m_holders[PortMap::PortCount];
    // What the system told of each port's adapter at the last probe.
    QString m_adapterTexts[PortMap::PortCount];
    PortMap m_map;
    QString m_noDeviceText = QStringLiteral("无设备"); // shown for a port without a device
    // Under the device line for a port tied to its USB adapter; %1 the port.
    QString m_tiedText = QStringLiteral("%1 已固定为此 USB 适配器，换插口也不变");
    QGroupBox *GroupBox1;                  // "通信端口"
    QRadioButton *com[PortMap::PortCount]; // com1 to com16: "COM1" to "COM16"
    QCheckBox *CheckBox1;                  // "单口" (single-port mode)
    QCheckBox *FastCheck;                  // fast transfer
    QLineEdit *DeviceLabel;                // the device of the checked port
    QLabel *AdapterLabel;                  // the adapter of the checked port
    QLabel *NoteLabel;                     // the checked port keeps its USB adapter
    QPushButton *button1;                  // "确定"
};
