#pragma once

#include "core/ports/PortPlaces.h"

#include <QString>
#include <optional>

// Another program that holds a serial device, as far as the system shows it:
// a lock file of the UUCP kind ("LCK..ttyUSB0") whose process still runs, or
// a process this user may inspect with the device among its open files. Our
// own process never counts, nor does one that also holds the master side of
// a pseudo-terminal device: that is the other end of the line. A process of
// another user shows only through a lock file; one that holds the device in
// exclusive mode without a lock file makes the open fail but stays unnamed.
// Only Linux is looked at; elsewhere nothing is found.
struct PortHolder {
    QString program; // "minicom"; empty when the system does not tell
    qint64 pid = 0;

    // "held by minicom (1234)": namedPattern takes the program as %1 and the
    // process id as %2; unnamedPattern, for a holder without a name, the
    // process id as %1.
    QString describe(const QString &namedPattern = QStringLiteral("held by %1 (%2)"),
                     const QString &unnamedPattern = QStringLiteral("held by process %1")) const;

    // The holder of the device (any path naming it: a link such as a stable
    // USB adapter name is followed); nothing when none is seen.
    static std::optional<PortHolder> find(const QString &devicePath,
                                          const PortPlaces &places = PortPlaces::system());
};
