// The command-line tool as a user runs it: the real ktprog-cli program,
// started with QProcess, against the virtual radio served from this test.

#include "cli/PortsCommand.h"
#include "core/files/ChannelFile.h"
#include "core/ports/PortMap.h"
#include "core/radio/MemoryMap.h"
#include "core/workspace/Workspace.h"
#include "sim/VirtualRadio.h"
#include "support/HoldingProcess.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using CT = ChannelTable;

namespace
{

struct Run {
    int exitCode = -1;
    QString out;
    QStringList errLines; // stderr, one entry per non-empty line
};

// English cell words and one band; the radio's device is named on the
// command line.
const QByteArray kSystemSettings = "[open]\r\ncom=1\r\nco_mode=0\r\nM_type=0\r\nlang=2\r\n"
                                   "[list]\r\nlistnow=0\r\nlistcount=1\r\ncombo0=400-470MHz\r\n";
const QByteArray kUserSettings = "[User]\r\nname=TESTER\r\n";

// A file whose row 1 is a complete channel in English words.
void fillChannel(Workspace &ws, const QStringList &cells)
{
    for (int column = 1; column < CT::ColumnCount; ++column)
        ws.channels().setCell(column, 1, cells.value(column - 1));
}

const QStringList kChannel = {"462.12500", "67.0", "467.12500", "OFF", "High", "Wide",
                              "ON",        "ON",   "ON",        "OFF", "ON"};

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void readThenShow();
    void showPrintsTheKeyTimeTheRadioGets();
    void showPrintsACellWithNulWhole();
    void readChecksTheBand_data();
    void readChecksTheBand();
    void writeFileIntoRadio();
    void writeIsCheckedByReadBack_data();
    void writeIsCheckedByReadBack();
    void singlePort_data();
    void singlePort();
    void failures_data();
    void failures();
    void interruptedReadEndsProgramming();
    void identify_data();
    void identify();
    void traceOfEveryExchange();
    void fleetWritesARowOfRadios();
    void voxSensitivityZeroRoundTrips();
    void asciiDigitsInEveryLocale_data();
    void asciiDigitsInEveryLocale();
    void portsListsEachPortAndItsState();
    void portsOfThisMachine();
    void portsStateWording_data();
    void portsStateWording();
    void portsColumnsLineUp();
    void exportThenImportAChannelFile();
    void importProblemsAndStrict_data();
    void importProblemsAndStrict();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    // Runs ktprog-cli with the test's settings folder, keeping this event
    // loop (and so the virtual radio) running while it works.
    // With terminateAfterMs, the tool is sent SIGTERM (as Ctrl+C would
    // send SIGINT) that long after it started.
    Run cli(QStringList arguments, int terminateAfterMs = 0);
    // A channel file made by the program's own writer.
    QString makeFile(const QString &name, const QStringList &row1);
    bool startRadio(const RadioImage &image = RadioImage::sample());

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<VirtualRadio> m_radio;
    QMap<QString, QString> m_environment; // more for the tool's runs
};

void TestCli::init()
{
    m_radio.reset();
    m_environment.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(TestSupport::writeFile(path("sysini.ini"), kSystemSettings));
    QVERIFY(TestSupport::writeFile(path("userini.ini"), kUserSettings));
}

bool TestCli::startRadio(const RadioImage &image)
{
    m_radio = std::make_unique<VirtualRadio>();
    m_radio->setImage(image);
    return m_radio->start();
}

