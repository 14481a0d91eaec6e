#include "core/base/StringTable.h"
#include "support/TestSupport.h"

#include <QTest>

#include <iterator>
#include <optional>
#include <utility>

// The three language files shipped in lang/: every entry the language switch
// applies is there, the channel cell words are the words a later switch
// recognises, no text is longer than the program's lookup buffer allows, and
// the simplified Chinese file keeps the windows' built-in captions.
namespace
{

QString languagePath(const QString &file)
{
    return QStringLiteral(KT_TEST_DATA_DIR "/../../lang/") + file;
}

// The entries the program applies to its windows, lists and language texts,
// and its own texts from 1000 up.
QList<int> appliedEntries()
{
    const std::pair<int, int> ranges[] = {
        {1, 6},       {9, 20},      {22, 23},    {25, 40},     {43, 50},     {53, 54},
        {56, 62},     {64, 67},     {73, 79},    {81, 81},     {83, 83},     {85, 85},
        {88, 89},     {96, 96},     {100, 100},  {142, 142},   {145, 145},   {149, 149},
        {151, 155},   {157, 166},   {169, 169},  {1000, 1003}, {1010, 1029}, {1030, 1050},
        {1070, 1085}, {1090, 1102}, {1110, 1129}};
    QList<int> entries;
    for (const auto &[first, last] : ranges) {
        for (int entry = first; entry <= last; ++entry)
            entries << entry;
    }
    return entries;
}

// The program fetches a text into a buffer of 254 bytes, terminator included.
constexpr int kMaxTextBytes = 253;

void addFileRows()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("simplified Chinese") << QStringLiteral("cha_dll.lng");
    QTest::newRow("English") << QStringLiteral("eng_dll.lng");
    QTest::newRow("traditional Chinese") << QStringLiteral("ty.lng");
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyAppliedEntryIsPresent_data() { addFileRows(); }
    void everyAppliedEntryIsPresent()
    {
        QFETCH(QString, file);
        const std::optional<StringTable> table = StringTable::load(languagePath(file));
        QVERIFY2(table, qPrintable(QStringLiteral("cannot read ") + languagePath(file)));
        for (int entry : appliedEntries()) {
            QVERIFY2(table->contains(entry),
                     qPrintable(QStringLiteral("entry %1 missing from %2").arg(entry).arg(file)));
            QVERIFY2(!table->text(entry).isEmpty(),
                     qPrintable(QStringLiteral("entry %1 of %2 is empty").arg(entry).arg(file)));
        }
    }

    // A text is taken as it stands, so a stray blank at its end would show in
    // the caption and break the exact comparison of cell words.
    void textsFitAndEndCleanly_data() { addFileRows(); }
    void textsFitAndEndCleanly()
    {
        QFETCH(QString, file);
        const std::optional<StringTable> table = StringTable::load(languagePath(file));
        QVERIFY2(table, qPrintable(QStringLiteral("cannot read ") + languagePath(file)));
        for (int entry : table->entries()) {
            const QString text = table->text(entry);
            QVERIFY2(text.toUtf8().size() <= kMaxTextBytes,
                     qPrintable(QStringLiteral("entry %1 of %2 has %3 bytes")
                                    .arg(entry)
                                    .arg(file)
                                    .arg(text.toUtf8().size())));
            QVERIFY2(
                text.isEmpty() || !text.back().isSpace(),
                qPrintable(QStringLiteral("entry %1 of %2 ends in a blank").arg(entry).arg(file)));
        }
    }

    // The failure texts take values in their places: a translation that
    // lost one would leave the channel, band or step out of its message.
    void failureTextsKeepTheirPlaceholders_data() { addFileRows(); }
    void failureTextsKeepTheirPlaceholders()
    {
        QFETCH(QString, file);
        const std::optional<StringTable> table = StringTable::load(languagePath(file));
        QVERIFY2(table, qPrintable(QStringLiteral("cannot read ") + languagePath(file)));
        for (int entry = 1010; entry <= 1029; ++entry) {
            const int arguments = TestSupport::failureEntryArguments(entry);
            const QString text = table->text(entry);
            QVERIFY2(text.contains(QLatin1String("%1")) == (arguments >= 1) &&
                         text.contains(QLatin1String("%2")) == (arguments == 2),
                     qPrintable(QStringLiteral("entry %1 of %2: %3").arg(entry).arg(file, text)));
        }
    }

    // The CSV import's texts take the count, file name, line, column, value
    // or band in their places; a lost one would leave it out of the box.
    void csvTextsKeepTheirPlaceholders_data() { addFileRows(); }
    void csvTextsKeepTheirPlaceholders()
    {
        QFETCH(QString, file);
        const std::optional<StringTable> table = StringTable::load(languagePath(file));
        QVERIFY2(table, qPrintable(QStringLiteral("cannot read ") + languagePath(file)));
        // How many values each entry from 1070 on takes.
        const int arguments[] = {0, 0, 0, 2, 1, 1, 2, 2, 2, 1, 2, 2, 2, 1, 0, 0};
        for (int i = 0; i < int(std::size(arguments)); ++i) {
            const QString text = table->text(1070 + i);
            QVERIFY2(
                text.contains(QLatin1String("%1")) == (arguments[i] >= 1) &&
                    text.contains(QLatin1String("%2")) == (arguments[i] == 2),
                qPrintable(QStringLiteral("entry %1 of %2: %3").arg(1070 + i).arg(file, text)));
        }
    }

