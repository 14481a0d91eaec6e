#include "cli/CommandLine.h"

#include "core/workspace/LanguageSwitch.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <algorithm>
#include <initializer_list>

namespace
{

using Command = Invocation::Command;

constexpr int MaxAdministratorLength = 7;

const char *const kDescription =
    "Reads, writes and shows the configuration of a KT-100 series radio.\n"
    "\n"
    "Commands:\n"
    "  read --port DEVICE -o FILE.q42   read the radio and save its configuration\n"
    "  write FILE.q42 --port DEVICE     write the configuration of a channel file:\n"
    "                                   the radio is backed up first and read back\n"
    "                                   after the write to prove it\n"
    "  show FILE.q42                    print the configuration of a channel file\n"
    "  identify --port DEVICE           ask the radio what it is: model, band, last\n"
    "                                   write time and administrator; writes nothing\n"
    "  ports                            list COM1 to COM16 that stand for a device:\n"
    "                                   the device, its adapter, and whether it can\n"
    "                                   be opened now (and if not, why)\n"
    "  export FILE.q42 -o LIST.csv      write the channels of a channel file as a\n"
    "                                   channel list in CHIRP's CSV format\n"
    "  fleet FILE.q42 --port DEVICE     write the channel file into many radios, one\n"
    "                                   after another: plug in and switch on each\n"
    "                                   radio, wait for \"unplug it\", next; each is\n"
    "                                   logged (--log, default fleet-log.csv here);\n"
    "                                   Ctrl+C or --count N ends the run\n"
    "  import LIST.csv -o FILE.q42      make a channel file of a CHIRP CSV list: its\n"
    "                                   rows become channels 1 to 16, checked against\n"
    "                                   the band (--band, else the settings' band);\n"
    "                                   rows that cannot be taken are listed on stderr\n"
    "                                   and left out (--strict: nothing is written)\n"
    "\n"
    "DEVICE is a device path (/dev/ttyUSB0) or a port name COM1 to COM16 as the\n"
    "settings map them; without --port the settings' port is used. The settings\n"
    "(bands, model, ports, language, administrator) come from sysini.ini and\n"
    "userini.ini as for the program; they are read, never written.\n"
    "\n"
    "Backups go to ~/.local/share/KT-700/backups (or --backup-dir); the oldest\n"
    "are deleted beyond 200.\n"
    "\n"
    "--trace FILE records every frame sent and every answer received, with its\n"
    "time, bytes and meaning, one line each (- for stderr): for support.\n"
    "\n"
    "Exit codes: 0 success, 1 the exchange (or the backup or read-back) failed or\n"
    "the write was refused, 2 usage error, 3 the port cannot be opened, 4 file\n"
    "error (also an import --strict with problems), 5 written, but the radio holds\n"
    "something else.";

struct CommandName {
    const char *name;
    Command command;
    int files; // positional file arguments after the command
};
constexpr CommandName kCommands[] = {
    {"read", Command::Read, 0},         {"write", Command::Write, 1},
    {"show", Command::Show, 1},         {"ports", Command::Ports, 0},
    {"identify", Command::Identify, 0}, {"export", Command::Export, 1},
    {"import", Command::Import, 1},     {"fleet", Command::Fleet, 1},
};

// Which commands take which option; options not listed here (config-dir,
// band, lang) apply to every command.
struct OptionUse {
    const char *option;
    std::initializer_list<Command> commands;
};
const OptionUse kRestricted[] = {
    {"port", {Command::Read, Command::Write, Command::Identify, Command::Fleet}},
    {"output", {Command::Read, Command::Export, Command::Import}},
    {"strict", {Command::Import}},
    {"single-port", {Command::Read, Command::Write, Command::Identify, Command::Fleet}},
    {"fast", {Command::Read, Command::Write, Command::Identify, Command::Fleet}},
    {"trace", {Command::Read, Command::Write, Command::Identify, Command::Fleet}},
    {"admin", {Command::Write, Command::Fleet}},
    {"count", {Command::Fleet}},
    {"log", {Command::Fleet}},
    {"no-backup", {Command::Write, Command::Fleet}},
    {"no-verify", {Command::Write, Command::Fleet}},
    {"backup-dir", {Command::Write, Command::Fleet}},
};

bool isAscii(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() > 127)
            return false;
    }
    return true;
}

} // namespace

