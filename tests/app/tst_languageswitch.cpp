#include "core/base/StringTable.h"
#include "core/radio/ExchangeFailure.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"
#include "support/TestSupport.h"

#include <QTest>

#include <iterator>

using FS = FunctionSettings;
using Failure = ExchangeFailure;
using Step = ExchangeFailure::Step;

Q_DECLARE_METATYPE(ExchangeFailure)

// What a change of language does to the program's data, with the language
// files the program ships.
class TestLanguageSwitch : public QObject
{
    Q_OBJECT

    static StringTable language(int number)
    {
        const QString path = StringTable::find(LanguageSwitch::startupBaseName(number),
                                               {TestSupport::languageDir()});
        const std::optional<StringTable> table = StringTable::load(path);
        if (!table)
            qFatal("language file %d missing", number);
        return *table;
    }

    // Channel 1 complete in the workspace's words, channel 2 with a cell of
    // every kind changed, channel 3 with texts no language knows.
    static void fill(Workspace &ws)
    {
        ChannelTable &t = ws.channels();
        ws.bands().add(QStringLiteral("400-470MHz"));
        ws.bands().setCurrentIndex(0);
        t.labelRows();
        for (int row : {1, 2}) {
            t.setCell(1, row, QStringLiteral("438.5"));
            t.setCurrentCell(1, row);
            t.sendallcell();
        }
        const LanguageTexts &w = ws.texts();
        t.setCell(2, 2, QStringLiteral("67.0"));
        t.setCell(5, 2, w.lowWord);
        t.setCell(6, 2, w.narrowWord);
        t.setCell(7, 2, w.offWord);
        t.setCell(8, 2, w.onWord);
        t.setCell(10, 2, w.scramblerWord);
        t.setCell(11, 2, w.onWord);
        t.setCell(1, 3, QStringLiteral("440.00000"));
        t.setCell(5, 3, QStringLiteral("medium"));
        t.setCell(10, 3, w.companderWord);
    }

    static QList<QStringList> rows(const ChannelTable &t)
    {
        QList<QStringList> all;
        for (int r = 1; r <= 16; ++r) {
            QStringList cells;
            for (int c = 0; c < ChannelTable::ColumnCount; ++c)
                cells << t.cell(c, r);
            all << cells;
        }
        return all;
    }

private Q_SLOTS:
    void chineseCellsBecomeEnglish()
    {
        Workspace ws;
        LanguageSwitch::apply(language(1), ws);
        fill(ws);
        LanguageSwitch::apply(language(2), ws);
        const ChannelTable &t = ws.channels();
        QCOMPARE(t.cell(1, 1), QStringLiteral("438.50000"));
        QCOMPARE(t.cell(3, 1), QStringLiteral("438.50000"));
        QCOMPARE(t.cell(0, 1), QStringLiteral("01"));
        QCOMPARE((QStringList{t.cell(2, 1), t.cell(4, 1), t.cell(5, 1), t.cell(6, 1), t.cell(7, 1),
                              t.cell(8, 1), t.cell(9, 1), t.cell(10, 1), t.cell(11, 1)}),
                 (QStringList{"OFF", "OFF", "High", "Wide", "ON", "OFF", "ON", "OFF", "OFF"}));
        QCOMPARE((QStringList{t.cell(2, 2), t.cell(5, 2), t.cell(6, 2), t.cell(7, 2), t.cell(8, 2),
                              t.cell(10, 2), t.cell(11, 2)}),
                 (QStringList{"67.0", "Low", "Narrow", "OFF", "ON", "scrambler", "ON"}));
        QCOMPARE(t.cell(5, 3), QStringLiteral("medium"));
        QCOMPARE(t.cell(10, 3), QStringLiteral("Comp"));
        QCOMPARE(ws.texts().offWord, QStringLiteral("OFF"));
    }

