#include "core/files/ChannelFile.h"
#include "core/programming/BackupFolder.h"
#include "core/programming/SafeWrite.h"
#include "core/radio/Exchange.h"
#include "core/radio/MemoryMap.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"
#include "sim/VirtualRadio.h"

#include "support/ProtocolTexts.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Result = Exchange::Result;
using FS = FunctionSettings;

Q_DECLARE_METATYPE(Exchange::Result)

namespace
{

const QDateTime kNow(QDate(2026, 12, 10), QTime(14, 5, 9));

// A workspace as the program has it: the band list of the settings, numbered rows.
void prepare(Workspace &ws)
{
    ws.bands().add(QStringLiteral("400-470MHz"));
    ws.bands().setCurrentIndex(0);
    ws.channels().labelRows();
    ws.setAdministrator(QStringLiteral("ABC"));
}

// Every channel cell and function setting as text lines, for comparing two
// workspaces.
QStringList configuration(const Workspace &ws)
{
    QStringList lines;
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row) {
        QStringList cells;
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            cells << ws.channels().cell(column, row);
        lines << cells.join(QLatin1Char('|'));
    }
    for (int list = 0; list < FS::ListCount; ++list)
        lines << QStringLiteral("%1=%2")
                     .arg(FS::key(FS::List(list)))
                     .arg(ws.functions().index(FS::List(list)));
    for (int check = 0; check < FS::CheckCount; ++check)
        lines << QStringLiteral("%1=%2")
                     .arg(FS::key(FS::Check(check)))
                     .arg(ws.functions().isChecked(FS::Check(check)));
    lines << QStringLiteral("Key Time=%1").arg(ws.functions().keyTimePosition());
    return lines;
}

// The blocks a write puts into the radio: channels and the two function blocks.
QByteArray writtenArea(const VirtualRadio &radio)
{
    QByteArray bytes;
    for (int row = 1; row <= ChannelTable::MaxChannels; ++row)
        bytes += radio.image().block(quint16(MemoryMap::channelAddress(row)));
    bytes += radio.image().block(MemoryMap::FunctionBlock1Address);
    bytes += radio.image().block(MemoryMap::FunctionBlock2Address).left(5);
    return bytes;
}

bool sentAWrite(const VirtualRadio &radio)
{
    for (const QString &frame : radio.commandTexts()) {
        if (frame.startsWith(QLatin1String("57")))
            return true;
    }
    return false;
}

} // namespace

// A write with a backup before and a read-back after, end to end through a
// real serial port and the virtual radio.
class TestSafeWrite : public QObject
{
    Q_OBJECT

    struct Bench {
        VirtualRadio radio;
        Workspace ws;
        SerialLink link{[this] { return ws.singlePort(); }};
        SafeWrite safe{link, ws};
        QTemporaryDir backups;