Run TestCli::cli(QStringList arguments, int terminateAfterMs)
{
    if (!arguments.contains("--config-dir"))
        arguments << "--config-dir" << m_dir->path();
    QProcess process;
    // Backups go to the user's data folder: here, one of the test's own.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_DATA_HOME", path("data"));
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    QEventLoop loop;
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    process.start(QStringLiteral(KT_CLI_TOOL), arguments);
    if (terminateAfterMs > 0)
        QTimer::singleShot(terminateAfterMs, &process, &QProcess::terminate);
    loop.exec();
    Run run;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    run.errLines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

QString TestCli::makeFile(const QString &name, const QStringList &row1)
{
    Workspace ws;
    ws.bands().add("400-470MHz");
    ws.bands().setCurrentIndex(0);
    ws.channels().labelRows();
    fillChannel(ws, row1);
    ChannelFile::save(ws, path(name));
    return path(name);
}

// A read saves what the radio holds; show prints it back in the table.
void TestCli::readThenShow()
{
    RadioImage::Sample sample;
    sample.model = 1; // R5, while the settings select PW-100
    QVERIFY(startRadio(RadioImage::sample(sample)));
    const QString file = path("read.q42");

    const Run read = cli({"read", "--port", m_radio->devicePath(), "-o", file});
    QCOMPARE(read.exitCode, 0);
    QCOMPARE(read.errLines.last(), QStringLiteral("reading 100%"));

    Workspace saved;
    saved.bands().add("400-470MHz");
    QVERIFY(ChannelFile::open(saved, file));
    QCOMPARE(saved.modelText(), QStringLiteral("R5"));
    QCOMPARE(saved.bands().currentText(), QStringLiteral("400-470MHz"));
    QCOMPARE(saved.channels().cell(CT::RxFrequency, 1), QStringLiteral("402.12500"));
    QCOMPARE(saved.channels().cell(CT::Power, 1), QStringLiteral("Low")); // English from lang=2
    QCOMPARE(saved.functions().index(FunctionSettings::Squelch), 2);

    const Run show = cli({"show", file});
    QCOMPARE(show.exitCode, 0);
    QVERIFY(show.errLines.isEmpty());
    const QStringList lines = show.out.split('\n');
    QVERIFY(lines.contains("Model:  R5"));
    QVERIFY(lines.contains("Band:   400-470MHz"));
    auto hasLine = [&lines](const QString &pattern) {
        return !lines.filter(QRegularExpression(pattern)).isEmpty();
    };
    // Columns line up under the headers of the English table.
    const QString header = lines.filter(QRegularExpression("^CH  RX Freq")).value(0);
    const QString row1 = lines.filter(QRegularExpression("^01 ")).value(0);
    QVERIFY2(row1.indexOf("402.62500") == header.indexOf("TX Freq"), qPrintable(row1));
    QVERIFY(hasLine("^01  402\\.12500  67\\.0 +402\\.62500  67\\.0 +Low +Wide"));
    // A receive-only channel shows a dash where its transmit frequency is.
    QVERIFY(hasLine("^02  403\\.00000  OFF +- +OFF"));
    QVERIFY(hasLine("^05$"));
    QVERIFY(hasLine("^  Squelch +2$"));
    QVERIFY(hasLine("^  Open Beep +ON$"));
    QVERIFY(hasLine("^  Key Time +1\\.5 s$"));
}

// A file's long-press time beyond the range is held to it; show prints the
// time that goes into the radio.
void TestCli::showPrintsTheKeyTimeTheRadioGets()
{
    const QString file = makeFile("long.q42", kChannel);
    QByteArray bytes = TestSupport::readFile(file);
    QVERIFY(bytes.contains("Key Time 15"));
    bytes.replace("Key Time 15", "Key Time 30");
    QVERIFY(TestSupport::writeFile(file, bytes));

    const Run show = cli({"show", file});
    QCOMPARE(show.exitCode, 0);
    const QStringList lines = show.out.split('\n');
    QVERIFY2(!lines.filter(QRegularExpression("^  Key Time +2\\.5 s$")).isEmpty(),
             qPrintable(show.out));
}

// A NUL byte in a cell is text like any other: everything after it is
// printed too.
void TestCli::showPrintsACellWithNulWhole()
{
    QStringList cells = kChannel;
    const QString withNul = QStringLiteral("Comp") + QChar(0) + QStringLiteral("after the NUL");
    cells[CT::Privacy - 1] = withNul;
    const QString file = makeFile("nul.q42", cells);
    QVERIFY(TestSupport::readFile(file).contains(QByteArray("Comp\0after", 10)));

    const Run show = cli({"show", file});
    QCOMPARE(show.exitCode, 0);
    QVERIFY2(show.out.contains(withNul), qPrintable(show.out));
    // The settings after the channels, down to the last line.
    QVERIFY2(show.out.contains(QRegularExpression("\n  Key Time +1\\.5 s\n$")),
             qPrintable(show.out));
}

void TestCli::readChecksTheBand_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine");

    QTest::newRow("band not listed")
        << QStringList() << 1 << "the radio's band 400-430MHz is not in the band list";
    QTest::newRow("--band adds it") << QStringList{"--band", "400-430MHz"} << 0 << "reading 100%";
}

// The radio's band must be in the band list; --band puts it there.
void TestCli::readChecksTheBand()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);
    RadioImage::Sample sample;
    sample.band = "400-430MHz";
    QVERIFY(startRadio(RadioImage::sample(sample)));
    const QString file = path("band.q42");

    const Run run = cli(QStringList{"read", "--port", m_radio->devicePath(), "-o", file} + options);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errLines.last().endsWith(lastLine), qPrintable(run.errLines.last()));
    QCOMPARE(QFile::exists(file), exitCode == 0);
    if (exitCode == 0)
        QVERIFY(TestSupport::readFile(file).contains("BAND 400-430MHz\r\n"));
}

