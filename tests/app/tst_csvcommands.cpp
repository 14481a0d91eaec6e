#include "gui/Program.h"
#include "gui/TMainForm.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

using namespace TestSupport;

// Import CSV... and Export CSV... as the user runs them from the File menu:
// the file dialogs, the import box with its problems, OK and Cancel, and the
// error box.
class TestCsvCommands : public QObject
{
    Q_OBJECT

    struct Started {
        QTemporaryDir dir;
        std::unique_ptr<Program> program;
        Workspace &workspace() { return program->workspace(); }
        TMainForm *main() { return program->mainForm(); }
        QString path(const char *name) { return dir.filePath(QLatin1String(name)); }
        QAction *action(const char *name)
        {
            return main()->findChild<QAction *>(QLatin1String(name));
        }
        QString cell(int column, int row) { return workspace().channels().cell(column, row); }
    };

    // The program in English, band 400-470MHz, channel 1 at 438.5 MHz.
    static std::unique_ptr<Started> startUp()
    {
        auto started = std::make_unique<Started>();
        const QString dir = started->dir.path();
        writeFile(dir + QStringLiteral("/userini.ini"), "[User]\nname=Ann\n");
        writeFile(dir + QStringLiteral("/sysini.ini"),
                  "[open]\ncom=1\nM_type=0\nlang=2\n"
                  "[list]\nlistnow=0\nlistcount=1\ncombo0=400-470MHz\n");
        started->program =
            std::make_unique<Program>(SettingsStore(dir), QStringList{languageDir()});
        started->main()->show();
        ChannelTable &table = started->workspace().channels();
        table.setCurrentCell(1, 1);
        table.setCell(1, 1, QStringLiteral("438.5"));
        table.sendallcell();
        return started;
    }

