#include "core/base/AppError.h"
#include "core/base/StringTable.h"
#include "core/files/ChannelFile.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using FS = FunctionSettings;

namespace
{

QByteArray fixture(const QString &name)
{
    const QByteArray bytes = TestSupport::readFile(TestSupport::dataPath("files/" + name));
    if (bytes.isEmpty())
        qFatal("fixture %s missing", qPrintable(name));
    return bytes;
}

// The file with line `number` (1-based) replaced; its CR LF stays.
QByteArray withLine(const QByteArray &file, int number, const QByteArray &line)
{
    QList<QByteArray> lines = file.split('\n');
    lines[number - 1] = line + '\r';
    return lines.join('\n');
}

// The file with every line cut before its first byte beyond ASCII (and the
// blank in front of it): only numbers are read from the lines that lose text.
QByteArray asciiOnly(const QByteArray &file)
{
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray &line : lines) {
        const auto wide = std::find_if(line.begin(), line.end(), [](char c) { return c & 0x80; });
        if (wide != line.end()) {
            line.truncate(wide - line.begin());
            line = line.trimmed() + '\r';
        }
    }
    return lines.join('\n');
}

// Channel line 1 with a receive frequency and the text in one other column.
QString row1Line(const QString &text, int column)
{
    QString line = QStringLiteral("CH01 | 438.50000");
    for (int c = 2; c < ChannelTable::ColumnCount; ++c)
        line += QStringLiteral(" | ") + (c == column ? text : QString());
    return line + QStringLiteral(" | ");
}

QStringList settings(const Workspace &ws)
{
    QStringList s;
    const FS &f = ws.functions();
    for (int l = 0; l < FS::ListCount; ++l)
        s << FS::key(FS::List(l)) + ' ' + QString::number(f.index(FS::List(l)));
    for (int c = 0; c < FS::CheckCount; ++c)
        s << FS::key(FS::Check(c)) + ' ' + QString::number(f.isChecked(FS::Check(c)));
    s << QStringLiteral("Key Time %1 %2").arg(f.keyTimePosition()).arg(f.keyTimeText());
    return s;
}

// Rows 1 to 16, label and cells joined by "|".
QStringList channels(const Workspace &ws)
{
    QStringList rows;
    for (int r = 1; r <= ChannelTable::MaxChannels; ++r) {
        QStringList cells;
        for (int c = 0; c < ChannelTable::ColumnCount; ++c)
            cells << ws.channels().cell(c, r);
        rows << cells.join('|');
    }
    return rows;
}

QStringList enabledLists(const Workspace &ws)
{
    QStringList s;
    for (int l = 0; l < FS::ListCount; ++l)
        s << FS::key(FS::List(l)) + (ws.functions().isEnabled(FS::List(l)) ? " on" : " off");
    return s;
}

// What a channel file carries: model, band, every function setting, the cells.
QStringList configuration(const Workspace &ws)
{
    return QStringList{QStringLiteral("TYPE %1").arg(ws.modelIndex()),
                       QStringLiteral("BAND ") + ws.bands().currentText()} +
           settings(ws) + channels(ws);
}

// Everything Open may change.
QStringList state(const Workspace &ws)
{
    return configuration(ws) + enabledLists(ws) +
           QStringList{QStringLiteral("caption ") + ws.caption(),
                       QStringLiteral("bands %1 at %2")
                           .arg(ws.bands().items().join(','))
                           .arg(ws.bands().currentIndex())};
}

// As start-up leaves a workspace whose settings hold one band.
void startUp(Workspace &ws, const QStringList &bands = {QStringLiteral("400-470MHz")})
{
    for (const QString &band : bands)
        ws.bands().add(band);
    ws.bands().setCurrentIndex(0);
    ws.channels().labelRows();
    ws.applyModelChange();
}