// A write puts the file's channels and settings and the administrator into
// the radio.
void TestCli::writeFileIntoRadio()
{
    QVERIFY(startRadio());
    const QByteArray identification = m_radio->image().block(RadioImage::IdentificationAddress);
    const QByteArray band = m_radio->image().block(RadioImage::BandAddress);
    const QString file = makeFile("write.q42", kChannel);

    const Run run = cli({"write", file, "--port", m_radio->devicePath(), "--admin", "ABC"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.errLines.contains(QStringLiteral("writing 100%")));
    // Backed up by default into the user's data folder, and said so.
    const QStringList backups =
        QDir(path("data/KT-700/backups")).entryList({"*_PW-100.q42"}, QDir::Files);
    QCOMPARE(backups.size(), 1);
    QCOMPARE(run.errLines.last(),
             QStringLiteral("backup: ") + path("data/KT-700/backups/") + backups.first());

    const RadioImage &image = m_radio->image();
    QCOMPARE(image.block(RadioImage::channelAddress(1)).toHex().toUpper(),
             QByteArray("462125004671250002F1FFF4FFFCEFFE"));
    QCOMPARE(image.block(RadioImage::channelAddress(2)), QByteArray(16, char(0xFF)));
    // Function block 1 starts with the channel count and the squelch level.
    QVERIFY(
        image.block(RadioImage::FunctionBlock1Address).toHex().toUpper().startsWith("001000FF02"));
    // After the 7 bytes of the time: the name of --admin, not userini.ini's.
    QCOMPARE(image.block(RadioImage::InformationAddress).mid(7).toHex().toUpper(),
             QByteArray("FF414243FFFFFFFF03"));
    QCOMPARE(image.block(RadioImage::IdentificationAddress), identification);
    QCOMPARE(image.block(RadioImage::BandAddress), band);
}

// A radio that stores something else than it acknowledged: exit code 5 with
// the block named. Without backup and read-back, today's write.
void TestCli::writeIsCheckedByReadBack_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("backedUp");
    QTest::newRow("backup and verify") << QStringList() << 5 << true;
    QTest::newRow("own backup folder") << QStringList{"--backup-dir", "MINE"} << 5 << true;
    QTest::newRow("no verify") << QStringList{"--no-verify"} << 0 << true;
    QTest::newRow("neither") << QStringList{"--no-backup", "--no-verify"} << 0 << false;
}

void TestCli::writeIsCheckedByReadBack()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(bool, backedUp);
    options.replaceInStrings("MINE", path("mine")); // the test's own folder exists only now
    QVERIFY(startRadio());
    m_radio->setCorruptWrites(1, VirtualRadio::Repeat::FirstCommands,
                              RadioImage::channelAddress(1));
    const QString file = makeFile("write.q42", kChannel);
    const Run run = cli(QStringList{"write", file, "--port", m_radio->devicePath()} + options);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 5)
        QVERIFY2(run.errLines.last().contains("radio holds something else: channel 1: sent 46"),
                 qPrintable(run.errLines.join('\n')));
    const QString folder =
        options.contains("--backup-dir") ? path("mine") : path("data/KT-700/backups");
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), backedUp ? 1 : 0);
    QCOMPARE(!run.errLines.filter(QRegularExpression("^backup: ")).isEmpty(), backedUp);
}

void TestCli::singlePort_data()
{
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("coMode");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("echo, --single-port")
        << true << QStringList{"--single-port"} << QByteArray("0") << 0;
    QTest::newRow("echo, settings on") << true << QStringList() << QByteArray("1") << 0;
    QTest::newRow("echo taken for answers") << true << QStringList() << QByteArray("0") << 1;
}

// A single-wire cable echoes every byte; the tool removes the echo when
// single-port mode is on, from the command line or the settings.
void TestCli::singlePort()
{
    QFETCH(bool, echo);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, coMode);
    QFETCH(int, exitCode);
    QVERIFY(TestSupport::writeFile(
        path("sysini.ini"), QByteArray(kSystemSettings).replace("co_mode=0", "co_mode=" + coMode)));
    QVERIFY(startRadio());
    m_radio->setSingleWire(echo);
    const QString file = path("single.q42");

    const Run run = cli(QStringList{"read", "--port", m_radio->devicePath(), "-o", file} + options);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QFile::exists(file), exitCode == 0);
}

