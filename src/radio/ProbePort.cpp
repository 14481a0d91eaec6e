#include "radio/ProbePort.h"

#include <QSerialPort>

bool ProbePort(const QString &devicePath, QString *reason)
{
    if (reason)
        reason->clear();
    // QSerialPort would take an empty name for the folder /dev.
    if (devicePath.isEmpty()) {
        if (reason)
            *reason = QStringLiteral("No device");
        return false;
    }
    QSerialPort port(devicePath);
    if (!port.open(QIODevice::ReadWrite)) {
        if (reason)
            *reason = port.errorString();
        return false;
    }
    port.close();
    return true;
}
