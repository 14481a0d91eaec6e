#include "core/radio/SerialLink.h"
#include "sim/RadioImage.h"
#include "sim/VirtualRadio.h"
#include "support/ProtocolTexts.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <QTest>

#include <memory>

namespace
{

const QString garbage = QStringLiteral("E51A00FF3C");

using namespace ProtocolTexts;

QByteArray bytesOf(const QString &hex)
{
    return QByteArray::fromHex(hex.toLatin1());
}

char xorOf(const QByteArray &bytes)
{
    char check = 0;
    for (const char byte : bytes)
        check ^= byte;
    return check;
}

QString addressHex(quint16 address)
{
    return QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

QString readCommand(quint16 address)
{
    return QStringLiteral("5203") + addressHex(address) + QStringLiteral("10");
}

// The whole answer to a read of the block at the address.
QString readAnswer(const RadioImage &image, quint16 address)
{
    const QByteArray answer =
        bytesOf(QStringLiteral("57") + addressHex(address) + QStringLiteral("10")) +
        image.block(address);
    return hexOf(answer + xorOf(answer));
}

// The answer with its bytes before the check byte lengthened by zeros
// (change > 0) or cut short (change < 0), and a check byte that fits.
QString resized(const QString &answer, int change)
{
    QByteArray bytes = bytesOf(answer).chopped(1);
    bytes = change > 0 ? bytes + QByteArray(change, '\0') : bytes.chopped(-change);
    return hexOf(bytes + xorOf(bytes));
}

QString spoiledCheck(const QString &answer)
{
    QByteArray bytes = bytesOf(answer);
    bytes.back() = char(bytes.back() ^ 0xFF);
    return hexOf(bytes);
}

// The virtual radio with a serial link to it, opened on its device.
struct Bench {
    VirtualRadio radio;
    SerialLink link;
    bool singlePort = false;

    Bench()
    {
        link.setSinglePortSource([this] { return singlePort; });
    }
    bool open() { return radio.start() && link.open(radio.devicePath()); }
    QString step(const QString &command, int waitMs = 100)
    {
        link.SendFrame(command, waitMs);
        return link.RxHex();
    }
};

enum class Fault {
    None,
    BusyStart,
    BusyHandshake,
    BusyEveryRead,
    GarbageRead,
    GarbageEveryWrite,
    BadCheckRead,
    LongRead,
    ShortRead,
    BusyBeforeGarbage,
    Silent,
    SingleWire,
};

} // namespace

Q_DECLARE_METATYPE(Fault)

// The virtual radio that tests and benchmarks run the program against: its
// answers and each of its misbehaviours as the program's serial link sees
// them, its memory image, and the ktprog-radio tool.
class TestVirtualRadio : public QObject
{
    Q_OBJECT

    const RadioImage sample = RadioImage::sample();
    const QString readId = readCommand(RadioImage::IdentificationAddress);
    const QString idAnswer = readAnswer(sample, RadioImage::IdentificationAddress);
    const QString readBand = readCommand(RadioImage::BandAddress);
    const QString bandAnswer = readAnswer(sample, RadioImage::BandAddress);
    const QString writeChannel1 = QStringLiteral("57120190"
                                                 "4621250046712500"
                                                 "02F102F5FFFE7FFE");

private Q_SLOTS:
    // Each row: a fault, then commands and the receive text each one leaves.
    void faultsSeenThroughTheLink_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("received");

