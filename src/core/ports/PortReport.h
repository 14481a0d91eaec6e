#pragma once

#include "core/ports/PortHolder.h"
#include "core/ports/PortMap.h"
#include "core/ports/PortPlaces.h"

#include <QList>
#include <QString>
#include <optional>

// A serial device as the system describes it: for a USB adapter, what the
// adapter tells about itself. Any of it may be unknown (a built-in port has
// no maker; a pseudo-terminal is not listed at all).
struct PortAdapter {
    QString location;     // the path the system lists it under: "/dev/ttyUSB0"
    QString description;  // "USB-Serial Controller"
    QString manufacturer; // "Prolific Technology Inc."
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;

    // What is known, joined: "USB-Serial Controller, Prolific Technology
    // Inc., USB 067b:2303" (the identifiers as four lower-case hex digits,
    // the vendor alone when the product is unknown; a maker that only
    // repeats the description is left out). Empty when nothing is known.
    QString text() const;

    // Every serial device the system lists, as it describes them.
    static QList<PortAdapter> system();
    // The entry for the device at the path: the one listed under that path
    // or, for a link such as a stable adapter name in /dev/serial/by-id,
    // under the device it leads to. Nothing when no entry is that device.
    static std::optional<PortAdapter> find(const QString &devicePath,
                                           const QList<PortAdapter> &adapters);
};

// One port number that stands for a device, what the system tells about
// that device and whether it can be opened now.
struct PortReport {
    enum class State {
        Free,         // can be opened
        Busy,         // another program holds it (holder, when the system names it)
        NoPermission, // the user may not open it (accessGroup may)
        Gone,         // the device does not exist
        Failed,       // it exists and may be opened, but the open failed (reason)
    };

    int port = 0; // 1..16
    QString devicePath;
    PortAdapter adapter; // only the location when the system tells nothing more
    State state = State::Failed;
    std::optional<PortHolder> holder;
    QString reason;      // the system's reason when it cannot be opened
    QString accessGroup; // NoPermission: the group whose members may open it

    // Every port of the map that stands for a device, in port order, each
    // probed now (ProbePort, with the holder looked for in places) and
    // matched with its entry in adapters. Ports without a device are left
    // out.
    static QList<PortReport> describe(const PortMap &map,
                                      const QList<PortAdapter> &adapters = PortAdapter::system(),
                                      const PortPlaces &places = PortPlaces::system());
    // The same for one device path as the given port number.
    static PortReport describe(int port, const QString &devicePath,
                               const QList<PortAdapter> &adapters,
                               const PortPlaces &places = PortPlaces::system());
};
