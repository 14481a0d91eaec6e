#include "core/editing/EditHistory.h"
#include "gui/ChannelGrid.h"
#include "gui/Program.h"
#include "gui/TMainForm.h"
#include "gui/Tchannel.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace TestSupport;

namespace
{

const QStringList kUnused(11, QString());

// The program in English with the band 400-470MHz, its main window shown and
// active, the channel editor in front; driven by mouse and keyboard.
struct Started {
    QTemporaryDir dir;
    std::unique_ptr<Program> program;

    Started()
    {
        writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n");
        writeFile(dir.filePath(QStringLiteral("sysini.ini")),
                  "[open]\ncom=1\nM_type=0\nlang=2\n"
                  "[list]\nlistnow=0\nlistcount=1\ncombo0=400-470MHz\n");
        program = std::make_unique<Program>(SettingsStore(dir.path()), QStringList{languageDir()});
        main()->show();
        main()->activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(main()); }
    // After a message box: the main window active again, the grid focused.
    bool backToGrid()
    {
        main()->activateWindow();
        if (!ready())
            return false;
        grid()->setFocus();
        return QApplication::focusWidget() == grid();
    }

    TMainForm *main() { return program->mainForm(); }
    ChannelTable &table() { return program->workspace().channels(); }
    ChannelGrid *grid() { return program->channel()->grid(); }
    QAction *action(const char *name) { return main()->findChild<QAction *>(QLatin1String(name)); }
    QPushButton *button(const char *name)
    {
        return program->channel()->findChild<QPushButton *>(QLatin1String(name));
    }

    QPoint cellCentre(int column, int row)
    {
        return grid()->visualRect(table().index(row, column)).center();
    }
    void click(int column, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, modifiers, cellCentre(column, row));
    }
    // A key as from the keyboard: to whatever has the focus.
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QVERIFY2(QApplication::focusWidget(), "nothing has the keyboard focus");
        QTest::keyPress(QApplication::focusWidget(), key, modifiers);
        // A box the key opened and closed again may have taken the focus along.
        if (QApplication::focusWidget())
            QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
    }
    static void type(const QString &keys)
    {
        // Each key goes down and comes up at whatever has the focus then.
        for (const QChar c : keys) {
            QVERIFY2(QApplication::focusWidget(), "nothing has the keyboard focus");
            QTest::keyPress(QApplication::focusWidget(), c.toLatin1());
            QTest::keyRelease(QApplication::focusWidget(), c.toLatin1());
        }
    }
    // Types a receive frequency into the row's first cell and commits it.
    void typeChannel(int row, const QString &frequency)
    {
        click(1, row);
        type(frequency + u'\r');
    }

    QStringList row(int r)
    {
        QStringList cells;
        for (int c = 1; c < ChannelTable::ColumnCount; ++c)
            cells << table().cell(c, r);
        return cells;
    }
    QString shownTitle() { return TestSupport::shownTitle(main()); }
};

QStringList newChannel(const QString &frequency)
{
    return {frequency, "OFF", frequency, "OFF", "High", "Wide", "ON", "OFF", "ON", "OFF", "OFF"};
}

// Answers the file dialog with a typed name, as the user does.
void typeFileName(QWidget *modal, const QString &path)
{
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    QVERIFY(dialog);
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

// Answers the next message box with the button; reports its text.
void answer(QMessageBox::StandardButton button, QString *text = nullptr, QString *name = nullptr)
{
    onNextModal([=](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        if (text)
            *text = box->text();
        if (name)
            *name = box->objectName();
        box->button(button)->click();
    });
}

} // namespace