        explicit Bench(const RadioImage &image = RadioImage::sample())
        {
            radio.setImage(image);
            prepare(ws);
            SafeWrite::Options options;
            options.backupDir = backups.path();
            safe.setOptions(options);
            safe.setClock([] { return kNow; });
        }
        bool start() { return radio.start(); }
        // The configuration to write: the example channel file.
        bool load() { return ChannelFile::open(ws, TestSupport::dataPath("files/example.q42")); }
        Result run() { return safe.run(radio.devicePath()); }
        // What a plain read of the radio gives now.
        std::unique_ptr<Workspace> readBack()
        {
            link.close(); // as the dialog closes the port after a run
            auto read = std::make_unique<Workspace>();
            prepare(*read);
            SerialLink readLink([] { return false; });
            Exchange exchange(readLink, *read);
            if (exchange.run(Exchange::Direction::Read, radio.devicePath()) != Result::Success)
                return nullptr;
            return read;
        }
    };

private Q_SLOTS:
    // The backup is an ordinary channel file of what the radio held; the
    // radio then holds the configuration written; and writing the backup
    // back puts the radio as it was.
    void writeBacksUpAndVerifies()
    {
        Bench b;
        QVERIFY(b.start());
        const QByteArray before = writtenArea(b.radio);
        const std::unique_ptr<Workspace> original = b.readBack();
        QVERIFY(original);
        QVERIFY(b.load());
        QList<SafeWrite::Phase> phases;
        connect(&b.safe, &SafeWrite::phaseChanged, this,
                [&phases](SafeWrite::Phase phase) { phases << phase; });
        int lastProgress = -1;
        bool monotonic = true;
        connect(&b.safe, &SafeWrite::progressChanged, this, [&](int value, int maximum) {
            monotonic = monotonic && value >= lastProgress && maximum == 100;
            lastProgress = value;
        });

        QCOMPARE(b.run(), Result::Success);
        QCOMPARE(phases, (QList<SafeWrite::Phase>{SafeWrite::Phase::Backup, SafeWrite::Phase::Write,
                                                  SafeWrite::Phase::Verify}));
        QVERIFY(monotonic);
        QCOMPARE(lastProgress, 100);
        QCOMPARE(b.safe.backupPath(),
                 QDir(b.backups.path()).filePath(QStringLiteral("2026-12-10_14-05-09_PW-100.q42")));
        QVERIFY(!b.safe.backupIsRaw());

        Workspace fromBackup;
        prepare(fromBackup);
        QVERIFY(ChannelFile::open(fromBackup, b.safe.backupPath()));
        QCOMPARE(configuration(fromBackup), configuration(*original));
        const std::unique_ptr<Workspace> now = b.readBack();
        QVERIFY(now);
        // The channels as written (not every setting comes back as it was
        // set: the radio keeps only what its blocks carry).
        QCOMPARE(configuration(*now).mid(0, ChannelTable::MaxChannels),
                 configuration(b.ws).mid(0, ChannelTable::MaxChannels));
        QVERIFY(writtenArea(b.radio) != before);

        // The backup written back restores the radio.
        Bench restore;
        restore.radio.setImage(b.radio.image());
        QVERIFY(restore.start());
        QVERIFY(ChannelFile::open(restore.ws, b.safe.backupPath()));
        QCOMPARE(restore.run(), Result::Success);
        const std::unique_ptr<Workspace> restored = restore.readBack();
        QVERIFY(restored);
        QCOMPARE(configuration(*restored), configuration(*original));
    }

