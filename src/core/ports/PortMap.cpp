#include "core/ports/PortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace
{

// USB serial adapters: a vendor identifier, or a name that says so where the
// system does not report one (Linux ttyUSB/ttyACM, macOS cu.usbserial).
bool isUsb(const PortMap::SystemPort &port)
{
    return port.hasVendor || port.name.contains(QLatin1String("usb"), Qt::CaseInsensitive) ||
           port.name.contains(QLatin1String("acm"), Qt::CaseInsensitive);
}

// Name order with a trailing number compared by value: ttyS2 before ttyS10.
bool nameLess(const QString &a, const QString &b)
{
    auto split = [](const QString &name) {
        qsizetype digits = name.size();
        while (digits > 0 && name.at(digits - 1).isDigit())
            --digits;
        return std::make_pair(name.left(digits), name.mid(digits));
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    if (numberA.size() != numberB.size())
        return numberA.size() < numberB.size();
    return numberA < numberB;
}

} // namespace

PortMap::PortMap(const QStringList &configured, const QStringList &system)
{
    for (int index = 0; index < PortCount; ++index) {
        const QString own = configured.value(index).trimmed();
        m_paths.append(own.isEmpty() ? system.value(index) : own);
    }
}

QString PortMap::devicePath(int port) const
{
    return m_paths.value(port - 1);
}

QString PortMap::resolve(const QString &deviceOrComName) const
{
    const int port = portNumberFromName(deviceOrComName);
    return port ? devicePath(port) : deviceOrComName;
}

int PortMap::portNumberFromName(const QString &name)
{
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
        return 0;
    const QString digits = name.mid(3);
    if (digits.isEmpty() || digits.size() > 2 || digits.front() == QLatin1Char('0'))
        return 0;
    int number = 0;
    for (QChar digit : digits) {
        if (digit < QLatin1Char('0') || digit > QLatin1Char('9'))
            return 0;
        number = number * 10 + digit.digitValue();
    }
    return number <= PortCount ? number : 0;
}

QString PortMap::portName(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

QStringList PortMap::systemDevices()
{
    QList<SystemPort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append({info.portName(), info.systemLocation(), info.hasVendorIdentifier()});
    return orderedDevices(ports);
}

QStringList PortMap::orderedDevices(QList<SystemPort> ports)
{
    std::stable_sort(ports.begin(), ports.end(), [](const SystemPort &a, const SystemPort &b) {
        if (isUsb(a) != isUsb(b))
            return isUsb(a);
        return nameLess(a.name, b.name);
    });
    QStringList paths;
    for (const SystemPort &port : ports)
        paths.append(port.location);
    return paths;
}

QString PortMap::stableName(const QString &devicePath, const QString &stableNameDir)
{
    if (devicePath.isEmpty() || stableNameDir.isEmpty())
        return QString();
    const QString device = QFileInfo(devicePath).canonicalFilePath();
    if (device.isEmpty())
        return QString();
    const QDir folder(stableNameDir);
    const QFileInfoList links = folder.entryInfoList(QDir::System | QDir::Files, QDir::Name);
    for (const QFileInfo &link : links) {
        if (link.isSymLink() && link.canonicalFilePath() == device)
            return folder.absoluteFilePath(link.fileName());
    }
    return QString();
}

bool PortMap::isStableName(const QString &devicePath, const QString &stableNameDir)
{
    return !devicePath.isEmpty() && !stableNameDir.isEmpty() &&
           QFileInfo(devicePath).absolutePath() == QDir(stableNameDir).absolutePath();
}
