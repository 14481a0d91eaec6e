#include "core/base/StringTable.h"
#include "core/channels/ChannelTable.h"
#include "core/options/FunctionSettings.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"
#include "gui/ChannelGrid.h"
#include "gui/Tchannel.h"
#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>

using namespace TestSupport;

namespace
{

const QString kOff = QStringLiteral("禁用");
const QString kOn = QStringLiteral("启用");
const QString kHigh = QStringLiteral("高功率");
const QString kLow = QStringLiteral("低功率");
const QString kWide = QStringLiteral("宽带");
const QString kNarrow = QStringLiteral("窄带");

// The channel editor window on screen and active, with the band 400-470MHz,
// driven by mouse and keyboard as a user does.
struct Editor {
    Workspace ws;
    ChannelTable &table = ws.channels();
    std::unique_ptr<Tchannel> window;

    explicit Editor(const QString &band = QStringLiteral("400-470MHz"))
    {
        if (!band.isEmpty()) {
            ws.bands().add(band);
            ws.bands().setCurrentIndex(0);
        }
        table.labelRows();
        window = std::make_unique<Tchannel>(ws);
        window->show();
        window->activateWindow();
    }
    bool ready() { return QTest::qWaitForWindowActive(window.get()); }

    ChannelGrid *grid() const { return window->grid(); }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QLineEdit *frequencyEditor() const { return child<QLineEdit>("Edit1"); }
    QComboBox *toneEditor() const { return child<QComboBox>("ComboBox1"); }
    QComboBox *privacyEditor() const { return child<QComboBox>("ComboBox2"); }
    QTimer *timer() const { return child<QTimer>("Timer1"); }

    QPoint cellCentre(int column, int row) const
    {
        return grid()->visualRect(table.index(row, column)).center();
    }
    void click(int column, int row) const
    {
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellCentre(column, row));
    }
    void clickButton(const char *name) const
    {
        QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton);
    }
    // What the window system delivers for a double click: a click, then a
    // double click in place of the second press, then its release.
    void doubleClick(int column, int row) const
    {
        QWidget *viewport = grid()->viewport();
        const QPoint at = cellCentre(column, row);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    // One notch of the wheel over the grid; up is away from the user.
    void wheel(bool up) const
    {
        QWheelEvent event(QPointF(cellCentre(6, 8)),
                          grid()->viewport()->mapToGlobal(QPointF(cellCentre(6, 8))), QPoint(),
                          QPoint(0, up ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid()->viewport(), &event);
    }

    // A key goes down and comes up again; each goes to the widget that has
    // the focus at that moment, as from a keyboard.
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QVERIFY2(QApplication::focusWidget(), "nothing has the keyboard focus");
        QTest::keyPress(QApplication::focusWidget(), key, modifiers);
        QTest::keyRelease(QApplication::focusWidget(), key, modifiers);
    }
    // The Delete key as an X server gives it: with the DEL character as its
    // text.
    static void deleteKey()
    {
        QVERIFY2(QApplication::focusWidget(), "nothing has the keyboard focus");
        const QString text(QChar(0x7f));
        QTest::sendKeyEvent(QTest::Press, QApplication::focusWidget(), Qt::Key_Delete, text,
                            Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), Qt::Key_Delete, text,
                            Qt::NoModifier);
    }
    // Types the characters; '\b' is Backspace and '\r' Enter.
    static void type(const QString &keys)
    {
        for (const QChar c : keys) {
            QVERIFY2(QApplication::focusWidget(), "nothing has the keyboard focus");
            QTest::keyPress(QApplication::focusWidget(), c.toLatin1());
            QTest::keyRelease(QApplication::focusWidget(), c.toLatin1());
        }
    }

    // What a Chinese input method does: commit text without key events.
    static void commitByInputMethod(const QString &text)
    {
        QInputMethodEvent composed;
        composed.setCommitString(text);
        QApplication::sendEvent(QApplication::focusWidget(), &composed);
    }

    QStringList row(int r) const
    {
        QStringList cells;
        for (int c = 1; c < ChannelTable::ColumnCount; ++c)
            cells << table.cell(c, r);
        return cells;
    }
    // A complete channel at the frequency, as the table makes it.
    void channel(int r, const QString &frequency)
    {
        table.setCell(ChannelTable::RxFrequency, r, frequency);
        table.fillNewChannelDefaults(r);
    }
    // Where a widget lies, in the window's coordinates.
    QRect placeOf(const QWidget *widget) const
    {
        return QRect(widget->mapTo(window.get(), QPoint(0, 0)), widget->size());
    }
    QRect cellPlace(int column, int row) const
    {
        const QRect cell = grid()->visualRect(table.index(row, column));
        return QRect(grid()->viewport()->mapTo(window.get(), cell.topLeft()), cell.size());
    }
};

