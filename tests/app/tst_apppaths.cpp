#include "core/base/AppError.h"
#include "core/base/AppPaths.h"
#include "core/workspace/SettingsStore.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::writeFile;

// Where the program keeps its settings and finds its data, for a program in
// its build tree and for an installed one (<prefix>/bin beside
// <prefix>/share/ktprog), and how the settings store reads the shipped
// settings until the user has their own.
class TestAppPaths : public QObject
{
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_userConfig;

    QString makeDir(const QString &relative)
    {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(path);
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The per-user folder is the program's name under the user's
        // configuration folder: here one of the test's own.
        QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root.filePath(QStringLiteral("config"))));
        m_userConfig = m_root.filePath(QStringLiteral("config/KT-700"));
    }

    // A build tree keeps everything beside the program.
    void buildTree()
    {
        const QString bin = makeDir(QStringLiteral("build/bin"));
        const AppPaths::Layout layout = AppPaths::layoutFor(bin);
        QVERIFY(!layout.installed);
        QCOMPARE(layout.settingsDir, bin);
        QCOMPARE(layout.firstInstallationDir, bin);
        QCOMPARE(layout.languageDirs, QStringList{bin});
    }

    // An installed program keeps the user's settings in the per-user folder
    // even where it could write beside itself (as root in /usr/bin), and
    // reads the shipped settings and languages from its data folder.
    void installed_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("/usr") << "usr";
        QTest::newRow("/usr/local") << "usr/local";
        QTest::newRow("a prefix of one's own") << "opt/kt";
    }
    void installed()
    {
        QFETCH(QString, prefix);
        const QString bin = makeDir(prefix + QStringLiteral("/bin"));
        const QString data = makeDir(prefix + QStringLiteral("/share/ktprog"));
        QVERIFY(writeFile(data + QStringLiteral("/sysini.ini"), "[list]\nlistcount=0\n"));
        const AppPaths::Layout layout = AppPaths::layoutFor(bin);
        QVERIFY(layout.installed);
        QCOMPARE(layout.dataDir, data);
        QCOMPARE(layout.settingsDir, m_userConfig);
        QCOMPARE(layout.firstInstallationDir, data);
        QCOMPARE(layout.languageDirs, QStringList{data + QStringLiteral("/lang")});
    }

    // A bin folder without the shipped settings beside it is no installation.
    void binWithoutDataIsNoInstallation()
    {
        const QString bin = makeDir(QStringLiteral("bare/bin"));
        makeDir(QStringLiteral("bare/share/ktprog"));
        QVERIFY(!AppPaths::layoutFor(bin).installed);
    }

    // The shipped settings are read until the user has a sysini.ini of their
    // own; from then on only theirs, which started as a copy of the shipped
    // one. The same for a settings folder named on the command line.
    void shippedSettingsUntilTheUserHasTheirs_data()
    {
        QTest::addColumn<bool>("configDir");
        QTest::newRow("per-user folder") << false;
        QTest::newRow("--config-dir") << true;
    }
    void shippedSettingsUntilTheUserHasTheirs()
    {
        QFETCH(bool, configDir);
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        const QString data = root.filePath(QStringLiteral("usr/share/ktprog"));
        QDir().mkpath(bin);
        QDir().mkpath(data);
        QVERIFY(
            writeFile(data + QStringLiteral("/sysini.ini"),
                      "[list]\nlistnow=0\nlistcount=2\ncombo0=136-174MHz\ncombo1=400-470MHz\n"));
        const AppPaths::Layout layout = AppPaths::layoutFor(bin);
        QVERIFY(layout.installed);
        const QString dir = configDir ? root.filePath(QStringLiteral("mine")) : layout.settingsDir;
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        const SettingsStore store(dir, layout.firstInstallationDir);

        SystemSettings settings = store.readSystem();
        QCOMPARE(settings.bands, QStringList({"136-174MHz", "400-470MHz"}));
        QVERIFY(!QFile::exists(dir + QStringLiteral("/sysini.ini")));

        settings.bands = QStringList{"400-430MHz"};
        store.writeSystem(settings);
        QVERIFY(QFile::exists(dir + QStringLiteral("/sysini.ini")));
        QVERIFY(!QFile::exists(bin + QStringLiteral("/sysini.ini")));
        QCOMPARE(store.readSystem().bands, QStringList{"400-430MHz"});
        // The shipped file is never written.
        QVERIFY(TestSupport::readFile(data + QStringLiteral("/sysini.ini")).contains("136-174MHz"));
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