void TestCli::failures_data()
{
    QTest::addColumn<QStringList>("arguments"); // {dev}: the radio; {dir}: the test folder
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("sent"); // whether the radio heard anything

    const QString dev = "{dev}";
    QTest::newRow("no command") << QStringList() << false << 2 << "no command given" << false;
    QTest::newRow("unknown option") << QStringList{"show", "{dir}/write.q42", "--bogus"} << false
                                    << 2 << "Unknown option 'bogus'" << false;
    QTest::newRow("read without -o")
        << QStringList{"read", "--port", dev} << false << 2 << "read needs the file" << false;
    QTest::newRow("-o for show") << QStringList{"show", "{dir}/write.q42", "-o", "x.q42"} << false
                                 << 2 << "--output does not apply to show" << false;
    QTest::newRow("bad language") << QStringList{"show", "{dir}/write.q42", "--lang", "4"} << false
                                  << 2 << "--lang takes 1, 2 or 3" << false;
    QTest::newRow("bad band") << QStringList{"read",        "--port", dev,      "-o",
                                             "{dir}/o.q42", "--band", "400-470"}
                              << false << 2 << "--band takes a band" << false;
    QTest::newRow("long admin") << QStringList{"write", "{dir}/write.q42", "--port",
                                               dev,     "--admin",         "ABCDEFGH"}
                                << false << 2 << "--admin takes up to 7 ASCII characters" << false;
    QTest::newRow("missing device")
        << QStringList{"read", "--port", "/dev/kt-no-such-device", "-o", "{dir}/o.q42"} << false
        << 3 << "cannot open /dev/kt-no-such-device: " << false;
    QTest::newRow("missing file") << QStringList{"write", "{dir}/none.q42", "--port", dev} << false
                                  << 4 << "none.q42: File not found" << false;
    QTest::newRow("not a number") << QStringList{"show", "{dir}/nan.q42"} << false << 4
                                  << "nan.q42: 'x' is not a valid integer value" << false;
    QTest::newRow("ignored file") << QStringList{"write", "{dir}/ignored.q42", "--port", dev}
                                  << false << 4 << "ignored.q42: not a channel file" << false;
    QTest::newRow("output folder missing")
        << QStringList{"read", "--port", dev, "-o", "{dir}/no/such/o.q42"} << false << 4
        << "Unable to write to" << false;
    QTest::newRow("settings folder missing")
        << QStringList{"show", "{dir}/write.q42", "--config-dir", "{dir}/none"} << false << 4
        << "settings folder" << false;
    QTest::newRow("silent radio") << QStringList{"read", "--port", dev, "-o", "{dir}/o.q42"} << true
                                  << 1 << "read failed on {dev}: no answer to the handshake"
                                  << true;
    QTest::newRow("file for ports") << QStringList{"ports", "{dir}/write.q42"} << false << 2
                                    << "ports takes no file argument" << false;
    QTest::newRow("--port for ports") << QStringList{"ports", "--port", dev} << false << 2
                                      << "--port does not apply to ports" << false;
    QTest::newRow("write refused")
        << QStringList{"write", "{dir}/badfreq.q42", "--port", dev} << false << 1
        << "write refused, nothing was sent: channel 1, column 1: '462.1' is not a frequency"
        << false;
}

// Every failure ends with its exit code and one line on stderr that says
// why; a failed read leaves no file behind.
void TestCli::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, silent);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(bool, sent);

    makeFile("write.q42", kChannel);
    QStringList badFrequency = kChannel;
    badFrequency[0] = "462.1";
    makeFile("badfreq.q42", badFrequency);
    const QByteArray good = TestSupport::readFile(path("write.q42"));
    QVERIFY(TestSupport::writeFile(path("nan.q42"),
                                   QByteArray(good).replace("Squelch 2 2", "Squelch x 2")));
    QVERIFY(TestSupport::writeFile(path("ignored.q42"), "VESQAR MEMORY CHANNEL \r\n" +
                                                            good.mid(good.indexOf('\n') + 1)));
    QVERIFY(startRadio());
    m_radio->setSilent(silent);
    for (QString &argument : arguments) {
        argument.replace("{dev}", m_radio->devicePath());
        argument.replace("{dir}", m_dir->path());
    }
    message.replace("{dev}", m_radio->devicePath());

    const Run run = cli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.errLines.isEmpty());
    const QStringList messages = run.errLines.filter(QRegularExpression("^ktprog-cli: "));
    QCOMPARE(messages.size(), 1);
    QCOMPARE(run.errLines.last(), messages.first());
    QVERIFY2(messages.first().contains(message), qPrintable(messages.first()));
    QCOMPARE(!m_radio->commands().isEmpty(), sent);
    QVERIFY(!QFile::exists(path("o.q42")));
    QVERIFY(run.out.isEmpty());
}

// A stop asked for from the shell ends the read after the step under way,
// still sends the end command (the radio leaves programming mode) and writes
// no file.
void TestCli::interruptedReadEndsProgramming()
{
    QVERIFY(startRadio());
    const QString out = path("stopped.q42");
    const Run run = cli({"read", "--port", m_radio->devicePath(), "-o", out}, 900);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!run.errLines.isEmpty());
    QVERIFY2(run.errLines.last().contains("stopped"), qPrintable(run.errLines.join('\n')));
    QVERIFY(!QFileInfo::exists(out));
    const QStringList commands = m_radio->commandTexts();
    QVERIFY(commands.size() < 24); // handshake, start, 21 reads, end when complete
    QCOMPARE(commands.last(), QStringLiteral("64016F0A"));
    QVERIFY(!m_radio->isProgramming());
}

// [ports] ties COM2 to a pseudo-terminal, COM3 to a link to it (as a stable
// adapter name is), COM5 to a missing device and COM6 to a pseudo-terminal
// another program holds: a line for each, in port order, with the state in
// one column; the system's devices stand for the other numbers, and a number
// without a device has no line.
void TestCli::identify_data()
{
    QTest::addColumn<QString>("radio"); // a band, "silent" or "unknown model"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("bandLine"); // success: stdout's band line; else stderr's end
    QTest::newRow("band in the list") << "400-470MHz" << 0 << "band: 400-470MHz (in the band list)";
    QTest::newRow("band not in the list")
        << "400-430MHz" << 0
        << "band: 400-430MHz (not in the band list: add it with --band or to sysini.ini to read "
           "this radio)";
    QTest::newRow("no band") << "none" << 0
                             << "band: none (FFF-FFFMHz: a radio that was never given a band)";
    QTest::newRow("no radio") << "silent" << 1
                              << "no radio on the port, or the radio is not switched on; last "
                                 "answer: none";
    QTest::newRow("unknown model") << "unknown model" << 1 << "is not one of a known model";
}