        const QStringList opening{handshake, start};
        const QStringList opened{handshakeAnswer, acknowledge};
        RadioImage written = sample;
        written.write(0x0190, bytesOf(writeChannel1.mid(8)));
        QTest::newRow("well-behaved") << Fault::None << opening + QStringList{readId, readBand, end}
                                      << opened + QStringList{idAnswer, bandAnswer, QString()};
        QTest::newRow("busy start, twice")
            << Fault::BusyStart << QStringList{handshake, start, start, start, readId}
            << QStringList{handshakeAnswer, busy, busy, acknowledge, idAnswer};
        QTest::newRow("busy handshake")
            << Fault::BusyHandshake << QStringList{handshake, handshake, start}
            << QStringList{busy, handshakeAnswer, acknowledge};
        QTest::newRow("busy every read, once in a row")
            << Fault::BusyEveryRead << opening + QStringList{readId, readId, readBand, readBand}
            << opened + QStringList{busy, idAnswer, busy, bandAnswer};
        QTest::newRow("garbage once") << Fault::GarbageRead << opening + QStringList{readId, readId}
                                      << opened + QStringList{garbage, idAnswer};
        // A write answered with garbage is not stored: the read shows the
        // memory as it was until the write is served.
        QTest::newRow("garbage to every write, twice in a row")
            << Fault::GarbageEveryWrite
            << opening + QStringList{writeChannel1, writeChannel1, readCommand(0x0190),
                                     writeChannel1, readCommand(0x0190)}
            << opened + QStringList{garbage, garbage, readAnswer(sample, 0x0190), acknowledge,
                                    readAnswer(written, 0x0190)};
        QTest::newRow("bad check once")
            << Fault::BadCheckRead << opening + QStringList{readId, readId}
            << opened + QStringList{spoiledCheck(idAnswer), idAnswer};
        QTest::newRow("long answer once")
            << Fault::LongRead << opening + QStringList{readId, readId}
            << opened + QStringList{resized(idAnswer, VirtualRadio::LengthFaultBytes), idAnswer};
        QTest::newRow("short answer once")
            << Fault::ShortRead << opening + QStringList{readId, readId}
            << opened + QStringList{resized(idAnswer, -VirtualRadio::LengthFaultBytes), idAnswer};
        QTest::newRow("busy wins over garbage, garbage keeps its turn")
            << Fault::BusyBeforeGarbage << opening + QStringList{readId, readId, readId}
            << opened + QStringList{busy, garbage, idAnswer};
        QTest::newRow("silence") << Fault::Silent << opening + QStringList{readId}
                                 << QStringList{QString(), QString(), QString()};
        // The echo comes back ahead of the answer; with the program's
        // single-port mode off it stays in the receive text.
        QTest::newRow("single-wire echo")
            << Fault::SingleWire << QStringList{handshake, start, end}
            << QStringList{QStringLiteral("020551556D74617B") + handshakeAnswer,
                           QStringLiteral("060006") + acknowledge, QStringLiteral("64016F0A")};
    }
    void faultsSeenThroughTheLink()
    {
        QFETCH(Fault, fault);
        QFETCH(QStringList, commands);
        QFETCH(QStringList, received);

        Bench bench;
        VirtualRadio &radio = bench.radio;
        switch (fault) {
        case Fault::None:
            break;
        case Fault::BusyStart:
            radio.setBusy(2, VirtualRadio::Start);
            break;
        case Fault::BusyHandshake:
            radio.setBusy(1, VirtualRadio::Handshake);
            break;
        case Fault::BusyEveryRead:
            radio.setBusy(1, VirtualRadio::Read, VirtualRadio::Repeat::EveryCommand);
            break;
        case Fault::GarbageRead:
            radio.setGarbage(1, VirtualRadio::Read);
            break;
        case Fault::GarbageEveryWrite:
            radio.setGarbage(2, VirtualRadio::Write, VirtualRadio::Repeat::EveryCommand);
            break;
        case Fault::BadCheckRead:
            radio.setBadCheck(1);
            break;
        case Fault::LongRead:
            radio.setLongAnswers(1);
            break;
        case Fault::ShortRead:
            radio.setShortAnswers(1);
            break;
        case Fault::BusyBeforeGarbage:
            radio.setBusy(1, VirtualRadio::Read);
            radio.setGarbage(1, VirtualRadio::Read);
            break;
        case Fault::Silent:
            radio.setSilent(true);
            break;
        case Fault::SingleWire:
            radio.setSingleWire(true);
            break;
        }
        QVERIFY(bench.open());
        QStringList seen;
        for (const QString &command : commands)
            seen << bench.step(command);
        QCOMPARE(seen, received);
        // The radio heard every command whole, whatever it answered.
        QCOMPARE(radio.commands().size(), commands.size());
        for (int i = 0; i < commands.size(); ++i)
            QCOMPARE(radio.commandTexts().at(i).chopped(2), commands.at(i).toUpper());
    }

