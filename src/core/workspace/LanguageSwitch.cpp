#include "core/workspace/LanguageSwitch.h"

#include "core/base/LanguageTexts.h"
#include "core/base/StringTable.h"
#include "core/workspace/Workspace.h"

#include <array>
#include <initializer_list>
#include <vector>

namespace
{

// Header entries of the grid's columns 0 to 11.
constexpr int kHeaderEntries[ChannelTable::ColumnCount] = {25, 26, 27, 28, 29, 30,
                                                           73, 31, 32, 76, 77, 33};

void take(QString &text, const StringTable &table, int entry)
{
    text = table.text(entry, text);
}

void fillTexts(LanguageTexts &t, const StringTable &table)
{
    take(t.offWord, table, 34);
    take(t.onWord, table, 35);
    take(t.highWord, table, 36);
    take(t.lowWord, table, 37);
    take(t.wideWord, table, 74);
    take(t.narrowWord, table, 75);
    take(t.companderWord, table, 78);
    take(t.scramblerWord, table, 79);
    take(t.warningCaption, table, 58);
    take(t.portErrorText, table, 59);
    take(t.exchangeFailedText, table, 60);
    take(t.newCaption, table, 62);
    take(t.newPromptText, table, 64);
    take(t.writeRefusedText, table, 1001);
    take(t.demoText, table, 1002);

    LanguageTexts::FailureTexts &f = t.failure;
    take(f.start, table, 1010);
    take(f.identificationRead, table, 1011);
    take(f.bandRead, table, 1012);
    take(f.informationRead, table, 1013);
    take(f.channelRead, table, 1014);
    take(f.functionBlockRead, table, 1015);
    take(f.channelWrite, table, 1016);
    take(f.functionBlockWrite, table, 1017);
    take(f.informationWrite, table, 1018);
    take(f.noHandshake, table, 1019);
    take(f.notAcknowledged, table, 1020);
    take(f.unknownModel, table, 1021);
    take(f.bandNotListed, table, 1022);
    take(f.noBand, table, 1023);
    take(f.busy, table, 1024);
    take(f.busyOrBadCheck, table, 1025);
    take(f.noValidAnswer, table, 1026);
    take(f.notAccepted, table, 1027);
    take(f.stopped, table, 1028);
    take(f.disconnected, table, 1029);
    take(t.heldByText, table, 1030);
    take(t.heldByProcessText, table, 1031);
    take(f.mismatch, table, 1033);
    take(f.backupFailed, table, 1034);
    take(t.safeWriteText, table, 1003);
    take(t.backupPhaseText, table, 1035);
    take(t.writePhaseText, table, 1036);
    take(t.verifyPhaseText, table, 1037);
    take(t.backupSavedText, table, 1038);
    take(f.lastAnswer, table, 1039);
    take(f.answerNothing, table, 1040);
    take(f.answerAcknowledge, table, 1041);
    take(f.answerBusy, table, 1042);
    take(f.answerHandshake, table, 1043);
    take(f.answerRead, table, 1044);
    take(f.answerWrongCheck, table, 1045);
    take(f.answerTooShort, table, 1046);
    take(f.answerUnexpected, table, 1047);
    take(t.traceItemText, table, 1048);
    take(t.traceFileText, table, 1049);
    take(t.traceFailedText, table, 1050);
    take(t.importItemText, table, 1070);
    take(t.exportItemText, table, 1071);
    take(t.importCaption, table, 1072);
    take(t.importCountText, table, 1073);
    take(t.importProblemsText, table, 1074);
    take(t.importNothingText, table, 1075);
    LanguageTexts::CsvTexts &c = t.csv;
    take(c.line, table, 1076);
    take(c.notAFrequency, table, 1077);
    take(c.outsideBand, table, 1078);
    take(c.offStep, table, 1079);
    take(c.unknownTone, table, 1080);
    take(c.noEquivalent, table, 1081);
    take(c.notUnderstood, table, 1082);
    take(c.tooManyChannels, table, 1083);
    take(c.rowLeftOut, table, 1084);
    take(c.toneOff, table, 1085);
    take(t.fleetItemText, table, 1090);
    take(t.fleetCaption, table, 1091);
    take(t.fleetWaitingText, table, 1092);
    take(t.fleetWritingText, table, 1093);
    take(t.fleetUnplugText, table, 1094);
    take(t.fleetCountText, table, 1095);
    take(t.fleetStopText, table, 1096);
    take(t.fleetCloseText, table, 1097);
    take(t.fleetStoppedText, table, 1098);
    take(t.fleetLogText, table, 1099);
    take(t.fleetVerifiedText, table, 1100);
    take(t.fleetWrittenText, table, 1101);
    take(t.fleetFailedText, table, 1102);
    take(t.fastTransferText, table, 1110);
    take(t.editMenuText, table, 1111);
    take(t.undoText, table, 1112);
    take(t.redoText, table, 1113);
    take(t.stepItemText, table, 1114);
    take(t.cellStepText, table, 1115);
    take(t.cutText, table, 1116);
    take(t.copyText, table, 1117);
    take(t.pasteText, table, 1118);
    take(t.changeStepText, table, 1119);
    take(t.closeQuestionText, table, 1120);
    LanguageTexts::PasteTexts &p = t.paste;
    take(p.line, table, 1121);
    take(p.notAFrequency, table, 1122);
    take(p.outsideBand, table, 1123);
    take(p.unknownTone, table, 1124);
    take(p.unknownWord, table, 1125);
    take(p.tooManyFields, table, 1126);
    take(p.noBand, table, 1127);
    take(p.tooManyRows, table, 1128);
    take(p.nothingPasted, table, 1129);
}

// Replaces the items of a list with the entries' texts, keeping each item a
// missing entry would leave empty.
QStringList entriesOr(const StringTable &table, const QStringList &current,
                      std::initializer_list<int> entries)
{
    QStringList items;
    int i = 0;
    for (int entry : entries) {
        items << table.text(entry, current.value(i));
        ++i;
    }
    return items;
}

void rebuildFunctionLists(FunctionSettings &f, const StringTable &table, const QString &off)
{
    using FS = FunctionSettings;
    f.setItemText(FS::APO, 0, off);

    QStringList beep = f.items(FS::Beep);
    f.setItems(FS::Beep, QStringList{off} + entriesOr(table, beep.mid(1), {49, 50}));

    QStringList tot{off};
    const QString minutes = table.text(48, QStringLiteral("分钟"));
    for (int n = 1; n <= 7; ++n)
        tot << QString::number(n) + minutes;
    f.setItems(FS::TOT, tot);

    const QStringList current = f.items(FS::LongKey0);
    QStringList sideKeys{off};
    sideKeys << entriesOr(table, current.mid(1, 4), {164, 165, 166, 73});
    sideKeys << QStringLiteral("SCAN") << QStringLiteral("VOX") << table.text(30, current.value(7));
    f.setItems(FS::LongKey0, sideKeys);
    f.setItems(FS::LongKey1, sideKeys);
    f.setItems(FS::LongKey2, entriesOr(table, f.items(FS::LongKey2), {89, 88}));
}

// A word the channel cells hold: the texts' member with the word in force,
// and its spellings in the three languages' files.
struct ChannelWord {
    QString LanguageTexts::*current;
    std::array<const char16_t *, 3> spellings; // unused places are null
};

const ChannelWord kOff{&LanguageTexts::offWord, {u"禁用", u"OFF", nullptr}};
const ChannelWord kOn{&LanguageTexts::onWord, {u"启用", u"ON", u"啟用"}};
const ChannelWord kHigh{&LanguageTexts::highWord, {u"高功率", u"High", nullptr}};
const ChannelWord kLow{&LanguageTexts::lowWord, {u"低功率", u"Low", nullptr}};
const ChannelWord kNarrow{&LanguageTexts::narrowWord, {u"窄带", u"Narrow", u"窄帶"}};
const ChannelWord kWide{&LanguageTexts::wideWord, {u"宽带", u"Wide", u"寬帶"}};
const ChannelWord kCompander{&LanguageTexts::companderWord, {u"压扩", u"Comp", u"壓擴"}};
const ChannelWord kScrambler{&LanguageTexts::scramblerWord, {u"扰频", u"scrambler", u"擾頻"}};

// The words each column may hold; none for the frequency and number columns.
const std::vector<const ChannelWord *> &wordsOf(int column)
{
    static const std::vector<const ChannelWord *> none;
    static const std::vector<const ChannelWord *> tone{&kOff};
    static const std::vector<const ChannelWord *> power{&kHigh, &kLow};
    static const std::vector<const ChannelWord *> bandwidth{&kNarrow, &kWide};
    static const std::vector<const ChannelWord *> option{&kOff, &kOn};
    static const std::vector<const ChannelWord *> privacy{&kOff, &kCompander, &kScrambler};
    switch (column) {
    case ChannelTable::RxTone:
    case ChannelTable::TxTone:
        return tone;
    case ChannelTable::Power:
        return power;
    case ChannelTable::Bandwidth:
        return bandwidth;
    case ChannelTable::Option7:
    case ChannelTable::Option8:
    case ChannelTable::Option9:
    case ChannelTable::Option11:
        return option;
    case ChannelTable::Privacy:
        return privacy;
    default:
        return none;
    }
}

} // namespace