namespace CommandLine
{

Parsed parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("read, write, show, identify, ports, export or import."),
        QStringLiteral("read|write|show|identify|ports|export|import"));
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The channel file to write, show or export, or the list to import."),
        QStringLiteral("[FILE.q42|LIST.csv]"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral(
            "Serial device or COM1..COM16 (read, write, identify; default: the settings' port)."),
        QStringLiteral("device"));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("File to create: the channel file of read and import, the list of export."),
        QStringLiteral("file"));
    const QCommandLineOption strict(
        QStringLiteral("strict"),
        QStringLiteral("import: write nothing (exit code 4) when any row has a problem."));
    const QCommandLineOption singlePort(
        QStringLiteral("single-port"),
        QStringLiteral("Single-wire cable that echoes what is sent (read, write, identify)."));
    const QCommandLineOption fast(
        QStringLiteral("fast"),
        QStringLiteral("Fast transfer: each step moves on as soon as the radio has answered "
                       "(read, write, identify, fleet; older radios may need the full pauses)."));
    const QCommandLineOption count(QStringLiteral("count"),
                                   QStringLiteral("fleet: end after N radios (default: until "
                                                  "Ctrl+C)."),
                                   QStringLiteral("N"));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("fleet: the log file, one CSV line per radio (default: fleet-log.csv)."),
        QStringLiteral("FILE"));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Append a trace of the link to FILE, - for stderr (read, write, identify)."),
        QStringLiteral("FILE"));
    const QCommandLineOption configDir(
        QStringLiteral("config-dir"),
        QStringLiteral("Read sysini.ini and userini.ini in <dir> instead of the program's folder."),
        QStringLiteral("dir"));
    const QCommandLineOption admin(
        QStringLiteral("admin"),
        QStringLiteral("Administrator name the write stores in the radio (up to 7 ASCII "
                       "characters; default: userini.ini)."),
        QStringLiteral("name"));
    const QCommandLineOption band(
        QStringLiteral("band"),
        QStringLiteral("Band such as 400-470MHz, added to the band list for this run where "
                       "missing and selected; a read accepts only radios of a listed band."),
        QStringLiteral("band"));
    const QCommandLineOption language(
        QStringLiteral("lang"),
        QStringLiteral("Language of the cell words and lists: 1 simplified Chinese, 2 English, "
                       "3 traditional Chinese (default: the settings' language)."),
        QStringLiteral("1|2|3"));
    const QCommandLineOption noBackup(QStringLiteral("no-backup"),
                                      QStringLiteral("write: no backup of the radio first."));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      QStringLiteral("write: no read-back after the write."));
    const QCommandLineOption backupDir(
        QStringLiteral("backup-dir"),
        QStringLiteral("write: keep the backup in DIR (default: ~/.local/share/KT-700/backups)."),
        QStringLiteral("DIR"));
    parser.addOptions({help, version, port, output, singlePort, configDir, admin, band, language,
                       noBackup, noVerify, backupDir, trace, strict, count, log, fast});

    Parsed parsed;
    Invocation &inv = parsed.invocation;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        if (parsed.error.endsWith(QLatin1Char('.')))
            parsed.error.chop(1);
        return parsed;
    }
    if (parser.isSet(help)) {
        inv.command = Command::Help;
        parsed.helpText = parser.helpText();
        return parsed;
    }
    if (parser.isSet(version)) {
        inv.command = Command::Version;
        return parsed;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        parsed.error = QStringLiteral(
            "no command given (read, write, show, identify, ports, export or import)");
        return parsed;
    }
    const QString name = positional.takeFirst();
    const CommandName *found = nullptr;
    for (const CommandName &command : kCommands) {
        if (name == QLatin1String(command.name))
            found = &command;
    }
    if (!found) {
        parsed.error = QStringLiteral("unknown command '%1' (read, write, show, identify, ports, "
                                      "export or import)")
                           .arg(name);
        return parsed;
    }
    inv.command = found->command;
    if (positional.size() != found->files) {
        parsed.error = inv.command == Command::Import ? QStringLiteral("import takes one CSV list")
                       : found->files ? QStringLiteral("%1 takes one channel file").arg(name)
                       : inv.command == Command::Read
                           ? QStringLiteral("%1 takes no file argument; name the "
                                            "file to create with -o")
                                 .arg(name)
                           : QStringLiteral("%1 takes no file argument").arg(name);
        return parsed;
    }
    for (const OptionUse &use : kRestricted) {
        const QString option = QLatin1String(use.option);
        if (parser.isSet(option) && std::find(use.commands.begin(), use.commands.end(),
                                              inv.command) == use.commands.end()) {
            parsed.error = QStringLiteral("--%1 does not apply to %2").arg(option, name);
            return parsed;
        }
    }

    if (inv.command == Command::Read) {
        inv.file = parser.value(output);
        if (inv.file.isEmpty()) {
            parsed.error = QStringLiteral("read needs the file to create: -o FILE.q42");
            return parsed;
        }
    } else if (found->files) {
        inv.file = positional.constFirst();
    }
    if (inv.command == Command::Export || inv.command == Command::Import) {
        inv.output = parser.value(output);
        if (inv.output.isEmpty()) {
            parsed.error = inv.command == Command::Export
                               ? QStringLiteral("export needs the list to create: -o LIST.csv")
                               : QStringLiteral("import needs the file to create: -o FILE.q42");
            return parsed;
        }
    }
    inv.strict = parser.isSet(strict);
    if (parser.isSet(count)) {
        bool ok = false;
        inv.count = parser.value(count).toInt(&ok);
        if (!ok || inv.count < 1) {
            parsed.error = QStringLiteral("--count takes a number of radios, 1 or more");
            return parsed;
        }
    }
    inv.log = parser.value(log);
    if (parser.isSet(log) && inv.log.isEmpty()) {
        parsed.error = QStringLiteral("--log needs a file");
        return parsed;
    }
    inv.port = parser.value(port);
    if (parser.isSet(port) && inv.port.trimmed().isEmpty()) {
        parsed.error = QStringLiteral("--port needs a device or a port name");
        return parsed;
    }
    inv.singlePort = parser.isSet(singlePort);
    inv.fast = parser.isSet(fast);
    inv.trace = parser.value(trace);
    if (parser.isSet(trace) && inv.trace.isEmpty()) {
        parsed.error = QStringLiteral("--trace needs a file, or - for stderr");
        return parsed;
    }
    inv.backup = !parser.isSet(noBackup);
    inv.verify = !parser.isSet(noVerify);
    inv.backupDir = parser.value(backupDir);
    if (parser.isSet(backupDir) && inv.backupDir.isEmpty()) {
        parsed.error = QStringLiteral("--backup-dir needs a folder");
        return parsed;
    }
    inv.configDir = parser.value(configDir);
    if (parser.isSet(configDir) && inv.configDir.isEmpty()) {
        parsed.error = QStringLiteral("--config-dir needs a folder");
        return parsed;
    }
    if (parser.isSet(admin)) {
        const QString value = parser.value(admin);
        if (value.size() > MaxAdministratorLength || !isAscii(value)) {
            parsed.error = QStringLiteral("--admin takes up to %1 ASCII characters, not '%2'")
                               .arg(MaxAdministratorLength)
                               .arg(value);
            return parsed;
        }
        inv.administrator = value;
    }
    if (parser.isSet(band)) {
        // The form the radio's band block gives, so that a read can match it.
        static const QRegularExpression bandForm(QStringLiteral("^[0-9]{3}-[0-9]{3}MHz$"));
        inv.band = parser.value(band);
        if (!bandForm.match(inv.band).hasMatch()) {
            parsed.error =
                QStringLiteral("--band takes a band such as 400-470MHz, not '%1'").arg(inv.band);
            return parsed;
        }
    }
    if (parser.isSet(language)) {
        const QString value = parser.value(language);
        inv.language = value.size() == 1 ? value.toInt() : 0;
        if (inv.language < 1 || inv.language > LanguageSwitch::LanguageCount) {
            parsed.error = QStringLiteral("--lang takes 1, 2 or 3, not '%1'").arg(value);
            return parsed;
        }
    }
    return parsed;
}

} // namespace CommandLine
