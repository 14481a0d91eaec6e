#include "core/base/AppError.h"
#include "core/base/LocaleNumber.h"
#include "core/base/StringTable.h"
#include "core/files/ChannelCsv.h"
#include "core/workspace/LanguageSwitch.h"
#include "core/workspace/Workspace.h"
#include "support/TestSupport.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using CT = ChannelTable;

namespace
{

QString fixture(const char *name)
{
    return TestSupport::dataPath(QStringLiteral("csv/") + QLatin1String(name));
}

// A workspace as start-up leaves it, in the band 400-470MHz, with the cell
// words of the language (1 simplified Chinese, 2 English).
void startUp(Workspace &ws, int language = 2)
{
    ws.bands().add(QStringLiteral("400-470MHz"));
    ws.bands().setCurrentIndex(0);
    ws.channels().labelRows();
    ws.applyModelChange();
    if (language == 2) {
        const std::optional<StringTable> table = StringTable::load(
            StringTable::find(LanguageSwitch::startupBaseName(2), {TestSupport::languageDir()}));
        QVERIFY(table);
        LanguageSwitch::apply(*table, ws);
    }
}

// Columns 1 to 11 of a row.
QStringList cells(const Workspace &ws, int row)
{
    QStringList texts;
    for (int column = 1; column < CT::ColumnCount; ++column)
        texts << ws.channels().cell(column, row);
    return texts;
}

void setCells(Workspace &ws, int row, const QStringList &texts)
{
    for (int column = 1; column < CT::ColumnCount; ++column)
        ws.channels().setCell(column, row, texts.value(column - 1));
}

QStringList english(const QList<ChannelCsv::Problem> &problems)
{
    QStringList lines;
    for (const ChannelCsv::Problem &problem : problems)
        lines << problem.english();
    return lines;
}

// The import of a file into a workspace that starts up with channel 1 in use.
ChannelCsv::Import importFile(Workspace &ws, const char *name)
{
    const ChannelCsv::Import import = ChannelCsv::read(fixture(name), ws);
    ChannelCsv::apply(import, ws);
    return import;
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

// The columns of a new channel that the list does not carry: busy lock, tail
// elimination, privacy, PTT-ID (in English words).
const QStringList kNewOptions = {"OFF", "ON", "OFF", "OFF"};

} // namespace

// Channel lists in the CSV format of the CHIRP tool: import of lists as other
// programs write them (fixtures in tests/data/csv), export, and the two
// together.
class TestChannelCsv : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // By column name, whatever the order and the other columns; quoted
    // fields with commas, doubled quotes and a line end; a byte-order mark;
    // the older header without RxDtcsCode, CrossMode and Power.
    void importsWhatASpreadsheetSaved()
    {
        Workspace ws;
        startUp(ws);
        setCells(ws, 9, {"401.00000", "OFF", "401.00000", "OFF", "High", "Wide"});
        const ChannelCsv::Import import = importFile(ws, "spreadsheet.csv");

        QCOMPARE(cells(ws, 1),
                 QStringList({"438.50000", "151.4", "438.50000", "151.4", "High", "Wide", "ON"}) +
                     kNewOptions);
        QCOMPARE(cells(ws, 2),
                 QStringList({"438.50000", "OFF", "430.90000", "123.0", "High", "Narrow", "OFF"}) +
                     kNewOptions);
        QCOMPARE(cells(ws, 3),
                 QStringList({"440.12500", "D023N", "440.12500", "D023I", "High", "Narrow", "ON"}) +
                     kNewOptions);
        // The whole table is replaced.
        for (int row = 4; row <= CT::MaxChannels; ++row)
            QCOMPARE(cells(ws, row), QStringList(CT::ColumnCount - 1));
        // After the comment over lines 3 and 4, the 2 m row is line 6.
        QCOMPARE(english(import.problems),
                 QStringList{"line 6: 146.520 MHz lies outside the band 400-470MHz; the row is "
                             "left out"});
    }

