#include "core/editing/EditHistory.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"

#include <QSignalSpy>
#include <QTest>

namespace
{

// A workspace with one band and a history started on it.
struct Fixture {
    Workspace ws;
    ChannelTable &table = ws.channels();
    FunctionSettings &functions = ws.functions();
    std::unique_ptr<EditHistory> history;

    Fixture()
    {
        ws.bands().add(QStringLiteral("400-470MHz"));
        ws.bands().setCurrentIndex(0);
        table.labelRows();
        functions.resetDefaults();
        history = std::make_unique<EditHistory>(ws);
    }
    // A channel typed into the row and committed, as the editor does.
    void typeChannel(int row, const QString &rx)
    {
        table.setCurrentCell(ChannelTable::RxFrequency, row);
        table.setCell(ChannelTable::RxFrequency, row, rx);
        table.sendallcell();
        history->commitCell(ChannelTable::RxFrequency, row);
    }
};

} // namespace

// The undo history over a workspace: what a step holds, the change under
// way, and the unsaved changes.
class TestEditHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A step is recorded only when something changed; undo and redo move
    // the table and the settings together, and a new step ends the redo.
    void stepsUndoAndRedo()
    {
        Fixture f;
        QVERIFY(!f.history->commit(QStringLiteral("nothing")));
        f.typeChannel(1, QStringLiteral("440"));
        f.functions.chooseIndex(FunctionSettings::APO, 2);
        f.functions.setKeyTime(20);
        QVERIFY(f.history->commit(QStringLiteral("APO")));
        QCOMPARE(f.history->stack().count(), 2);

        f.history->undo();
        QCOMPARE(f.functions.index(FunctionSettings::APO), 0);
        QCOMPARE(f.functions.keyTimeText(), QStringLiteral("1.5"));
        QCOMPARE(f.table.cell(1, 1), QStringLiteral("440.00000"));
        QCOMPARE(f.history->redoText(), QStringLiteral("APO"));
        f.history->undo();
        QCOMPARE(f.table.cell(1, 1), QString());
        QCOMPARE(f.table.cell(5, 1), QString());
        f.history->redo();
        f.history->redo();
        QCOMPARE(f.functions.index(FunctionSettings::APO), 2);
        QCOMPARE(f.functions.keyTimePosition(), 20);

        f.history->undo();
        f.typeChannel(2, QStringLiteral("441"));
        QVERIFY(!f.history->canRedo());
        // Without column names (no language applied) a cell step is a change
        // of its channel.
        QCOMPARE(f.history->undoText(), QStringLiteral("信道02的修改"));
    }

    // A change not yet committed (a frequency being typed) is taken back by
    // undo as a step of its own, which redo brings back.
    void changeUnderWayIsUndone()
    {
        Fixture f;
        f.typeChannel(3, QStringLiteral("440"));
        f.table.setCurrentCell(ChannelTable::RxFrequency, 3);
        f.table.setCell(ChannelTable::RxFrequency, 3, QStringLiteral("44"));
        QVERIFY(f.history->hasPendingChange());
        QVERIFY(!f.history->canRedo());
        QCOMPARE(f.history->undoText(), QStringLiteral("信道03的修改"));
        f.history->undo();
        QCOMPARE(f.table.cell(1, 3), QStringLiteral("440.00000"));
        f.history->redo();
        QCOMPARE(f.table.cell(1, 3), QStringLiteral("44"));
    }

    // Unsaved means different from what was last saved, word for word in
    // any language: the same channels in another language's words are no
    // change, and undoing back to the saved configuration is none either.
    void unsavedChangesCompareTheConfiguration()
    {
        Fixture f;
        QSignalSpy modified(f.history.get(), &EditHistory::modifiedChanged);
        QVERIFY(!f.history->isModified());
        f.typeChannel(1, QStringLiteral("440"));
        QVERIFY(f.history->isModified());
        QCOMPARE(modified.count(), 1);
        f.history->markSaved();
        QVERIFY(!f.history->isModified());

        LanguageTexts english = f.ws.texts();
        english.offWord = QStringLiteral("OFF");
        english.onWord = QStringLiteral("ON");
        english.highWord = QStringLiteral("High");
        english.wideWord = QStringLiteral("Wide");
        LanguageSwitch::rewriteChannelWords(f.table, english);
        QCOMPARE(f.table.cell(5, 1), QStringLiteral("High"));
        QVERIFY(!f.history->isModified());

        f.table.setCell(5, 1, QStringLiteral("低功率"));
        QVERIFY(f.history->isModified());
        f.history->commit(QStringLiteral("power"));
        f.history->undo();
        QVERIFY(!f.history->isModified());
        QCOMPARE(modified.count(), 4);
    }
};

QTEST_MAIN(TestEditHistory)
#include "tst_edithistory.moc"
