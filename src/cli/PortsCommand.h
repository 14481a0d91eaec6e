#pragma once

#include "core/ports/PortReport.h"

#include <QList>
#include <QString>

class Workspace;

// ktprog-cli ports: one line for each port number COM1..COM16 that stands
// for a device (as the port dialog maps them: the settings' [ports] keys,
// else the system's list), with the device path, what the system tells about
// the adapter and whether the device can be opened now, and if not why.
namespace PortsCommand
{

// The ports of the workspace's settings, probed now, as the lines to print.
QString text(const Workspace &workspace);

// The lines for the given reports, columns aligned, each ending in a line
// break; a single line saying so when there are none.
QString format(const QList<PortReport> &reports);

} // namespace PortsCommand