    // A radio that acknowledges but stores something else: the read-back
    // names each block that differs.
    void corruptedWriteIsAMismatch_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("channel 3 once")
            << MemoryMap::channelAddress(3) << 1 << QStringList{QStringLiteral("channel 3: sent ")};
        QTest::newRow("function block 1") << int(MemoryMap::FunctionBlock1Address) << 1
                                          << QStringList{QStringLiteral("function block 1: ")};
        QTest::newRow("every write")
            << -1 << 1000
            << QStringList{QStringLiteral("channel 1: "), QStringLiteral("channel 16: "),
                           QStringLiteral("function block 2: "),
                           QStringLiteral("information block: ")};
    }
    void corruptedWriteIsAMismatch()
    {
        QFETCH(int, address);
        QFETCH(int, count);
        QFETCH(QStringList, named);
        Bench b;
        QVERIFY(b.start());
        QVERIFY(b.load());
        b.radio.setCorruptWrites(count, VirtualRadio::Repeat::FirstCommands, address);
        QCOMPARE(b.run(), Result::Mismatch);
        QCOMPARE(b.safe.phase(), SafeWrite::Phase::Verify);
        const QString text = b.safe.failureText();
        QVERIFY2(text.startsWith(QLatin1String("written, but the radio holds something else: ")),
                 qPrintable(text));
        for (const QString &name : named)
            QVERIFY2(text.contains(name), qPrintable(text));
        QCOMPARE(b.safe.mismatches().size(), count == 1 ? 1 : 19);
        // The first data byte differs in bit 0: "sent 46…, radio holds 47…".
        const QString first = b.safe.mismatches().first();
        QVERIFY2(first.contains(QStringLiteral("…, radio holds ")), qPrintable(first));
        QVERIFY(!b.safe.backupPath().isEmpty());
    }

    // A backup that cannot be taken leaves the radio as it was: no write
    // is sent.
    void failedBackupWritesNothing()
    {
        Bench b;
        QVERIFY(b.start());
        QVERIFY(b.load());
        b.radio.setGarbage(1000, VirtualRadio::Read);
        QCOMPARE(b.run(), Result::Failed);
        QCOMPARE(b.safe.phase(), SafeWrite::Phase::Backup);
        QVERIFY(!sentAWrite(b.radio));
        QVERIFY(b.safe.backupPath().isEmpty());
        QVERIFY2(b.safe.failureText().startsWith(
                     QLatin1String("the backup read before the write failed, nothing was written: "
                                   "no valid answer to the identification read")),
                 qPrintable(b.safe.failureText()));
        QVERIFY(QDir(b.backups.path()).isEmpty());
    }

    // A radio whose band is not in the band list, or that has none yet,
    // cannot be kept as a channel file: its raw blocks are. The write goes
    // on; a radio without a band refuses the write itself.
    void radioOutsideTheBandListGetsRawBackup_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<Exchange::Result>("result");
        QTest::newRow("band not in the list") << "136-174MHz" << Result::Success;
        QTest::newRow("no band yet") << "none" << Result::Failed;
    }
    void radioOutsideTheBandListGetsRawBackup()
    {
        QFETCH(QString, band);
        QFETCH(Exchange::Result, result);
        RadioImage image = RadioImage::sample();
        QVERIFY(image.setBand(band));
        Bench b(image);
        QVERIFY(b.start());
        QVERIFY(b.load());
        const RadioImage before = b.radio.image();
        QCOMPARE(b.run(), result);
        QVERIFY(b.safe.backupIsRaw());
        QVERIFY(b.safe.backupPath().endsWith(QLatin1String("_PW-100.blocks.txt")));
        const QMap<int, QString> blocks = BackupFolder::loadBlocks(b.safe.backupPath());
        QCOMPARE(blocks.size(), 3 + 16 + 2);
        for (const int address : blocks.keys())
            QCOMPARE(blocks.value(address),
                     ProtocolTexts::hexOf(before.block(quint16(address))).toUpper());
        QCOMPARE(sentAWrite(b.radio), result == Result::Success);
    }

    // The newest 200 backups stay; the oldest goes once the new one is on
    // disk. Other files in the folder are left alone.
    void oldestBackupGoesBeyond200()
    {
        Bench b;
        QVERIFY(b.start());
        QVERIFY(b.load());
        const QDir dir(b.backups.path());
        for (int i = 0; i < 200; ++i) {
            const QDateTime when = QDateTime(QDate(2025, 1, 1), QTime(0, 0)).addSecs(i * 60);
            QVERIFY(TestSupport::writeFile(
                BackupFolder::newPath(dir.path(), when, QStringLiteral("R5"),
                                      i % 2 ? BackupFolder::ChannelFileSuffix
                                            : BackupFolder::BlocksFileSuffix),
                "x"));
        }
        QVERIFY(TestSupport::writeFile(dir.filePath(QStringLiteral("notes.txt")), "mine"));
        QCOMPARE(b.run(), Result::Success);
        const QStringList names = dir.entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), 201);
        QVERIFY(!names.contains(QStringLiteral("2025-01-01_00-00-00_R5.blocks.txt")));
        QVERIFY(names.contains(QStringLiteral("2025-01-01_00-01-00_R5.q42")));
        QVERIFY(names.contains(QStringLiteral("2026-12-10_14-05-09_PW-100.q42")));
        QVERIFY(names.contains(QStringLiteral("notes.txt")));
    }

    // Without backup and read-back the write is today's, frame for frame.
    void withoutBackupAndVerifyTheWriteIsUnchanged()
    {
        Bench plain;
        QVERIFY(plain.start());
        QVERIFY(plain.load());
        SerialLink link([] { return false; });
        Exchange exchange(link, plain.ws);
        exchange.setClock([] { return kNow; });
        QCOMPARE(exchange.run(Exchange::Direction::Write, plain.radio.devicePath()),
                 Result::Success);

        Bench safe;
        QVERIFY(safe.start());
        QVERIFY(safe.load());
        SafeWrite::Options options;
        options.backup = false;
        options.verify = false;
        options.backupDir = safe.backups.path();
        safe.safe.setOptions(options);
        QCOMPARE(safe.run(), Result::Success);
        QCOMPARE(safe.radio.commandTexts(), plain.radio.commandTexts());
        QVERIFY(safe.safe.backupPath().isEmpty());
        QVERIFY(QDir(safe.backups.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSafeWrite)
#include "tst_safewrite.moc"