    // Answers the next file dialog with the path and reports its filter and
    // default suffix; `next` then waits for the window the command opens
    // after the dialog.
    static void answerFileDialog(const QString &path, QString *filter, QString *suffix,
                                 std::function<void(QWidget *)> next = nullptr)
    {
        onNextModal([=](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            *filter =
                dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))->currentText();
            *suffix = dialog->defaultSuffix();
            if (next)
                onNextModal(next);
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        });
    }

    // What the import box showed.
    struct Shown {
        QString text;
        QString heading; // empty: no problems
        QStringList problems;
        QStringList buttons;
        bool fitsTheScreen = false;
        bool problemsScroll = false;
    };

    // Reads the import box and presses one of its buttons.
    static std::function<void(QWidget *)> answerImportBox(QDialogButtonBox::StandardButton button,
                                                          Shown *shown)
    {
        return [=](QWidget *modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("ImportBox"));
            shown->text = modal->findChild<QLabel *>(QStringLiteral("ImportText"))->text();
            if (auto *heading = modal->findChild<QLabel *>(QStringLiteral("ImportProblemsHeading")))
                shown->heading = heading->text();
            if (auto *list = modal->findChild<QPlainTextEdit *>(QStringLiteral("ImportProblems"))) {
                shown->problems = list->toPlainText().split(QLatin1Char('\n'));
                shown->problemsScroll = list->verticalScrollBar()->maximum() > 0;
            }
            shown->fitsTheScreen =
                modal->frameGeometry().height() <= modal->screen()->availableGeometry().height();
            auto *buttons = modal->findChild<QDialogButtonBox *>(QStringLiteral("ImportButtons"));
            for (QAbstractButton *b : buttons->buttons())
                shown->buttons << b->text();
            buttons->button(button)->click();
        };
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // The box lists every problem with its line in a list that scrolls, and
    // says how many channels come; Cancel changes nothing, OK replaces the
    // whole channel table.
    void importBoxListsProblemsAndCancelChangesNothing()
    {
        auto s = startUp();
        QCOMPARE(s->action("FileImportCsvItem")->text(), QStringLiteral("Import CSV..."));
        const QString list = dataPath(QStringLiteral("csv/problems.csv"));

        QString filter, suffix;
        Shown cancelled;
        answerFileDialog(list, &filter, &suffix,
                         answerImportBox(QDialogButtonBox::Cancel, &cancelled));
        s->action("FileImportCsvItem")->trigger();
        QCOMPARE(filter, QStringLiteral("CHIRP CSV (*.csv)"));
        QCOMPARE(suffix, QStringLiteral("csv"));
        QCOMPARE(cancelled.text, QStringLiteral("Channels to import from problems.csv: 16. They "
                                                "replace all channels of the channel table."));
        QCOMPARE(cancelled.heading, QStringLiteral("Problems found: 17"));
        QCOMPARE(cancelled.problems.size(), 17);
        QCOMPARE(cancelled.problems.first(),
                 QStringLiteral("line 3: 146.520 MHz lies outside the band 400-470MHz; the row "
                                "is left out"));
        QCOMPARE(cancelled.problems.last(),
                 QStringLiteral("line 31: 145.500 MHz lies outside the band 400-470MHz; the row "
                                "is left out"));
        QCOMPARE(cancelled.buttons, QStringList({"OK", "Cancel"}));
        QVERIFY(cancelled.fitsTheScreen);
        QVERIFY(cancelled.problemsScroll);
        QCOMPARE(s->cell(1, 1), QStringLiteral("438.50000"));
        QCOMPARE(s->cell(1, 2), QString());

        Shown accepted;
        answerFileDialog(list, &filter, &suffix, answerImportBox(QDialogButtonBox::Ok, &accepted));
        s->action("FileImportCsvItem")->trigger();
        QCOMPARE(accepted.problems, cancelled.problems);
        QCOMPARE(s->cell(1, 1), QStringLiteral("462.12500"));
        QCOMPARE(s->cell(ChannelTable::Power, 1), QStringLiteral("High"));
        QCOMPARE(s->cell(ChannelTable::TxTone, 4), QStringLiteral("67.0"));
        QCOMPARE(s->cell(1, 16), QStringLiteral("441.40000"));
        closeDiscarding(s->main());
    }

    // Export writes the list where the dialog says (with .csv added); import
    // of that list asks without problems and gives the channels back.
    void exportThenImport()
    {
        auto s = startUp();
        s->workspace().channels().setCell(ChannelTable::TxTone, 1, QStringLiteral("D023I"));
        s->workspace().channels().setCell(ChannelTable::Option7, 1, QStringLiteral("OFF"));
        QString filter, suffix;
        answerFileDialog(s->path("list"), &filter, &suffix);
        s->action("FileExportCsvItem")->trigger();
        QCOMPARE(filter, QStringLiteral("CHIRP CSV (*.csv)"));
        QCOMPARE(suffix, QStringLiteral("csv"));
        const QList<QByteArray> lines = readFile(s->path("list.csv")).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("Location,Name,Frequency,Duplex,Offset,Tone,"));
        QCOMPARE(lines.at(1), QByteArray("1,,438.500000,,0.000000,Cross,88.5,88.5,023,RN,023,"
                                         "DTCS->,FM,5.00,S,High,,,,,\r"));

        QStringList before;
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            before << s->cell(column, 1);
        s->workspace().channels().clearChannel(1);
        Shown shown;
        answerFileDialog(s->path("list.csv"), &filter, &suffix,
                         answerImportBox(QDialogButtonBox::Ok, &shown));
        s->action("FileImportCsvItem")->trigger();
        QCOMPARE(shown.heading, QString());
        QCOMPARE(shown.problems, QStringList());
        QStringList after;
        for (int column = 1; column < ChannelTable::ColumnCount; ++column)
            after << s->cell(column, 1);
        QCOMPARE(after, before);
        closeDiscarding(s->main());
    }

    // A list without a row to import only says so; a file that is no list
    // at all gets the error box. Neither changes anything.
    void nothingToImportChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message"); // the error box's; empty: the import box
        QTest::newRow("only a 2 m row") << QByteArray("Frequency\r\n146.520000\r\n") << QString();
        QTest::newRow("not a list") << QByteArray("VESQAR MEMORY CHANNEL\r\n")
                                    << QStringLiteral("This is not a CHIRP channel list");
    }
    void nothingToImportChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        auto s = startUp();
        QVERIFY(writeFile(s->path("list.csv"), content));
        QString filter, suffix, shownMessage;
        Shown shown;
        answerFileDialog(
            s->path("list.csv"), &filter, &suffix,
            message.isEmpty() ? answerImportBox(QDialogButtonBox::Ok, &shown)
                              : [&](QWidget *modal) {
                                    auto *box = qobject_cast<QMessageBox *>(modal);
                                    QVERIFY(box);
                                    shownMessage = box->text();
                                    box->button(QMessageBox::Ok)->click();
                                });
        s->action("FileImportCsvItem")->trigger();
        if (message.isEmpty()) {
            QCOMPARE(shown.text, QStringLiteral("list.csv holds no row that can be imported; the "
                                                "channels stay as they are."));
            QCOMPARE(shown.buttons, QStringList({"OK"}));
            // Its one problem shows whole, without a scroll bar.
            QCOMPARE(shown.problems.size(), 1);
            QVERIFY(!shown.problemsScroll);
        } else {
            QVERIFY2(shownMessage.startsWith(message), qPrintable(shownMessage));
        }
        QCOMPARE(s->cell(1, 1), QStringLiteral("438.50000"));
        closeDiscarding(s->main());
    }
};

QTEST_MAIN(TestCsvCommands)
#include "tst_csvcommands.moc"
