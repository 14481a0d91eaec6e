#include "core/programming/FleetRun.h"
#include "core/radio/MemoryMap.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"
#include "sim/VirtualRadio.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Ending = FleetRun::Ending;

namespace
{

// The configuration every radio of the row gets: channel 1 on 438.5 MHz.
void prepare(Workspace &ws)
{
    ws.bands().add(QStringLiteral("400-470MHz"));
    ws.bands().setCurrentIndex(0);
    ws.channels().labelRows();
    ws.setAdministrator(QStringLiteral("ABC"));
    ChannelTable &table = ws.channels();
    table.setCurrentCell(1, 1);
    table.setCell(1, 1, QStringLiteral("438.5"));
    table.sendallcell();
}

// A row of radios on a pseudo-terminal and the program's side: the
// workspace, the link and the fleet run, quick to poll, writing without a
// backup (the backup is the write's own business, tested with it).
struct Rig {
    QTemporaryDir dir;
    VirtualRadio radio;
    Workspace ws;
    SerialLink link;
    FleetRun run{link, ws};
    QString log = dir.filePath(QStringLiteral("fleet-log.csv"));

    explicit Rig(int radios, int count)
    {
        if (!radio.start())
            qFatal("no pseudo-terminal: %s", qPrintable(radio.errorString()));
        radio.setRowOfRadios(radios, 800, 800);
        prepare(ws);
        FleetRun::Options options;
        options.write.backup = false;
        options.count = count;
        options.logPath = log;
        options.portName = QStringLiteral("COM1");
        options.pollMs = 200;
        run.setOptions(options);
    }

    Ending go() { return run.run(radio.devicePath()); }

    QStringList logLines() const
    {
        return QString::fromUtf8(TestSupport::readFile(log))
            .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
};

// The fields of one CSV line: quoted fields may hold commas and "" quotes.
QStringList csvFields(const QString &line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted && c == QLatin1Char('"') && i + 1 < line.size() &&
            line.at(i + 1) == QLatin1Char('"'))
            fields.last() += line.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

QByteArray channel1(const RadioImage &image)
{
    return image.block(quint16(MemoryMap::channelAddress(1)));
}

} // namespace

// Programming a row of radios one after another against the virtual radio's
// row: each written, checked, logged, and waited out before the next.
class TestFleetRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesEachRadioOfTheRow_data()
    {
        QTest::addColumn<int>("badRadio"); // 0: none
        QTest::newRow("three radios verified") << 0;
        QTest::newRow("radio 2 stores something else") << 2;
    }
    void writesEachRadioOfTheRow()
    {
        QFETCH(int, badRadio);
        Rig rig(3, 3);
        // The fault hits one radio of the row only.
        QObject::connect(&rig.radio, &VirtualRadio::radioArrived, &rig.radio, [&](int number) {
            rig.radio.setCorruptWrites(number == badRadio ? 1 : 0,
                                       VirtualRadio::Repeat::FirstCommands,
                                       MemoryMap::channelAddress(1));
        });
        QStringList states;
        QObject::connect(&rig.run, &FleetRun::stateChanged, &rig.run,
                         [&](FleetRun::State state, int number) {
                             states << QStringLiteral("%1:%2").arg(int(state)).arg(number);
                         });

        QCOMPARE(rig.go(), Ending::Done);

        // Waiting, writing and leaving for each radio in turn.
        QCOMPARE(states,
                 QStringList({"0:1", "1:1", "2:1", "0:2", "1:2", "2:2", "0:3", "1:3", "2:3"}));
        QCOMPARE(rig.run.radios().size(), 3);
        QCOMPARE(rig.run.failedCount(), badRadio ? 1 : 0);
        // Every radio of the row got its own write; the third left after it.
        QCOMPARE(rig.radio.rowImages().size(), 3);
        const QStringList lines = rig.logLines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.first(), QString::fromLatin1(FleetLog::header()));
        for (int number = 1; number <= 3; ++number) {
            const QStringList fields = csvFields(lines.at(number));
            QCOMPARE(fields.size(), 7);
            QVERIFY(QDateTime::fromString(fields.at(0), QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                        .isValid());
            QCOMPARE(fields.at(1), QStringLiteral("COM1"));
            QCOMPARE(fields.at(2), QStringLiteral("PW-100"));
            QCOMPARE(fields.at(3), QStringLiteral("400-470MHz"));
            QCOMPARE(fields.at(5), QStringLiteral("ABC"));
            QCOMPARE(fields.at(6), QString()); // no backup asked for
            if (number == badRadio) {
                QVERIFY2(fields.at(4).startsWith(
                             QStringLiteral("failed: written, but the radio holds something "
                                            "else: channel 1: sent 43850000")),
                         qPrintable(fields.at(4)));
                QVERIFY(channel1(rig.radio.rowImages().at(number - 1)) !=
                        channel1(rig.radio.rowImages().at(0)));
            } else {
                QCOMPARE(fields.at(4), QStringLiteral("verified"));
                QCOMPARE(channel1(rig.radio.rowImages().at(number - 1)).toHex().left(8),
                         QByteArray("43850000"));
            }
        }
    }