// identify asks the radio what it is and writes nothing.
void TestCli::identify()
{
    QFETCH(QString, radio);
    QFETCH(int, exitCode);
    QFETCH(QString, bandLine);
    RadioImage image = RadioImage::sample();
    if (radio == "unknown model")
        image.setModel(9);
    else if (radio != "silent")
        QVERIFY(image.setBand(radio));
    image.setInformation(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), "Ann");
    QVERIFY(startRadio(image));
    m_radio->setSilent(radio == "silent");

    const Run run = cli({"identify", "--port", m_radio->devicePath()});

    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 0)
        QCOMPARE(run.out, "model: PW-100\n" + bandLine +
                              "\nlast write: 2026-01-02  03:04:05\nadministrator: Ann\n");
    else
        QVERIFY2(run.errLines.last().endsWith(bandLine), qPrintable(run.errLines.last()));
    for (const QString &command : m_radio->commandTexts())
        QVERIFY2(!command.startsWith("57"), qPrintable(command));
}

// --trace records each exchange of a command: a write's backup, the write
// and its read-back one after the other; - sends it to stderr; a trace that
// cannot be written stops the command before the radio is talked to.
void TestCli::traceOfEveryExchange()
{
    QVERIFY(startRadio());
    const QString file = makeFile("t.q42", kChannel);
    const QString trace = path("logs/trace.txt");
    Run run = cli({"write", file, "--port", m_radio->devicePath(), "--trace", trace});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines =
        QString::fromUtf8(TestSupport::readFile(trace)).split('\n', Qt::SkipEmptyParts);
    QStringList titles, ends;
    for (const QString &line : lines) {
        if (line.contains(" on " + m_radio->devicePath()))
            titles << line.mid(line.indexOf("--  ") + 4);
        if (line.contains("--  exchange "))
            ends << line.mid(line.indexOf("--  ") + 4);
    }
    QCOMPARE(titles, QStringList({"backup read on " + m_radio->devicePath(),
                                  "write on " + m_radio->devicePath(),
                                  "read-back of the write on " + m_radio->devicePath()}));
    QCOMPARE(ends, QStringList(3, "exchange complete"));
    const qsizetype write = lines.indexOf(QRegularExpression(".*TX  57 12 01 90 .*  write 0190 "
                                                             "\\(channel 1\\)$"));
    QVERIFY(write > 0);
    QVERIFY2(lines.at(write + 1).endsWith("RX  06 00 06  acknowledge"),
             qPrintable(lines.at(write + 1)));

    run = cli({"identify", "--port", m_radio->devicePath(), "--trace", "-"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.errLines.filter(QRegularExpression("ms  TX  02 05 51 55 6D 74 61 7B  handshake$"))
                .size() == 1);

    m_radio->clearCommands();
    QVERIFY(TestSupport::writeFile(path("plain"), "x"));
    run = cli({"identify", "--port", m_radio->devicePath(), "--trace", path("plain/t.txt")});
    QCOMPARE(run.exitCode, 4);
    QVERIFY2(run.errLines.last().contains("cannot write the trace"),
             qPrintable(run.errLines.last()));
    QCOMPARE(m_radio->commands().size(), 0);
}

// fleet writes one file into radio after radio, says where it stands on
// stderr, logs each radio and ends with a summary; a failed radio makes
// the exit code 1.
void TestCli::fleetWritesARowOfRadios()
{
    QVERIFY(startRadio());
    // Longer than the tool's two handshakes a second that tell a radio has gone.
    m_radio->setRowOfRadios(2, 800, 2500);
    QObject::connect(m_radio.get(), &VirtualRadio::radioArrived, m_radio.get(),
                     [this](int n) { m_radio->setCorruptWrites(n == 2 ? 1 : 0); });
    const QString file = makeFile("fleet.q42", kChannel);
    const QString log = path("logs/fleet.csv");

    const Run run = cli({"fleet", file, "--port", m_radio->devicePath(), "--count", "2",
                         "--no-backup", "--log", log, "--admin", "SHOP"});

    QCOMPARE(run.exitCode, 1);
    const QStringList expected = {"waiting for radio 1…", "writing radio 1…",
                                  "radio 1 (PW-100) verified; unplug it", "waiting for radio 2…",
                                  "writing radio 2…"};
    QCOMPARE(run.errLines.mid(0, 5), expected);
    QVERIFY2(run.errLines.value(5).startsWith("radio 2 (PW-100) failed: written, but the radio "
                                              "holds something else"),
             qPrintable(run.errLines.value(5)));
    QCOMPARE(run.errLines.last(),
             "1 written, 1 failed; log in " + QFileInfo(log).absoluteFilePath());
    const QStringList lines =
        QString::fromUtf8(TestSupport::readFile(log)).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines.at(1).contains(",PW-100,400-470MHz,verified,SHOP,"), qPrintable(lines.at(1)));
    QVERIFY2(lines.at(2).contains(",PW-100,400-470MHz,\"failed: "), qPrintable(lines.at(2)));
    QCOMPARE(m_radio->rowImages().size(), 2);
}