    // modes.csv as CHIRP exports it: rows in file order become channels 1 to 16.
    void importsEveryToneModeAndDuplex_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("expected"); // columns 1 to 7
        const auto row = [](const char *name, int row, const QStringList &expected) {
            QTest::newRow(name) << row << expected;
        };
        row("no tone", 1, {"462.56250", "OFF", "462.56250", "OFF", "High", "Narrow", "ON"});
        row("Tone, +", 2, {"462.55000", "OFF", "467.55000", "141.3", "High", "Wide", "ON"});
        row("TSQL", 3, {"446.00625", "100.0", "446.00625", "100.0", "Low", "Narrow", "OFF"});
        row("DTCS NR, 1 W", 4, {"446.01875", "D754I", "446.01875", "D754N", "Low", "Narrow", "ON"});
        row("Tone->Tone, 5 W", 5,
            {"440.00000", "254.1", "440.00000", "67.0", "High", "Wide", "ON"});
        row("Tone->DTCS", 6, {"440.02500", "D023I", "440.02500", "67.0", "High", "Wide", "ON"});
        row("DTCS->Tone", 7, {"440.05000", "77.0", "440.05000", "D411I", "High", "Wide", "ON"});
        row("DTCS->", 8, {"440.07500", "OFF", "440.07500", "D532N", "High", "Wide", "ON"});
        row("->DTCS", 9, {"440.10000", "D047I", "440.10000", "OFF", "High", "Wide", "ON"});
        row("->Tone", 10, {"440.12500", "110.9", "440.12500", "OFF", "High", "Wide", "ON"});
        row("Tone->", 11, {"440.15000", "OFF", "440.15000", "123.0", "High", "Wide", "ON"});
        row("DTCS->DTCS", 12, {"440.17500", "D026N", "440.17500", "D025I", "High", "Wide", "ON"});
        row("split", 13, {"433.00000", "OFF", "438.50000", "OFF", "High", "Wide", "ON"});
        row("off", 14, {"440.20000", "OFF", "", "OFF", "High", "Wide", "ON"});
        row("-", 15, {"450.00000", "OFF", "445.00000", "OFF", "High", "Wide", "ON"});
        row("Skip P, Mid", 16, {"451.00000", "OFF", "451.00000", "OFF", "Low", "Wide", "ON"});
    }
    void importsEveryToneModeAndDuplex()
    {
        QFETCH(int, row);
        QFETCH(QStringList, expected);
        Workspace ws;
        startUp(ws);
        const ChannelCsv::Import import = importFile(ws, "modes.csv");
        QCOMPARE(english(import.problems), QStringList());
        QCOMPARE(cells(ws, row), expected + kNewOptions);
    }

    // Export says the two tone cells in the simplest tone mode; the columns
    // it does not use hold the usual values. Read back, they are the cells.
    void exportsEachToneModeAndReadsItBack_data()
    {
        QTest::addColumn<QString>("rxTone");
        QTest::addColumn<QString>("txTone");
        // Tone, rToneFreq, cToneFreq, DtcsCode, DtcsPolarity, RxDtcsCode, CrossMode
        QTest::addColumn<QString>("columns");
        const auto row = [](const char *rx, const char *tx, const char *columns) {
            QTest::addRow("%s, %s", rx, tx) << rx << tx << columns;
        };
        row("OFF", "OFF", ",88.5,88.5,023,NN,023,Tone->Tone");
        row("OFF", "67.0", "Tone,67.0,88.5,023,NN,023,Tone->Tone");
        row("100.0", "100.0", "TSQL,88.5,100.0,023,NN,023,Tone->Tone");
        row("D023N", "D023N", "DTCS,88.5,88.5,023,NN,023,Tone->Tone");
        row("D754I", "D754N", "DTCS,88.5,88.5,754,NR,023,Tone->Tone");
        row("D023N", "D023I", "DTCS,88.5,88.5,023,RN,023,Tone->Tone");
        row("254.1", "67.0", "Cross,67.0,254.1,023,NN,023,Tone->Tone");
        row("D023I", "67.0", "Cross,67.0,88.5,023,NR,023,Tone->DTCS");
        row("77.0", "D411I", "Cross,88.5,77.0,411,RN,023,DTCS->Tone");
        row("OFF", "D532N", "Cross,88.5,88.5,532,NN,023,DTCS->");
        row("D047I", "OFF", "Cross,88.5,88.5,023,NR,047,->DTCS");
        row("110.9", "OFF", "Cross,88.5,110.9,023,NN,023,->Tone");
        row("D026N", "D025I", "Cross,88.5,88.5,025,RN,026,DTCS->DTCS");
    }
    void exportsEachToneModeAndReadsItBack()
    {
        QFETCH(QString, rxTone);
        QFETCH(QString, txTone);
        QFETCH(QString, columns);
        Workspace ws;
        startUp(ws);
        const QStringList channel =
            QStringList{"440.00000", rxTone, "440.00000", txTone, "High", "Wide", "ON"} +
            kNewOptions;
        setCells(ws, 1, channel);
        const QByteArray bytes = ChannelCsv::encode(ws);
        const QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(1),
                 "1,,440.000000,,0.000000," + columns.toLatin1() + ",FM,5.00,,High,,,,,\r");

        Workspace back;
        startUp(back);
        const ChannelCsv::Import import = ChannelCsv::decode(bytes, back);
        QCOMPARE(english(import.problems), QStringList());
        ChannelCsv::apply(import, back);
        QCOMPARE(cells(back, 1), channel);
    }

    // The full header, CR LF, one line per channel in use with its number,
    // duplex and offset from the transmit frequency, the step the frequencies
    // need, Skip from scan add, and Power and Mode as a write reads them.
    void exportWritesTheHeaderAndOneLinePerChannel()
    {
        Workspace ws;
        startUp(ws, 1); // the built-in simplified Chinese words
        const LanguageTexts &w = ws.texts();
        setCells(ws, 2,
                 {"462.56250", w.offWord, "467.56250", "67.0", w.lowWord, w.narrowWord, w.offWord,
                  w.onWord, w.offWord, w.scramblerWord, w.onWord});
        setCells(ws, 5,
                 {"440.00000", w.offWord, "", w.offWord, w.highWord, w.wideWord, w.onWord,
                  w.offWord, w.onWord, w.offWord, w.offWord});
        setCells(ws, 7,
                 {"450.00000", "D023N", "445.00000", "D023N", w.highWord, w.wideWord, w.onWord,
                  w.offWord, w.onWord, w.offWord, w.offWord});
        const QString path = m_dir.filePath(QStringLiteral("export.csv"));
        ChannelCsv::save(ws, path);
        QCOMPARE(TestSupport::readFile(path),
                 QByteArray("Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,"
                            "DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,"
                            "Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"
                            "2,,462.562500,+,5.000000,Tone,67.0,88.5,023,NN,023,Tone->Tone,NFM,"
                            "6.25,S,Low,,,,,\r\n"
                            "5,,440.000000,off,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,FM,5.00,,"
                            "High,,,,,\r\n"
                            "7,,450.000000,-,5.000000,DTCS,88.5,88.5,023,NN,023,Tone->Tone,FM,"
                            "5.00,,High,,,,,\r\n"));
    }

    // A file saved in another language holds its words: they say the same.
    void exportReadsTheWordsOfAnyLanguage()
    {
        Workspace ws;
        startUp(ws, 1);
        setCells(ws, 1, {"440.00000", "OFF", "440.00000", "OFF", "High", "Narrow", "OFF"});
        setCells(ws, 2, {"440.00000", "禁用", "440.00000", "禁用", "低功率", "寬帶", "啟用"});
        const QList<QByteArray> lines = ChannelCsv::encode(ws).split('\n');
        QCOMPARE(lines.at(1), QByteArray("1,,440.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,"
                                         "NFM,5.00,S,High,,,,,\r"));
        QCOMPARE(lines.at(2), QByteArray("2,,440.000000,,0.000000,,88.5,88.5,023,NN,023,Tone->Tone,"
                                         "FM,5.00,,Low,,,,,\r"));
    }

    // A cell the list cannot say stops the export, naming each one; the file
    // that was there stays as it was.
    void exportRefusesCellsItCannotExpress()
    {
        Workspace ws;
        startUp(ws);
        setCells(ws, 3, {"440.00000", "88.4", "440.00000", "OFF", "High", "Wide", "ON"});
        setCells(ws, 4, {"440.00000", "OFF", "44O.00000", "D023X", "High", "Wide", "ON"});
        const QString path = m_dir.filePath(QStringLiteral("kept.csv"));
        QVERIFY(TestSupport::writeFile(path, "kept"));
        QCOMPARE(errorOf([&] { ChannelCsv::save(ws, path); }),
                 QStringLiteral("Cannot export the channels: channel 3: receive tone '88.4' is not "
                                "in the tone list; channel 4: transmit frequency '44O.00000' is "
                                "not a frequency in MHz; channel 4: transmit tone 'D023X' is not "
                                "in the tone list"));
        QCOMPARE(TestSupport::readFile(path), QByteArray("kept"));
    }

    // Export then import gives back every channel, in either language and
    // number format, but for the columns the list does not carry, which take
    // the new-channel defaults.
    void roundTripGivesBackTheChannels_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("locale");
        QTest::newRow("simplified Chinese") << 1 << "C";
        QTest::newRow("English") << 2 << "C";
        QTest::newRow("decimal comma") << 2 << "de_DE";
    }
    void roundTripGivesBackTheChannels()
    {
        QFETCH(int, language);
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        Workspace ws;
        startUp(ws, language);
        const LanguageTexts &w = ws.texts();
        const QStringList tones = {w.offWord, "67.0",  "254.1", "D023N",
                                   "D754I",   "100.0", "D411N", w.offWord};
        for (int row = 1; row <= CT::MaxChannels; ++row) {
            // 5 kHz and 6.25 kHz steps up to the band's upper edge.
            const double rx = row == CT::MaxChannels ? 470.0 : 400.0 + row * 4.00625;
            const QString tx = row % 5 == 0   ? QString()
                               : row % 3 == 0 ? LocaleNumber::fixed(rx - 5.0, 5)
                                              : LocaleNumber::fixed(rx, 5);
            setCells(ws, row,
                     {LocaleNumber::fixed(rx, 5), tones.at(row % tones.size()), tx,
                      tones.at((row + row / 3) % tones.size()), row % 2 ? w.highWord : w.lowWord,
                      row % 4 ? w.wideWord : w.narrowWord, row % 6 ? w.onWord : w.offWord, w.onWord,
                      w.offWord, w.companderWord, w.onWord});
        }
        const QByteArray bytes = ChannelCsv::encode(ws);
        QVERIFY(bytes.contains("\r\n8,,432.050000,,0.000000,"));
        QVERIFY(bytes.contains("\r\n15,,460.093750,off,0.000000,"));
        QVERIFY(bytes.contains("\r\n16,,470.000000,,0.000000,"));

        Workspace back;
        startUp(back, language);
        const ChannelCsv::Import import = ChannelCsv::decode(bytes, back);
        QCOMPARE(english(import.problems), QStringList());
        ChannelCsv::apply(import, back);
        for (int row = 1; row <= CT::MaxChannels; ++row) {
            QStringList expected = cells(ws, row);
            for (int column = CT::Option8; column < CT::ColumnCount; ++column)
                expected[column - 1] =
                    column == CT::Option9 ? back.texts().onWord : back.texts().offWord;
            QCOMPARE(cells(back, row), expected);
        }
    }

    // Every problem with its line; a row with a bad tone only is imported
    // with that tone off, any other problem leaves its row out, and nothing
    // is moved into the band.
    void problemsNameTheirLines()
    {
        Workspace ws;
        startUp(ws);
        const ChannelCsv::Import import = importFile(ws, "problems.csv");
        const QString out = QStringLiteral("; the row is left out");
        const QString off = QStringLiteral("; imported with this tone off");
        QCOMPARE(english(import.problems),
                 QStringList({
                     "line 3: 146.520 MHz lies outside the band 400-470MHz" + out,
                     "line 4: 462.127 MHz is not on a 5 kHz or 6.25 kHz step" + out,
                     "line 5: Frequency '462.12S' is not a frequency in MHz" + out,
                     "line 6: Mode 'AM' has no equivalent in this radio" + out,
                     "line 7: Tone 'TSQL-R' has no equivalent in this radio" + out,
                     "line 8: Tone 'DTCS-R' has no equivalent in this radio" + out,
                     "line 9: rToneFreq '69.4' is not in the tone list" + off,
                     "line 10: DtcsCode '752' is not in the tone list" + off,
                     "line 11: cToneFreq '300.0' is not in the tone list" + off,
                     "line 12: Power 'Ultra' is not understood" + out,
                     "line 13: Skip 'X' is not understood" + out,
                     "line 14: 475.000 MHz lies outside the band 400-470MHz" + out,
                     "line 16: CrossMode 'Tone->Both' has no equivalent in this radio" + out,
                     "line 17: DtcsPolarity 'NX' is not understood" + off,
                     "line 18: Duplex 'x' has no equivalent in this radio" + out,
                     "line 30: more than 16 channels" + out,
                     "line 31: 145.500 MHz lies outside the band 400-470MHz" + out,
                 }));
        QCOMPARE(import.channels.size(), CT::MaxChannels);
        const QList<int> lines = {2, 9, 10, 11, 17, 19};
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(import.channels.at(i).line, lines.at(i));
        QCOMPARE(cells(ws, 1).mid(0, 4), QStringList({"462.12500", "OFF", "462.12500", "OFF"}));
        QCOMPARE(cells(ws, 2).mid(0, 4), QStringList({"440.00000", "OFF", "440.00000", "OFF"}));
        QCOMPARE(cells(ws, 3).mid(0, 4), QStringList({"440.00000", "OFF", "440.00000", "OFF"}));
        QCOMPARE(cells(ws, 4).mid(0, 4), QStringList({"440.00000", "OFF", "440.00000", "67.0"}));
        QCOMPARE(cells(ws, 5).mid(0, 4), QStringList({"440.00000", "OFF", "440.00000", "OFF"}));
        QCOMPARE(cells(ws, 6).at(0), QStringLiteral("441.15000"));
        QCOMPARE(cells(ws, 16).at(0), QStringLiteral("441.40000"));

        // The box shows them in the interface language.
        QCOMPARE(
            import.problems.at(6).describe(LanguageTexts::builtIn().csv),
            QStringLiteral("第 9 行：rToneFreq 列的“69.4”不在亚音列表中，已导入，此亚音设为禁用"));
    }

    // Power by name or watts, Skip's three values, and the new-channel
    // defaults where a list has no such column or leaves it empty.
    void powerAndSkip_data()
    {
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("skip");
        QTest::addColumn<QString>("powerCell");
        QTest::addColumn<QString>("scanCell");
        QTest::newRow("High, scanned") << "High"
                                       << ""
                                       << "High"
                                       << "ON";
        QTest::newRow("Low, skipped") << "Low"
                                      << "S"
                                      << "Low"
                                      << "OFF";
        QTest::newRow("5.0W, priority") << "5.0W"
                                        << "P"
                                        << "High"
                                        << "ON";
        QTest::newRow("2 W") << "2 W"
                             << ""
                             << "High"
                             << "ON";
        QTest::newRow("1W") << "1W"
                            << ""
                            << "Low"
                            << "ON";
        QTest::newRow("0.5W") << "0.5W"
                              << ""
                              << "Low"
                              << "ON";
        QTest::newRow("Mid") << "Mid"
                             << ""
                             << "Low"
                             << "ON";
        QTest::newRow("Hi, s") << "Hi"
                               << "s"
                               << "High"
                               << "OFF";
        QTest::newRow("empty") << ""
                               << ""
                               << "High"
                               << "ON";
    }
    void powerAndSkip()
    {
        QFETCH(QString, power);
        QFETCH(QString, skip);
        QFETCH(QString, powerCell);
        QFETCH(QString, scanCell);
        Workspace ws;
        startUp(ws);
        const QByteArray list =
            "Frequency,Power,Skip\n440.000000," + power.toUtf8() + ',' + skip.toUtf8() + '\n';
        const ChannelCsv::Import import = ChannelCsv::decode(list, ws);
        QCOMPARE(english(import.problems), QStringList());
        ChannelCsv::apply(import, ws);
        QCOMPARE(cells(ws, 1), QStringList({"440.00000", "OFF", "440.00000", "OFF", powerCell,
                                            "Wide", scanCell}) +
                                   kNewOptions);
    }

    // A file that is no such list at all, or cannot be read whole, stops the
    // import with one message.
    void wholeFileErrors_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << "400-470MHz"
                                 << "File not found";
        QTest::newRow("no Frequency column")
            << QByteArray("Location,Name,Freq\r\n1,A,440.000000\r\n") << "400-470MHz"
            << "This is not a CHIRP channel list: its first line names no Frequency column; "
               "nothing was imported";
        QTest::newRow("a channel file")
            << TestSupport::readFile(TestSupport::dataPath("files/example.q42")) << "400-470MHz"
            << "This is not a CHIRP channel list: its first line names no Frequency column; "
               "nothing was imported";
        QTest::newRow("quote never closed")
            << QByteArray("Frequency,Comment\n440.000000,ok\n441.000000,\"open,\n442.000000,x\n")
            << "400-470MHz"
            << "The quoted field that starts on line 3 is never closed";
        QByteArray large = "Frequency\r\n";
        while (large.size() <= ChannelCsv::MaxFileBytes)
            large += "440.000000\r\n";
        QTest::newRow("larger than 1 MiB")
            << large << "400-470MHz"
            << "The CSV file is larger than 1 MiB, far more than a channel list needs; nothing "
               "was imported";
        QTest::newRow("no band") << QByteArray("Frequency\n440.000000\n") << ""
                                 << "No band is selected, so the frequencies of the list cannot "
                                    "be checked; nothing was imported";
    }
    void wholeFileErrors()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, band);
        QFETCH(QString, message);
        Workspace ws;
        ws.bands().add(band);
        ws.bands().setCurrentIndex(band.isEmpty() ? -1 : 0);
        const QString path = m_dir.filePath(QStringLiteral("bad.csv"));
        QFile::remove(path);
        if (!content.isEmpty())
            QVERIFY(TestSupport::writeFile(path, content));
        QCOMPARE(errorOf([&] { ChannelCsv::read(path, ws); }), message);
    }
};

QTEST_GUILESS_MAIN(TestChannelCsv)
#include "tst_channelcsv.moc"