    // Entries 34 to 37, 74, 75, 78 and 79 become the channel cells' words; the
    // next language switch rewrites a cell only when it holds one of these.
    void cellWordsAreRecognisedWords_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("simplified Chinese")
            << QStringLiteral("cha_dll.lng")
            << QStringList{"禁用", "启用", "高功率", "低功率", "宽带", "窄带", "压扩", "扰频"};
        QTest::newRow("English") << QStringLiteral("eng_dll.lng")
                                 << QStringList{"OFF",  "ON",     "High", "Low",
                                                "Wide", "Narrow", "Comp", "scrambler"};
        QTest::newRow("traditional Chinese")
            << QStringLiteral("ty.lng")
            << QStringList{"禁用", "啟用", "高功率", "低功率", "寬帶", "窄帶", "壓擴", "擾頻"};
    }
    void cellWordsAreRecognisedWords()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, words);
        const std::optional<StringTable> table = StringTable::load(languagePath(file));
        QVERIFY2(table, qPrintable(QStringLiteral("cannot read ") + languagePath(file)));
        const int entries[] = {34, 35, 36, 37, 74, 75, 78, 79};
        QCOMPARE(words.size(), int(std::size(entries)));
        for (int i = 0; i < words.size(); ++i) {
            const QString text = table->text(entries[i]);
            QVERIFY2(text == words.at(i), qPrintable(QStringLiteral("entry %1 of %2 is \"%3\", "
                                                                    "expected \"%4\"")
                                                         .arg(entries[i])
                                                         .arg(file, text, words.at(i))));
        }
    }

    // The P3 long-press list shows entries 89 and 88, while the radio and the
    // channel file store its index as one into the P1/P2 function list; its
    // two items must name that list's first two functions.
    void p3LongPressItemsMatchSideKeyFunctions_data() { addFileRows(); }
    void p3LongPressItemsMatchSideKeyFunctions()
    {
        QFETCH(QString, file);
        const std::optional<StringTable> table = StringTable::load(languagePath(file));
        QVERIFY2(table, qPrintable(QStringLiteral("cannot read ") + languagePath(file)));
        QCOMPARE(table->text(89), table->text(34));  // item 0: the OFF word
        QCOMPARE(table->text(88), table->text(164)); // item 1: momentary squelch off
    }

    // The simplified Chinese file carries the windows' built-in captions, so
    // applying it leaves the interface as designed.
    void simplifiedChineseKeepsDesignTexts_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("design");
        const std::pair<int, const char16_t *> texts[] = {
            {1, u"关于"}, // the program appends "..."
            {2, u"确定"},
            {3, u"Vesqar 对讲机编程软件 1.0"},
            {4, u"版本:KT-100.100.1"},
            {9, u"文件"},
            {10, u"编程"},
            {11, u"工具"},
            {12, u"帮助"},
            {13, u"新建"},
            {14, u"打开"},
            {15, u"保存"},
            {16, u"退出"},
            {17, u"读频"},
            {18, u"写频"},
            {19, u"信道编辑"},
            {20, u"功能选项"}, // the window's caption; its menu item was "可选功能"
            {22, u"通信端口"},
            {23, u"语言"},
            {38, u"静噪等级"},
            {39, u"电池省电"},
            {40, u"超时禁止发射"},
            {43, u"扫描恢复模式"},
            {44, u"语音通知"},
            {45, u"VOX灵敏度"},
            {46, u"VOX迟时"},
            {47, u"接收禁止VOX"},
            {48, u"分钟"},
            {49, u"中文男声"},
            {50, u"英文男声"},
            {56, u"中文"},
            {57, u"英文"},
            {61, u"VESQAR调频手持对讲机KT-100系列编程软件"}, // after five blanks
            {81, u"APO"},
            {83, u"频率步进"},
            {85, u"P3长键"},
            {100, u"侧键设定"},
            {142, u"单口"},
            {145, u"本机信息"},
            {149, u"P1短键"},
            {151, u"P2短键"},
            {152, u"长键时间(秒)"},
            {153, u"开机提示音"},
            {154, u"结束提示音"},
            {155, u"低电压提示音"},
            {157, u"机型"}, // the radio information label; the tool bar's was "型号："
            {158, u"频段"},
            {159, u"管理员"},
            {160, u"最后写频时间"},
            {162, u"P1长键"},
            {163, u"P2长键"},
            {164, u"暂态静噪"},
            {165, u"静噪"},
            {166, u"监听"},
            {169, u"音量等级"},
        };
        for (const auto &[entry, design] : texts)
            QTest::addRow("entry %d", entry) << entry << QString::fromUtf16(design);
    }
    void simplifiedChineseKeepsDesignTexts()
    {
        QFETCH(int, entry);
        QFETCH(QString, design);
        const std::optional<StringTable> table =
            StringTable::load(languagePath(QStringLiteral("cha_dll.lng")));
        QVERIFY2(table, "cannot read cha_dll.lng");
        QCOMPARE(table->text(entry), design);
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
