#pragma once

#include "core/ports/PortHolder.h"
#include "core/ports/PortPlaces.h"

#include <QSerialPort>
#include <QString>
#include <optional>

// Whether the serial device can be opened now. A device that another
// program holds (PortHolder) fails without being touched, so that its lock
// file stays as it is; otherwise it is opened for reading and writing
// exclusively and closed at once. On Linux and macOS the open takes the
// device's lock file and sets exclusive mode (TIOCEXCL), so a device in
// exclusive use fails too, as does a missing device or one the user may not
// open. An empty path (a port without a device) fails without a try.
// The reason for a failure goes to *reason when given, empty on success
// ("Permission denied" tells a Linux user to join the dialout group; "held by
// minicom (1234)" names a holder). The holder, when one is seen, goes to
// *holder, for a caller that words it in the interface language. The open's
// error goes to *error, NoError when it succeeded or was not tried; it tells
// a missing device (DeviceNotFoundError) from one the system refused
// (PermissionError: no access, or in exclusive use elsewhere).
bool ProbePort(const QString &devicePath, QString *reason = nullptr,
               std::optional<PortHolder> *holder = nullptr,
               const PortPlaces &places = PortPlaces::system(),
               QSerialPort::SerialPortError *error = nullptr);