    // The bad check byte is the answer's own one, spoiled: the link's check
    // fails for it and passes for the next answer.
    void badCheckFailsTheLinksCheck()
    {
        Bench bench;
        bench.radio.setBadCheck(1);
        QVERIFY(bench.open());
        bench.step(handshake);
        bench.step(start);
        bench.step(readId);
        QVERIFY(bench.link.RxHex().startsWith(QLatin1String("57")));
        QVERIFY(!bench.link.CheckAnswer());
        bench.step(readId);
        QVERIFY(bench.link.CheckAnswer());
    }

    // The single-wire echo with the program's single-port mode on: the link
    // removes it and sees the answers alone, on a line at 9600 bit/s too.
    void singleWireEchoRemovedInSinglePortMode()
    {
        Bench bench;
        bench.singlePort = true;
        bench.radio.setSingleWire(true);
        bench.radio.setPacing(true);
        QVERIFY(bench.open());
        QCOMPARE(bench.step(handshake, 80), handshakeAnswer);
        QCOMPARE(bench.step(start, 70), acknowledge);
        QCOMPARE(bench.step(readId), idAnswer);
    }

    // At 9600 bit/s a block read's 6 bytes out and 21 bytes back take about
    // 28 ms; the answer cannot be complete sooner.
    void pacingTakesTheLineTime()
    {
        Bench bench;
        QVERIFY(bench.open());
        bench.step(handshake);
        bench.step(start);
        bench.radio.setPacing(true);
        QElapsedTimer timer;
        timer.start();
        bench.link.SendFrame(readId, 0);
        QTRY_COMPARE_WITH_TIMEOUT(bench.link.RxHex(), idAnswer, 2000);
        const qint64 minimumMs = 27 * VirtualRadio::ByteNanoseconds / 1000000;
        QVERIFY2(timer.elapsed() >= minimumMs, qPrintable(QString::number(timer.elapsed())));
    }

    // The radio handling its bytes late (its process held up mid-frame)
    // is no gap on the line: the frame stays whole and is answered.
    void radioHeldUpMidFrame()
    {
        Bench bench;
        bench.radio.setPacing(true);
        QVERIFY(bench.open());
        bench.link.SendFrame(handshake, 0);
        // The handshake takes 8 ms on the line; hold everything up after 4.
        QTimer::singleShot(4, Qt::PreciseTimer, this, [] { QThread::msleep(150); });
        bench.link.SysDelay(400);
        QCOMPARE(bench.link.RxHex(), handshakeAnswer);
    }

    // An answer sent after the step's wait belongs to the next step's
    // receive text, ahead of that step's own answer.
    void lateAnswerLandsInTheNextStep()
    {
        Bench bench;
        bench.radio.setAnswerDelay(150);
        QVERIFY(bench.open());
        QCOMPARE(bench.step(handshake, 80), QString());
        QCOMPARE(bench.step(handshake, 220), handshakeAnswer + handshakeAnswer);
    }

    // The protocol's modes: nothing but the handshake is answered before
    // it, reads and writes need the start of programming, the end leaves
    // programming. Writes are stored, the short write of 5 bytes too.
    void programmingMode()
    {
        Bench bench;
        QVERIFY(bench.open());
        VirtualRadio &radio = bench.radio;
        QCOMPARE(bench.step(start), QString());
        QCOMPARE(bench.step(readId), QString());
        QCOMPARE(bench.step(handshake), handshakeAnswer);
        QVERIFY(!radio.isProgramming());
        QCOMPARE(bench.step(readId), QString());
        QCOMPARE(bench.step(start), acknowledge);
        QVERIFY(radio.isProgramming());

        QCOMPARE(bench.step(writeChannel1), acknowledge);
        QCOMPARE(radio.image().block(0x0190), bytesOf(writeChannel1.mid(8)));
        QCOMPARE(bench.step(QStringLiteral("570700200F12233405")), acknowledge);
        QCOMPARE(radio.image().block(0x0020),
                 bytesOf(QStringLiteral("0F12233405")) + sample.block(0x0020).mid(5));
        QCOMPARE(bench.step(readCommand(0x0020)), readAnswer(radio.image(), 0x0020));

        QCOMPARE(bench.step(end), QString());
        QVERIFY(!radio.isProgramming());
        QCOMPARE(bench.step(readId), QString());
        QCOMPARE(bench.step(writeChannel1.left(8) + QString(32, QLatin1Char('F'))), QString());
        QCOMPARE(radio.image().block(0x0190), bytesOf(writeChannel1.mid(8)));
    }