// A radio whose VOX sensitivity byte is 00 (no selection) is read, saved,
// opened and written back, and holds 00 again.
void TestCli::voxSensitivityZeroRoundTrips()
{
    RadioImage image = RadioImage::sample();
    QByteArray block = image.block(MemoryMap::FunctionBlock1Address);
    block[13] = 0x00; // VOX sensitivity
    image.write(MemoryMap::FunctionBlock1Address, block);
    QVERIFY(startRadio(image));
    const QString file = path("vox.q42");
    QCOMPARE(cli({"read", "--port", m_radio->devicePath(), "-o", file}).exitCode, 0);
    QVERIFY(TestSupport::readFile(file).contains("VoxSQL -1"));
    block[13] = 0x05;
    m_radio->image().write(MemoryMap::FunctionBlock1Address, block);

    const Run run = cli({"write", file, "--port", m_radio->devicePath(), "--no-backup"});

    QCOMPARE(run.exitCode, 0);
    QCOMPARE(m_radio->image().block(MemoryMap::FunctionBlock1Address).at(13), char(0x00));
}

void TestCli::asciiDigitsInEveryLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("frequency"); // channel 1's receive frequency in the file
    QTest::newRow("Arabic digits") << "ar_EG.UTF-8" << QByteArray("402.12500");
    QTest::newRow("Persian digits") << "fa_IR.UTF-8" << QByteArray("402.12500");
    QTest::newRow("German comma") << "de_DE.UTF-8" << QByteArray("402,12500");
}

// Under a system whose own digits are not ASCII a read saves ASCII digits
// (the separator stays the system's where it is ASCII), and the file is
// shown and written back under the same system.
void TestCli::asciiDigitsInEveryLocale()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, frequency);
    QVERIFY(startRadio());
    m_environment.insert("LC_ALL", locale);
    const QString file = path("locale.q42");

    const Run read = cli({"read", "--port", m_radio->devicePath(), "-o", file});

    QCOMPARE(read.exitCode, 0);
    const QByteArray bytes = TestSupport::readFile(file);
    QVERIFY2(bytes.contains(frequency), bytes.constData());
    QCOMPARE(cli({"show", file}).exitCode, 0);
    QCOMPARE(cli({"write", file, "--port", m_radio->devicePath(), "--no-backup", "--no-verify"})
                 .exitCode,
             0);
}

void TestCli::portsListsEachPortAndItsState()
{
    Pty free;
    Pty held;
    QVERIFY(!free.path().isEmpty() && !held.path().isEmpty());
    const QString link = path("usb-Prolific_USB-Serial-if00-port0");
    QVERIFY(QFile::link(free.path(), link));
    const QString missing = QStringLiteral("/dev/kt-no-such-device");
    HoldingProcess holder(HoldingProcess::Open, held.path());
    QVERIFY(holder.pid() > 0);
    QStringList configured(PortMap::PortCount);
    configured[1] = free.path();
    configured[2] = link;
    configured[4] = missing;
    configured[5] = held.path();
    QByteArray settings = kSystemSettings + "[ports]\r\n";
    for (int index = 0; index < configured.size(); ++index) {
        if (!configured.at(index).isEmpty())
            settings += "com" + QByteArray::number(index + 1) + '=' +
                        configured.at(index).toUtf8() + "\r\n";
    }
    QVERIFY(TestSupport::writeFile(path("sysini.ini"), settings));

    const Run run = cli({"ports"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.errLines.isEmpty(), qPrintable(run.errLines.join('\n')));
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    const PortMap map(configured, PortMap::systemDevices());
    QStringList expectedPorts;
    for (int port = 1; port <= PortMap::PortCount; ++port) {
        if (!map.devicePath(port).isEmpty())
            expectedPorts << PortMap::portName(port);
    }
    QStringList ports;
    for (const QString &line : lines)
        ports << line.section(QLatin1Char(' '), 0, 0);
    QCOMPARE(ports, expectedPorts);

    const auto line = [&lines](int port) {
        return lines.filter(QRegularExpression(QStringLiteral("^COM%1 ").arg(port))).value(0);
    };
    const QString pattern = QStringLiteral("^COM%1 +%2 +- +%3$");
    const auto check = [&](int port, const QString &device, const QString &state) {
        const QRegularExpression expected(pattern.arg(port).arg(QRegularExpression::escape(device),
                                                                QRegularExpression::escape(state)));
        QVERIFY2(expected.match(line(port)).hasMatch(), qPrintable(run.out));
    };
    check(2, free.path(), "can be opened");
    check(3, link, "can be opened");
    check(5, missing, "gone: the device does not exist");
    check(6, held.path(), QStringLiteral("busy: held by sleep (%1)").arg(holder.pid()));
    // The device and the state start in the same column on every line.
    const qsizetype deviceColumn = line(2).indexOf(QLatin1Char('/'));
    const qsizetype stateColumn = line(2).indexOf(QLatin1String("can be opened"));
    for (const QString &each : lines)
        QCOMPARE(each.indexOf(QLatin1Char('/')), deviceColumn);
    QCOMPARE(line(3).indexOf(QLatin1String("can be opened")), stateColumn);
    QCOMPARE(line(5).indexOf(QLatin1String("gone: ")), stateColumn);
    QCOMPARE(line(6).indexOf(QLatin1String("busy: ")), stateColumn);
}

// Without [ports], the ports are the system's own devices, whatever this
// machine has: a line for each, or one line saying there is none. A listing
// ends with exit code 0 either way.
void TestCli::portsOfThisMachine()
{
    const QStringList system = PortMap::systemDevices().mid(0, PortMap::PortCount);
    const Run run = cli({"ports"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.errLines.isEmpty());
    if (system.isEmpty()) {
        QCOMPARE(run.out, QStringLiteral("no serial port found\n"));
        return;
    }
    const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), system.size());
    for (int index = 0; index < system.size(); ++index) {
        const QRegularExpression start(QStringLiteral("^COM%1 +%2  ")
                                           .arg(index + 1)
                                           .arg(QRegularExpression::escape(system.at(index))));
        QVERIFY2(start.match(lines.at(index)).hasMatch(), qPrintable(lines.at(index)));
    }
}