// Undo and redo of the channel editor's and the main window's commands, copy
// and paste of channels, and the unsaved changes in the title bar and on
// closing, as a user works them with mouse and keyboard.
class TestEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // A typed frequency that made a channel undoes in one step, defaults and
    // all, and redoes; the menu names the step.
    void typedChannelUndoesWhole()
    {
        Started s;
        QVERIFY(s.ready());
        QVERIFY(!s.action("UndoItem")->isEnabled());
        s.typeChannel(3, QStringLiteral("438.5"));
        QCOMPARE(s.row(3), newChannel(QStringLiteral("438.50000")));
        QCOMPARE(s.action("UndoItem")->text(), QStringLiteral("Undo: RX Freq of CH03"));

        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(3), kUnused);
        QCOMPARE(s.action("RedoItem")->text(), QStringLiteral("Redo: RX Freq of CH03"));
        QVERIFY(!s.action("UndoItem")->isEnabled());

        Started::key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(s.row(3), newChannel(QStringLiteral("438.50000")));
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        Started::key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(s.row(3), newChannel(QStringLiteral("438.50000")));
        // Undo shows the cell it took back.
        s.click(6, 8);
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.grid()->selectedRow(), 3);
        QCOMPARE(s.table().currentRow(), 3);
    }

    // While the frequency editor is open, Ctrl+Z is its own; from the menu,
    // the frequency being typed is taken back as typed, and redo returns it.
    void frequencyEditorKeepsItsKeys()
    {
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(2, QStringLiteral("440"));
        s.click(1, 2);
        s.type(QStringLiteral("4415"));
        auto *edit = s.program->channel()->findChild<QLineEdit *>(QStringLiteral("Edit1"));
        QCOMPARE(QApplication::focusWidget(), edit);
        // The key is the editor's: the history is not touched.
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(edit->isVisible());
        const QString typed = edit->text();
        QCOMPARE(s.table().cell(1, 2), typed);
        QCOMPARE(s.row(2).mid(1), newChannel(QStringLiteral("440.00000")).mid(1));

        s.action("UndoItem")->trigger();
        QVERIFY(!edit->isVisible());
        QCOMPARE(s.row(2), newChannel(QStringLiteral("440.00000")));
        s.action("RedoItem")->trigger();
        QCOMPARE(s.table().cell(1, 2), typed);
    }

    // A click on a two-state cell, Delete on a channel, Delete All and the
    // automatic add are one step each.
    void channelCommandsUndo()
    {
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(1, QStringLiteral("440"));
        s.typeChannel(2, QStringLiteral("441"));
        const QStringList first = s.row(1);
        const QStringList second = s.row(2);

        s.click(5, 1);
        QCOMPARE(s.table().cell(5, 1), QStringLiteral("Low"));
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(1), first);
        Started::key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(s.table().cell(5, 1), QStringLiteral("Low"));
        Started::key(Qt::Key_Z, Qt::ControlModifier);

        s.click(3, 2);
        Started::key(Qt::Key_Delete);
        QCOMPARE(s.row(2), kUnused);
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(2), second);

        answer(QMessageBox::Yes);
        QTest::mouseClick(s.button("Button2"), Qt::LeftButton);
        QCOMPARE(s.row(1), kUnused);
        QCOMPARE(s.action("UndoItem")->text(), QStringLiteral("Undo: Delete All"));
        QVERIFY(s.backToGrid());
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(1), first);
        QCOMPARE(s.row(2), second);

        // Each press of the automatic add is its own step.
        s.click(2, 2);
        QTest::mouseClick(s.button("Button1"), Qt::LeftButton);
        QTest::mouseClick(s.button("Button1"), Qt::LeftButton);
        QVERIFY(s.table().isInUse(4));
        const QStringList added = s.row(3);
        QCOMPARE(s.action("UndoItem")->text(), QStringLiteral("Undo: Auto Add"));
        s.grid()->setFocus();
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(4), kUnused);
        QCOMPARE(s.row(3), added);
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(3), kUnused);
        QCOMPARE(s.row(2), second);
    }

    // A language change is a step: undo puts the language back with its words.
    void languageChangeUndoes()
    {
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(1, QStringLiteral("440"));
        s.action("N5")->trigger();
        QCOMPARE(s.table().cell(5, 1), QStringLiteral("高功率"));
        QVERIFY(s.action("N5")->isChecked());
        QCOMPARE(s.action("UndoItem")->text(), QStringLiteral("撤消：语言"));
        // A change of language alone loses nothing.
        QVERIFY(s.main()->isWindowModified());
        s.action("UndoItem")->trigger();
        QCOMPARE(s.row(1), newChannel(QStringLiteral("440.00000")));
        QCOMPARE(s.table().cell(1, 0), QStringLiteral("RX Freq"));
        QVERIFY(s.action("N6")->isChecked());
        QCOMPARE(s.action("RedoItem")->text(), QStringLiteral("Redo: Language"));
        s.action("RedoItem")->trigger();
        QCOMPARE(s.table().cell(5, 1), QStringLiteral("高功率"));
        QVERIFY(s.action("N5")->isChecked());
        // Steps from before the change come back in the language of their time.
        s.action("UndoItem")->trigger();
        s.action("UndoItem")->trigger();
        QCOMPARE(s.row(1), kUnused);
        QVERIFY(s.action("N6")->isChecked());
    }

    // Two channels copied by their numbers paste into rows 10 and 11, as one step.
    void copiedRowsPaste()
    {
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(1, QStringLiteral("440"));
        s.typeChannel(2, QStringLiteral("441"));
        s.click(5, 2);
        s.click(0, 1);
        s.click(0, 2, Qt::ShiftModifier);
        QCOMPARE(s.grid()->selectedRows(), (QList<int>{1, 2}));
        Started::key(Qt::Key_C, Qt::ControlModifier);
        const QStringList lines =
            QGuiApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].split(u'\t').mid(0, 3), (QStringList{"CH", "RX Freq", "RX Tone"}));
        QCOMPARE(lines[2].split(u'\t'), QStringList{"02"} + s.row(2));

        s.click(0, 10);
        Started::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(s.row(10), s.row(1));
        QCOMPARE(s.row(11), s.row(2));
        QCOMPARE(s.table().cell(5, 11), QStringLiteral("Low"));
        QCOMPARE(s.grid()->selectedRows(), (QList<int>{10, 11}));
        QCOMPARE(s.action("UndoItem")->text(), QStringLiteral("Undo: Paste"));
        Started::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.row(10), kUnused);
        QCOMPARE(s.row(11), kUnused);

        // Cut empties the channels it copies.
        s.click(0, 1);
        Started::key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(s.row(1), kUnused);
        QCOMPARE(QGuiApplication::clipboard()->text().split(u'\n')[1].split(u'\t')[1],
                 QStringLiteral("440.00000"));
    }

    // Rows from a spreadsheet are checked as typed ones; one bad row refuses
    // the whole paste with a message, and nothing changes.
    void spreadsheetPasteRefusedWhole()
    {
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(4, QStringLiteral("440"));
        const QStringList before = s.row(4);
        QGuiApplication::clipboard()->setText(
            QStringLiteral("RX Freq\tRX Tone\n446.00625\t67.0\n520.5\tOFF\n446.1\t\n"));
        s.click(1, 4);
        QString message;
        onNextModal([&](QWidget *box) {
            message = messageText(box);
            box->close();
        });
        Started::key(Qt::Key_V, Qt::ControlModifier);
        QVERIFY2(message.contains(QLatin1String("3")) && message.contains(QLatin1String("520.5")),
                 qPrintable(message));
        QCOMPARE(s.row(4), before);
        QCOMPARE(s.row(5), kUnused);
        QVERIFY(s.backToGrid());

        QGuiApplication::clipboard()->setText(QStringLiteral("446.00625\t67.0\n\n446.1\n"));
        s.click(1, 4);
        Started::key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(s.table().cell(1, 4), QStringLiteral("446.00625"));
        QCOMPARE(s.table().cell(2, 4), QStringLiteral("67.0"));
        QCOMPARE(s.row(5), kUnused);
        QCOMPARE(s.row(6), newChannel(QStringLiteral("446.10000")));
    }

    // The title bar marks unsaved changes; Save clears the mark.
    void titleMarksUnsavedChanges()
    {
        Started s;
        QVERIFY(s.ready());
        QCOMPARE(s.shownTitle(), QStringLiteral("PW-100"));
        s.click(1, 2);
        s.type(QStringLiteral("44"));
        // A frequency still being typed is already a change.
        QCOMPARE(s.shownTitle(), QStringLiteral("PW-100*"));
        s.type(QStringLiteral("0\r"));

        onNextModal(
            [&](QWidget *modal) { typeFileName(modal, s.dir.filePath(QStringLiteral("saved"))); });
        s.action("FileCloseItem")->trigger();
        QVERIFY(QFileInfo::exists(s.dir.filePath(QStringLiteral("saved.q42"))));
        QCOMPARE(s.shownTitle(), QStringLiteral("PW-100"));
        // Undo past the save is a change again; redo back to it is none.
        s.action("UndoItem")->trigger();
        QVERIFY(s.main()->isWindowModified());
        s.action("RedoItem")->trigger();
        QVERIFY(!s.main()->isWindowModified());
    }

    // Closing asks only when something is unsaved; Cancel keeps the program
    // open, Discard closes it.
    void closeAsksOnlyWithUnsavedChanges()
    {
        {
            Started s;
            QVERIFY(s.ready());
            QVERIFY(s.main()->close());
            QVERIFY(!s.main()->isVisible());
        }
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(1, QStringLiteral("440"));
        QString text, name;
        answer(QMessageBox::Cancel, &text, &name);
        QVERIFY(!s.main()->close());
        QCOMPARE(name, QStringLiteral("CloseQuestion"));
        QCOMPARE(text, QStringLiteral(
                           "The configuration has unsaved changes. Save them before closing?"));
        QVERIFY(s.main()->isVisible());
        QCOMPARE(s.row(1), newChannel(QStringLiteral("440.00000")));

        answer(QMessageBox::Discard);
        QVERIFY(s.main()->close());
        QVERIFY(!s.main()->isVisible());
    }

    // Save in the close question saves through the Save dialog, then closes;
    // a cancelled Save dialog keeps the program open.
    void closeQuestionSaves()
    {
        Started s;
        QVERIFY(s.ready());
        s.typeChannel(1, QStringLiteral("440"));
        answer(QMessageBox::Save);
        QTimer::singleShot(0, [] {
            onNextModal([](QWidget *modal) { static_cast<QDialog *>(modal)->reject(); });
        });
        QVERIFY(!s.main()->close());
        QVERIFY(s.main()->isVisible());

        answer(QMessageBox::Save);
        QTimer::singleShot(0, [&] {
            onNextModal([&](QWidget *modal) {
                typeFileName(modal, s.dir.filePath(QStringLiteral("kept")));
            });
        });
        QVERIFY(s.main()->close());
        QVERIFY(QFileInfo::exists(s.dir.filePath(QStringLiteral("kept.q42"))));
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
