#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What one call of ktprog-cli asks for, parsed and checked from its
// arguments. Only the shape of the arguments is checked here; files, ports
// and settings are looked at when the command runs.
struct Invocation {
    enum class Command { Help, Version, Read, Write, Show, Ports, Identify, Export, Import, Fleet };

    Command command = Command::Help;
    // read: the channel file to create; write, show, export, import: the file to open
    QString file;
    QString output; // export, import: the file to create
    QString port;   // a device path or "COMn"; empty: the port of the settings
    bool singlePort = false;
    bool fast = false; // each step moves on as soon as the radio has answered
    QString configDir; // empty: the program's own settings
    std::optional<QString> administrator;
    QString band;     // empty: the band list as the settings give it
    int language = 0; // 1..3; 0: the language of the settings
    // write: a backup of the radio first and a read-back after, by default.
    bool backup = true;
    bool verify = true;
    QString backupDir; // empty: the user's backup folder
    int count = 0;     // fleet: radios to write; 0: until stopped
    QString log;       // fleet: the log file; empty: fleet-log.csv in the current folder
    QString trace;     // read, write, identify: the link trace's file, "-" for stderr; empty: none
    bool strict = false; // import: any problem of the list writes no file
};

namespace CommandLine
{

struct Parsed {
    Invocation invocation;
    QString error;    // a usage error in one line; empty when the arguments are good
    QString helpText; // for Help
};

// The arguments as the program received them, the program's name first.
Parsed parse(const QStringList &arguments);

} // namespace CommandLine
