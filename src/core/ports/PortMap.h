#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which device each port number 1..16 ("COM1" to "COM16") stands for.
//
// The rule is positional, so that configuring one port never moves another:
// port n uses the device path configured for it ("[ports]" key "com<n>" in
// sysini.ini) when there is one, and otherwise the n-th entry of the system's
// serial device list. A port beyond both has no device. The same device can
// thus stand behind two port numbers (configured for one, listed by the system
// at the position of another); both then probe and open the same device.
class PortMap
{
public:
    static constexpr int PortCount = 16;

    // One serial device as the system lists it, for ordering.
    struct SystemPort {
        QString name;     // "ttyUSB0", "COM3"
        QString location; // the path to open: "/dev/ttyUSB0", "\\.\COM3"
        bool hasVendor;   // the system knows a USB vendor identifier
    };

    // configured: index 0 is port 1, an empty or blank entry is not
    // configured; system: device paths in the system's order.
    explicit PortMap(const QStringList &configured = QStringList(),
                     const QStringList &system = QStringList());

    // The device path of port 1..16; empty for a port without a device and
    // for numbers outside 1..16.
    QString devicePath(int port) const;

    // A "COMn" name (n in 1..16, any case) gives its device path, empty when
    // it has none; anything else is taken as a device path as it stands.
    QString resolve(const QString &deviceOrComName) const;

    // "COM3" and "com3" give 3; anything else (no leading zero or sign, n
    // outside 1..16, other text) gives 0.
    static int portNumberFromName(const QString &name);
    // "COM" followed by the number.
    static QString portName(int port);

    // The system's serial devices as paths to open: USB adapters first, then
    // the others, each group ordered by name with numbers compared by value
    // (ttyS2 before ttyS10).
    static QStringList systemDevices();
    static QStringList orderedDevices(QList<SystemPort> ports);

    // The stable name of the device: the link in stableNameDir (the system's
    // /dev/serial/by-id, named after the USB adapter's maker, model and serial
    // number) that leads to it, first by name when there are several; empty
    // for a device without one, such as a built-in port or a pseudo-terminal.
    static QString stableName(const QString &devicePath, const QString &stableNameDir);
    // Whether the path is one of those stable names.
    static bool isStableName(const QString &devicePath, const QString &stableNameDir);

private:
    QStringList m_paths; // PortCount entries
};