    // Bytes that do not make a good frame: a wrong check byte is heard and
    // not answered; a frame left unfinished is dropped after 100 ms and the
    // next frame is understood.
    void brokenFramesFromTheProgram()
    {
        VirtualRadio radio;
        QVERIFY(radio.start());
        QSerialPort port(radio.devicePath());
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        const auto exchange = [&](const QByteArray &bytes, int waitMs) {
            port.write(bytes);
            QTest::qWait(waitMs);
            return hexOf(port.readAll());
        };
        QCOMPARE(exchange(bytesOf(QStringLiteral("020551556D74617C")), 100), QString());
        QCOMPARE(radio.commandTexts(), QStringList{QStringLiteral("020551556D74617C")});
        QCOMPARE(exchange(bytesOf(QStringLiteral("02055155")), 200), QString());
        QCOMPARE(exchange(bytesOf(QStringLiteral("020551556D74617B")), 100), handshakeAnswer);
        QCOMPARE(radio.commands().size(), 2);
    }

    // Vanishing on a chosen command: that command is heard, not answered;
    // the device goes away for the link, which notices it in its wait.
    void vanishAfterCommands()
    {
        Bench bench;
        bench.radio.setVanishAfter(2);
        QSignalSpy vanished(&bench.radio, &VirtualRadio::vanished);
        QVERIFY(bench.open());
        const QString device = bench.radio.devicePath();
        QCOMPARE(bench.step(handshake), handshakeAnswer);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(bench.step(start, 3000), QString());
        QVERIFY(timer.elapsed() < 2000);
        QCOMPARE(vanished.count(), 1);
        QVERIFY(!bench.radio.isRunning());
        QCOMPARE(bench.radio.devicePath(), device);
        QCOMPARE(bench.radio.commands().size(), 2);
        QVERIFY(bench.link.isLost());
        QVERIFY(!bench.link.isOpen());
    }

    // Vanishing by hand between steps: the link finds out in its next wait.
    void vanishBetweenSteps()
    {
        Bench bench;
        QVERIFY(bench.open());
        QCOMPARE(bench.step(handshake), handshakeAnswer);
        bench.radio.vanish();
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(bench.step(start, 3000), QString());
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY(bench.link.isLost());
        // Starting again gives a new device with programming to begin anew.
        QVERIFY(bench.open());
        QVERIFY(!bench.link.isLost());
        QCOMPARE(bench.step(start), QString());
        QCOMPARE(bench.step(handshake), handshakeAnswer);
    }