namespace LanguageSwitch
{

QString menuBaseName(int language)
{
    switch (language) {
    case 1:
        return QStringLiteral("CHA_DLL");
    case 2:
        return QStringLiteral("eng_DLL");
    case 3:
        return QStringLiteral("ty");
    default:
        return QString();
    }
}

QString startupBaseName(int language)
{
    return menuBaseName(language).toLower();
}

void apply(const StringTable &table, Workspace &workspace)
{
    LanguageTexts &texts = workspace.texts();
    fillTexts(texts, table);

    ChannelTable &channels = workspace.channels();
    for (int column = 0; column < ChannelTable::ColumnCount; ++column)
        channels.setCell(column, 0, table.text(kHeaderEntries[column], channels.cell(column, 0)));

    rebuildFunctionLists(workspace.functions(), table, texts.offWord);
    rewriteChannelWords(channels, texts);
}

QString channelWord(int column, const QString &text, const LanguageTexts &texts)
{
    const std::vector<const ChannelWord *> &words = wordsOf(column);
    for (const ChannelWord *word : words) {
        for (const char16_t *spelling : word->spellings) {
            if (spelling && text == QStringView(spelling))
                return texts.*(word->current);
        }
    }
    // A word of the texts in force that no language file spells the same
    // way (a language file of the user's own) is recognised as itself.
    for (const ChannelWord *word : words) {
        const QString &current = texts.*(word->current);
        if (!current.isEmpty() && text == current)
            return current;
    }
    return QString();
}

void rewriteChannelWords(ChannelTable &table, const LanguageTexts &texts)
{
    for (int row = 1; row <= table.channelCount(); ++row) {
        for (int column = ChannelTable::RxTone; column < ChannelTable::ColumnCount; ++column) {
            const QString word = channelWord(column, table.cell(column, row), texts);
            if (!word.isEmpty())
                table.setCell(column, row, word);
        }
    }
}

} // namespace LanguageSwitch
