#include "gui/ChannelGrid.h"
#include "gui/ChildWindow.h"
#include "gui/Program.h"
#include "gui/TMainForm.h"
#include "gui/TUserForm.h"
#include "gui/Tchannel.h"
#include "gui/Tcommuny.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace TestSupport;

// Start-up and shut-down of the main window as a user meets them: the
// administrator dialog on a first start, the saved settings applied in order,
// sysini.ini written once on the way out.
class TestMainForm : public QObject
{
    Q_OBJECT

    // Types a name into the administrator dialog when it appears and presses OK.
    static void answerAdministrator(const QString &typed, bool *shown = nullptr)
    {
        onNextModal([typed, shown](QWidget *modal) {
            if (shown)
                *shown = qobject_cast<TUserForm *>(modal) != nullptr;
            auto *edit = modal->findChild<QLineEdit *>(QStringLiteral("Edit1"));
            QTest::keyClicks(edit, typed);
            QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Button1")),
                              Qt::LeftButton);
        });
    }

    static void startUp(Program &program)
    {
        program.mainForm()->show();
        QVERIFY(program.mainForm()->startedUp());
    }

    // The tool bar's model list (the function options have a ComboBox1 too).
    static QComboBox *modelList(Program &program)
    {
        auto *bar = program.mainForm()->findChild<QToolBar *>(QStringLiteral("ToolBar1"));
        return bar->findChild<QComboBox *>(QStringLiteral("ComboBox1"));
    }

    static QString sysini(const QTemporaryDir &dir)
    {
        return QString::fromUtf8(readFile(dir.filePath(QStringLiteral("sysini.ini"))));
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void firstStartAsksForAdministratorAndWritesDefaults()
    {
        QTemporaryDir dir;
        bool dialogShown = false;
        {
            Program program{SettingsStore(dir.path())};
            answerAdministrator(QStringLiteral("  Bob "), &dialogShown);
            startUp(program);
            QVERIFY(dialogShown);
            TMainForm *main = program.mainForm();
            QCOMPARE(shownTitle(main), QStringLiteral("PW-100"));
            QCOMPARE(program.workspace().administrator(), QStringLiteral("Bob"));
            QCOMPARE(program.workspace().bands().count(), 0);
            QVERIFY(!main->infoWindow()->isVisible());
            // The channel editor lies in front of the function options.
            QList<QMdiSubWindow *> stack = main->mdiArea()->subWindowList(QMdiArea::StackingOrder);
            stack.removeIf([](QMdiSubWindow *w) { return !w->isVisible(); });
            QCOMPARE(stack.size(), 2);
            QCOMPARE(stack.last(), main->channelWindow());
            QCOMPARE(stack.first(), main->functionWindow());
            // The rest of start-up: rows numbered, long-press time, status line.
            QCOMPARE(program.workspace().channels().cell(0, 9), QStringLiteral("09"));
            QCOMPARE(program.workspace().functions().keyTimePosition(), 15);
            QCOMPARE(program.workspace().functions().keyTimeText(), QStringLiteral("1.5"));
            QCOMPARE(program.workspace().info().statusText(), QStringLiteral("  管理员：Bob"));
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("sysini.ini"))));
            closeDiscarding(main);
        }
        QCOMPARE(readFile(dir.filePath(QStringLiteral("userini.ini"))),
                 QByteArray("[User]\r\nname=Bob\r\n"));
        QCOMPARE(
            sysini(dir),
            QStringLiteral(
                "[open]\r\ncom=1\r\nco_mode=0\r\nM_type=0\r\nlang=1\r\n"
                "\r\n[list]\r\nlistnow=-1\r\nlistcount=0\r\n\r\n[write]\r\nsafe=1\r\nfast=0\r\n"));
    }

    // An empty name ends the program once start-up is complete; the settings
    // are written on the way out and no name is stored.
    void blankAdministratorEndsProgram()
    {
        QTemporaryDir dir;
        Program program{SettingsStore(dir.path())};
        answerAdministrator(QStringLiteral("   "));
        startUp(program);
        QCOMPARE(program.workspace().channels().cell(0, 16), QStringLiteral("16"));
        QTRY_VERIFY(!program.mainForm()->isVisible());
        QVERIFY(sysini(dir).contains(QStringLiteral("listcount=0")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("userini.ini"))));
    }

    // Characters above code 127 are discarded and at most 7 are taken.
    void administratorFieldFiltersInput()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path());
        TUserForm form(store);
        form.show();
        auto *edit = form.findChild<QLineEdit *>(QStringLiteral("Edit1"));
        QTest::keyClicks(edit, QStringLiteral("A"));
        for (const QString &typed : {QStringLiteral("中"), QStringLiteral("é")})
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, typed, Qt::NoModifier);
        // A Chinese input method commits its text without key events.
        QInputMethodEvent composed;
        composed.setCommitString(QStringLiteral("管理"));
        QApplication::sendEvent(edit, &composed);
        QCOMPARE(edit->text(), QStringLiteral("A"));
        QTest::keyClicks(edit, QStringLiteral("bcdefghij"));
        QCOMPARE(edit->text(), QStringLiteral("Abcdefg"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("Abcdef"));
    }

    // A name that cannot be stored is not taken and the dialog stays open.
    void administratorWriteFailureKeepsDialogOpen()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.filePath(QStringLiteral("missing")));
        TUserForm form(store);
        form.show();
        QTest::keyClicks(form.findChild<QLineEdit *>(QStringLiteral("Edit1")),
                         QStringLiteral("Ann"));
        QString shown;
        onNextModal([&](QWidget *box) {
            shown = messageText(box);
            box->close();
        });
        QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("Unable to write to %1.").arg(store.userFilePath()));
        QVERIFY(form.isVisible());
        QCOMPARE(form.administrator(), QString());
    }

    // A stored name that is only blanks counts as missing.
    void storedNameSkipsDialog_data()
    {
        QTest::addColumn<QByteArray>("userini");
        QTest::addColumn<bool>("asked");
        QTest::newRow("stored") << QByteArray("[user]\nNAME= Ann\t\n") << false;
        QTest::newRow("blanks only") << QByteArray("[User]\nname=   \n") << true;
    }
    void storedNameSkipsDialog()
    {
        QFETCH(QByteArray, userini);
        QFETCH(bool, asked);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), userini));
        Program program{SettingsStore(dir.path())};
        bool shown = false;
        if (asked)
            answerAdministrator(QStringLiteral("Zed"), &shown);
        startUp(program);
        QCOMPARE(shown, asked);
        QCOMPARE(program.workspace().administrator(),
                 asked ? QStringLiteral("Zed") : QStringLiteral("Ann"));
        closeDiscarding(program.mainForm());
    }

    void savedSettingsAreApplied_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("checkedItem");
        QTest::addColumn<QString>("band");
        QTest::newRow("all set, upper-case section")
            << QByteArray("[OPEN]\r\nCOM=3\r\nco_mode=1\r\nM_type=1\r\nlang=2\r\n[List]\r\n"
                          "listcount=2\r\ncombo0=400-470MHz\r\ncombo1=400-430MHz\r\nlistnow=1\r\n")
            << 3 << true << "R5" << 2 << "N6"
            << "400-430MHz";
        QTest::newRow("lang 0, port out of range, hex model")
            << QByteArray("[Open]\ncom=17\nco_mode=2\nM_type=0x1\nlang=0\n[list]\nlistcount=1\n"
                          "combo0=350-390MHz\nlistnow=0\n")
            << 1 << false << "R5" << 0 << ""
            << "350-390MHz";
        QTest::newRow("lang 4, band index outside the list")
            << QByteArray("[open]\nlang=4\n[list]\nlistcount=1\nlistnow=5\n") << 1 << false
            << "PW-100" << 0 << ""
            << "";
    }
    void savedSettingsAreApplied()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, port);
        QFETCH(bool, single);
        QFETCH(QString, caption);
        QFETCH(int, language);
        QFETCH(QString, checkedItem);
        QFETCH(QString, band);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")), file));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        const Workspace &ws = program.workspace();
        QCOMPARE(ws.portNumber(), port);
        QCOMPARE(ws.singlePort(), single);
        QCOMPARE(shownTitle(program.mainForm()), caption);
        QCOMPARE(ws.languageNumber(), language);
        for (const char *item : {"N5", "N6", "N7"}) {
            auto *action = program.mainForm()->findChild<QAction *>(QLatin1String(item));
            QCOMPARE(action->isChecked(), checkedItem == QLatin1String(item));
        }
        QCOMPARE(ws.bands().currentText(), band);
        closeDiscarding(program.mainForm());
    }

    // What was read comes back out at shut-down; "listnow" is -1 when no band
    // is selected and band keys beyond the count are dropped from the list.
    // Demo mode points port 1 at the virtual radio for this run only: the
    // user's own port number is what shut-down saves, unless another port
    // was chosen meanwhile.
    void demoModeKeepsTheSavedPort_data()
    {
        QTest::addColumn<int>("chosenDuringDemo");
        QTest::addColumn<QString>("saved");
        QTest::newRow("port 1 kept") << 0 << QStringLiteral("com=5");
        QTest::newRow("another port chosen") << 7 << QStringLiteral("com=7");
    }

    void demoModeKeepsTheSavedPort()
    {
        QFETCH(int, chosenDuringDemo);
        QFETCH(QString, saved);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")), "[open]\ncom=5\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        program.mainForm()->startDemo(QStringLiteral("/dev/pts/demo"));
        Workspace &workspace = program.workspace();
        QCOMPARE(workspace.portNumber(), 1);
        QCOMPARE(workspace.portDevicePath(), QStringLiteral("/dev/pts/demo"));
        const QStatusBar *status = program.mainForm()->statusBar();
        QVERIFY(status->findChild<QLabel *>(QStringLiteral("StatusBar1"))
                    ->text()
                    .contains(workspace.texts().demoText));
        if (chosenDuringDemo)
            workspace.setPortNumber(chosenDuringDemo);
        closeDiscarding(program.mainForm());
        QVERIFY2(sysini(dir).contains(saved), qPrintable(sysini(dir)));
        QVERIFY2(!sysini(dir).contains(QStringLiteral("demo")), qPrintable(sysini(dir)));
    }

    void shutDownWritesCurrentState()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")),
                          "; kept\r\n[open]\r\nlang=3\r\ncom=5\r\n[list]\r\nlistcount=1\r\n"
                          "combo0=400-430MHz\r\ncombo1=136-174MHz\r\nlistnow=0\r\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        auto *models = modelList(program);
        models->setFocus();
        QTest::keyClick(models, Qt::Key_Down);
        // The model is part of the configuration: the close asks first.
        closeDiscarding(program.mainForm());
        QCOMPARE(sysini(dir), QStringLiteral("; kept\r\n[open]\r\nlang=3\r\ncom=5\r\nco_mode=0\r\n"
                                             "M_type=1\r\n[list]\r\nlistcount=1\r\n"
                                             "combo0=400-430MHz\r\ncombo1=136-174MHz\r\n"
                                             "listnow=0\r\n\r\n[write]\r\nsafe=1\r\nfast=0\r\n"));
    }

    void unwritableSettingsShowError()
    {
        // A folder where sysini.ini should be: nothing can be written there,
        // whoever runs the test.
        QTemporaryDir dir;
        const QString blocked = dir.filePath(QStringLiteral("sysini.ini"));
        QVERIFY(QDir().mkdir(blocked));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        QString shown;
        QString title;
        onNextModal([&](QWidget *box) {
            shown = messageText(box);
            title = box->windowTitle();
            box->close();
        });
        closeDiscarding(program.mainForm());
        QCOMPARE(title, QStringLiteral("KT-700"));
        QCOMPARE(shown, QStringLiteral("Unable to write to %1.").arg(blocked));
    }

    void modelPickChangesCaption()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        program.workspace().setCaption(QStringLiteral("PW-100   [400-470MHz]"));
        auto *models = modelList(program);
        models->setFocus();
        // Another model is an unsaved change; back to the first, none.
        QTest::keyClick(models, Qt::Key_Down);
        QCOMPARE(shownTitle(program.mainForm()), QStringLiteral("R5*"));
        QTest::keyClick(models, Qt::Key_Up);
        QCOMPARE(shownTitle(program.mainForm()), QStringLiteral("PW-100"));

        // The wheel over the list changes the model only when the list has
        // the focus.
        program.mainForm()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program.mainForm()));
        program.mainForm()->channelWindow()->widget()->setFocus();
        turnWheel(models, models->rect().center(), -1);
        turnWheel(models, models->rect().center(), -1);
        QCOMPARE(program.workspace().modelIndex(), 0);
        QCOMPARE(shownTitle(program.mainForm()), QStringLiteral("PW-100"));
        QVERIFY(!models->hasFocus());
        models->setFocus(Qt::TabFocusReason);
        turnWheel(models, models->rect().center(), -1);
        QCOMPARE(program.workspace().modelIndex(), 1);
        closeDiscarding(program.mainForm());
    }

    // A child window's close box hides it with its contents; the show
    // commands bring it back in front.
    void childWindowsHideAndShow()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        TMainForm *main = program.mainForm();
        program.workspace().channels().setCell(1, 2, QStringLiteral("438.50000"));
        QPointer<ChildWindow> channel = main->channelWindow();
        channel->close();
        QVERIFY(channel && !channel->isVisible());
        main->findChild<QAction *>(QStringLiteral("ChannelInformation1"))->trigger();
        QVERIFY(channel->isVisible());
        QVERIFY(!channel->isMinimized());
        QCOMPARE(main->mdiArea()->activeSubWindow(), channel.data());
        QCOMPARE(program.workspace().channels().cell(1, 2), QStringLiteral("438.50000"));

        main->findChild<QAction *>(QStringLiteral("RadioInfoCommand"))->trigger();
        QVERIFY(main->infoWindow()->isVisible());
        QTest::mouseClick(main->infoWindow()->findChild<QPushButton *>(QStringLiteral("Button1")),
                          Qt::LeftButton);
        QVERIFY(!main->infoWindow()->isVisible());
        main->findChild<QAction *>(QStringLiteral("OptionalFeatures1"))->trigger();
        QCOMPARE(main->mdiArea()->activeSubWindow(), main->functionWindow());
        closeDiscarding(main);
    }

    // Activating another child window tidies the function options' long-press
    // time text, as leaving that window does.
    // Activating another child window hides the channel editor's frequency
    // editor without committing: the typed text stays as typed, and Save
    // then finds nothing to commit.
    void leavingChannelEditorHidesItsEditor()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")),
                          "[list]\nlistcount=1\ncombo0=400-470MHz\nlistnow=0\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        TMainForm *main = program.mainForm();
        main->ChannelInformation1Click();
        auto *grid = program.channel()->findChild<ChannelGrid *>(QStringLiteral("StringGrid1"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 1).center());
        auto *editor = program.channel()->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        QVERIFY(editor->isVisible());
        QTest::keyClicks(editor, QStringLiteral("438.5"));
        main->OptionalFeatures1Click();
        QVERIFY(!editor->isVisible());
        QCOMPARE(program.workspace().channels().cell(1, 1), QStringLiteral("438.5"));
        closeDiscarding(main);
    }

    void leavingFunctionOptionsTidiesKeyTime()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        TMainForm *main = program.mainForm();
        main->OptionalFeatures1Click();
        program.workspace().functions().setKeyTimeText(QStringLiteral("0.30"));
        QCOMPARE(program.workspace().functions().keyTimeText(), QStringLiteral("0.30"));
        main->ChannelInformation1Click();
        QCOMPARE(program.workspace().functions().keyTimeText(), QStringLiteral("0.5"));
        QCOMPARE(program.workspace().functions().keyTimePosition(), 5);
        closeDiscarding(main);
    }

    // The port picked in the port dialog takes effect at once and is the
    // checked one again after a restart.
    void pickedPortSurvivesRestart()
    {
        Pty one;
        Pty three;
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        QByteArray ports = "[ports]\n";
        for (int n = 1; n <= 16; ++n)
            ports += "com" + QByteArray::number(n) + "=/nonexistent/ttyKT" + QByteArray::number(n) +
                     "\n";
        ports.replace("/nonexistent/ttyKT1\n", one.path().toUtf8() + "\n");
        ports.replace("/nonexistent/ttyKT3\n", three.path().toUtf8() + "\n");
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")), ports));
        {
            Program program{SettingsStore(dir.path())};
            startUp(program);
            QCOMPARE(program.workspace().portNumber(), 1);
            bool enabledAsProbed = false;
            onNextModal([&](QWidget *dialog) {
                auto *com3 = dialog->findChild<QRadioButton *>(QStringLiteral("com3"));
                enabledAsProbed =
                    com3->isEnabled() &&
                    dialog->findChild<QRadioButton *>(QStringLiteral("com1"))->isEnabled() &&
                    !dialog->findChild<QRadioButton *>(QStringLiteral("com2"))->isEnabled();
                QTest::mouseClick(com3, Qt::LeftButton);
                QCOMPARE(program.workspace().portNumber(), 3);
                QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("button1")),
                                  Qt::LeftButton);
            });
            program.mainForm()
                ->findChild<QAction *>(QStringLiteral("WindowCascadeItem"))
                ->trigger();
            QVERIFY(enabledAsProbed);
            QCOMPARE(program.workspace().portNumber(), 3);
            closeDiscarding(program.mainForm());
        }
        Program again{SettingsStore(dir.path())};
        startUp(again);
        QCOMPARE(again.workspace().portNumber(), 3);
        bool checked = false;
        onNextModal([&](QWidget *dialog) {
            checked = dialog->findChild<QRadioButton *>(QStringLiteral("com3"))->isChecked();
            dialog->close();
        });
        again.mainForm()->WindowCascadeItemClick();
        QVERIFY(checked);
        again.mainForm()->close();
    }

    // A port picked for a USB adapter with a stable name keeps that name in
    // sysini.ini, after the keys that were there, and stands for it after a
    // restart.
    void pickedAdapterSurvivesRestart()
    {
        Pty adapter;
        QTemporaryDir dir;
        QTemporaryDir adapters;
        const QString link = QDir(adapters.path()).filePath(QStringLiteral("usb-FTDI_A5-port0"));
        QVERIFY(QFile::link(adapter.path(), link));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sysini.ini")),
                          "[ports]\r\ncom3=/dev/ttyS4\r\n[open]\r\ncom=1\r\n"));
        {
            Program program{SettingsStore(dir.path())};
            startUp(program);
            PortPlaces places = program.workspace().portPlaces();
            places.stableNameDir = adapters.path();
            program.workspace().setPortPlaces(places);
            program.mainForm()->findChild<Tcommuny *>()->setSystemDevices({adapter.path()});
            onNextModal([&](QWidget *dialog) {
                QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("com1")),
                                  Qt::LeftButton);
                dialog->close();
            });
            program.mainForm()->WindowCascadeItemClick();
            closeDiscarding(program.mainForm());
        }
        QVERIFY2(sysini(dir).startsWith(QStringLiteral("[ports]\r\ncom3=/dev/ttyS4\r\ncom1=") +
                                        link + QStringLiteral("\r\n[open]")),
                 qPrintable(sysini(dir)));
        Program again{SettingsStore(dir.path())};
        startUp(again);
        QCOMPARE(again.workspace().portDevices().value(0), link);
        QCOMPARE(again.workspace().portDevicePath(), link);
        again.mainForm()->close();
    }

    // Every command of the menus and the tool bar is in service, with the
    // file commands' shortcuts.
    void commandsAreEnabledWithShortcuts()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n"));
        Program program{SettingsStore(dir.path())};
        startUp(program);
        for (const char *name : {"FileNewItem", "FileOpenItem", "FileCloseItem", "CutItem",
                                 "CopyItem", "WindowCascadeItem", "About1"})
            QVERIFY2(program.mainForm()->findChild<QAction *>(QLatin1String(name))->isEnabled(),
                     name);
        const QKeySequence ctrlN(Qt::CTRL | Qt::Key_N);
        QCOMPARE(
            program.mainForm()->findChild<QAction *>(QStringLiteral("FileNewItem"))->shortcut(),
            ctrlN);
        closeDiscarding(program.mainForm());
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
