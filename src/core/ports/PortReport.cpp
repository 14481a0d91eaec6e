#include "core/ports/PortReport.h"

#include "core/ports/ProbePort.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

namespace
{

QString hex4(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

// The group a user joins to open serial devices: the device's own group when
// its members may read and write it (dialout on Debian, uucp elsewhere),
// otherwise Debian's.
QString accessGroupOf(const QFileInfo &device)
{
    const QString group = device.group();
    const bool groupMayUse = device.permission(QFile::ReadGroup | QFile::WriteGroup);
    return groupMayUse && !group.isEmpty() && group != QLatin1String("root")
               ? group
               : QStringLiteral("dialout");
}

} // namespace

QString PortAdapter::text() const
{
    QStringList pieces;
    const QString what = description.simplified();
    const QString maker = manufacturer.simplified();
    if (!what.isEmpty())
        pieces.append(what);
    if (!maker.isEmpty() && maker.compare(what, Qt::CaseInsensitive) != 0)
        pieces.append(maker);
    if (vendorId)
        pieces.append(QStringLiteral("USB ") + hex4(*vendorId) +
                      (productId ? QLatin1Char(':') + hex4(*productId) : QString()));
    return pieces.join(QStringLiteral(", "));
}

QList<PortAdapter> PortAdapter::system()
{
    QList<PortAdapter> adapters;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        PortAdapter adapter;
        adapter.location = info.systemLocation();
        adapter.description = info.description();
        adapter.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier())
            adapter.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            adapter.productId = info.productIdentifier();
        adapters.append(adapter);
    }
    return adapters;
}

std::optional<PortAdapter> PortAdapter::find(const QString &devicePath,
                                             const QList<PortAdapter> &adapters)
{
    if (devicePath.isEmpty())
        return std::nullopt;
    const QString path = QDir::cleanPath(devicePath);
    for (const PortAdapter &adapter : adapters) {
        if (!adapter.location.isEmpty() && QDir::cleanPath(adapter.location) == path)
            return adapter;
    }
    // A link, or a path through one: compared by the device it leads to.
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (target.isEmpty())
        return std::nullopt;
    for (const PortAdapter &adapter : adapters) {
        if (!adapter.location.isEmpty() &&
            QFileInfo(adapter.location).canonicalFilePath() == target)
            return adapter;
    }
    return std::nullopt;
}

QList<PortReport> PortReport::describe(const PortMap &map, const QList<PortAdapter> &adapters,
                                       const PortPlaces &places)
{
    QList<PortReport> reports;
    for (int port = 1; port <= PortMap::PortCount; ++port) {
        const QString path = map.devicePath(port);
        if (!path.isEmpty())
            reports.append(describe(port, path, adapters, places));
    }
    return reports;
}

PortReport PortReport::describe(int port, const QString &devicePath,
                                const QList<PortAdapter> &adapters, const PortPlaces &places)
{
    PortReport report;
    report.port = port;
    report.devicePath = devicePath;
    report.adapter = PortAdapter::find(devicePath, adapters).value_or(PortAdapter());
    if (report.adapter.location.isEmpty())
        report.adapter.location = devicePath;

    QSerialPort::SerialPortError error = QSerialPort::NoError;
    if (ProbePort(devicePath, &report.reason, &report.holder, places, &error)) {
        report.state = State::Free;
        return report;
    }
    // The holder first: its device exists and the open was not even tried.
    // A device the user may read and write that the system still refuses is
    // in exclusive use by a program the system does not name.
    const QFileInfo device(devicePath);
    if (report.holder) {
        report.state = State::Busy;
    } else if (!device.exists() || error == QSerialPort::DeviceNotFoundError) {
        report.state = State::Gone;
    } else if (!device.isReadable() || !device.isWritable()) {
        report.state = State::NoPermission;
        report.accessGroup = accessGroupOf(device);
    } else if (error == QSerialPort::PermissionError) {
        report.state = State::Busy;
    } else {
        report.state = State::Failed;
    }
    return report;
}