QStringList newChannel(const QString &frequency)
{
    return {frequency, kOff, frequency, kOff, kHigh, kWide, kOn, kOff, kOn, kOff, kOff};
}

QStringList emptyChannel()
{
    return QStringList(ChannelTable::ColumnCount - 1, QString());
}

} // namespace

// Editing the channel grid with mouse and keyboard: the overlay editors, the
// two-state cells and the toggle suppression, the buttons and the timer of
// the automatic add.
class TestGridEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void typedFrequencyCompletesChannelOnEnter()
    {
        Editor e;
        QVERIFY(e.ready());
        e.click(1, 3);
        QLineEdit *edit = e.frequencyEditor();
        QVERIFY(edit->isVisible());
        // Shown over the cell without taking the keyboard from the grid.
        QCOMPARE(QApplication::focusWidget(), e.grid());
        QCOMPARE(e.placeOf(edit).topLeft(), e.cellPlace(1, 3).topLeft());

        // The first digit typed on the grid starts the editor; the cell shows
        // every key as it is typed.
        Editor::type(QStringLiteral("438.5"));
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->text(), QStringLiteral("438.5"));
        QCOMPARE(e.row(3), (QStringList{"438.5"} + QStringList(10, QString())));

        Editor::type(QStringLiteral("\r"));
        QVERIFY(!edit->isVisible());
        QCOMPARE(QApplication::focusWidget(), e.grid());
        QCOMPARE(e.row(3), newChannel(QStringLiteral("438.50000")));
    }

    // Keys the frequency editor refuses are dropped without a word.
    void frequencyEditorKeys_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("committed");
        QTest::newRow("separator after two digits") << "C"
                                                    << "43.8.5"
                                                    << "438.5"
                                                    << "438.50000";
        QTest::newRow("second separator") << "C"
                                          << "438.5.1"
                                          << "438.51"
                                          << "438.51000";
        QTest::newRow("comma is not the separator") << "C"
                                                    << "438,5"
                                                    << "4385"
                                                    << "470.00000";
        QTest::newRow("letters and signs") << "C"
                                           << "4x3-8 +e5"
                                           << "4385"
                                           << "470.00000";
        QTest::newRow("nine characters at most") << "C"
                                                 << "438.1234567"
                                                 << "438.12345"
                                                 << "438.12500";
        QTest::newRow("comma system takes the comma") << "de_DE"
                                                      << "438,5"
                                                      << "438,5"
                                                      << "438,50000";
        QTest::newRow("comma system drops the full stop") << "de_DE"
                                                          << "438.5"
                                                          << "4385"
                                                          << "470,00000";
    }
    void frequencyEditorKeys()
    {
        QFETCH(QString, locale);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(QString, committed);
        QLocale::setDefault(QLocale(locale));
        Editor e;
        QVERIFY(e.ready());
        e.click(1, 2);
        Editor::type(keys);
        QCOMPARE(e.frequencyEditor()->text(), shown);
        QCOMPARE(e.table.cell(1, 2), shown);
        Editor::type(QStringLiteral("\r"));
        QCOMPARE(e.table.cell(1, 2), committed);
        QCOMPARE(e.table.cell(3, 2), committed);
    }

    // Backspace on a whole frequency empties the cell at once, and typing
    // starts afresh; erasing the receive frequency deletes the channel at
    // the commit.
    void backspaceOnCompleteFrequency()
    {
        Editor e;
        QVERIFY(e.ready());
        e.channel(5, QStringLiteral("438.50000"));
        e.click(1, 5);
        Editor::type(QStringLiteral("\b"));
        QCOMPARE(e.table.cell(1, 5), QString());
        QCOMPARE(e.frequencyEditor()->text(), QString());
        e.click(1, 6);
        QCOMPARE(e.row(5), emptyChannel());
    }

    // The arrow keys (and the wheel right of the tone columns) set the
    // suppression flag before they move, so arriving on a two-state cell
    // does not flip it; the next click does. Other moves flip on arrival.
    void movesOntoTwoStateCell_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QString>("move");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("flipsOnArrival");
        QTest::newRow("Right") << QPoint(4, 2) << "Right" << QPoint(5, 2) << false;
        QTest::newRow("Left") << QPoint(6, 2) << "Left" << QPoint(5, 2) << false;
        QTest::newRow("Up") << QPoint(5, 3) << "Up" << QPoint(5, 2) << false;
        QTest::newRow("Down") << QPoint(5, 1) << "Down" << QPoint(5, 2) << false;
        QTest::newRow("wheel up") << QPoint(5, 3) << "wheel up" << QPoint(5, 2) << false;
        QTest::newRow("wheel down") << QPoint(5, 1) << "wheel down" << QPoint(5, 2) << false;
        QTest::newRow("End") << QPoint(1, 2) << "End" << QPoint(11, 2) << true;
        QTest::newRow("PageDown") << QPoint(5, 1) << "PageDown" << QPoint(5, 16) << true;
    }
    void movesOntoTwoStateCell()
    {
        QFETCH(QPoint, from);
        QFETCH(QString, move);
        QFETCH(QPoint, to);
        QFETCH(bool, flipsOnArrival);
        Editor e;
        QVERIFY(e.ready());
        for (int r = 1; r <= 16; ++r)
            e.channel(r, QStringLiteral("440.00000"));
        e.click(from.x(), from.y());
        const QString before = e.table.cell(to.x(), to.y());
        const QString after = to.x() == 5 ? kLow : kOn;

        if (move.startsWith(QLatin1String("wheel")))
            e.wheel(move.endsWith(QLatin1String("up")));
        else
            Editor::key(move == "Right"  ? Qt::Key_Right
                        : move == "Left" ? Qt::Key_Left
                        : move == "Up"   ? Qt::Key_Up
                        : move == "Down" ? Qt::Key_Down
                        : move == "End"  ? Qt::Key_End
                                         : Qt::Key_PageDown);
        QCOMPARE(QPoint(e.table.currentColumn(), e.table.currentRow()), to);
        QCOMPARE(QPoint(e.grid()->selectedColumn(), e.grid()->selectedRow()), to);
        QCOMPARE(e.table.cell(to.x(), to.y()), flipsOnArrival ? after : before);
        e.click(to.x(), to.y());
        QCOMPARE(e.table.cell(to.x(), to.y()), flipsOnArrival ? before : after);
    }

    // Text reaching the grid from an input method does not move the
    // selection behind the editor's back.
    void inputMethodTextDoesNotMoveSelection()
    {
        Editor e;
        QVERIFY(e.ready());
        e.channel(3, QStringLiteral("433.12500"));
        e.click(1, 1);
        Editor::commitByInputMethod(QStringLiteral("43"));
        QCOMPARE(QPoint(e.grid()->selectedColumn(), e.grid()->selectedRow()), QPoint(1, 1));
        QCOMPARE(e.table.currentRow(), 1);
    }

    // An arrow move that ends on a tone cell leaves the flag set: the first
    // click on a two-state cell only selects it. Clicks on a row without a
    // receive frequency leave the flag alone.
    void firstClickAfterArrowMoveIsSwallowed()
    {
        Editor e;
        QVERIFY(e.ready());
        e.channel(2, QStringLiteral("440.00000"));
        e.click(3, 2);
        Editor::key(Qt::Key_Right);
        QVERIFY(e.toneEditor()->isVisible());
        e.click(6, 9);
        QCOMPARE(e.row(9), emptyChannel());
        e.click(6, 2);
        QCOMPARE(e.table.cell(6, 2), kWide);
        e.click(6, 2);
        QCOMPARE(e.table.cell(6, 2), kNarrow);
        e.click(6, 2);
        QCOMPARE(e.table.cell(6, 2), kWide);
    }

    // The tone editor completes typed text from the tone list; the cell
    // holds only the OFF word or a whole entry.
    // Rows: keys typed after clicking into the editor, then the text shown,
    // its selected (completed) part and the cell. English has its own OFF
    // word, which the language switch puts at the head of the list.
    void toneEditorCompletes_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("cell");
        const auto row = [](const char *name, bool english, const char *keys, const QString &shown,
                            const QString &selected, const QString &cell) {
            QTest::newRow(name) << english << QString::fromLatin1(keys) << shown << selected
                                << cell;
        };
        const QString off = QStringLiteral("OFF");
        row("6", false, "\b6", "63.0", "3.0", "63.0");
        row("6 then 7", false, "\b67", "67.0", ".0", "67.0");
        row("d", false, "\bd", "D017N", "017N", "D017N");
        row("lower-case inverted code", false, "\bd023i", "D023I", "", "D023I");
        row("15", false, "\b15", "151.4", "1.4", "151.4");
        row("other keys dropped", false, "\b6x,a 7", "67.0", ".0", "67.0");
        row("matches no entry", false, "\b67\b", "67", "", kOff);
        row("no entry begins so", false, "\b67.5", "67.5", "", kOff);
        row("Backspace on the OFF word", false, "\b", kOff, kOff, kOff);
        row("all erased", false, "\b6\b\b", kOff, kOff, kOff);
        row("typed over the OFF word", false, "67", "67.0", ".0", "67.0");
        row("typed over the OFF word, a key dropped", false, "6x9", "69.3", ".3", "69.3");
        row("English: Backspace on the OFF word", true, "\b", off, off, off);
        row("English: 6 then 7", true, "\b67", "67.0", ".0", "67.0");
        row("English: matches no entry", true, "\bd\b", "D", "", off);
    }
    void toneEditorCompletes()
    {
        QFETCH(bool, english);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(QString, selected);
        QFETCH(QString, cell);
        Editor e;
        QVERIFY(e.ready());
        if (english) {
            const std::optional<StringTable> table =
                StringTable::load(languageDir() + QStringLiteral("/eng_dll.lng"));
            QVERIFY(table);
            LanguageSwitch::apply(*table, e.ws);
            e.window->applyLanguage(*table);
        }
        const QString off = e.ws.texts().offWord;
        e.channel(4, QStringLiteral("440.00000"));
        e.click(4, 4);
        QComboBox *tone = e.toneEditor();
        QVERIFY(tone->isVisible());
        QCOMPARE(tone->currentText(), off);
        // The list lies over the cell, one pixel further left.
        QCOMPARE(e.placeOf(tone).topLeft(), e.cellPlace(4, 4).topLeft() - QPoint(1, 0));
        // Its text is selected when it opens and still when a click gives it
        // the keyboard, so that what is typed replaces it.
        QCOMPARE(tone->lineEdit()->selectedText(), off);
        QTest::mouseClick(tone->lineEdit(), Qt::LeftButton);
        QVERIFY(tone->hasFocus());
        QCOMPARE(tone->lineEdit()->selectedText(), off);
        Editor::type(keys);
        QCOMPARE(tone->currentText(), shown);
        QCOMPARE(tone->lineEdit()->selectedText(), selected);
        QCOMPARE(e.table.cell(4, 4), cell);
        QCOMPARE(e.table.cell(2, 4), off);
    }

    // Only typed keys reach a frequency cell: pasted text and the text an
    // input method commits are refused.
    void frequencyEditorRefusesOtherInput()
    {
        Editor e;
        QVERIFY(e.ready());
        e.click(1, 2);
        Editor::type(QStringLiteral("438"));
        QGuiApplication::clipboard()->setText(QStringLiteral("4x9.5"));
        Editor::key(Qt::Key_Insert, Qt::ShiftModifier);
        Editor::key(Qt::Key_V, Qt::ControlModifier);
        Editor::commitByInputMethod(QStringLiteral("４５"));
        QCOMPARE(e.frequencyEditor()->text(), QStringLiteral("438"));
        QCOMPARE(e.table.cell(1, 2), QStringLiteral("438"));

        e.channel(3, QStringLiteral("440.00000"));
        e.click(2, 3);
        QTest::mouseClick(e.toneEditor()->lineEdit(), Qt::LeftButton);
        Editor::commitByInputMethod(QStringLiteral("开"));
        QCOMPARE(e.toneEditor()->currentText(), kOff);
    }

    // Delete and the caret keys edit inside the frequency and tone editors
    // as in any text box; the cell follows the editor's rules.
    void deleteEditsInsideTheEditors()
    {
        Editor e;
        QVERIFY(e.ready());
        e.click(1, 2);
        Editor::type(QStringLiteral("438.55"));
        Editor::key(Qt::Key_Left);
        Editor::deleteKey();
        QCOMPARE(e.frequencyEditor()->text(), QStringLiteral("438.5"));
        QCOMPARE(e.table.cell(1, 2), QStringLiteral("438.5"));
        Editor::key(Qt::Key_Home);
        Editor::key(Qt::Key_End);
        Editor::type(QStringLiteral("\r"));
        QCOMPARE(e.row(2), newChannel(QStringLiteral("438.50000")));

        e.table.setCell(2, 2, QStringLiteral("67.0"));
        e.click(2, 2);
        QComboBox *tone = e.toneEditor();
        QTest::mouseClick(tone->lineEdit(), Qt::LeftButton);
        Editor::key(Qt::Key_Home);
        Editor::deleteKey();
        QCOMPARE(tone->currentText(), QStringLiteral("7.0"));
        QCOMPARE(e.table.cell(2, 2), kOff);
        Editor::type(QStringLiteral("6"));
        QCOMPARE(tone->currentText(), QStringLiteral("67.0"));
        QCOMPARE(e.table.cell(2, 2), QStringLiteral("67.0"));
    }

    void toneEditorShowsCellAndClosesOnEnter()
    {
        Editor e;
        QVERIFY(e.ready());
        e.channel(4, QStringLiteral("440.00000"));
        e.table.setCell(2, 4, QStringLiteral("D754I"));
        e.click(2, 4);
        QComboBox *tone = e.toneEditor();
        QCOMPARE(tone->currentText(), QStringLiteral("D754I"));
        // A choice from the drop-down list goes into the cell; opening the
        // list does not close the editor.
        QTest::mouseClick(tone, Qt::LeftButton, {}, QPoint(tone->width() - 4, tone->height() / 2));
        QTRY_VERIFY(tone->view()->isVisible());
        QVERIFY(tone->isVisible());
        Editor::key(Qt::Key_Up);
        Editor::key(Qt::Key_Return);
        QTRY_VERIFY(!tone->view()->isVisible());
        QCOMPARE(e.table.cell(2, 4), QStringLiteral("D743I"));
        QVERIFY(tone->isVisible());
        QVERIFY(tone->hasFocus());
        Editor::type(QStringLiteral("\r"));
        QVERIFY(!tone->isVisible());
        QCOMPARE(e.table.cell(2, 4), QStringLiteral("D743I"));
        // A row without receive frequency gets no editor.
        e.click(2, 9);
        QVERIFY(!tone->isVisible());
    }

    // Holding automatic add: one channel on the press, one more after a
    // second, then one every 200 ms; past the upper band edge the sequence
    // starts again at the lower edge, and at the last row it stops. Each new
    // row is selected as by a click, without flipping a two-state cell.
    void automaticAddWhileHeld_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("receive frequency") << 1;
        QTest::newRow("power") << 5;
    }
    void automaticAddWhileHeld()
    {
        QFETCH(int, column);
        Editor e;
        QVERIFY(e.ready());
        e.ws.functions().setIndex(FunctionSettings::Step, 4); // 25 kHz
        e.channel(13, QStringLiteral("469.95000"));
        e.click(column, 13);
        auto *add = e.child<QPushButton>("Button1");

        QTest::mousePress(add, Qt::LeftButton);
        QCOMPARE(e.row(14), newChannel(QStringLiteral("469.97500")));
        QCOMPARE(e.table.currentRow(), 14);
        QCOMPARE(QPoint(e.grid()->selectedColumn(), e.grid()->selectedRow()), QPoint(column, 14));
        QLineEdit *edit = e.frequencyEditor();
        QCOMPARE(edit->isVisible(), column == 1);
        if (column == 1) {
            QCOMPARE(e.placeOf(edit).topLeft(), e.cellPlace(1, 14).topLeft());
            QCOMPARE(edit->text(), QStringLiteral("469.97500"));
        }

        QTest::qWait(700);
        QCOMPARE(e.table.cell(1, 15), QString());
        QTRY_COMPARE_WITH_TIMEOUT(e.table.cell(1, 15), QStringLiteral("470.00000"), 2000);
        // 470.025 lies above the band.
        QTRY_COMPARE_WITH_TIMEOUT(e.table.cell(1, 16), QStringLiteral("400.00000"), 1000);
        QCOMPARE(e.row(15), newChannel(QStringLiteral("470.00000")));
        QCOMPARE(e.row(16), newChannel(QStringLiteral("400.00000")));
        QCOMPARE(e.table.currentRow(), 16);

        QTest::qWait(500);
        QCOMPARE(e.table.currentRow(), 16);
        QCOMPARE(e.row(16), newChannel(QStringLiteral("400.00000")));
        QCOMPARE(e.row(1), emptyChannel());
        QTest::mouseRelease(add, Qt::LeftButton);
        QVERIFY(!e.timer()->isActive());
    }

    void automaticAddShortClickStartsFirstChannel()
    {
        Editor e;
        QVERIFY(e.ready());
        e.click(3, 1);
        QTest::mouseClick(e.child<QPushButton>("Button1"), Qt::LeftButton);
        QCOMPARE(e.row(1), newChannel(QStringLiteral("400.00000")));
        QVERIFY(!e.timer()->isActive());
        // A receive frequency typed but not yet committed is completed.
        e.click(1, 2);
        Editor::type(QStringLiteral("455.1234"));
        QTest::mouseClick(e.child<QPushButton>("Button1"), Qt::LeftButton);
        QCOMPARE(e.row(2), newChannel(QStringLiteral("455.12500")));
        QCOMPARE(e.row(3), emptyChannel());
        QCOMPARE(e.frequencyEditor()->text(), QStringLiteral("455.12500"));
    }

    // A frequency retyped into a complete channel is committed before the
    // add, so the row it starts from is normalised too.
    void automaticAddCommitsRetypedFrequency()
    {
        Editor e;
        QVERIFY(e.ready());
        e.ws.functions().setIndex(FunctionSettings::Step, 4); // 25 kHz
        e.channel(1, QStringLiteral("438.00000"));
        e.click(1, 1);
        Editor::type(QStringLiteral("439"));
        QCOMPARE(e.table.cell(1, 1), QStringLiteral("439"));
        e.clickButton("Button1");
        QCOMPARE(e.table.cell(1, 1), QStringLiteral("439.00000"));
        QCOMPARE(e.table.cell(3, 1), QStringLiteral("438.00000"));
        QCOMPARE(e.row(2), newChannel(QStringLiteral("439.02500")));
        QCOMPARE(e.table.currentRow(), 2);
    }

    // Without a current band the first normalisation fails: the add ends
    // there, with no timer left running behind the error box.
    void automaticAddWithoutBandStopsAtFirstError()
    {
        Editor e{QString()};
        QVERIFY(e.ready());
        auto *add = e.child<QPushButton>("Button1");
        QString shown;
        bool timerRunning = true;
        onNextModal([&](QWidget *box) {
            shown = messageText(box);
            timerRunning = e.timer()->isActive();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QTest::mousePress(add, Qt::LeftButton);
        QCOMPARE(shown, QStringLiteral("'' is not a valid floating point value."));
        QVERIFY(!timerRunning);
        QVERIFY(!e.timer()->isActive());
        QVERIFY(!add->isDown());
        QCOMPARE(e.row(1), emptyChannel());
    }

    // The moves take the channel along, and the current row and the grid's
    // selection follow it; at the ends and on an unused row nothing moves.
    // The frequency editor goes along with the selection.
    void moveChannel_data()
    {
        QTest::addColumn<int>("startRow");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("endRow");
        QTest::newRow("down twice") << 5 << "Button4" << 7;
        QTest::newRow("up twice") << 5 << "Button3" << 3;
        QTest::newRow("up on row 1") << 1 << "Button3" << 1;
        QTest::newRow("down on row 16") << 16 << "Button4" << 16;
        QTest::newRow("unused row") << 8 << "Button4" << 8;
    }
    void moveChannel()
    {
        QFETCH(int, startRow);
        QFETCH(QString, button);
        QFETCH(int, endRow);
        Editor e;
        QVERIFY(e.ready());
        for (int r : {1, 5, 16})
            e.channel(r, QStringLiteral("4%1.00000").arg(r, 2, 10, QLatin1Char('0')));
        QStringList before;
        for (int r = 1; r <= 16; ++r)
            before << e.table.cell(1, r);
        e.click(1, startRow);
        QLineEdit *edit = e.frequencyEditor();
        QVERIFY(edit->isVisible());

        e.clickButton(qPrintable(button));
        e.clickButton(qPrintable(button));
        QCOMPARE(e.table.currentRow(), endRow);
        QCOMPARE(QPoint(e.grid()->selectedColumn(), e.grid()->selectedRow()), QPoint(1, endRow));
        QStringList after = before;
        after.move(startRow - 1, endRow - 1);
        for (int r = 1; r <= 16; ++r) {
            const QString rx = after.at(r - 1);
            QCOMPARE(e.row(r), rx.isEmpty() ? emptyChannel() : newChannel(rx));
        }
        QCOMPARE(edit->text(), e.table.cell(1, endRow));
        QVERIFY(edit->isVisible());
        QCOMPARE(e.placeOf(edit).topLeft(), e.cellPlace(1, endRow).topLeft());
    }

    // After a move, Delete and the delete-channel button act on the row that
    // is highlighted: the moved channel. The selection moves as a click
    // does, without flipping a two-state cell.
    void deleteAfterMoveTakesHighlightedRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("receive frequency, Delete key") << 1 << true;
        QTest::newRow("power, delete channel button") << 5 << false;
        QTest::newRow("option, Delete key") << 9 << true;
    }
    void deleteAfterMoveTakesHighlightedRow()
    {
        QFETCH(int, column);
        QFETCH(bool, byKey);
        Editor e;
        QVERIFY(e.ready());
        e.channel(5, QStringLiteral("405.00000"));
        e.channel(6, QStringLiteral("406.00000"));
        e.channel(7, QStringLiteral("407.00000"));
        e.click(column, 5);
        const QStringList moved = e.row(5);
        e.clickButton("Button4");
        QCOMPARE(QPoint(e.grid()->selectedColumn(), e.grid()->selectedRow()), QPoint(column, 6));
        QCOMPARE(e.row(6), moved);
        if (byKey) {
            // Back to the grid from the button, by keyboard.
            for (int press = 0; press < 8 && QApplication::focusWidget() != e.grid(); ++press)
                Editor::key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), e.grid());
            Editor::deleteKey();
        } else {
            e.clickButton("Button5");
        }
        QCOMPARE(e.row(6), emptyChannel());
        QCOMPARE(e.row(5), newChannel(QStringLiteral("406.00000")));
        QCOMPARE(e.row(7), newChannel(QStringLiteral("407.00000")));
    }

    // The second press of a double click is no second click: a two-state
    // cell flips once, and the next click flips it back.
    void doubleClickFlipsOnce_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("flipped");
        QTest::newRow("power") << 5 << kLow;
        QTest::newRow("bandwidth") << 6 << kNarrow;
        QTest::newRow("option") << 8 << kOn;
    }
    void doubleClickFlipsOnce()
    {
        QFETCH(int, column);
        QFETCH(QString, flipped);
        Editor e;
        QVERIFY(e.ready());
        e.channel(3, QStringLiteral("440.00000"));
        const QString before = e.table.cell(column, 3);
        e.doubleClick(column, 3);
        QCOMPARE(e.table.cell(column, 3), flipped);
        e.click(column, 3);
        QCOMPARE(e.table.cell(column, 3), before);
        // A double click whose first press went to another cell flips the
        // cell it lands on, once.
        e.click(column, 4);
        e.channel(4, QStringLiteral("441.00000"));
        e.doubleClick(column, 4);
        QCOMPARE(e.table.cell(column, 4), flipped);
    }

    // The wheel over an overlay editor moves the grid's selection as over
    // the grid; it never changes the editor's choice or the cell, focused
    // or not.
    void wheelOverEditorMovesTheGrid_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("editor");
        QTest::newRow("frequency editor") << 1 << "Edit1";
        QTest::newRow("tone editor") << 2 << "ComboBox1";
        QTest::newRow("voice-privacy editor") << 10 << "ComboBox2";
    }
    void wheelOverEditorMovesTheGrid()
    {
        QFETCH(int, column);
        QFETCH(QString, editor);
        Editor e;
        QVERIFY(e.ready());
        for (int r = 3; r <= 7; ++r)
            e.channel(r, QStringLiteral("440.00000"));
        QStringList before;
        for (int r = 1; r <= 16; ++r)
            before << e.row(r);
        e.click(column, 4);
        QWidget *shown = e.child(qPrintable(editor));
        QVERIFY(shown->isVisible());

        // Towards the user: down one row.
        turnWheel(shown, shown->rect().center(), -1);
        QCOMPARE(QPoint(e.grid()->selectedColumn(), e.grid()->selectedRow()), QPoint(column, 5));
        QVERIFY(shown->isVisible());
        QCOMPARE(e.placeOf(shown).top(), e.cellPlace(column, 5).top());
        turnWheel(shown, shown->rect().center(), +2);
        QCOMPARE(e.grid()->selectedRow(), 3);

        // With the keyboard in the editor, the wheel still moves the grid.
        e.click(column, 6);
        shown->setFocus(Qt::TabFocusReason);
        turnWheel(shown, shown->rect().center(), -1);
        QCOMPARE(e.grid()->selectedRow(), 7);
        QStringList after;
        for (int r = 1; r <= 16; ++r)
            after << e.row(r);
        QCOMPARE(after, before);
    }

    void deleteAllAsksFirst_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void deleteAllAsksFirst()
    {
        QFETCH(bool, yes);
        Editor e;
        QVERIFY(e.ready());
        for (int r : {1, 9, 16})
            e.channel(r, QStringLiteral("440.00000"));
        e.click(1, 9);
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString caption, text;
        QMessageBox::StandardButtons buttons;
        onNextModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            icon = box->icon();
            caption = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            QTest::mouseClick(box->button(yes ? QMessageBox::Yes : QMessageBox::No),
                              Qt::LeftButton);
        });
        e.clickButton("Button2");
        QCOMPARE(text, QStringLiteral("删除所有信道!"));
        QCOMPARE(caption, QStringLiteral("警告"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
        for (int r : {1, 9, 16})
            QCOMPARE(e.row(r), yes ? emptyChannel() : newChannel(QStringLiteral("440.00000")));
        QCOMPARE(e.frequencyEditor()->isVisible(), !yes);
    }

    // The Delete key and the delete-channel button empty the current row at
    // once and close the editors.
    void deleteChannel_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Delete key") << true;
        QTest::newRow("delete channel button") << false;
    }
    void deleteChannel()
    {
        QFETCH(bool, byKey);
        Editor e;
        QVERIFY(e.ready());
        e.channel(6, QStringLiteral("440.00000"));
        e.channel(7, QStringLiteral("441.00000"));
        e.click(4, 6);
        QVERIFY(e.toneEditor()->isVisible());
        if (byKey)
            Editor::deleteKey();
        else
            e.clickButton("Button5");
        QCOMPARE(e.row(6), emptyChannel());
        QCOMPARE(e.row(7), newChannel(QStringLiteral("441.00000")));
        QVERIFY(!e.toneEditor()->isVisible());
    }

    void privacyEditorWritesChoice()
    {
        Editor e;
        QVERIFY(e.ready());
        e.channel(6, QStringLiteral("440.00000"));
        e.table.setCell(10, 6, QStringLiteral("扰频"));
        e.click(10, 6);
        QComboBox *privacy = e.privacyEditor();
        QVERIFY(privacy->isVisible());
        QCOMPARE(e.placeOf(privacy).topLeft(), e.cellPlace(10, 6).topLeft() - QPoint(1, 0));
        QCOMPARE(privacy->currentText(), QStringLiteral("扰频"));
        // Opening the list does not close the editor.
        QTest::mouseClick(privacy, Qt::LeftButton);
        QTRY_VERIFY(privacy->view()->isVisible());
        QVERIFY(privacy->isVisible());
        Editor::key(Qt::Key_Up);
        Editor::key(Qt::Key_Return);
        QTRY_VERIFY(!privacy->view()->isVisible());
        QCOMPARE(e.table.cell(10, 6), QStringLiteral("压扩"));
        QVERIFY(privacy->hasFocus());
        // Leaving it closes it.
        Editor::key(Qt::Key_Tab);
        QVERIFY(!privacy->isVisible());
        QCOMPARE(e.table.cell(10, 6), QStringLiteral("压扩"));
    }

    // A frequency typed and then left by activating another window stays as
    // typed, with the editor closed and nothing committed, until the next
    // selection change commits it before the selection moves; the click
    // logic then runs on the new cell.
    void typedFrequencyWaitsForSelectionChange_data()
    {
        QTest::addColumn<QString>("move");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QString>("editor");
        QTest::newRow("click") << "click" << QPoint(1, 6) << "Edit1";
        QTest::newRow("Right") << "Right" << QPoint(2, 3) << "ComboBox1";
        QTest::newRow("Down") << "Down" << QPoint(1, 4) << "Edit1";
        QTest::newRow("wheel down") << "wheel down" << QPoint(1, 4) << "Edit1";
        QTest::newRow("Enter on the grid") << "Enter" << QPoint(1, 3) << "Edit1";
    }
    void typedFrequencyWaitsForSelectionChange()
    {
        QFETCH(QString, move);
        QFETCH(QPoint, to);
        QFETCH(QString, editor);
        Editor e;
        QVERIFY(e.ready());
        e.click(1, 3);
        Editor::type(QStringLiteral("438.5"));
        // What the main window does when another child window becomes active.
        e.window->FormDeactivate();
        QVERIFY(!e.window->isFrequencyEditorVisible());
        QCOMPARE(e.row(3), (QStringList{"438.5"} + QStringList(10, QString())));

        e.grid()->setFocus();
        if (move == "click")
            e.click(to.x(), to.y());
        else if (move == "wheel down")
            e.wheel(false);
        else
            Editor::key(move == "Right"  ? Qt::Key_Right
                        : move == "Down" ? Qt::Key_Down
                                         : Qt::Key_Return);
        QCOMPARE(QPoint(e.table.currentColumn(), e.table.currentRow()), to);
        if (move == "Enter") {
            // Enter on the grid opens the editor on the typed text, a second
            // Enter gives it the keyboard, and Enter there commits.
            QLineEdit *edit = e.frequencyEditor();
            QVERIFY(edit->isVisible());
            QCOMPARE(edit->text(), QStringLiteral("438.5"));
            QCOMPARE(QApplication::focusWidget(), e.grid());
            QCOMPARE(e.table.cell(2, 3), QString());
            Editor::type(QStringLiteral("\r"));
            QCOMPARE(QApplication::focusWidget(), edit);
            QCOMPARE(e.table.cell(2, 3), QString());
            Editor::type(QStringLiteral("\r"));
        }
        QCOMPARE(e.row(3), newChannel(QStringLiteral("438.50000")));
        QWidget *shown = e.child(qPrintable(editor));
        if (move != "Enter") {
            QVERIFY(shown->isVisible());
            QCOMPARE(e.placeOf(shown).top(), e.cellPlace(to.x(), to.y()).top());
        }
    }

    // Pictures of the window with the frequency editor and the tone editor
    // open, and after a move and a delete, as the X server shows them, to
    // look at; taken only when KT_GRID_SCREENSHOT_DIR names a folder (run
    // under xvfb-run with the xcb platform).
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("KT_GRID_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("KT_GRID_SCREENSHOT_DIR not set");
        Editor e;
        QVERIFY(e.ready());
        const std::optional<StringTable> table =
            StringTable::load(languageDir() + QStringLiteral("/cha_dll.lng"));
        QVERIFY(table);
        LanguageSwitch::apply(*table, e.ws);
        e.window->applyLanguage(*table);
        for (int r = 1; r <= 6; ++r)
            e.channel(r, QStringLiteral("4%1.12500").arg(30 + r));
        e.table.setCell(2, 3, QStringLiteral("67.0"));
        e.window->move(40, 40);
        const auto shoot = [&](const QString &name) {
            QTest::qWait(300);
            const QRect frame = e.window->frameGeometry();
            const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
            QVERIFY(screen.copy(frame).save(dir + QLatin1Char('/') + name));
        };
        e.click(1, 4);
        Editor::type(QStringLiteral("438.5"));
        shoot(QStringLiteral("grid-freq.png"));
        Editor::type(QStringLiteral("\r"));
        e.click(2, 3);
        shoot(QStringLiteral("grid-tone.png"));
        // Channel 2 moved down, then deleted from the keyboard: row 3 is
        // highlighted and empty.
        e.click(1, 2);
        e.clickButton("Button4");
        for (int press = 0; press < 8 && QApplication::focusWidget() != e.grid(); ++press)
            Editor::key(Qt::Key_Backtab, Qt::ShiftModifier);
        Editor::deleteKey();
        QCOMPARE(e.row(3), emptyChannel());
        shoot(QStringLiteral("grid-move-delete.png"));
    }
};

QTEST_MAIN(TestGridEditing)
#include "tst_gridediting.moc"