    void imageSaveAndLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("radio.img"));
        RadioImage image = RadioImage::sample();
        image.write(0xFFF8, bytesOf(QStringLiteral("0102030405060708090A")));
        QString error;
        QVERIFY2(image.save(path, &error), qPrintable(error));
        QCOMPARE(QFileInfo(path).size(), qint64(RadioImage::Size));
        RadioImage loaded;
        QVERIFY2(loaded.load(path, &error), qPrintable(error));
        QCOMPARE(loaded.bytes(), image.bytes());
        // The write wrapped at the end of the memory.
        QCOMPARE(loaded.read(0xFFFE, 4), bytesOf(QStringLiteral("0708090A")));
    }

    void imageLoadRules()
    {
        QTemporaryDir dir;
        const QString shortFile = dir.filePath(QStringLiteral("short.img"));
        const QString longFile = dir.filePath(QStringLiteral("long.img"));
        {
            QFile file(shortFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(20, char(0x11)));
            QFile big(longFile);
            QVERIFY(big.open(QIODevice::WriteOnly));
            big.write(QByteArray(RadioImage::Size + 1, char(0x22)));
        }
        RadioImage image = RadioImage::sample();
        QString error;
        QVERIFY(image.load(shortFile, &error));
        QCOMPARE(image.read(0, 20), QByteArray(20, char(0x11)));
        QCOMPARE(image.bytes().mid(20), QByteArray(RadioImage::Size - 20, char(0xFF)));

        const RadioImage before = image;
        QVERIFY(!image.load(longFile, &error));
        QVERIFY(!error.isEmpty());
        error.clear();
        QVERIFY(!image.load(dir.filePath(QStringLiteral("missing.img")), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(image.bytes(), before.bytes());
        QVERIFY(!image.save(dir.filePath(QStringLiteral("no/such/folder/x.img")), &error));
    }

    void imageFields_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("bandBytes");
        QTest::newRow("400-470MHz") << "400-470MHz" << true << "47004000";
        QTest::newRow("without MHz") << "136-174" << true << "17401360";
        QTest::newRow("400-430mhz") << "400-430mhz" << true << "43004000";
        QTest::newRow("none") << "none" << true << "FFFFFFFF";
        QTest::newRow("FFF-FFFMHz") << "FFF-FFFMHz" << true << "FFFFFFFF";
        QTest::newRow("two digits refused") << "40-470MHz" << false << "47004000";
        QTest::newRow("text refused") << "UHF" << false << "47004000";
    }
    void imageFields()
    {
        QFETCH(QString, band);
        QFETCH(bool, accepted);
        QFETCH(QString, bandBytes);
        RadioImage image = RadioImage::sample();
        QCOMPARE(image.setBand(band), accepted);
        QCOMPARE(hexOf(image.block(RadioImage::BandAddress)),
                 bandBytes + QString(24, QLatin1Char('F')));

        image.setModel(1);
        QCOMPARE(hexOf(image.block(RadioImage::IdentificationAddress).left(8)),
                 QStringLiteral("4B542D010100FF06"));
        image.setInformation(QDateTime(QDate(2009, 3, 15), QTime(14, 5, 9)), QStringLiteral("ABC"));
        QCOMPARE(hexOf(image.block(RadioImage::InformationAddress)),
                 QStringLiteral("20090315140509FF414243FFFFFFFF03"));
        image.setInformation(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 0)),
                             QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(hexOf(image.block(RadioImage::InformationAddress)),
                 QStringLiteral("20241231235900FF4142434445464707"));
    }

    // A radio served from a loaded image answers from that image.
    void servesALoadedImage()
    {
        RadioImage image;
        image.setModel(1);
        image.write(0x0280, bytesOf(QStringLiteral("00112233445566778899AABBCCDDEEFF")));
        Bench bench;
        bench.radio.setImage(image);
        QVERIFY(bench.open());
        bench.step(handshake);
        bench.step(start);
        QCOMPARE(bench.step(readId), readAnswer(image, RadioImage::IdentificationAddress));
        QCOMPARE(bench.step(readCommand(0x0280)), readAnswer(image, 0x0280));
        QCOMPARE(bench.step(readCommand(RadioImage::BandAddress)),
                 readAnswer(image, RadioImage::BandAddress));
    }

    void toolHelp()
    {
        QProcess tool;
        tool.start(QStringLiteral(KT_RADIO_TOOL), {QStringLiteral("--help")});
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        const QString help = QString::fromLocal8Bit(tool.readAllStandardOutput());
        for (const char *option :
             {"--image", "--save", "--model", "--band", "--single-wire", "--pace", "--busy",
              "--garbage", "--bad-check", "--long-answer", "--short-answer", "--corrupt-write",
              "--corrupt-address", "--silent", "--vanish-after", "--row", "--stay", "--gap"})
            QVERIFY2(help.contains(QLatin1String(option)), option);
    }

    void toolRefusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("model 2") << QStringList{"--model", "2"} << "--model";
        QTest::newRow("band") << QStringList{"--band", "4000"} << "--band";
        QTest::newRow("busy count") << QStringList{"--busy", "x"} << "--busy";
        QTest::newRow("long answer count") << QStringList{"--long-answer", "-1"} << "--long-answer";
        QTest::newRow("negative delay") << QStringList{"--delay", "-5"} << "--delay";
        QTest::newRow("row count") << QStringList{"--row", "many"} << "--row";
        QTest::newRow("negative gap") << QStringList{"--row", "2", "--gap", "-1"} << "--gap";
        QTest::newRow("corrupt address")
            << QStringList{"--corrupt-write", "1", "--corrupt-address", "zz"} << "--corrupt-write";
        QTest::newRow("fault steps")
            << QStringList{"--busy", "1", "--fault-steps", "reed"} << "--fault-steps";
        QTest::newRow("missing image")
            << QStringList{"--image", "/nonexistent/kt.img"} << "ktprog-radio:";
    }
    void toolRefusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcess tool;
        tool.start(QStringLiteral(KT_RADIO_TOOL), arguments);
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardOutput().isEmpty());
        const QString error = QString::fromLocal8Bit(tool.readAllStandardError());
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // The tool prints its device, serves the image it was given with the
    // model asked for, and saves what was written when it is ended.
    void toolServesAndSaves()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.img"));
        const QString out = dir.filePath(QStringLiteral("out.img"));
        QVERIFY(RadioImage::sample().save(in));

        QProcess tool;
        tool.start(QStringLiteral(KT_RADIO_TOOL),
                   {QStringLiteral("--image"), in, QStringLiteral("--save"), out,
                    QStringLiteral("--model"), QStringLiteral("1"), QStringLiteral("--band"),
                    QStringLiteral("136-174MHz")});
        QVERIFY(tool.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(tool.canReadLine(), 10000);
        const QString device = QString::fromLocal8Bit(tool.readLine()).trimmed();
        QVERIFY2(device.startsWith(QLatin1String("/dev/")), qPrintable(device));
        QVERIFY(QFileInfo::exists(device));

        SerialLink link;
        QVERIFY2(link.open(device), qPrintable(link.errorString()));
        link.SendFrame(handshake, 100);
        QCOMPARE(link.RxHex(), handshakeAnswer);
        link.SendFrame(start, 100);
        link.SendFrame(readId, 100);
        QCOMPARE(link.RxHex().mid(8, 16), QStringLiteral("4B542D010100FF06"));
        link.SendFrame(readBand, 100);
        QCOMPARE(link.RxHex().mid(8, 8), QStringLiteral("17401360"));
        link.SendFrame(writeChannel1, 100);
        QCOMPARE(link.RxHex(), acknowledge);
        link.close();

        tool.terminate();
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        RadioImage saved;
        QVERIFY(saved.load(out));
        QCOMPARE(saved.block(0x0190), bytesOf(writeChannel1.mid(8)));
        QCOMPARE(hexOf(saved.block(RadioImage::IdentificationAddress).left(8)),
                 QStringLiteral("4B542D010100FF06"));
        QCOMPARE(saved.block(0x01A0), RadioImage::sample().block(0x01A0));
    }

    // A tool told to vanish ends by itself once it has, and says so.
    void toolVanishes()
    {
        QProcess tool;
        tool.start(QStringLiteral(KT_RADIO_TOOL),
                   {QStringLiteral("--vanish-after"), QStringLiteral("1")});
        QTRY_VERIFY_WITH_TIMEOUT(tool.canReadLine(), 10000);
        const QString device = QString::fromLocal8Bit(tool.readLine()).trimmed();
        SerialLink link;
        QVERIFY(link.open(device));
        link.SendFrame(handshake, 3000);
        QVERIFY(link.RxHex().isEmpty());
        // The link's wait runs the event loop, so the end may be seen there.
        QTRY_COMPARE_WITH_TIMEOUT(tool.state(), QProcess::NotRunning, 10000);
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(tool.readAllStandardError())
                    .contains(QLatin1String("vanished after 1 commands")));
        QVERIFY(link.isLost());
    }
};

QTEST_GUILESS_MAIN(TestVirtualRadio)
#include "tst_virtualradio.moc"