    // Every language's words are recognised, whatever language is in force.
    void wordsOfEveryLanguageAreRecognised_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (int from = 1; from <= 3; ++from)
            for (int to = 1; to <= 3; ++to)
                QTest::addRow("%d to %d", from, to) << from << to;
    }
    void wordsOfEveryLanguageAreRecognised()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        Workspace source;
        LanguageSwitch::apply(language(from), source);
        fill(source);
        Workspace expected;
        LanguageSwitch::apply(language(to), expected);
        fill(expected);

        // Cells in the words of one language (as a channel file written in it
        // brings them), switched from whatever language is in force.
        Workspace ws;
        for (int r = 1; r <= 16; ++r)
            for (int c = 0; c < ChannelTable::ColumnCount; ++c)
                ws.channels().setCell(c, r, source.channels().cell(c, r));
        LanguageSwitch::apply(language(to), ws);
        QCOMPARE(rows(ws.channels()), rows(expected.channels()));
    }

    void switchingTwiceChangesNothing()
    {
        Workspace ws;
        LanguageSwitch::apply(language(3), ws);
        fill(ws);
        ws.functions().setIndex(FS::TOT, 5);
        const QList<QStringList> cells = rows(ws.channels());
        const QStringList tot = ws.functions().items(FS::TOT);
        LanguageSwitch::apply(language(3), ws);
        QCOMPARE(rows(ws.channels()), cells);
        QCOMPARE(ws.functions().items(FS::TOT), tot);
        QCOMPARE(ws.functions().index(FS::TOT), 5);
    }

    // Rebuilt lists keep their selected index; the minute word follows the
    // language.
    void rebuiltListsKeepTheirIndex()
    {
        Workspace ws;
        FunctionSettings &f = ws.functions();
        QCOMPARE(f.index(FS::TOT), 3);
        f.setIndex(FS::Beep, 2);
        f.setIndex(FS::LongKey0, 7);
        f.setIndex(FS::APO, 0);
        const StringTable english = language(2);
        LanguageSwitch::apply(english, ws);
        QCOMPARE(f.index(FS::TOT), 3);
        QCOMPARE(f.currentText(FS::TOT), QStringLiteral("3") + english.text(48));
        QCOMPARE(f.currentText(FS::Beep), english.text(50));
        QCOMPARE(f.currentText(FS::LongKey0), english.text(30));
        QCOMPARE(f.currentText(FS::APO), QStringLiteral("OFF"));
        QCOMPARE(f.items(FS::APO).size(), 16);
        QCOMPARE(f.items(FS::LongKey1), f.items(FS::LongKey0));
        QCOMPARE(f.items(FS::LongKey0).at(5), QStringLiteral("SCAN"));
        // Lists the switch does not touch.
        QCOMPARE(f.items(FS::ShortKey0).at(1), QStringLiteral("暂态静噪(无长键)"));
    }

    // The P3 long-press list shows two items after a switch; a side-key
    // function beyond them is kept as the value files and the radio carry.
    void p3LongKeyKeepsItsValue()
    {
        Workspace ws;
        FunctionSettings &f = ws.functions();
        f.setIndex(FS::LongKey2, 6);
        const StringTable chinese = language(1);
        LanguageSwitch::apply(chinese, ws);
        QCOMPARE(f.items(FS::LongKey2), (QStringList{chinese.text(89), chinese.text(88)}));
        QCOMPARE(f.index(FS::LongKey2), 6);
        QCOMPARE(f.currentText(FS::LongKey2), QString());
        f.setIndex(FS::LongKey2, 1);
        QCOMPARE(f.currentText(FS::LongKey2), chinese.text(88));
        f.setIndex(FS::LongKey2, 8);
        QCOMPARE(f.index(FS::LongKey2), -1);
    }

    void headerRowAndTextsFollowTheLanguage()
    {
        Workspace ws;
        const StringTable english = language(2);
        LanguageSwitch::apply(english, ws);
        const int entries[] = {25, 26, 27, 28, 29, 30, 73, 31, 32, 76, 77, 33};
        for (int c = 0; c < 12; ++c)
            QCOMPARE(ws.channels().cell(c, 0), english.text(entries[c]));
        QCOMPARE(ws.texts().warningCaption, english.text(58));
        QCOMPARE(ws.texts().portErrorText, english.text(59));
        QCOMPARE(ws.texts().exchangeFailedText, english.text(60));
        QCOMPARE(ws.texts().newCaption, english.text(62));
        QCOMPARE(ws.texts().newPromptText, english.text(64));
    }

    // The details of an exchange failure come from entries 1010 to 1029: a
    // table whose every entry names itself shows which entry each failure
    // takes, with its step and values in their places.
    void failureTextsFollowTheLanguage_data()
    {
        QTest::addColumn<ExchangeFailure>("failure");
        QTest::addColumn<QString>("text");
        using R = Failure::Reason;
        const auto row = [](const char *name, Failure failure, const char *text) {
            QTest::newRow(name) << failure << QString::fromUtf8(text);
        };
        row("no handshake", {R::NoHandshake}, "<1019>");
        row("not acknowledged", {R::NotAcknowledged}, "<1020>");
        row("unknown model", {R::UnknownModel, "4B542D010700FF06"}, "<1021 4B542D010700FF06>");
        row("band not listed", {R::BandNotListed, "400-430MHz"}, "<1022 400-430MHz>");
        row("no band", {R::NoBand, "FFF-FFFMHz"}, "<1023 FFF-FFFMHz>");
        row("busy start", {R::Busy, Step(Step::Start), 21}, "<1024 21 <1010>>");
        row("busy channel write", {R::Busy, Step(Step::ChannelWrite, 16), 3}, "<1024 3 <1016 16>>");
        row("busy function block write", {R::Busy, Step(Step::FunctionBlockWrite, 2), 3},
            "<1024 3 <1017 2>>");
        row("busy information write", {R::Busy, Step(Step::InformationWrite), 3},
            "<1024 3 <1018>>");
        row("bad checks identification", {R::BusyOrBadCheck, Step(Step::IdentificationRead), 4},
            "<1025 4 <1011>>");
        row("bad checks channel read", {R::BusyOrBadCheck, Step(Step::ChannelRead, 3), 4},
            "<1025 4 <1014 3>>");
        row("no answer band", {R::NoValidAnswer, Step(Step::BandRead)}, "<1026 <1012>>");
        row("no answer information", {R::NoValidAnswer, Step(Step::InformationRead)},
            "<1026 <1013>>");
        row("no answer function block", {R::NoValidAnswer, Step(Step::FunctionBlockRead, 1)},
            "<1026 <1015 1>>");
        row("not accepted", {R::NotAccepted, Step(Step::ChannelWrite, 7)}, "<1027 <1016 7>>");
        row("stopped", {R::Stopped}, "<1028>");
        row("disconnected", {R::Disconnected, "/dev/ttyUSB0"}, "<1029 /dev/ttyUSB0>");
        row("whole text", {R::Other, "Unable to write to x"}, "Unable to write to x");
        row("none", {R::None}, "");
    }
    void failureTextsFollowTheLanguage()
    {
        QFETCH(ExchangeFailure, failure);
        QFETCH(QString, text);
        // Each entry with the arguments it takes.
        QString entries;
        for (int entry = 1010; entry <= 1029; ++entry) {
            const char *const arguments[] = {"", " %1", " %1 %2"};
            entries +=
                QStringLiteral("%1=<%1%2>\n")
                    .arg(entry)
                    .arg(QLatin1String(arguments[TestSupport::failureEntryArguments(entry)]));
        }
        Workspace ws;
        LanguageSwitch::apply(StringTable::parse(entries), ws);
        QCOMPARE(failure.text(ws.texts().failure), text);
    }

    // An entry a file lacks leaves its text as it was.
    void missingEntriesLeaveTexts()
    {
        Workspace ws;
        LanguageSwitch::apply(StringTable::parse(QStringLiteral("34=AUS\n26=RX\n")), ws);
        QCOMPARE(ws.texts().offWord, QStringLiteral("AUS"));
        QCOMPARE(ws.texts().onWord, QStringLiteral("启用"));
        QCOMPARE(ws.channels().cell(1, 0), QStringLiteral("RX"));
        QCOMPARE(ws.channels().cell(2, 0), QString());
        QCOMPARE(ws.functions().currentText(FS::Beep), QStringLiteral("中文男声"));
    }

    // With no language file at all the built-in simplified Chinese texts
    // stand, and they are the shipped simplified Chinese file's texts.
    void builtInTextsMatchTheChineseFile()
    {
        const LanguageTexts b = LanguageTexts::builtIn();
        const StringTable chinese = language(1);
        const std::pair<QString, int> texts[] = {{b.offWord, 34},
                                                 {b.onWord, 35},
                                                 {b.highWord, 36},
                                                 {b.lowWord, 37},
                                                 {b.wideWord, 74},
                                                 {b.narrowWord, 75},
                                                 {b.companderWord, 78},
                                                 {b.scramblerWord, 79},
                                                 {b.warningCaption, 58},
                                                 {b.portErrorText, 59},
                                                 {b.exchangeFailedText, 60},
                                                 {b.newCaption, 62},
                                                 {b.newPromptText, 64},
                                                 {b.heldByText, 1030},
                                                 {b.heldByProcessText, 1031},
                                                 {b.failure.mismatch, 1033},
                                                 {b.failure.backupFailed, 1034},
                                                 {b.safeWriteText, 1003},
                                                 {b.backupPhaseText, 1035},
                                                 {b.writePhaseText, 1036},
                                                 {b.verifyPhaseText, 1037},
                                                 {b.backupSavedText, 1038},
                                                 {b.failure.lastAnswer, 1039},
                                                 {b.failure.answerNothing, 1040},
                                                 {b.failure.answerAcknowledge, 1041},
                                                 {b.failure.answerBusy, 1042},
                                                 {b.failure.answerHandshake, 1043},
                                                 {b.failure.answerRead, 1044},
                                                 {b.failure.answerWrongCheck, 1045},
                                                 {b.failure.answerTooShort, 1046},
                                                 {b.failure.answerUnexpected, 1047},
                                                 {b.traceItemText, 1048},
                                                 {b.traceFileText, 1049},
                                                 {b.traceFailedText, 1050},
                                                 {b.importItemText, 1070},
                                                 {b.exportItemText, 1071},
                                                 {b.importCaption, 1072},
                                                 {b.importCountText, 1073},
                                                 {b.importProblemsText, 1074},
                                                 {b.importNothingText, 1075},
                                                 {b.csv.line, 1076},
                                                 {b.csv.notAFrequency, 1077},
                                                 {b.csv.outsideBand, 1078},
                                                 {b.csv.offStep, 1079},
                                                 {b.csv.unknownTone, 1080},
                                                 {b.csv.noEquivalent, 1081},
                                                 {b.csv.notUnderstood, 1082},
                                                 {b.csv.tooManyChannels, 1083},
                                                 {b.csv.rowLeftOut, 1084},
                                                 {b.csv.toneOff, 1085},
                                                 {b.fleetItemText, 1090},
                                                 {b.fleetCaption, 1091},
                                                 {b.fleetWaitingText, 1092},
                                                 {b.fleetWritingText, 1093},
                                                 {b.fleetUnplugText, 1094},
                                                 {b.fleetCountText, 1095},
                                                 {b.fleetStopText, 1096},
                                                 {b.fleetCloseText, 1097},
                                                 {b.fleetStoppedText, 1098},
                                                 {b.fleetLogText, 1099},
                                                 {b.fleetVerifiedText, 1100},
                                                 {b.fleetWrittenText, 1101},
                                                 {b.fleetFailedText, 1102},
                                                 {b.fastTransferText, 1110},
                                                 {b.editMenuText, 1111},
                                                 {b.undoText, 1112},
                                                 {b.redoText, 1113},
                                                 {b.stepItemText, 1114},
                                                 {b.cellStepText, 1115},
                                                 {b.cutText, 1116},
                                                 {b.copyText, 1117},
                                                 {b.pasteText, 1118},
                                                 {b.changeStepText, 1119},
                                                 {b.closeQuestionText, 1120},
                                                 {b.paste.line, 1121},
                                                 {b.paste.notAFrequency, 1122},
                                                 {b.paste.outsideBand, 1123},
                                                 {b.paste.unknownTone, 1124},
                                                 {b.paste.unknownWord, 1125},
                                                 {b.paste.tooManyFields, 1126},
                                                 {b.paste.noBand, 1127},
                                                 {b.paste.tooManyRows, 1128},
                                                 {b.paste.nothingPasted, 1129}};
        for (const auto &[text, entry] : texts)
            QVERIFY2(text == chinese.text(entry), qPrintable(QString::number(entry)));
        // The failure texts in the order of their entries, 1010 on.
        const LanguageTexts::FailureTexts &f = b.failure;
        const QString failureTexts[] = {f.start,
                                        f.identificationRead,
                                        f.bandRead,
                                        f.informationRead,
                                        f.channelRead,
                                        f.functionBlockRead,
                                        f.channelWrite,
                                        f.functionBlockWrite,
                                        f.informationWrite,
                                        f.noHandshake,
                                        f.notAcknowledged,
                                        f.unknownModel,
                                        f.bandNotListed,
                                        f.noBand,
                                        f.busy,
                                        f.busyOrBadCheck,
                                        f.noValidAnswer,
                                        f.notAccepted,
                                        f.stopped,
                                        f.disconnected};
        for (int i = 0; i < int(std::size(failureTexts)); ++i)
            QVERIFY2(failureTexts[i] == chinese.text(1010 + i),
                     qPrintable(QString::number(1010 + i)));

        Workspace ws;
        fill(ws);
        QCOMPARE(ws.channels().cell(5, 1), QStringLiteral("高功率"));
    }

    void fileNamesMatchWithoutCase()
    {
        const QString dir = TestSupport::languageDir();
        QCOMPARE(StringTable::find(QStringLiteral("CHA_DLL"), {dir}),
                 StringTable::find(QStringLiteral("cha_dll"), {dir}));
        QVERIFY(!StringTable::find(QStringLiteral("eng_DLL"), {dir}).isEmpty());
        QVERIFY(StringTable::find(QStringLiteral("nope"), {dir}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLanguageSwitch)
#include "tst_languageswitch.moc"