// Every list, flag and the long-press time away from where they stand, the P1
// long-press list disabled by the short-press rule, and the given rows filled.
void disturb(Workspace &ws, const QList<int> &rows = {1, 16})
{
    FS &f = ws.functions();
    for (int l = 0; l < FS::ListCount; ++l)
        f.setIndex(FS::List(l), (f.index(FS::List(l)) + 1) % f.valueCount(FS::List(l)));
    for (int c = 0; c < FS::CheckCount; ++c)
        f.setChecked(FS::Check(c), !f.isChecked(FS::Check(c)));
    f.chooseIndex(FS::ShortKey0, 1);
    f.setKeyTime(23);
    const LanguageTexts &w = ws.texts();
    const QStringList words{w.offWord, QStringLiteral("D023N"), w.lowWord,      w.narrowWord,
                            w.onWord,  QStringLiteral("東"),    w.scramblerWord};
    for (int r : rows) {
        ws.channels().setCell(1, r, QStringLiteral("%1.12500").arg(400 + r));
        for (int c = 2; c < ChannelTable::ColumnCount; ++c)
            ws.channels().setCell(c, r, words.at((r + c) % words.size()));
    }
}

QString tooLarge()
{
    return QStringLiteral("The channel file is larger than 1 MiB, far more than its 42 lines "
                          "need; nothing was loaded");
}

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const AppError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

