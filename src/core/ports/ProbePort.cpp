#include "core/ports/ProbePort.h"

#include <QSerialPort>

bool ProbePort(const QString &devicePath, QString *reason, std::optional<PortHolder> *holder,
               const PortPlaces &places, QSerialPort::SerialPortError *error)
{
    if (reason)
        reason->clear();
    if (holder)
        holder->reset();
    if (error)
        *error = QSerialPort::NoError;
    // QSerialPort would take an empty name for the folder /dev.
    if (devicePath.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("No device");
        return false;
    }
    // Before the open: Qt takes a lock file it deems stale for its own and
    // removes it on closing, even when another program still runs.
    if (const std::optional<PortHolder> found = PortHolder::find(devicePath, places)) {
        if (reason)
            *reason = found->describe();
        if (holder)
            *holder = found;
        return false;
    }
    QSerialPort port(devicePath);
    if (!port.open(QIODevice::ReadWrite)) {
        if (reason)
            *reason = port.errorString();
        if (error)
            *error = port.error();
        return false;
    }
    port.close();
    return true;
}
