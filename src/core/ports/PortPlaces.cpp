#include "core/ports/PortPlaces.h"

#include <QCoreApplication>

PortPlaces PortPlaces::system()
{
    PortPlaces places;
    // The lock folder of today's systems first, then the older ones; Qt
    // programs fall back to /tmp when the lock folder cannot be written.
    places.lockDirs = {QStringLiteral("/var/lock"),        QStringLiteral("/run/lock"),
                       QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"),
                       QStringLiteral("/etc/locks"),       QStringLiteral("/tmp")};
    places.processDir = QStringLiteral("/proc");
    places.stableNameDir = QStringLiteral("/dev/serial/by-id");
    places.ownPid = QCoreApplication::applicationPid();
    return places;
}
