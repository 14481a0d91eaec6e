#include "core/base/AppError.h"
#include "core/workspace/SettingsStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace TestSupport;

// The two settings files as start-up and shut-down see them: defaults,
// the first-installation copy read from beside the program, where writes go.
class TestSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsWithoutFiles()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        const SystemSettings s = store.readSystem();
        QCOMPARE(s.port, 1);
        QCOMPARE(s.singlePort, false);
        QCOMPARE(s.modelIndex, 0);
        QCOMPARE(s.language, 1);
        QCOMPARE(s.bands, QStringList());
        QCOMPARE(s.bandIndex, 0);
        QCOMPARE(s.safeWrites, true);
        QCOMPARE(s.fastTransfer, false);
        QCOMPARE(store.readAdministrator(), QString());
    }

    // The program's own switches come back as they were written.
    void writeSwitchesRoundTrip_data()
    {
        QTest::addColumn<bool>("safe");
        QTest::addColumn<bool>("fast");
        QTest::newRow("safe, not fast") << true << false;
        QTest::newRow("fast, not safe") << false << true;
    }
    void writeSwitchesRoundTrip()
    {
        QFETCH(bool, safe);
        QFETCH(bool, fast);
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        SystemSettings settings = store.readSystem();
        settings.safeWrites = safe;
        settings.fastTransfer = fast;
        store.writeSystem(settings);
        const SystemSettings read = store.readSystem();
        QCOMPARE(read.safeWrites, safe);
        QCOMPARE(read.fastTransfer, fast);
    }

    // Until the writable folder has its own file, the one beside the program
    // is read; writing never touches that one.
    void firstInstallationCopyIsReadNotWritten()
    {
        QTemporaryDir user;
        QTemporaryDir program;
        const QByteArray shipped = "[open]\r\nlang=2\r\n[list]\r\nlistcount=2\r\n"
                                   "combo0=400-470MHz\r\ncombo1=400-430MHz\r\nlistnow=0\r\n";
        QVERIFY(writeFile(program.filePath(QStringLiteral("sysini.ini")), shipped));
        const SettingsStore store(user.path(), program.path());
        SystemSettings s = store.readSystem();
        QCOMPARE(s.bands, (QStringList{"400-470MHz", "400-430MHz"}));
        QCOMPARE(s.language, 2);

        s.bandIndex = 1;
        store.writeSystem(s);
        QCOMPARE(readFile(program.filePath(QStringLiteral("sysini.ini"))), shipped);
        QCOMPARE(store.readSystem().bandIndex, 1);
        QCOMPARE(store.systemFilePath(), QDir(user.path()).filePath(QStringLiteral("sysini.ini")));
    }

    // The first write carries the first installation's file over whole, so
    // its port mapping and comments live on in the user's own file, run
    // after run.
    void firstWriteCarriesWholeFileOver()
    {
        QTemporaryDir user;
        QTemporaryDir program;
        const QByteArray shipped = "; shipped with the program\r\n[open]\r\nlang=1\r\n"
                                   "[ports]\r\ncom2=/dev/serial/by-id/usb-cable\r\n";
        QVERIFY(writeFile(program.filePath(QStringLiteral("sysini.ini")), shipped));
        for (int run = 1; run <= 2; ++run) {
            const SettingsStore store(user.path(), program.path());
            SystemSettings s = store.readSystem();
            QCOMPARE(s.portDevices.at(1), QStringLiteral("/dev/serial/by-id/usb-cable"));
            s.port = run + 2;
            store.writeSystem(s);
        }
        const QByteArray own = readFile(user.filePath(QStringLiteral("sysini.ini")));
        QVERIFY2(own.startsWith("; shipped with the program\r\n[open]\r\nlang=1\r\ncom=4\r\n"),
                 own.constData());
        QVERIFY2(own.contains("\r\n[ports]\r\ncom2=/dev/serial/by-id/usb-cable\r\n"),
                 own.constData());
        QCOMPARE(readFile(program.filePath(QStringLiteral("sysini.ini"))), shipped);
    }

    // Lines the program does not own come back byte for byte, GBK text
    // included; only the program's own keys change.
    void unownedLinesComeBackByteForByte()
    {
        QTemporaryDir dir;
        const QByteArray gbkComment = "; \xb6\xd4\xbd\xb2\xbb\xfa\r\n";      // "对讲机"
        const QByteArray other = "[other]\r\nnote=\xd6\xd0\xce\xc4\r\n\r\n"; // "中文"
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")),
                          gbkComment + "[open]\r\ncom=3\r\nco_mode=0\r\nM_type=0\r\n" +
                              "lang=1\r\n\r\n" + other + "[list]\r\nlistnow=0\r\nlistcount=0\r\n"));
        const SettingsStore store(dir.path());
        SystemSettings s = store.readSystem();
        s.port = 7;
        s.bands = QStringList{QStringLiteral("400-470MHz")};
        store.writeSystem(s);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("sysini.ini"))),
                 gbkComment + "[open]\r\ncom=7\r\nco_mode=0\r\nM_type=0\r\nlang=1\r\n\r\n" + other +
                     "[list]\r\nlistnow=0\r\nlistcount=1\r\ncombo0=400-470MHz\r\n\r\n[write]"
                     "\r\nsafe=1\r\nfast=0\r\n");
    }

    // The administrator is never taken from beside the program: a settings
    // folder of one's own starts without one.
    void administratorOnlyFromOwnFolder()
    {
        QTemporaryDir user;
        QTemporaryDir program;
        QVERIFY(
            writeFile(program.filePath(QStringLiteral("userini.ini")), "[User]\r\nname=Ann\r\n"));
        const SettingsStore store(user.path(), program.path());
        QCOMPARE(store.readAdministrator(), QString());
        store.writeAdministrator(QStringLiteral("Bob"));
        QCOMPARE(store.readAdministrator(), QStringLiteral("Bob"));
        QCOMPARE(readFile(program.filePath(QStringLiteral("userini.ini"))),
                 QByteArray("[User]\r\nname=Ann\r\n"));
    }

    // Missing band keys read as the default band; a damaged count cannot
    // flood the list.
    void bandList_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("bands");
        QTest::newRow("missing key") << QByteArray("[list]\nlistcount=2\ncombo1=136-174MHz\n")
                                     << QStringList{"400-470MHz", "136-174MHz"};
        QTest::newRow("negative count")
            << QByteArray("[list]\nlistcount=-4\ncombo0=x\n") << QStringList{};
        QTest::newRow("keys beyond the count ignored")
            << QByteArray("[list]\nlistcount=1\ncombo0=400-430MHz\ncombo1=x\n")
            << QStringList{"400-430MHz"};
    }
    void bandList()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, bands);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")), file));
        QCOMPARE(SettingsStore(dir.path()).readSystem().bands, bands);
    }

    void hugeBandCountIsCut()
    {
        QTemporaryDir dir;
        QVERIFY(
            writeFile(dir.filePath(QStringLiteral("sysini.ini")), "[list]\nlistcount=99999999\n"));
        QCOMPARE(SettingsStore(dir.path()).readSystem().bands.size(), SettingsStore::MaxBands);
    }

    void chosenPortsAddMissingKeys_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<int>>("chosen"); // ports tied to "/dev/serial/by-id/usb-<n>"
        QTest::addColumn<QStringList>("ports"); // "[ports]" com1 to com16 after the write

        const QString adapter = QStringLiteral("/dev/serial/by-id/usb-%1");
        auto ports = [](const QList<std::pair<int, QString>> &set) {
            QStringList list(16);
            for (const auto &[port, path] : set)
                list[port - 1] = path;
            return list;
        };
        QTest::newRow("no ports section")
            << QByteArray("[open]\r\ncom=2\r\n") << QList<int>{2} << ports({{2, adapter.arg(2)}});
        QTest::newRow("a key the file has stays")
            << QByteArray("[ports]\r\ncom1=/dev/ttyS4\r\n") << QList<int>{1, 3}
            << ports({{1, "/dev/ttyS4"}, {3, adapter.arg(3)}});
        QTest::newRow("an empty key is filled") << QByteArray("[ports]\r\ncom16=\r\n")
                                                << QList<int>{16} << ports({{16, adapter.arg(16)}});
        QTest::newRow("nothing chosen") << QByteArray("[ports]\r\ncom5=/dev/ttyS4\r\n")
                                        << QList<int>{} << ports({{5, "/dev/ttyS4"}});
    }

    // Ports the user tied to an adapter get their "[ports]" key at
    // shut-down, but never replace one the file has.
    void chosenPortsAddMissingKeys()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<int>, chosen);
        QFETCH(QStringList, ports);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")), file));
        const SettingsStore store(dir.path());
        SystemSettings settings = store.readSystem();
        for (int port : chosen)
            settings.chosenPortDevices[port - 1] =
                QStringLiteral("/dev/serial/by-id/usb-%1").arg(port);
        store.writeSystem(settings);
        QCOMPARE(store.readSystem().portDevices, ports);
    }

    void cleanName_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("clean");
        QTest::newRow("blanks") << "  Bob "
                                << "Bob";
        QTest::newRow("control characters") << "\t\x01"
                                               "Ann\r\n"
                                            << "Ann";
        QTest::newRow("inner blank kept") << " A B "
                                          << "A B";
        QTest::newRow("only blanks") << " \t "
                                     << "";
    }
    void cleanName()
    {
        QFETCH(QString, raw);
        QFETCH(QString, clean);
        QCOMPARE(SettingsStore::cleanName(raw), clean);
    }

    void administratorRoundTripAndWriteFailure()
    {
        QTemporaryDir dir;
        const SettingsStore store(dir.path());
        store.writeAdministrator(QStringLiteral(" Ann "));
        QCOMPARE(store.readAdministrator(), QStringLiteral("Ann"));

        const SettingsStore nowhere(dir.filePath(QStringLiteral("missing")));
        try {
            nowhere.writeAdministrator(QStringLiteral("Ann"));
            QFAIL("no error");
        } catch (const AppError &error) {
            QCOMPARE(error.message(),
                     QStringLiteral("Unable to write to ") + nowhere.userFilePath());
        }
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
