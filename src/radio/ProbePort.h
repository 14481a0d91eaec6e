#pragma once

#include <QString>

// Whether the serial device can be opened now: it is opened for reading and
// writing exclusively and closed at once. On Linux and macOS the open takes
// the device's lock file and sets exclusive mode (TIOCEXCL), so a device held
// by another program fails, as does a missing device or one the user may not
// open. An empty path (a port without a device) fails without a try.
// The reason for a failure goes to *reason when given, empty on success
// ("Permission denied" tells a Linux user to join the dialout group).
bool ProbePort(const QString &devicePath, QString *reason = nullptr);