// Save, Open and New of channel files over a workspace, with GBK fixtures
// written by iconv.
class TestChannelFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name = QStringLiteral("test.q42")) const
    {
        return m_dir.filePath(name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Seconds are written with the system's decimal separator: a full stop here.
        QLocale::setDefault(QLocale::c());
    }

    void newThenSaveWritesTheExample()
    {
        Workspace ws;
        ws.bands().add(QStringLiteral("400-470MHz"));
        ws.bands().setCurrentIndex(0);
        disturb(ws);
        ChannelFile::newConfiguration(ws);
        ChannelFile::save(ws, path());
        QCOMPARE(TestSupport::readFile(path()).split('\n'), fixture("example.q42").split('\n'));
    }

    void newKeepsModelBandsAndInformation()
    {
        const QStringList bands{QStringLiteral("400-470MHz"), QStringLiteral("136-174MHz")};
        Workspace ws;
        startUp(ws, bands);
        ws.bands().setCurrentIndex(1);
        ws.setModelIndex(1);
        ws.setCaption(QStringLiteral("R5   [136-174MHz]"));
        ws.info().setModel(QStringLiteral("R5"));
        disturb(ws);

        ChannelFile::newConfiguration(ws);

        QCOMPARE(ws.modelIndex(), 1);
        QCOMPARE(ws.caption(), QStringLiteral("R5"));
        QCOMPARE(ws.bands().items(), bands);
        QCOMPARE(ws.bands().currentIndex(), 1);
        QCOMPARE(ws.info().model(), QStringLiteral("R5"));
        // Settings, enabled lists and channels as at start-up.
        Workspace fresh;
        startUp(fresh);
        QCOMPARE(settings(ws), settings(fresh));
        QCOMPARE(enabledLists(ws), enabledLists(fresh));
        QCOMPARE(channels(ws), channels(fresh));
    }

    void openRestoresTheFixture()
    {
        Workspace ws;
        startUp(ws);
        QVERIFY(ChannelFile::open(ws, TestSupport::dataPath("files/full.q42")));

        QCOMPARE(ws.modelIndex(), 1);
        QCOMPARE(ws.caption(), QStringLiteral("R5   [136-174MHz]"));
        QCOMPARE(ws.bands().items(),
                 (QStringList{QStringLiteral("400-470MHz"), QStringLiteral("136-174MHz")}));
        QCOMPARE(ws.bands().currentIndex(), 1);
        const FS &f = ws.functions();
        QCOMPARE(f.index(FS::APO), 12);
        QCOMPARE(f.index(FS::ShortKey0), 1);
        QVERIFY(f.isEnabled(FS::LongKey0)); // no short-press rule on loading
        QCOMPARE(f.keyTimePosition(), 20);
        QCOMPARE(f.keyTimeText(), QStringLiteral("2"));
        QCOMPARE(channels(ws).at(15),
                 QStringLiteral("16|173.99375|254.1||禁用|高功率|寬帶|啟用|禁用|啟用|壓擴|東"));
        // Saving writes back the very bytes that were read.
        QCOMPARE(ChannelFile::encode(ws).split('\n'), fixture("full.q42").split('\n'));
    }

    void saveThenOpenRestoresEverything()
    {
        Workspace saved;
        startUp(saved, {QStringLiteral("400-470MHz"), QStringLiteral("136-174MHz")});
        saved.bands().setCurrentIndex(1);
        saved.setModelIndex(1);
        QList<int> rows;
        for (int r = 1; r <= ChannelTable::MaxChannels; ++r) {
            if (r != 5)
                rows << r;
        }
        disturb(saved, rows);
        for (int apo = 10; apo <= 15; ++apo) {
            saved.functions().setIndex(FS::APO, apo);
            ChannelFile::save(saved, path());

            Workspace loaded;
            startUp(loaded, {QStringLiteral("136-174MHz"), QStringLiteral("400-470MHz")});
            loaded.bands().setCurrentIndex(1);
            QVERIFY(ChannelFile::open(loaded, path()));
            QCOMPARE(configuration(loaded), configuration(saved));
            QCOMPARE(loaded.caption(), QStringLiteral("R5   [136-174MHz]"));
            QCOMPARE(loaded.bands().count(), 2); // a band the list holds is selected, not added
        }
    }

    // A file that is UTF-8 throughout and holds text beyond ASCII was saved
    // by a modern editor: it reads as UTF-8, a byte-order mark ahead of it
    // skipped, and Save writes GBK again.
    void utf8FileRestoresTheFixture_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("UTF-8") << QByteArray();
        QTest::newRow("UTF-8 after a byte-order mark") << QByteArray("\xEF\xBB\xBF");
    }
    void utf8FileRestoresTheFixture()
    {
        QFETCH(QByteArray, prefix);
        Workspace gbk;
        startUp(gbk);
        QVERIFY(ChannelFile::open(gbk, TestSupport::dataPath("files/full.q42")));
        Workspace utf8;
        startUp(utf8);
        QVERIFY(TestSupport::writeFile(path(), prefix + fixture("utf8.q42")));

        QVERIFY(ChannelFile::open(utf8, path()));
        QCOMPARE(configuration(utf8), configuration(gbk));
        QCOMPARE(ChannelFile::encode(utf8).split('\n'), fixture("full.q42").split('\n'));
    }

    // Each cell word of the three languages, alone beyond ASCII in a UTF-8
    // file, also where its UTF-8 bytes happen to be GBK text too (宽带, 禁用).
    void utf8CellWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("column");
        const struct {
            const char16_t *word;
            int column;
        } words[] = {
            {u"禁用", ChannelTable::Option8},   {u"启用", ChannelTable::Option7},
            {u"高功率", ChannelTable::Power},   {u"低功率", ChannelTable::Power},
            {u"宽带", ChannelTable::Bandwidth}, {u"窄带", ChannelTable::Bandwidth},
            {u"压扩", ChannelTable::Privacy},   {u"扰频", ChannelTable::Privacy},
            {u"啟用", ChannelTable::Option11},  {u"寬帶", ChannelTable::Bandwidth},
            {u"窄帶", ChannelTable::Bandwidth}, {u"壓擴", ChannelTable::Privacy},
            {u"擾頻", ChannelTable::Privacy},
        };
        for (const auto &[word, column] : words) {
            const QString text = QString::fromUtf16(word);
            QTest::newRow(text.toUtf8().constData()) << text << column;
        }
    }
    void utf8CellWords()
    {
        QFETCH(QString, word);
        QFETCH(int, column);
        Workspace ws;
        startUp(ws);
        const QByteArray file =
            withLine(asciiOnly(fixture("example.q42")), 27, row1Line(word, column).toUtf8());
        QVERIFY(TestSupport::writeFile(path(), file));

        QVERIFY(ChannelFile::open(ws, path()));
        QCOMPARE(ws.channels().cell(column, 1), word);
        QStringEncoder gbk("GBK");
        const QByteArray gbkLine = gbk.encode(row1Line(word, column)) + '\r';
        QCOMPARE(ChannelFile::encode(ws).split('\n').at(26), gbkLine);
    }

    void bandLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("bands");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        const QString known = QStringLiteral("400-470MHz");
        const QString other = QStringLiteral("136-174MHz");
        QTest::newRow("the first equal band is selected")
            << QByteArray("BAND 136-174MHz") << QStringList{known, other, other} << 1
            << QStringLiteral("PW-100   [136-174MHz]");
        QTest::newRow("an unknown band is added and selected")
            << QByteArray("BAND 350-390MHz")
            << QStringList{known, other, other, QStringLiteral("350-390MHz")} << 3
            << QStringLiteral("PW-100   [350-390MHz]");
        QTest::newRow("ten characters make the band")
            << QByteArray("BAND 136-174MHz and more") << QStringList{known, other, other} << 1
            << QStringLiteral("PW-100   [136-174MHz]");
        QTest::newRow("an empty band selects none")
            << QByteArray("BAND ") << QStringList{known, other, other} << -1
            << QStringLiteral("PW-100   []");
    }

    void bandLine()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, bands);
        QFETCH(int, index);
        QFETCH(QString, caption);
        Workspace ws;
        startUp(ws, {QStringLiteral("400-470MHz"), QStringLiteral("136-174MHz"),
                     QStringLiteral("136-174MHz")});
        QVERIFY(TestSupport::writeFile(path(), withLine(fixture("example.q42"), 5, line)));
        QVERIFY(ChannelFile::open(ws, path()));
        QCOMPARE(ws.bands().items(), bands);
        QCOMPARE(ws.bands().currentIndex(), index);
        QCOMPARE(ws.caption(), caption);
    }

    void settingValue_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a two-digit index") << 6 << QByteArray("APO 15 15") << "APO 15";
        QTest::newRow("the value ends the line") << 6 << QByteArray("APO 11") << "APO 11";
        QTest::newRow("no item selected") << 6 << QByteArray("APO -1 ") << "APO -1";
        QTest::newRow("the key is not compared") << 7 << QByteArray("SQUELCH 9 x") << "Squelch 9";
        QTest::newRow("the key's length fixes the place")
            << 7 << QByteArray("SquelchX5 5") << "Squelch 5";
        QTest::newRow("a flag of 1 is set") << 13 << QByteArray("TX Over 1") << "TX Over 1";
        QTest::newRow("a flag of 2 is clear") << 12 << QByteArray("Open Beep 2") << "Open Beep 0";
        QTest::newRow("long-press time in seconds")
            << 19 << QByteArray("Key Time 5") << "Key Time 5 0.5";
    }

    void settingValue()
    {
        QFETCH(int, number);
        QFETCH(QByteArray, line);
        QFETCH(QString, expected);
        Workspace ws;
        startUp(ws);
        QVERIFY(TestSupport::writeFile(path(), withLine(fixture("example.q42"), number, line)));
        QVERIFY(ChannelFile::open(ws, path()));
        const QStringList read = settings(ws);
        QVERIFY2(read.contains(expected), qPrintable(read.join('\n')));
    }

    void badFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("file"); // null: no file at all
        QTest::addColumn<QString>("message"); // empty: ignored without a message
        const QByteArray full = fixture("full.q42");
        const QByteArray cut = "Short Key0 ";
        QTest::newRow("wrong first line")
            << withLine(full, 1, "VESQAR MEMORY CHANNELS") << QString();
        QTest::newRow("first line with a trailing blank")
            << withLine(full, 1, "VESQAR MEMORY CHANNEL ") << QString();
        QTest::newRow("R5 with index 0") << withLine(full, 4, "TYPE0 R5") << QString();
        QTest::newRow("model index beyond the model list")
            << withLine(full, 4, "TYPE2 ") << QString();
        QTest::newRow("empty file") << QByteArray("") << QString();
        QTest::newRow("letter for the model index")
            << withLine(full, 4, "TYPEx R5") << "'x' is not a valid integer value";
        QTest::newRow("truncated inside the settings")
            << full.left(full.indexOf(cut) + cut.size()) << "'' is not a valid integer value";
        QTest::newRow("truncated before the model line")
            << full.left(full.indexOf("TYPE")) << "'' is not a valid integer value";
        QTest::newRow("letter where a number belongs")
            << withLine(full, 26, "volue leve 3x 4") << "'3x' is not a valid integer value";
        QTest::newRow("index beyond its list")
            << withLine(full, 6, "APO 16 16") << "Index 16 of APO lies beyond its list (0 to 15)";
        QTest::newRow("index below its list")
            << withLine(full, 7, "Squelch -2 x")
            << "Index -2 of Squelch lies beyond its list (0 to 9)";
        QTest::newRow("channel line not GBK")
            << withLine(full, 42, "CH16 | 438.50000 | \x81\x30 | ")
            << "Line 42 of the channel file is neither GBK nor UTF-8 text";
        QTest::newRow("no such file") << QByteArray() << "File not found";
        QByteArray longCell = "CH02 | 438.50000 | ";
        longCell += QByteArray(2 * 1024 * 1024, 'x') + " | ";
        QTest::newRow("a 2 MiB cell") << withLine(full, 28, longCell) << tooLarge();
    }

    void badFileChangesNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        Workspace ws;
        startUp(ws);
        disturb(ws);
        const QStringList before = state(ws);
        const QString name = path(QString::fromLatin1(QTest::currentDataTag()) + ".q42");
        if (!file.isNull())
            QVERIFY(TestSupport::writeFile(name, file));

        bool opened = true;
        QCOMPARE(errorOf([&] { opened = ChannelFile::open(ws, name); }), message);
        if (message.isEmpty())
            QVERIFY(!opened);
        QCOMPARE(state(ws), before);
    }

    // A file is read whole up to the size limit; a larger one is refused
    // rather than read in part (refusing changes nothing, as above).
    void sizeLimit_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("at the limit") << ChannelFile::MaxFileBytes << QString();
        QTest::newRow("a byte beyond it") << ChannelFile::MaxFileBytes + 1 << tooLarge();
    }
    void sizeLimit()
    {
        QFETCH(qint64, size);
        QFETCH(QString, message);
        // Row 2's cell 11 fills the file to the size.
        const QByteArray empty = "CH02 |  |  |  |  |  |  |  |  |  |  |  | \r\n";
        const QByteArray full = fixture("full.q42");
        QVERIFY(full.contains(empty));
        const QByteArray head = "CH02 | 438.50000 |  |  |  |  |  |  |  |  |  | ";
        const QByteArray tail = " | \r\n";
        const QByteArray filler(size - full.size() + empty.size() - head.size() - tail.size(), 'x');
        const QByteArray file = QByteArray(full).replace(empty, head + filler + tail);
        QCOMPARE(file.size(), size);
        QVERIFY(TestSupport::writeFile(path(), file));
        Workspace ws;
        startUp(ws);

        bool opened = false;
        QCOMPARE(errorOf([&] { opened = ChannelFile::open(ws, path()); }), message);
        QCOMPARE(opened, message.isEmpty());
        QCOMPARE(ws.channels().cell(ChannelTable::Option11, 2).size(),
                 message.isEmpty() ? filler.size() : 0);
        QCOMPARE(ws.channels().cell(ChannelTable::RxFrequency, 16),
                 message.isEmpty() ? QStringLiteral("173.99375") : QString());
    }

    void fewerChannelLinesLeaveTheRestEmpty()
    {
        Workspace ws;
        startUp(ws);
        QList<int> all;
        for (int r = 1; r <= ChannelTable::MaxChannels; ++r)
            all << r;
        disturb(ws, all);
        QVERIFY(ChannelFile::open(ws, TestSupport::dataPath("files/fewrows.q42")));

        const auto row = [](int label, QStringList cells) {
            while (cells.size() < ChannelFile::CellCount)
                cells << QString();
            return (QStringList{QStringLiteral("%1").arg(label, 2, 10, QLatin1Char('0'))} + cells)
                .join('|');
        };
        QStringList expected{row(1, QStringLiteral("438.50000|禁用|438.50000|禁用|高功率|宽带|"
                                                   "启用|禁用|启用|禁用|禁用")
                                        .split('|')),
                             row(2, {}), row(3, {"440.00000", "67.0"})};
        for (int r = 4; r <= ChannelTable::MaxChannels; ++r)
            expected << row(r, {});
        QCOMPARE(channels(ws), expected);
    }

    void englishFileReadsBackItsEnglishCells()
    {
        const std::optional<StringTable> table = StringTable::load(
            StringTable::find(LanguageSwitch::startupBaseName(2), {TestSupport::languageDir()}));
        QVERIFY(table);
        Workspace english;
        startUp(english);
        LanguageSwitch::apply(*table, english);
        disturb(english, {1, 2, 3});
        english.channels().setCell(ChannelTable::Power, 1, english.texts().lowWord);
        QVERIFY(english.texts().lowWord != LanguageTexts::builtIn().lowWord);
        english.functions().setIndex(FS::Beep, 2);
        ChannelFile::save(english, path());
        // The lists' texts are written in the language in use.
        QVERIFY(TestSupport::readFile(path()).contains(
            "\r\nbeep 2 " + english.functions().currentText(FS::Beep).toLatin1() + "\r\n"));

        Workspace chinese;
        startUp(chinese);
        const QStringList items = chinese.functions().items(FS::Beep);
        QVERIFY(ChannelFile::open(chinese, path()));
        QCOMPARE(configuration(chinese), configuration(english));
        QCOMPARE(chinese.channels().cell(ChannelTable::Power, 1), english.texts().lowWord);
        QCOMPARE(chinese.functions().items(FS::Beep), items);
    }

    void textGbkCannotHoldIsReported_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("message");
        QTest::newRow("cell") << "cell"
                              << QStringLiteral("Cannot save 'A😀' (CH16, column 10): "
                                                "GBK has no code for '😀'");
        QTest::newRow("band") << "band"
                              << QStringLiteral("Cannot save '𠀀-470MHz' (BAND): "
                                                "GBK has no code for '𠀀'");
        QTest::newRow("list item") << "item"
                                   << QStringLiteral("Cannot save '中文😀' (beep): "
                                                     "GBK has no code for '😀'");
    }

    void textGbkCannotHoldIsReported()
    {
        QFETCH(QString, place);
        QFETCH(QString, message);
        Workspace ws;
        startUp(ws);
        const QByteArray old = fixture("full.q42");
        QVERIFY(TestSupport::writeFile(path(), old));
        if (place == "cell") {
            ws.channels().setCell(ChannelTable::Privacy, 16, QStringLiteral("A😀"));
        } else if (place == "band") {
            ws.bands().add(QStringLiteral("𠀀-470MHz"));
            ws.bands().setCurrentIndex(1);
        } else {
            ws.functions().setItemText(FS::Beep, 1, QStringLiteral("中文😀"));
        }

        QCOMPARE(errorOf([&] { ChannelFile::save(ws, path()); }), message);
        QCOMPARE(TestSupport::readFile(path()), old);
    }

    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("readOnly"); // else the file size limit stops the write part-way
        QTest::newRow("read-only target") << true;
        QTest::newRow("write fails part-way") << false;
    }

    void failedWriteKeepsTheOldFile()
    {
        QFETCH(bool, readOnly);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("old.q42"));
        const QByteArray old = fixture("full.q42");
        QVERIFY(TestSupport::writeFile(target, old));
        Workspace ws;
        startUp(ws);
        disturb(ws, {1, 2, 3, 4, 5, 6});

        QString message;
        if (readOnly) {
            QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
            if (QFileInfo(target).isWritable())
                QSKIP("this user may write read-only files");
            message = errorOf([&] { ChannelFile::save(ws, target); });
        } else {
#ifdef Q_OS_UNIX
            // Files may grow to 200 bytes, far less than the new file needs.
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit limited = saved;
            limited.rlim_cur = 200;
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &limited);
            message = errorOf([&] { ChannelFile::save(ws, target); });
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
#else
            QSKIP("needs a file size limit");
#endif
        }
        QCOMPARE(message, AppError::unableToWrite(QDir::toNativeSeparators(target)).message());
        QCOMPARE(TestSupport::readFile(target), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.q42")});
    }
};

QTEST_GUILESS_MAIN(TestChannelFile)
#include "tst_channelfile.moc"
