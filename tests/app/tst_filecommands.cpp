#include "core/files/ChannelFile.h"
#include "gui/ChannelGrid.h"
#include "gui/Program.h"
#include "gui/TMainForm.h"
#include "gui/Tchannel.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

using namespace TestSupport;

// New, Open and Save as the user runs them from the main window: the file
// dialogs, the New question, the error box, and the commit of a frequency
// still being typed.
class TestFileCommands : public QObject
{
    Q_OBJECT

    struct Started {
        QTemporaryDir dir;
        std::unique_ptr<Program> program;
        Workspace &workspace() { return program->workspace(); }
        TMainForm *main() { return program->mainForm(); }
        QString path(const char *name) { return dir.filePath(QLatin1String(name)); }
        void trigger(const char *action)
        {
            main()->findChild<QAction *>(QLatin1String(action))->trigger();
        }
    };

    static std::unique_ptr<Started> startUp()
    {
        auto started = std::make_unique<Started>();
        const QString dir = started->dir.path();
        writeFile(dir + QStringLiteral("/userini.ini"), "[User]\nname=Ann\n");
        writeFile(dir + QStringLiteral("/sysini.ini"),
                  "[open]\ncom=1\nM_type=0\nlang=1\n"
                  "[list]\nlistnow=0\nlistcount=2\ncombo0=400-470MHz\ncombo1=400-430MHz\n");
        started->program =
            std::make_unique<Program>(SettingsStore(dir), QStringList{languageDir()});
        started->main()->show();
        return started;
    }

    // Answers the next file dialog with a typed name, or cancels it; reports
    // the dialog's filter and default suffix.
    static void answerFileDialog(const QString &typed, QString *filter = nullptr,
                                 QString *suffix = nullptr)
    {
        onNextModal([=](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            if (filter)
                *filter =
                    dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText();
            if (suffix)
                *suffix = dialog->defaultSuffix();
            if (typed.isEmpty()) {
                dialog->reject();
                return;
            }
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
    }

    static void answerMessage(QMessageBox::StandardButton button, QString *text = nullptr,
                              QString *caption = nullptr)
    {
        onNextModal([=](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            if (text)
                *text = box->text();
            if (caption)
                *caption = box->windowTitle();
            box->button(button)->click();
        });
    }

    static void fillRow(Workspace &workspace, int row, const QString &frequency)
    {
        ChannelTable &table = workspace.channels();
        table.setCurrentCell(1, row);
        table.setCell(1, row, frequency);
        table.sendallcell();
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void saveThenOpenRestoresEverything()
    {
        auto s = startUp();
        fillRow(s->workspace(), 1, QStringLiteral("438.5"));
        fillRow(s->workspace(), 16, QStringLiteral("401"));
        s->workspace().functions().setIndex(FunctionSettings::APO, 12);

        QString filter, suffix;
        answerFileDialog(s->path("conf"), &filter, &suffix);
        s->trigger("FileCloseItem");
        QCOMPARE(filter, QStringLiteral("DVT-842  文件 (*.q42)"));
        QCOMPARE(suffix, QStringLiteral("q42"));
        QVERIFY(QFileInfo::exists(s->path("conf.q42")));

        // Another configuration, then the file back.
        answerMessage(QMessageBox::Yes);
        s->trigger("FileNewItem");
        QCOMPARE(s->workspace().channels().cell(1, 1), QString());
        s->workspace().bands().setCurrentIndex(1);

        answerFileDialog(s->path("conf.q42"));
        s->trigger("FileOpenItem");
        QCOMPARE(s->workspace().channels().cell(1, 1), QStringLiteral("438.50000"));
        QCOMPARE(s->workspace().channels().cell(1, 16), QStringLiteral("401.00000"));
        QCOMPARE(s->workspace().functions().index(FunctionSettings::APO), 12);
        QCOMPARE(s->workspace().bands().currentText(), QStringLiteral("400-470MHz"));
        QCOMPARE(shownTitle(s->main()), QStringLiteral("PW-100   [400-470MHz]"));
        closeDiscarding(s->main());
    }

    // A frequency still in the editor is committed (normalised, channel
    // completed) before the file is written, and the editor is hidden.
    void saveCommitsTypedFrequency()
    {
        auto s = startUp();
        QWidget *channel = s->program->channel();
        auto *grid = channel->findChild<ChannelGrid *>(QStringLiteral("StringGrid1"));
        QVERIFY(grid);
        s->main()->ChannelInformation1Click();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 2).center());
        auto *editor = channel->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        QVERIFY(editor && editor->isVisible());
        QTest::keyClicks(editor, QStringLiteral("438.5"));

        answerFileDialog(s->path("typed.q42"));
        s->trigger("FileCloseItem");
        QVERIFY(!editor->isVisible());
        QCOMPARE(s->workspace().channels().cell(1, 2), QStringLiteral("438.50000"));
        const QByteArray saved = readFile(s->path("typed.q42"));
        QVERIFY(saved.contains("CH02 | 438.50000 | "));
        closeDiscarding(s->main());
    }

    void cancelledDialogsDoNothing()
    {
        auto s = startUp();
        fillRow(s->workspace(), 1, QStringLiteral("438.5"));
        answerFileDialog(QString());
        s->trigger("FileOpenItem");
        answerFileDialog(QString());
        s->trigger("FileCloseItem");
        QCOMPARE(s->workspace().channels().cell(1, 1), QStringLiteral("438.50000"));
        QCOMPARE(QDir(s->dir.path()).entryList({QStringLiteral("*.q42")}), QStringList());
        closeDiscarding(s->main());
    }

    void newAnsweredNoKeepsEverything()
    {
        auto s = startUp();
        fillRow(s->workspace(), 3, QStringLiteral("440"));
        s->workspace().functions().setIndex(FunctionSettings::APO, 4);
        QString text, caption;
        answerMessage(QMessageBox::No, &text, &caption);
        s->trigger("FileNewItem");
        QCOMPARE(text, s->workspace().texts().newPromptText);
        QCOMPARE(caption, s->workspace().texts().newCaption);
        QVERIFY(!text.isEmpty());
        QCOMPARE(s->workspace().channels().cell(1, 3), QStringLiteral("440.00000"));
        QCOMPARE(s->workspace().functions().index(FunctionSettings::APO), 4);
        closeDiscarding(s->main());
    }

    // Qt's own buttons follow the interface language.
    void messageButtonsFollowTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("yes");
        QTest::newRow("simplified Chinese") << 1 << QStringLiteral("是(&Y)");
        QTest::newRow("English") << 2 << QStringLiteral("&Yes");
        QTest::newRow("traditional Chinese") << 3 << QStringLiteral("是(&Y)");
    }

