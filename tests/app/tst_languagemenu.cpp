#include "core/base/StringTable.h"
#include "core/workspace/LanguageSwitch.h"
#include "gui/ChildWindow.h"
#include "gui/Program.h"
#include "gui/TMainForm.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace TestSupport;

// The language as the user meets it: applied at start-up from the saved
// number, switched from the menu, with the check mark and the saved number
// following the choice.
class TestLanguageMenu : public QObject
{
    Q_OBJECT

    static StringTable language(int number)
    {
        return *StringTable::load(
            StringTable::find(LanguageSwitch::startupBaseName(number), {languageDir()}));
    }

    static std::unique_ptr<Program> start(const QTemporaryDir &dir, const QByteArray &sysini,
                                          const QStringList &languageDirs = {languageDir()})
    {
        writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n");
        writeFile(dir.filePath(QStringLiteral("sysini.ini")), sysini);
        auto program = std::make_unique<Program>(SettingsStore(dir.path()), languageDirs);
        program->mainForm()->show();
        return program;
    }

    static QAction *action(Program &p, const char *name)
    {
        return p.mainForm()->findChild<QAction *>(QLatin1String(name));
    }

    static QString statusBar(Program &p)
    {
        return p.mainForm()->statusBar()->findChild<QLabel *>(QStringLiteral("StatusBar1"))->text();
    }

    static QString fileMenu(Program &p)
    {
        return p.mainForm()->menuBar()->actions().first()->text();
    }

