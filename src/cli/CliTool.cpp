#include "cli/CliTool.h"
#include "cli/InterruptWatch.h"

#include "cli/CommandLine.h"
#include "cli/ConfigurationText.h"
#include "cli/PortsCommand.h"
#include "cli/ProgressPrinter.h"
#include "core/base/AppError.h"
#include "core/base/AppPaths.h"
#include "core/base/StringTable.h"
#include "core/files/ChannelCsv.h"
#include "core/files/ChannelFile.h"
#include "core/ports/PortMap.h"
#include "core/programming/FleetRun.h"
#include "core/programming/SafeWrite.h"
#include "core/radio/Exchange.h"
#include "core/radio/LinkTrace.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/SettingsStore.h"
#include "core/workspace/StartUp.h"
#include "core/workspace/Workspace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace
{

using Command = Invocation::Command;

// Writes the whole text as UTF-8, a NUL character in it included.
void print(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

void printLine(std::FILE *stream, const QString &text)
{
    print(stream, text + QLatin1Char('\n'));
}

int fail(int code, const QString &message)
{
    printLine(stderr, QStringLiteral("ktprog-cli: ") + message);
    return code;
}

// Applies the language's string table to the workspace's data (cell words,
// list items, column headers), as the program does at start-up. False when
// its file is not found or cannot be read: the built-in texts then stay.
bool applyLanguage(Workspace &workspace, int language)
{
    workspace.setLanguageNumber(language);
    const QString path = StringTable::find(LanguageSwitch::startupBaseName(language));
    const std::optional<StringTable> table =
        path.isEmpty() ? std::nullopt : StringTable::load(path);
    if (!table)
        return false;
    LanguageSwitch::apply(*table, workspace);
    return true;
}

// The program's start-up state from the settings files, with the command
// line's overrides. The settings are only read: nothing a command line run
// changes (a band added, a file's band) is kept for the next run.
void loadWorkspace(Workspace &workspace, const SettingsStore &store, const Invocation &inv)
{
    workspace.setAdministrator(inv.administrator ? SettingsStore::cleanName(*inv.administrator)
                                                 : store.readAdministrator());
    const SystemSettings saved = store.readSystem();
    StartUp::applyConnection(workspace, saved);
    workspace.setSinglePort(inv.singlePort || saved.singlePort);
    workspace.setFastTransfer(inv.fast || saved.fastTransfer);

    const int language = inv.language ? inv.language : saved.language;
    if (language >= 1 && language <= LanguageSwitch::LanguageCount &&
        !applyLanguage(workspace, language) && inv.language) {
        printLine(stderr, QStringLiteral("ktprog-cli: warning: no file for language %1 (%2.lng); "
                                         "the built-in simplified Chinese texts stay")
                              .arg(language)
                              .arg(LanguageSwitch::startupBaseName(language)));
    }

    StartUp::applyBands(workspace, saved);
    BandList &bands = workspace.bands();
    if (!inv.band.isEmpty()) {
        if (bands.indexOf(inv.band) < 0)
            bands.add(inv.band);
        bands.setCurrentIndex(bands.indexOf(inv.band));
    }

    workspace.applyModelChange();
    StartUp::prepareChannels(workspace);
    workspace.functions().setKeyTime(FunctionSettings::KeyTimeDefault);
}

// Opens a channel file into the workspace; FileError with its message on
// failure, Success otherwise.
int openFile(Workspace &workspace, const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    try {
        if (!ChannelFile::open(workspace, path))
            return fail(CliTool::FileError,
                        QStringLiteral("%1: not a channel file of this program (its first line "
                                       "or its model line is not recognised)")
                            .arg(name));
    } catch (const AppError &error) {
        return fail(CliTool::FileError, QStringLiteral("%1: %2").arg(name, error.message()));
    }
    return CliTool::Success;
}

// The device a command talks to: --port (a device or COMn) or the settings'
// port, mapped as the port dialog maps it.
struct Port {
    QString device;      // the path to open
    QString name;        // "COM1", or the device path given
    QString description; // "COM1 (/dev/ttyUSB0)", or the device path
};

// Success, or PortError after saying that the port stands for no device.
int resolvePort(const Workspace &workspace, const Invocation &inv, Port *port)
{
    const QString given = inv.port.isEmpty() ? PortMap::portName(workspace.portNumber()) : inv.port;
    const bool isPortName = PortMap::portNumberFromName(given) != 0;
    const PortMap ports(workspace.portDevices(),
                        isPortName ? PortMap::systemDevices() : QStringList());
    port->device = ports.resolve(given);
    if (port->device.isEmpty())
        return fail(CliTool::PortError,
                    QStringLiteral("%1 stands for no serial device (see [ports] in sysini.ini)")
                        .arg(given.toUpper()));
    port->name = isPortName ? given.toUpper() : port->device;
    port->description =
        isPortName ? QStringLiteral("%1 (%2)").arg(port->name, port->device) : port->device;
    return CliTool::Success;
}

// The trace file is opened before the radio is talked to, so that a trace
// that cannot be written stops the command with nothing sent. Success (also
// without --trace), or FileError after saying why.
int openTrace(const Invocation &inv, LinkTrace *trace)
{
    if (!inv.trace.isEmpty() && !trace->open(inv.trace))
        return fail(CliTool::FileError,
                    QStringLiteral("cannot write the trace %1: %2")
                        .arg(QDir::toNativeSeparators(inv.trace), trace->errorString()));
    return CliTool::Success;
}

// Runs one exchange on the port named on the command line (or the settings'
// port) and reports how it ended. A write runs with its backup and read-back
// as the invocation asks. The band text the radio gave goes to *band.
int runExchange(Workspace &workspace, Exchange::Direction direction, const Invocation &inv,
                QString *band = nullptr)
{
    const bool reading = direction != Exchange::Direction::Write;
    Port port;
    if (const int code = resolvePort(workspace, inv, &port))
        return code;
    const QString &device = port.device;
    const QString &deviceName = port.description;
    LinkTrace trace;
    if (const int code = openTrace(inv, &trace))
        return code;

    SerialLink link([&workspace] { return workspace.singlePort(); });
    if (!inv.trace.isEmpty())
        link.setTrace(&trace);
    Exchange exchange(link, workspace);
    SafeWrite safeWrite(link, workspace);
    SafeWrite::Options options;
    options.backup = inv.backup;
    options.verify = inv.verify;
    options.backupDir = inv.backupDir;
    safeWrite.setOptions(options);
    // Ctrl+C stops after the step under way; the closing still runs.
    const InterruptWatch interrupt([&] {
        exchange.requestStop();
        safeWrite.requestStop();
    });
    ProgressPrinter progress(stderr, direction == Exchange::Direction::Identify
                                         ? QStringLiteral("identifying")
                                     : reading ? QStringLiteral("reading")
                                               : QStringLiteral("writing"));
    const auto showProgress = [&progress](int value, int maximum) {
        progress.update(value, maximum);
    };
    QObject::connect(&exchange, &Exchange::progressChanged, showProgress);
    QObject::connect(&safeWrite, &SafeWrite::progressChanged, showProgress);

    Exchange::Result result = Exchange::Result::Failed;
    QString thrown;
    try {
        result = reading ? exchange.run(direction, device) : safeWrite.run(device);
    } catch (const AppError &error) {
        thrown = error.message();
    }
    progress.finish();
    if (band)
        *band = exchange.bandText();
    if (!reading && !safeWrite.backupPath().isEmpty())
        print(stderr,
              QStringLiteral("backup: %1\n").arg(QDir::toNativeSeparators(safeWrite.backupPath())));
    const QString why = reading ? exchange.failureText() : safeWrite.failureText();
    const QString portReason = reading ? exchange.portErrorReason() : safeWrite.portErrorReason();
    const QList<MemoryMap::CellProblem> &cellProblems =
        reading ? exchange.problems() : safeWrite.problems();

    const QString verb = direction == Exchange::Direction::Identify ? QStringLiteral("identify")
                         : reading                                  ? QStringLiteral("read")
                                                                    : QStringLiteral("write");
    if (!thrown.isEmpty())
        return fail(CliTool::ExchangeFailed, QStringLiteral("%1 failed: %2").arg(verb, thrown));
    switch (result) {
    case Exchange::Result::Success:
        return CliTool::Success;
    case Exchange::Result::PortError:
        return fail(CliTool::PortError,
                    QStringLiteral("cannot open %1: %2").arg(deviceName, portReason));
    case Exchange::Result::Refused: {
        QStringList problems;
        for (const MemoryMap::CellProblem &problem : cellProblems)
            problems << problem.describe();
        return fail(CliTool::ExchangeFailed,
                    QStringLiteral("write refused, nothing was sent: %1").arg(problems.join("; ")));
    }
    case Exchange::Result::Mismatch:
        return fail(CliTool::Mismatch,
                    QStringLiteral("write checked on %1: %2").arg(deviceName, why));
    case Exchange::Result::Failed:
        break;
    }
    return fail(
        CliTool::ExchangeFailed,
        QStringLiteral("%1 failed on %2: %3")
            .arg(verb, deviceName, why.isEmpty() ? QStringLiteral("no reason given") : why));
}

int read(Workspace &workspace, const Invocation &inv)
{
    // A file that could not be saved is found out before the radio is
    // talked to.
    const QFileInfo target(inv.file);
    if (target.isDir() || !AppPaths::isWritableDir(target.absolutePath()))
        return fail(CliTool::FileError,
                    AppError::unableToWrite(QDir::toNativeSeparators(inv.file)).message());
    // A failed read writes no file at all, so that a half-read configuration
    // is never taken for a good one.
    const int code = runExchange(workspace, Exchange::Direction::Read, inv);
    if (code != CliTool::Success)
        return code;
    try {
        ChannelFile::save(workspace, inv.file);
    } catch (const AppError &error) {
        return fail(CliTool::FileError, error.message());
    }
    return CliTool::Success;
}

int write(Workspace &workspace, const Invocation &inv)
{
    const int code = openFile(workspace, inv.file);
    if (code != CliTool::Success)
        return code;
    return runExchange(workspace, Exchange::Direction::Write, inv);
}

// One configuration into many radios, one after another, each logged.
int fleet(Workspace &workspace, const Invocation &inv)
{
    const int opened = openFile(workspace, inv.file);
    if (opened != CliTool::Success)
        return opened;
    Port port;
    if (const int code = resolvePort(workspace, inv, &port))
        return code;
    const QString &device = port.device;
    LinkTrace trace;
    if (const int code = openTrace(inv, &trace))
        return code;

    SerialLink link([&workspace] { return workspace.singlePort(); });
    if (!inv.trace.isEmpty())
        link.setTrace(&trace);
    FleetRun run(link, workspace);
    FleetRun::Options options;
    options.write.backup = inv.backup;
    options.write.verify = inv.verify;
    options.write.backupDir = inv.backupDir;
    options.count = inv.count;
    options.logPath = inv.log.isEmpty() ? QStringLiteral("fleet-log.csv") : inv.log;
    options.portName = port.name;
    run.setOptions(options);
    const QString logName = QDir::toNativeSeparators(QFileInfo(options.logPath).absoluteFilePath());
    // Ctrl+C ends the run between two steps; a radio being written is taken
    // out of programming mode first.
    const InterruptWatch interrupt([&run] { run.requestStop(); });
    QObject::connect(&run, &FleetRun::stateChanged, [](FleetRun::State state, int number) {
        if (state == FleetRun::State::Waiting)
            printLine(stderr, QStringLiteral("waiting for radio %1…").arg(number));
        else if (state == FleetRun::State::Writing)
            printLine(stderr, QStringLiteral("writing radio %1…").arg(number));
    });
    QObject::connect(&run, &FleetRun::radioDone, [](const FleetRun::Radio &radio) {
        const QString model = radio.entry.model.isEmpty()
                                  ? QString()
                                  : QStringLiteral(" (%1)").arg(radio.entry.model);
        printLine(stderr, QStringLiteral("radio %1%2 %3; unplug it")
                              .arg(radio.number)
                              .arg(model, radio.entry.result));
    });

    const FleetRun::Ending ending = run.run(device);
    switch (ending) {
    case FleetRun::Ending::Refused: {
        QStringList problems;
        for (const MemoryMap::CellProblem &problem : run.problems())
            problems << problem.describe();
        return fail(CliTool::ExchangeFailed,
                    QStringLiteral("write refused, nothing was sent: %1").arg(problems.join("; ")));
    }
    case FleetRun::Ending::PortError:
        return fail(CliTool::PortError,
                    QStringLiteral("cannot open %1: %2").arg(device, run.portErrorReason()));
    case FleetRun::Ending::LogError:
        return fail(CliTool::FileError,
                    QStringLiteral("cannot write the log %1: %2").arg(logName, run.logError()));
    case FleetRun::Ending::Done:
    case FleetRun::Ending::Stopped:
        break;
    }
    printLine(stderr, QStringLiteral("%1 written, %2 failed; log in %3")
                          .arg(run.writtenCount())
                          .arg(run.failedCount())
                          .arg(logName));
    return run.failedCount() == 0 ? CliTool::Success : CliTool::ExchangeFailed;
}

// What the radio says of itself, read without writing anything.
int identify(Workspace &workspace, const Invocation &inv)
{
    QString band;
    const int code = runExchange(workspace, Exchange::Direction::Identify, inv, &band);
    if (code != CliTool::Success)
        return code;
    QString bandLine;
    if (band == MemoryMap::noBandText())
        bandLine = QStringLiteral("none (%1: a radio that was never given a band)").arg(band);
    else if (workspace.bands().indexOf(band) >= 0)
        bandLine = QStringLiteral("%1 (in the band list)").arg(band);
    else
        bandLine = QStringLiteral("%1 (not in the band list: add it with --band or to "
                                  "sysini.ini to read this radio)")
                       .arg(band);
    const RadioInfo &info = workspace.info();
    print(stdout,
          QStringLiteral("model: %1\nband: %2\nlast write: %3\nadministrator: %4\n")
              .arg(workspace.modelText(), bandLine, info.lastWriteTime(), info.administrator()));
    return CliTool::Success;
}

int show(Workspace &workspace, const Invocation &inv)
{
    const int code = openFile(workspace, inv.file);
    if (code != CliTool::Success)
        return code;
    print(stdout, ConfigurationText::format(workspace));
    return CliTool::Success;
}

// The channels of a channel file as a CSV channel list.
int exportList(Workspace &workspace, const Invocation &inv)
{
    const int code = openFile(workspace, inv.file);
    if (code != CliTool::Success)
        return code;
    try {
        ChannelCsv::save(workspace, inv.output);
    } catch (const AppError &error) {
        return fail(CliTool::FileError, error.message());
    }
    return CliTool::Success;
}

// A channel file with the channels of a CSV channel list, checked against the
// selected band; model, band and function settings are those of start-up.
// Each problem is one line on stderr; the rows they name are left out (a bad
// tone only turns that tone off), unless --strict refuses the whole list.
int importList(Workspace &workspace, const Invocation &inv)
{
    const QString name = QDir::toNativeSeparators(inv.file);
    ChannelCsv::Import import;
    try {
        import = ChannelCsv::read(inv.file, workspace);
    } catch (const AppError &error) {
        return fail(CliTool::FileError, QStringLiteral("%1: %2").arg(name, error.message()));
    }
    for (const ChannelCsv::Problem &problem : import.problems)
        printLine(stderr, QStringLiteral("%1: %2").arg(name, problem.english()));
    if (inv.strict && !import.problems.isEmpty())
        return fail(CliTool::FileError,
                    QStringLiteral("%1: %2 problem(s) and --strict: no file was written")
                        .arg(name)
                        .arg(import.problems.size()));
    if (import.channels.isEmpty())
        return fail(CliTool::FileError,
                    QStringLiteral("%1: no row can be imported; no file was written").arg(name));
    ChannelCsv::apply(import, workspace);
    try {
        ChannelFile::save(workspace, inv.output);
    } catch (const AppError &error) {
        return fail(CliTool::FileError, error.message());
    }
    return CliTool::Success;
}

} // namespace

namespace CliTool
{

int run(const QStringList &arguments)
{
    const CommandLine::Parsed parsed = CommandLine::parse(arguments);
    if (!parsed.error.isEmpty())
        return fail(UsageError, parsed.error + QStringLiteral(" (see ktprog-cli --help)"));
    const Invocation &inv = parsed.invocation;
    switch (inv.command) {
    case Command::Help:
        print(stdout, parsed.helpText);
        return Success;
    case Command::Version:
        printLine(stdout, QStringLiteral("ktprog-cli ") + QCoreApplication::applicationVersion());
        return Success;
    default:
        break;
    }

    if (!inv.configDir.isEmpty() && !QFileInfo(inv.configDir).isDir())
        return fail(FileError, QStringLiteral("settings folder %1 does not exist")
                                   .arg(QDir::toNativeSeparators(inv.configDir)));
    // A folder of its own still starts from the bands shipped beside the
    // program, as for the program.
    const SettingsStore store =
        inv.configDir.isEmpty() ? SettingsStore::forProgram()
                                : SettingsStore(inv.configDir, AppPaths::firstInstallationDir());
    Workspace workspace;
    loadWorkspace(workspace, store, inv);

    switch (inv.command) {
    case Command::Read:
        return read(workspace, inv);
    case Command::Write:
        return write(workspace, inv);
    case Command::Identify:
        return identify(workspace, inv);
    case Command::Fleet:
        return fleet(workspace, inv);
    case Command::Export:
        return exportList(workspace, inv);
    case Command::Import:
        return importList(workspace, inv);
    case Command::Ports:
        // A listing: whatever it finds, even nothing, is a result.
        print(stdout, PortsCommand::text(workspace));
        return Success;
    default:
        return show(workspace, inv);
    }
}

} // namespace CliTool