    void messageButtonsFollowTheLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, yes);
        auto s = startUp();
        if (language == 1)
            s->main()->N5Click();
        else if (language == 2)
            s->main()->N6Click();
        else
            s->main()->N7Click();
        QString shown;
        onNextModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            shown = box->button(QMessageBox::Yes)->text();
            box->button(QMessageBox::No)->click();
        });
        s->trigger("FileNewItem");
        QCOMPARE(shown, yes);
        closeDiscarding(s->main());
    }

    void newKeepsBandAndModel()
    {
        auto s = startUp();
        s->workspace().setModelIndex(1);
        s->workspace().bands().setCurrentIndex(1);
        s->workspace().setCaption(QStringLiteral("R5   [400-430MHz]"));
        fillRow(s->workspace(), 3, QStringLiteral("420"));
        answerMessage(QMessageBox::Yes);
        s->trigger("FileNewItem");
        QCOMPARE(s->workspace().channels().cell(1, 3), QString());
        QCOMPARE(s->workspace().modelIndex(), 1);
        QCOMPARE(s->workspace().bands().currentText(), QStringLiteral("400-430MHz"));
        QCOMPARE(shownTitle(s->main()), QStringLiteral("R5"));
        closeDiscarding(s->main());
    }

    // Errors reach the standard box, and nothing is changed by a bad file.
    // The same for a file named on the command line (a double click on it).
    void openErrorsShowTheBoxAndChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("commandLine");
        for (const bool commandLine : {false, true}) {
            const char *how = commandLine ? "command line" : "Open";
            QTest::addRow("missing, %s", how)
                << QByteArray() << QStringLiteral("File not found") << commandLine;
            QTest::addRow("letter in a number, %s", how)
                << QByteArray("VESQAR MEMORY CHANNEL\r\n\r\n\r\nTYPE0 PW-100\r\nBAND "
                              "400-430MHz\r\nAPO x OFF\r\n")
                << QStringLiteral("'x' is not a valid integer value") << commandLine;
        }
    }

    void openErrorsShowTheBoxAndChangeNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(bool, commandLine);
        auto s = startUp();
        fillRow(s->workspace(), 1, QStringLiteral("438.5"));
        const QString path = s->path("bad.q42");
        if (!content.isEmpty())
            QVERIFY(writeFile(path, content));
        // The modal windows are answered in the order they come.
        if (!commandLine)
            answerFileDialog(path);
        QString shown, caption;
        answerMessage(QMessageBox::Ok, &shown, &caption);
        if (commandLine)
            s->main()->openFile(path);
        else
            s->trigger("FileOpenItem");
        QCOMPARE(caption, QStringLiteral("KT-700"));
        QVERIFY2(shown.startsWith(message), qPrintable(shown));
        QCOMPARE(s->workspace().channels().cell(1, 1), QStringLiteral("438.50000"));
        QCOMPARE(s->workspace().bands().currentText(), QStringLiteral("400-470MHz"));
        // The channel typed before is still unsaved.
        QCOMPARE(shownTitle(s->main()), QStringLiteral("PW-100*"));
        closeDiscarding(s->main());
    }

    // A good file named on the command line loads as Open loads it.
    void openFileNamedOnTheCommandLine()
    {
        auto s = startUp();
        fillRow(s->workspace(), 1, QStringLiteral("438.5"));
        Workspace expected;
        expected.bands().add(QStringLiteral("400-470MHz"));
        expected.channels().labelRows();
        const QString path = QStringLiteral(KT_TEST_DATA_DIR "/files/full.q42");
        QVERIFY(ChannelFile::open(expected, path));
        s->main()->openFile(path);
        QCOMPARE(s->workspace().modelIndex(), expected.modelIndex());
        for (int row = 1; row <= 16; ++row)
            QCOMPARE(s->workspace().channels().cell(1, row), expected.channels().cell(1, row));
        closeDiscarding(s->main());
    }

    void saveToUnwritablePlaceShowsTheBox()
    {
        auto s = startUp();
        const QString target = s->path("no-such-folder/conf.q42");
        answerFileDialog(target);
        QString shown;
        answerMessage(QMessageBox::Ok, &shown);
        s->trigger("FileCloseItem");
        QVERIFY2(shown.startsWith(QStringLiteral("Unable to write to")), qPrintable(shown));
        QVERIFY(!QFileInfo::exists(target));
        closeDiscarding(s->main());
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