    static QString checkedItems(Program &p)
    {
        QString checked;
        for (const char *item : {"N5", "N6", "N7"})
            if (action(p, item)->isChecked())
                checked += QLatin1String(item);
        return checked;
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void startUpAppliesTheSavedLanguage()
    {
        QTemporaryDir dir;
        auto program = start(dir, "[open]\nlang=2\n");
        const StringTable english = language(2);
        QCOMPARE(checkedItems(*program), QStringLiteral("N6"));
        QCOMPARE(fileMenu(*program), english.text(9));
        QCOMPARE(action(*program, "CutItem")->text(), english.text(17));
        QCOMPARE(action(*program, "About1")->text(), english.text(1) + QStringLiteral("..."));
        QCOMPARE(statusBar(*program), QStringLiteral("     ") + english.text(61));
        QCOMPARE(program->mainForm()->readButtonText(), english.text(53));
        QCOMPARE(program->mainForm()->channelWindow()->windowTitle(), english.text(19));
        QCOMPARE(program->mainForm()->functionWindow()->windowTitle(), english.text(20));
        QCOMPARE(program->workspace().channels().cell(1, 0), english.text(26));
        // The status line of the radio information window uses the applied label.
        QCOMPARE(program->workspace().info().statusText(),
                 QStringLiteral("  ") + english.text(159) + QStringLiteral("：Ann"));
        closeDiscarding(program->mainForm());
    }

    // "lang" 0 or 4 applies no language and marks no menu item.
    void noLanguageForOtherNumbers_data()
    {
        QTest::addColumn<QByteArray>("sysini");
        QTest::newRow("0") << QByteArray("[open]\nlang=0\n");
        QTest::newRow("4") << QByteArray("[open]\nlang=4\n");
    }
    void noLanguageForOtherNumbers()
    {
        QFETCH(QByteArray, sysini);
        QTemporaryDir dir;
        auto program = start(dir, sysini);
        QCOMPARE(checkedItems(*program), QString());
        QCOMPARE(program->workspace().languageNumber(), 0);
        QCOMPARE(statusBar(*program), QStringLiteral("    VESQAR调频手持对讲机KT-100系列编程软件"));
        QCOMPARE(program->workspace().channels().cell(1, 0), QString());
        QCOMPARE(fileMenu(*program), QStringLiteral("文件"));
        closeDiscarding(program->mainForm());
        QVERIFY(QString::fromUtf8(readFile(dir.filePath(QStringLiteral("sysini.ini"))))
                    .contains(QStringLiteral("lang=0")));
    }

    void menuSwitchesBackAndForth()
    {
        QTemporaryDir dir;
        auto program = start(dir, "[open]\nlang=1\n[list]\nlistcount=1\ncombo0=400-470MHz\n");
        Workspace &ws = program->workspace();
        ws.channels().setCell(1, 1, QStringLiteral("438.5"));
        ws.channels().sendallcell();
        auto *timeOut = program->mainForm()->functionWindow()->findChild<QComboBox *>(
            QStringLiteral("ComboBox5"));
        QCOMPARE(timeOut->currentIndex(), 3);

        action(*program, "N6")->trigger();
        const StringTable english = language(2);
        QCOMPARE(checkedItems(*program), QStringLiteral("N6"));
        QCOMPARE(fileMenu(*program), english.text(9));
        QCOMPARE(ws.channels().cell(5, 1), QStringLiteral("High"));
        QCOMPARE(timeOut->currentIndex(), 3);
        QCOMPARE(timeOut->currentText(), QStringLiteral("3") + english.text(48));
        // The radio information window's status line names its label anew.
        QCOMPARE(ws.info().statusText(),
                 QStringLiteral("  ") + english.text(159) + QStringLiteral("：Ann"));

        action(*program, "N7")->trigger();
        QCOMPARE(checkedItems(*program), QStringLiteral("N7"));
        QCOMPARE(ws.channels().cell(6, 1), QStringLiteral("寬帶"));
        QCOMPARE(fileMenu(*program), language(3).text(9));
        closeDiscarding(program->mainForm());
        QVERIFY(QString::fromUtf8(readFile(dir.filePath(QStringLiteral("sysini.ini"))))
                    .contains(QStringLiteral("lang=3")));
    }

    // Demo mode's notice stays on the status line, in each new language.
    void demoNoticeOutlastsSwitches()
    {
        QTemporaryDir dir;
        auto program = start(dir, "[open]\nlang=1\n");
        program->mainForm()->startDemo(QStringLiteral("/dev/pts/demo"));
        QCOMPARE(statusBar(*program), QStringLiteral("     ") + language(1).text(1002));
        action(*program, "N6")->trigger();
        QCOMPARE(statusBar(*program), QStringLiteral("     ") + language(2).text(1002));
        action(*program, "N7")->trigger();
        QCOMPARE(statusBar(*program), QStringLiteral("     ") + language(3).text(1002));
        QVERIFY(language(2).text(1002) != language(3).text(1002));
        closeDiscarding(program->mainForm());
    }

    // A missing file moves the check mark and the saved number, nothing else.
    void missingFileMovesOnlyTheMark()
    {
        QTemporaryDir langs;
        QVERIFY(QFile::copy(StringTable::find(QStringLiteral("cha_dll"), {languageDir()}),
                            langs.filePath(QStringLiteral("CHA_DLL.lng"))));
        QTemporaryDir dir;
        auto program =
            start(dir, "[open]\nlang=1\n[list]\nlistcount=1\ncombo0=400-470MHz\n", {langs.path()});
        Workspace &ws = program->workspace();
        QCOMPARE(checkedItems(*program), QStringLiteral("N5"));
        ws.channels().setCell(1, 1, QStringLiteral("438.5"));
        ws.channels().sendallcell();
        const QString header = ws.channels().cell(1, 0);
        const QString menu = fileMenu(*program);
        const QString status = statusBar(*program);

        action(*program, "N6")->trigger();
        QCOMPARE(checkedItems(*program), QStringLiteral("N6"));
        QCOMPARE(ws.languageNumber(), 2);
        QCOMPARE(fileMenu(*program), menu);
        QCOMPARE(statusBar(*program), status);
        QCOMPARE(ws.channels().cell(1, 0), header);
        QCOMPARE(ws.channels().cell(5, 1), QStringLiteral("高功率"));
        QCOMPARE(ws.texts().offWord, QStringLiteral("禁用"));
        closeDiscarding(program->mainForm());
        QVERIFY(QString::fromUtf8(readFile(dir.filePath(QStringLiteral("sysini.ini"))))
                    .contains(QStringLiteral("lang=2")));
    }
};

QTEST_MAIN(TestLanguageMenu)
#include "tst_languagemenu.moc"