void TestCli::portsStateWording_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("holder"); // "name pid", "pid" or empty for none
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("text");

    using State = PortReport::State;
    QTest::newRow("free") << int(State::Free) << ""
                          << ""
                          << ""
                          << "can be opened";
    QTest::newRow("held by a named program") << int(State::Busy) << "minicom 1234"
                                             << "held by minicom (1234)"
                                             << ""
                                             << "busy: held by minicom (1234)";
    QTest::newRow("held by a process without a name") << int(State::Busy) << "1234"
                                                      << "held by process 1234"
                                                      << ""
                                                      << "busy: held by process 1234";
    QTest::newRow("in exclusive use, holder not seen")
        << int(State::Busy) << ""
        << "Device or resource busy"
        << ""
        << "busy: in exclusive use by another program (Device or resource busy)";
    QTest::newRow("no permission")
        << int(State::NoPermission) << ""
        << "Permission denied"
        << "dialout"
        << "no permission: join the dialout group (sudo adduser $USER dialout, then log in again)";
    QTest::newRow("no permission, the device's own group")
        << int(State::NoPermission) << ""
        << "Permission denied"
        << "uucp"
        << "no permission: join the uucp group (sudo adduser $USER uucp, then log in again)";
    QTest::newRow("gone") << int(State::Gone) << ""
                          << "No such file or directory"
                          << ""
                          << "gone: the device does not exist";
    QTest::newRow("other failure") << int(State::Failed) << ""
                                   << "Inappropriate ioctl for device"
                                   << ""
                                   << "cannot be opened: Inappropriate ioctl for device";
}

// The last column says whether the device can be opened and, if not, why,
// with what the user can do about it.
void TestCli::portsStateWording()
{
    QFETCH(int, state);
    QFETCH(QString, holder);
    QFETCH(QString, reason);
    QFETCH(QString, group);
    QFETCH(QString, text);
    PortReport report;
    report.port = 1;
    report.devicePath = QStringLiteral("/dev/ttyUSB0");
    report.adapter = {report.devicePath, QStringLiteral("USB-Serial Controller"),
                      QStringLiteral("Prolific Technology Inc."), 0x067b, 0x2303};
    report.state = PortReport::State(state);
    if (!holder.isEmpty()) {
        const QStringList words = holder.split(QLatin1Char(' '));
        report.holder =
            PortHolder{words.size() > 1 ? words.first() : QString(), words.last().toLongLong()};
    }
    report.reason = reason;
    report.accessGroup = group;
    QCOMPARE(PortsCommand::format({report}),
             QStringLiteral("COM1  /dev/ttyUSB0  USB-Serial Controller, Prolific Technology Inc., "
                            "USB 067b:2303  ") +
                 text + QLatin1Char('\n'));
}

// Each column is as wide as its longest entry; an adapter the system tells
// nothing of shows as "-". No port at all gives one line.
void TestCli::portsColumnsLineUp()
{
    QCOMPARE(PortsCommand::format({}), QStringLiteral("no serial port found\n"));

    PortReport first;
    first.port = 1;
    first.devicePath = QStringLiteral("/dev/ttyUSB0");
    first.adapter = {first.devicePath, QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
                     0x0403, 0x6001};
    first.state = PortReport::State::Free;
    PortReport second;
    second.port = 12;
    second.devicePath = QStringLiteral("/dev/serial/by-id/usb-FTDI-if00-port0");
    second.state = PortReport::State::Gone;
    QCOMPARE(PortsCommand::format({first, second}),
             QStringLiteral("COM1   /dev/ttyUSB0                           "
                            "FT232R USB UART, FTDI, USB 0403:6001  can be opened\n"
                            "COM12  /dev/serial/by-id/usb-FTDI-if00-port0  "
                            "-                                     gone: the device does not "
                            "exist\n"));
}