    // A stop while waiting ends the run at once with nothing but handshakes
    // sent; a stop while writing ends the write after its step, with the
    // radio taken out of programming mode, and logs that radio as failed.
    void stopping_data()
    {
        QTest::addColumn<bool>("whileWriting");
        QTest::newRow("while waiting") << false;
        QTest::newRow("while writing") << true;
    }
    void stopping()
    {
        QFETCH(bool, whileWriting);
        Rig rig(1, 0);
        if (!whileWriting)
            rig.radio.setSilent(true);
        QObject::connect(&rig.run, &FleetRun::stateChanged, &rig.run,
                         [&](FleetRun::State state, int) {
                             if ((state == FleetRun::State::Writing) == whileWriting)
                                 QTimer::singleShot(700, &rig.run, [&] { rig.run.requestStop(); });
                         });
        QElapsedTimer timer;
        timer.start();

        QCOMPARE(rig.go(), Ending::Stopped);

        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!rig.radio.isProgramming());
        const QStringList commands = rig.radio.commandTexts();
        if (!whileWriting) {
            QVERIFY(commands.size() >= 2);
            QCOMPARE(commands.filter(QRegularExpression(QStringLiteral("^020551556D7461"))).size(),
                     commands.size());
            QCOMPARE(rig.logLines(), QStringList{QString::fromLatin1(FleetLog::header())});
            return;
        }
        QVERIFY2(commands.last().startsWith(QStringLiteral("64016F")), qPrintable(commands.last()));
        const QStringList lines = rig.logLines();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.at(1).contains(QStringLiteral(",failed: stopped on request")),
                 qPrintable(lines.at(1)));
    }

    // An existing log gets its lines appended, with no second header.
    void existingLogIsAppendedTo()
    {
        Rig rig(1, 1);
        const QByteArray before = QByteArray(FleetLog::header()) +
                                  "\r\n2026-12-01 09:00:00,COM2,R5,400-470MHz,verified,ZED,\r\n";
        QVERIFY(TestSupport::writeFile(rig.log, before));
        QCOMPARE(rig.go(), Ending::Done);
        const QByteArray after = TestSupport::readFile(rig.log);
        QVERIFY(after.startsWith(before));
        QCOMPARE(rig.logLines().size(), 3);
        QVERIFY(rig.logLines().at(2).contains(QStringLiteral(",PW-100,400-470MHz,verified,ABC,")));
    }

    // A configuration the radio cannot take, or a log that cannot be
    // written, ends the run before any radio is touched.
    void nothingSentWhenItCannotStart_data()
    {
        QTest::addColumn<bool>("badCell");
        QTest::newRow("cell the radio cannot take") << true;
        QTest::newRow("log cannot be written") << false;
    }
    void nothingSentWhenItCannotStart()
    {
        QFETCH(bool, badCell);
        Rig rig(1, 1);
        if (badCell) {
            rig.ws.channels().setCell(2, 1, QStringLiteral("99.9"));
        } else {
            QVERIFY(TestSupport::writeFile(rig.dir.filePath(QStringLiteral("plain")), "x"));
            FleetRun::Options options = rig.run.options();
            options.logPath = rig.dir.filePath(QStringLiteral("plain/log.csv"));
            rig.run.setOptions(options);
        }
        QCOMPARE(rig.go(), badCell ? Ending::Refused : Ending::LogError);
        QCOMPARE(rig.radio.commands().size(), 0);
        QCOMPARE(rig.run.problems().isEmpty(), !badCell);
        QCOMPARE(rig.run.logError().isEmpty(), badCell);
    }
};

QTEST_GUILESS_MAIN(TestFleetRun)
#include "tst_fleetrun.moc"
