#pragma once

#include <QStringList>

// ktprog-cli: the read, write, show, identify, ports, export and import
// commands over one workspace that is loaded from the program's settings
// files as the program loads it at start-up. Messages go to stderr, one line
// for each failure (and for each problem of an imported list); show and
// ports print to stdout.
namespace CliTool
{

enum ExitCode {
    Success = 0,
    ExchangeFailed = 1, // the exchange failed, or the write was refused before sending
    UsageError = 2,
    PortError = 3,
    FileError = 4,
    Mismatch = 5, // written, but the read-back found the radio holding something else
};

// The arguments as the program received them, the program's name first.
int run(const QStringList &arguments);

} // namespace CliTool