// export writes the channels of a channel file as a CHIRP CSV list; import
// makes a channel file of it with the band and words of the settings, and
// the columns the list does not carry at the new-channel defaults.
void TestCli::exportThenImportAChannelFile()
{
    const QString file = makeFile("list.q42", kChannel);
    const Run exported = cli({"export", file, "-o", path("list.csv")});
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.errLines, QStringList());
    const QList<QByteArray> lines = TestSupport::readFile(path("list.csv")).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(1),
             QByteArray("1,,462.125000,+,5.000000,Cross,88.5,67.0,023,NN,023,->Tone,FM,"
                        "5.00,,High,,,,,\r"));

    const Run imported = cli({"import", path("list.csv"), "-o", path("back.q42")});
    QCOMPARE(imported.exitCode, 0);
    QCOMPARE(imported.errLines, QStringList());
    Workspace back;
    back.bands().add("400-470MHz");
    QVERIFY(ChannelFile::open(back, path("back.q42")));
    QCOMPARE(back.bands().currentText(), QStringLiteral("400-470MHz"));
    QStringList cells;
    for (int column = 1; column < CT::ColumnCount; ++column)
        cells << back.channels().cell(column, 1);
    QCOMPARE(cells, kChannel.mid(0, 7) + QStringList({"OFF", "ON", "OFF", "OFF"}));
    QCOMPARE(back.channels().cell(CT::RxFrequency, 2), QString());
}

void TestCli::importProblemsAndStrict_data()
{
    QTest::addColumn<QStringList>("arguments"); // {csv}: the fixtures; {dir}: the test folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("problemLines");
    QTest::addColumn<QString>("lastLine"); // its end; empty: no line beyond the problems

    const QStringList problems = {"import", "{csv}/problems.csv", "-o", "{dir}/out.q42"};
    const QStringList modes = {"import", "{csv}/modes.csv", "-o", "{dir}/out.q42"};
    QTest::newRow("rows left out") << problems << 0 << true << 17 << QString();
    QTest::newRow("--strict") << problems + QStringList{"--strict"} << 4 << false << 17
                              << "problems.csv: 17 problem(s) and --strict: no file was written";
    QTest::newRow("--strict, a clean list")
        << modes + QStringList{"--strict"} << 0 << true << 0 << QString();
    QTest::newRow("--band leaves no row")
        << modes + QStringList{"--band", "136-174MHz"} << 4 << false << 16
        << "modes.csv: no row can be imported; no file was written";
    QTest::newRow("not a list") << QStringList{"import", "{dir}/list.q42", "-o", "{dir}/out.q42"}
                                << 4 << false << 0
                                << "list.q42: This is not a CHIRP channel list: its first line "
                                   "names no Frequency column; nothing was imported";
    QTest::newRow("missing list") << QStringList{"import", "{dir}/none.csv", "-o", "{dir}/out.q42"}
                                  << 4 << false << 0 << "none.csv: File not found";
    QTest::newRow("import without -o")
        << QStringList{"import", "{csv}/modes.csv"} << 2 << false << 0
        << "import needs the file to create: -o FILE.q42"
           " (see ktprog-cli --help)";
    QTest::newRow("--strict for export")
        << QStringList{"export", "{dir}/list.q42", "-o", "{dir}/out.csv", "--strict"} << 2 << false
        << 0 << "--strict does not apply to export (see ktprog-cli --help)";
}

// Each problem of a list is one line on stderr, naming the file and line; the
// channel file holds the other rows, unless --strict (exit code 4, no file).
void TestCli::importProblemsAndStrict()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(bool, written);
    QFETCH(int, problemLines);
    QFETCH(QString, lastLine);
    makeFile("list.q42", kChannel);
    arguments.replaceInStrings("{csv}", TestSupport::dataPath("csv"));
    arguments.replaceInStrings("{dir}", m_dir->path());

    const Run run = cli(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QFile::exists(path("out.q42")) || QFile::exists(path("out.csv")), written);
    const QStringList problems =
        run.errLines.filter(QRegularExpression("^/.*\\.csv: line [0-9]+: "));
    QCOMPARE(problems.size(), problemLines);
    QCOMPARE(run.errLines.size(), problemLines + (lastLine.isEmpty() ? 0 : 1));
    if (!lastLine.isEmpty())
        QVERIFY2(run.errLines.last().endsWith(lastLine), qPrintable(run.errLines.last()));
    if (problemLines == 17) {
        QCOMPARE(problems.first(), TestSupport::dataPath("csv/problems.csv") +
                                       ": line 3: 146.520 MHz lies outside the band "
                                       "400-470MHz; the row is left out");
    }
    if (written) {
        Workspace out;
        QVERIFY(ChannelFile::open(out, path("out.q42")));
        QCOMPARE(out.channels().cell(CT::RxFrequency, 16),
                 problemLines ? QStringLiteral("441.40000") : QStringLiteral("451.00000"));
        QCOMPARE(out.channels().cell(CT::Power, 16), problemLines ? "High" : "Low");
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
