#include "core/base/AppError.h"
#include "core/radio/MemoryMap.h"
#include "core/workspace/Workspace.h"

#include "support/CellTokens.h"

#include <QDateTime>
#include <QLocale>
#include <QTest>

using FS = FunctionSettings;
using CT = ChannelTable;
using Problem = MemoryMap::CellProblem;

Q_DECLARE_METATYPE(FunctionSettings::List)
Q_DECLARE_METATYPE(FunctionSettings::Check)

namespace
{

// Hex text from bytes written with blanks between them.
QString hex(const char *bytes)
{
    return QString::fromLatin1(bytes).remove(QLatin1Char(' '));
}

// A block text padded with FF bytes to 16 bytes.
QString block(const char *bytes)
{
    return hex(bytes).leftJustified(MemoryMap::BlockTextLength, QLatin1Char('F'));
}

// The block with one hex character (counted from 1) replaced.
QString withCharacter(QString text, int position, QChar c)
{
    text[position - 1] = c;
    return text;
}

using CellTokens::rowCells;
using CellTokens::setRow;
using CellTokens::word;
using CellTokens::words;

// A complete channel as the editor makes it.
const QStringList kChannel = {"462.12500", "67.0", "467.12500", "D023I", "HIGH", "WIDE",
                              "ON",        "OFF",  "ON",        "OFF",   "OFF"};

// Problems as "row/column/reason" for comparison.
QStringList summary(const QList<Problem> &problems)
{
    QStringList lines;
    for (const Problem &p : problems) {
        lines << QStringLiteral("%1/%2/%3%4")
                     .arg(p.row)
                     .arg(p.column)
                     .arg(int(p.reason))
                     .arg(p.setting == FS::ListCount ? QString()
                                                     : QLatin1Char(' ') + FS::key(p.setting));
    }
    return lines;
}

QString reason(Problem::Reason reason)
{
    return QString::number(int(reason));
}

} // namespace

// The radio's memory blocks: addresses, and every block's encoding in both
// directions between block texts and the workspace.
class TestMemoryMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        // Frequencies and the long-press time use the system's decimal
        // separator; most cases pin the point.
        QLocale::setDefault(QLocale::c());
    }

    void addresses()
    {
        QCOMPARE(MemoryMap::channelAddress(1), 0x0190);
        QCOMPARE(MemoryMap::channelAddress(2), 0x01A0);
        QCOMPARE(MemoryMap::channelAddress(16), 0x0280);
        QCOMPARE(MemoryMap::channelAddressText(1), QStringLiteral("0190"));
        QCOMPARE(MemoryMap::channelAddressText(5), QStringLiteral("01d0"));
        QCOMPARE(MemoryMap::channelAddressText(16), QStringLiteral("0280"));
        QCOMPARE(MemoryMap::addressText(MemoryMap::InformationAddress), QStringLiteral("00F0"));
        QCOMPARE(MemoryMap::addressText(MemoryMap::FunctionBlock1Address), QStringLiteral("0010"));
        for (int channel = 1; channel <= 16; ++channel)
            QCOMPARE(MemoryMap::channelOfAddress(MemoryMap::channelAddress(channel)), channel);
        QCOMPARE(MemoryMap::channelOfAddress(MemoryMap::InformationAddress), 0);
        QCOMPARE(MemoryMap::channelOfAddress(0x0180), 0);
        QCOMPARE(MemoryMap::channelOfAddress(0x0198), 0);
    }

    void identification_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<int>("model");
        QTest::newRow("PW-100") << block("4B 54 2D 01 00 00 FF 06 12 34") << 0;
        QTest::newRow("R5") << block("4B 54 2D 01 01 00 FF 06 00 00") << 1;
        QTest::newRow("R5 lower case") << block("4b 54 2d 01 01 00 ff 06") << 1;
        QTest::newRow("other model") << block("4B 54 2D 01 02 00 FF 06") << -1;
        QTest::newRow("all FF") << block("") << -1;
        QTest::newRow("no answer") << QString() << -1;
    }
    void identification()
    {
        QFETCH(QString, block);
        QFETCH(int, model);
        QCOMPARE(MemoryMap::modelIndex(block), model);
    }

    void band_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("band");
        QTest::newRow("400-470") << block("47 00 40 00") << "400-470MHz";
        QTest::newRow("400-430") << block("43 00 40 00") << "400-430MHz";
        QTest::newRow("all FF") << block("") << MemoryMap::noBandText();
        QTest::newRow("all FF lower case") << block("").toLower() << "FFF-FFFMHz";
    }
    void band()
    {
        QFETCH(QString, block);
        QFETCH(QString, band);
        QCOMPARE(MemoryMap::bandText(block), band);
    }

    void decodeInformation_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("name");
        QTest::newRow("ABC") << hex("20 09 03 15 14 05 09 FF 41 42 43 FF FF FF FF 03")
                             << "2009-03-15  14:05:09"
                             << "ABC";
        QTest::newRow("seven characters")
            << hex("20 09 03 15 14 05 09 FF 41 42 43 44 45 46 47 07") << "2009-03-15  14:05:09"
            << "ABCDEFG";
        QTest::newRow("empty name")
            << hex("20 09 03 15 14 05 09 FF FF FF FF FF FF FF FF 00") << "2009-03-15  14:05:09"
            << "";
        QTest::newRow("all FF") << block("") << "FFFF-FF-FF  FF:FF:FF" << QString(7, QChar(0xFF));
        QTest::newRow("only the low digit of the length")
            << hex("20 09 03 15 14 05 09 FF 41 42 43 44 FF FF FF 13") << "2009-03-15  14:05:09"
            << "ABC";
        QTest::newRow("length above 7")
            << hex("20 09 03 15 14 05 09 FF 41 42 43 44 45 46 47 09") << "2009-03-15  14:05:09"
            << "ABCDEFG";
    }
    void decodeInformation()
    {
        QFETCH(QString, block);
        QFETCH(QString, time);
        QFETCH(QString, name);
        Workspace ws;
        ws.info().setAdministrator(QStringLiteral("previous"));
        MemoryMap::decodeInformation(block, ws);
        QCOMPARE(ws.info().lastWriteTime(), time);
        QCOMPARE(ws.info().administrator(), name);
    }

    void encodeInformation_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("block");
        QTest::newRow("ABC") << "ABC" << hex("20090315140509 FF 41 42 43 FF FF FF FF 03");
        QTest::newRow("seven characters, no padding")
            << "ABCDEFG" << hex("20090315140509 FF 41 42 43 44 45 46 47 07");
        QTest::newRow("empty") << "" << hex("20090315140509 FF FF FF FF FF FF FF FF 00");
        QTest::newRow("cut to seven")
            << "ABCDEFGH" << hex("20090315140509 FF 41 42 43 44 45 46 47 07");
        QTest::newRow("formatted digits in lower case")
            << "xyz" << hex("20090315140509 FF 78 79 7a FF FF FF FF 03");
    }
    void encodeInformation()
    {
        QFETCH(QString, name);
        QFETCH(QString, block);
        Workspace ws;
        ws.setAdministrator(name);
        const QDateTime time(QDate(2009, 3, 15), QTime(14, 5, 9));
        QCOMPARE(MemoryMap::encodeInformation(ws, time), block);
    }

    void informationRoundTrip()
    {
        Workspace ws;
        ws.setAdministrator(QStringLiteral("Ab 1~z"));
        const QDateTime time(QDate(2031, 12, 7), QTime(23, 59, 1));
        MemoryMap::decodeInformation(MemoryMap::encodeInformation(ws, time), ws);
        QCOMPARE(ws.info().administrator(), QStringLiteral("Ab 1~z"));
        QCOMPARE(ws.info().lastWriteTime(), time.toString(QStringLiteral("yyyy-MM-dd  HH:mm:ss")));
    }

    void decodeChannel_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("462.125/467.125")
            << hex("46 21 25 00 46 71 25 00 02 F1 02 F5 FF FE 73 FC")
            << QStringList{"462.12500", "67.0", "467.12500", "67.0", "LOW", "WIDE",
                           "ON",        "OFF",  "ON",        "OFF",  "OFF"};
        QTest::newRow("FD/FF record")
            << hex("46 21 25 00 FF FF FF FF FF F0 FF F4 FF FD 36 FF")
            << QStringList{"462.12500", "OFF", "",    "OFF",  "LOW", "NARROW",
                           "OFF",       "OFF", "OFF", "COMP", "ON"};
        QTest::newRow("no transmit frequency")
            << hex("46 21 25 00 FF FF FF FF 01 F2 6B FE FF FE 73 FC")
            << QStringList{"462.12500", "D017N", "",   "D754I", "LOW", "WIDE",
                           "ON",        "OFF",   "ON", "OFF",   "OFF"};
        QTest::newRow("all FF") << block("") << QStringList(11, QString());
        QTest::newRow("receive frequency not decimal")
            << hex("46 21 25 0A 46 71 25 00 02 F1 02 F5 FF FE 73 FC") << QStringList(11, QString());
    }
    void decodeChannel()
    {
        QFETCH(QString, record);
        QFETCH(QStringList, cells);
        Workspace ws;
        setRow(ws, 3, QStringList(11, QStringLiteral("old")));
        MemoryMap::decodeChannel(record, 3, ws);
        QCOMPARE(rowCells(ws, 3), words(ws, cells));
    }

    // The flag digits of a record, one value at a time: which bit means which
    // word, with the opposite senses of the column 9 bit and the others.
    void channelBitSenses_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QChar>("digit");
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QStringList>("cells");
        const QList<int> byte14 = {CT::Option7, CT::Option11};
        QTest::newRow("14 low 0") << 28 << QChar('0') << byte14 << QStringList{"ON", "ON"};
        QTest::newRow("14 low 1") << 28 << QChar('1') << byte14 << QStringList{"OFF", "ON"};
        QTest::newRow("14 low 2") << 28 << QChar('2') << byte14 << QStringList{"ON", "OFF"};
        QTest::newRow("14 low C") << 28 << QChar('C') << byte14 << QStringList{"ON", "ON"};
        const QList<int> byte15high = {CT::Power, CT::Bandwidth, CT::Option8};
        QTest::newRow("15 high 0")
            << 29 << QChar('0') << byte15high << QStringList{"LOW", "NARROW", "ON"};
        QTest::newRow("15 high 8")
            << 29 << QChar('8') << byte15high << QStringList{"HIGH", "NARROW", "ON"};
        QTest::newRow("15 high 4")
            << 29 << QChar('4') << byte15high << QStringList{"LOW", "WIDE", "ON"};
        QTest::newRow("15 high 1")
            << 29 << QChar('1') << byte15high << QStringList{"LOW", "NARROW", "OFF"};
        QTest::newRow("15 high 2 ignored")
            << 29 << QChar('2') << byte15high << QStringList{"LOW", "NARROW", "ON"};
        const QList<int> byte15low = {CT::Option9, CT::Privacy};
        QTest::newRow("15 low 0") << 30 << QChar('0') << byte15low << QStringList{"OFF", "OFF"};
        QTest::newRow("15 low 1") << 30 << QChar('1') << byte15low << QStringList{"ON", "OFF"};
        QTest::newRow("15 low 3") << 30 << QChar('3') << byte15low << QStringList{"ON", "OFF"};
        QTest::newRow("15 low 4") << 30 << QChar('4') << byte15low << QStringList{"OFF", "COMP"};
        QTest::newRow("15 low 8") << 30 << QChar('8') << byte15low << QStringList{"OFF", "SCR"};
        QTest::newRow("15 low 9") << 30 << QChar('9') << byte15low << QStringList{"ON", "SCR"};
        QTest::newRow("15 low C") << 30 << QChar('C') << byte15low << QStringList{"OFF", "OFF"};
    }
    void channelBitSenses()
    {
        QFETCH(int, position);
        QFETCH(QChar, digit);
        QFETCH(QList<int>, columns);
        QFETCH(QStringList, cells);
        Workspace ws;
        const QString record =
            withCharacter(hex("46 21 25 00 46 71 25 00 02 F1 02 F5 FF FE 73 FC"), position, digit);
        MemoryMap::decodeChannel(record, 1, ws);
        QStringList found;
        for (int column : columns)
            found << ws.channels().cell(column, 1);
        QCOMPARE(found, words(ws, cells));
    }

    void encodeChannel_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("record");
        // Computed digits are lower case; upper-cased they are the bytes
        // 46 21 25 00 46 71 25 00 02 F1 FF F4 FF FC EF FE.
        QTest::newRow("row 1 of a write")
            << QStringList{"462.12500", "67.0", "467.12500", "OFF", "HIGH", "WIDE",
                           "ON",        "ON",   "ON",        "OFF", "ON"}
            << "462125004671250002F1FFF4FFFcefFE";
        QTest::newRow("462.125/467.125 written back")
            << QStringList{"462.12500", "67.0", "467.12500", "67.0", "LOW", "WIDE",
                           "ON",        "OFF",  "ON",        "OFF",  "OFF"}
            << "462125004671250002F102F5FFFe7fFE";
        QTest::newRow("FD/FF record written back")
            << QStringList{"462.12500", "OFF", "",    "OFF",  "LOW", "NARROW",
                           "OFF",       "OFF", "OFF", "COMP", "ON"}
            << "46212500FFFFFFFFFFF0FFF4FFFd36FD";
        QTest::newRow("empty receive frequency")
            << QStringList{"",   "67.0", "467.12500", "D023N", "HIGH", "WIDE",
                           "ON", "OFF",  "ON",        "SCR",   "OFF"}
            << QString(32, QLatin1Char('F'));
    }
    void encodeChannel()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, record);
        Workspace ws;
        setRow(ws, 4, cells);
        QCOMPARE(MemoryMap::encodeChannel(ws, 4), record);
    }

    // Byte 16: FC for equal texts, FD when column 1 sorts after column 3
    // (also for an empty column 3), FE when before.
    void frequencyRelation_data()
    {
        QTest::addColumn<QString>("rx");
        QTest::addColumn<QString>("tx");
        QTest::addColumn<QString>("relation");
        QTest::newRow("equal") << "462.12500"
                               << "462.12500"
                               << "FC";
        QTest::newRow("after") << "467.12500"
                               << "462.12500"
                               << "FD";
        QTest::newRow("before") << "462.12500"
                                << "467.12500"
                                << "FE";
        QTest::newRow("empty transmit") << "462.12500"
                                        << ""
                                        << "FD";
    }
    void frequencyRelation()
    {
        QFETCH(QString, rx);
        QFETCH(QString, tx);
        QFETCH(QString, relation);
        Workspace ws;
        QStringList cells = kChannel;
        cells[0] = rx;
        cells[2] = tx;
        setRow(ws, 1, cells);
        const QString record = MemoryMap::encodeChannel(ws, 1);
        QCOMPARE(record.right(2), relation);
        QCOMPARE(record.mid(8, 8),
                 tx.isEmpty() ? QStringLiteral("FFFFFFFF") : tx.remove(QLatin1Char('.')));
    }

    // Byte 15 low: b + 14 for the OFF word, + 10 for the SCRAMBLER word, + 6
    // for the COMPANDER word, + 2 for any other text; b = 1 for column 9 ON.
    void privacyDigit_data()
    {
        QTest::addColumn<QString>("option9");
        QTest::addColumn<QString>("privacy");
        QTest::addColumn<QChar>("digit");
        QTest::newRow("ON, OFF") << "ON"
                                 << "OFF" << QChar('f');
        QTest::newRow("OFF, OFF") << "OFF"
                                  << "OFF" << QChar('e');
        QTest::newRow("ON, scrambler") << "ON"
                                       << "SCR" << QChar('b');
        QTest::newRow("OFF, compander") << "OFF"
                                        << "COMP" << QChar('6');
        QTest::newRow("other texts") << "on"
                                     << "other" << QChar('2');
        QTest::newRow("ON, other text") << "ON"
                                        << "" << QChar('3');
    }
    void privacyDigit()
    {
        QFETCH(QString, option9);
        QFETCH(QString, privacy);
        QFETCH(QChar, digit);
        Workspace ws;
        QStringList cells = kChannel;
        cells[CT::Option9 - 1] = option9;
        cells[CT::Privacy - 1] = privacy;
        setRow(ws, 1, cells);
        QCOMPARE(MemoryMap::encodeChannel(ws, 1).at(29), digit);
    }

    // A record read with column 9 ON and privacy bits 0 writes back as F.
    void privacyBitsZeroWriteBackAsF()
    {
        Workspace ws;
        MemoryMap::decodeChannel(hex("46 21 25 00 46 71 25 00 02 F1 02 F5 FF FE 73 FC"), 1, ws);
        QCOMPARE(MemoryMap::encodeChannel(ws, 1).at(29).toUpper(), QChar('F'));
    }

    // Every combination of the word-valued cells, with several tones, comes
    // back from its record as it was.
    void channelRoundTrip()
    {
        Workspace ws;
        const QStringList tones = {"OFF", "63.0", "254.1", "D017N", "D754I"};
        int combination = 0;
        for (const char *power : {"HIGH", "LOW"})
            for (const char *width : {"WIDE", "NARROW"})
                for (const char *option7 : {"ON", "OFF"})
                    for (const char *option8 : {"ON", "OFF"})
                        for (const char *option9 : {"ON", "OFF"})
                            for (const char *privacy : {"OFF", "COMP", "SCR"})
                                for (const char *option11 : {"ON", "OFF"}) {
                                    ++combination;
                                    const QStringList cells = {
                                        combination % 2 ? "438.50625" : "470.00000",
                                        tones.at(combination % tones.size()),
                                        combination % 3 ? "" : "400.12500",
                                        tones.at((combination / 5) % tones.size()),
                                        power,
                                        width,
                                        option7,
                                        option8,
                                        option9,
                                        privacy,
                                        option11};
                                    setRow(ws, 2, cells);
                                    const QString record = MemoryMap::encodeChannel(ws, 2);
                                    QVERIFY(MemoryMap::isBlockText(record));
                                    MemoryMap::decodeChannel(record.toUpper(), 9, ws);
                                    QCOMPARE(rowCells(ws, 9), words(ws, cells));
                                }
        QCOMPARE(combination, 192);
    }

    // The stored texts follow the system's decimal separator: a read writes
    // it, a write takes it, and a point from another system is taken too.
    void systemDecimalSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Workspace ws;
        const QString record = hex("46 21 25 00 46 71 25 00 02 F1 02 F5 FF FE 73 FC");
        MemoryMap::decodeChannel(record, 1, ws);
        QCOMPARE(ws.channels().cell(CT::RxFrequency, 1), QStringLiteral("462,12500"));
        QCOMPARE(ws.channels().cell(CT::TxFrequency, 1), QStringLiteral("467,12500"));
        QVERIFY(MemoryMap::validate(ws).isEmpty());
        QCOMPARE(MemoryMap::encodeChannel(ws, 1).toUpper(),
                 hex("46 21 25 00 46 71 25 00 02 F1 02 F5 FF FE 7F FE"));

        ws.channels().setCell(CT::TxFrequency, 1, QStringLiteral("467.12500"));
        QVERIFY(MemoryMap::validate(ws).isEmpty());
        QCOMPARE(MemoryMap::encodeChannel(ws, 1).mid(8, 8), QStringLiteral("46712500"));
    }

    // Every cell of a channel in use that the record cannot express is listed
    // with its row and column; other rows are not looked at.
    void validateCells_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("problems");
        const QString badFrequency = reason(Problem::BadFrequency);
        const QString unknownTone = reason(Problem::UnknownTone);
        QTest::newRow("complete channels") << 1 << 1 << "462.12500" << QStringList();
        QTest::newRow("too few decimals")
            << 2 << 1 << "462.125" << QStringList{"2/1/" + badFrequency};
        QTest::newRow("four integer digits")
            << 2 << 1 << "4621.2500" << QStringList{"2/1/" + badFrequency};
        QTest::newRow("letter among the digits")
            << 2 << 1 << "462.1250x" << QStringList{"2/1/" + badFrequency};
        QTest::newRow("no separator")
            << 2 << 1 << "462x12500" << QStringList{"2/1/" + badFrequency};
        QTest::newRow("leading blank")
            << 2 << 1 << " 462.12500" << QStringList{"2/1/" + badFrequency};
        QTest::newRow("comma") << 2 << 1 << "462,12500" << QStringList();
        QTest::newRow("bad transmit frequency")
            << 2 << 3 << "46.212500" << QStringList{"2/3/" + badFrequency};
        QTest::newRow("empty transmit frequency") << 2 << 3 << "" << QStringList();
        QTest::newRow("tone off the list") << 2 << 2 << "67.5" << QStringList{"2/2/" + unknownTone};
        QTest::newRow("another language's OFF word")
            << 2 << 4 << "OFF" << QStringList{"2/4/" + unknownTone};
        QTest::newRow("unused row") << 5 << 2 << "garbage" << QStringList();
        QTest::newRow("row beyond the channel count") << 16 << 1 << "garbage" << QStringList();
    }
    void validateCells()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QStringList, problems);
        Workspace ws;
        ws.setAdministrator(QStringLiteral("ABC"));
        ws.channels().setChannelCount(15);
        for (int r = 1; r <= 3; ++r)
            setRow(ws, r, kChannel);
        ws.channels().setCell(column, row, text);
        QCOMPARE(summary(MemoryMap::validate(ws)), problems);
    }

    void validateListsEveryProblem()
    {
        Workspace ws;
        setRow(ws, 1, kChannel);
        setRow(ws, 7, kChannel);
        ws.channels().setCell(CT::TxFrequency, 1, QStringLiteral("1"));
        ws.channels().setCell(CT::RxTone, 7, QStringLiteral("D023X"));
        ws.channels().setCell(CT::TxTone, 7, QStringLiteral("d023i"));
        ws.functions().setIndex(FS::TOT, -1);
        ws.functions().setItems(
            FS::Squelch, QStringList{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
        ws.functions().setIndex(FS::Squelch, 10);
        ws.setAdministrator(QStringLiteral("张三"));
        const QStringList expected = {
            "1/3/" + reason(Problem::BadFrequency),
            "7/2/" + reason(Problem::UnknownTone),
            "7/4/" + reason(Problem::UnknownTone),
            "0/0/" + reason(Problem::SettingOutOfRange) + " Squelch",
            "0/0/" + reason(Problem::NoSelection) + " TOT",
            "0/0/" + reason(Problem::NameNotAscii),
        };
        const QList<Problem> problems = MemoryMap::validate(ws);
        QCOMPARE(summary(problems), expected);
        QCOMPARE(problems.at(2).text, QStringLiteral("d023i"));
        QCOMPARE(problems.at(5).text, QStringLiteral("张三"));
    }

    void validateLooksOnlyAtTheWrittenNameCharacters()
    {
        Workspace ws;
        ws.setAdministrator(QStringLiteral("ABCDEFG张"));
        QVERIFY(MemoryMap::validate(ws).isEmpty());
    }

    void encodersRefuseWhatTheyCannotExpress()
    {
        Workspace ws;
        setRow(ws, 1, kChannel);
        ws.channels().setCell(CT::RxTone, 1, QStringLiteral("67.5"));
        QVERIFY_THROWS_EXCEPTION(AppError, MemoryMap::encodeChannel(ws, 1));
        ws.channels().setCell(CT::RxTone, 1, QStringLiteral("67.0"));
        ws.channels().setCell(CT::RxFrequency, 1, QStringLiteral("462.125"));
        QVERIFY_THROWS_EXCEPTION(AppError, MemoryMap::encodeChannel(ws, 1));

        ws.functions().setIndex(FS::TOT, -1);
        QVERIFY_THROWS_EXCEPTION(AppError, MemoryMap::encodeFunctionBlock1(ws));
        ws.functions().setIndex(FS::LongKey1, -1);
        QVERIFY_THROWS_EXCEPTION(AppError, MemoryMap::encodeFunctionBlock2(ws));
        ws.setAdministrator(QStringLiteral("张"));
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 MemoryMap::encodeInformation(ws, QDateTime::currentDateTime()));
    }

    void functionBlock1StartAndEnd()
    {
        Workspace ws;
        ws.channels().setChannelCount(16);
        ws.functions().setIndex(FS::Squelch, 2);
        ws.functions().setIndex(FS::Beep, 1);
        const QString text = MemoryMap::encodeFunctionBlock1(ws);
        QCOMPARE(text.size(), MemoryMap::BlockTextLength);
        QVERIFY(text.startsWith(QStringLiteral("001000FF0202")));
        QVERIFY(text.endsWith(QStringLiteral("01")));
    }

    // Each list field with its rule for values outside the list.
    void functionBlock1Lists_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QChar>("digit");
        QTest::addColumn<FS::List>("list");
        QTest::addColumn<int>("index");
        QTest::newRow("squelch 9") << 12 << QChar('9') << FS::Squelch << 9;
        QTest::newRow("squelch 0") << 12 << QChar('0') << FS::Squelch << 0;
        QTest::newRow("squelch A") << 12 << QChar('A') << FS::Squelch << 2;
        QTest::newRow("scan kind bit 1 set") << 17 << QChar('E') << FS::ScanKind << 1;
        QTest::newRow("scan kind bit 1 clear") << 17 << QChar('D') << FS::ScanKind << 0;
        QTest::newRow("step 4") << 22 << QChar('4') << FS::Step << 4;
        QTest::newRow("step 5") << 22 << QChar('5') << FS::Step << 3;
        QTest::newRow("TOT 7") << 24 << QChar('7') << FS::TOT << 7;
        QTest::newRow("TOT 8") << 24 << QChar('8') << FS::TOT << 3;
        QTest::newRow("APO F") << 26 << QChar('F') << FS::APO << 15;
        QTest::newRow("APO 0") << 26 << QChar('0') << FS::APO << 0;
        QTest::newRow("VOX level 1") << 28 << QChar('1') << FS::VoxSQL << 0;
        QTest::newRow("VOX level 8") << 28 << QChar('8') << FS::VoxSQL << 7;
        QTest::newRow("VOX level 9") << 28 << QChar('9') << FS::VoxSQL << 3;
        QTest::newRow("VOX level 0") << 28 << QChar('0') << FS::VoxSQL << -1;
        QTest::newRow("VOX delay 3") << 30 << QChar('3') << FS::VoxDelay << 3;
        QTest::newRow("VOX delay 4") << 30 << QChar('4') << FS::VoxDelay << 2;
        QTest::newRow("voice 0") << 32 << QChar('0') << FS::Beep << 0;
        QTest::newRow("voice 2") << 32 << QChar('2') << FS::Beep << 2;
        QTest::newRow("voice 3") << 32 << QChar('3') << FS::Beep << 2;
    }
    void functionBlock1Lists()
    {
        QFETCH(int, position);
        QFETCH(QChar, digit);
        QFETCH(FS::List, list);
        QFETCH(int, index);
        Workspace ws;
        const QString text = MemoryMap::encodeFunctionBlock1(ws).toUpper();
        // Start from another selection, so that a decode that does nothing fails.
        ws.functions().setIndex(list, index == 1 ? 0 : 1);
        MemoryMap::decodeFunctionBlock1(withCharacter(text, position, digit), ws);
        QCOMPARE(ws.functions().index(list), index);
    }

    void functionBlock1Checks_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QChar>("digit");
        QTest::addColumn<FS::Check>("check");
        QTest::addColumn<bool>("checked");
        QTest::newRow("TX Over bit 0 set") << 13 << QChar('1') << FS::TxOver << true;
        QTest::newRow("TX Over bit 0 clear") << 13 << QChar('E') << FS::TxOver << false;
        QTest::newRow("Open Beep bit 3 set") << 13 << QChar('8') << FS::OpenBeep << true;
        QTest::newRow("Open Beep bit 3 clear") << 13 << QChar('7') << FS::OpenBeep << false;
        QTest::newRow("Bat Beep odd") << 14 << QChar('1') << FS::BatBeep << true;
        QTest::newRow("Bat Beep even") << 14 << QChar('E') << FS::BatBeep << false;
        QTest::newRow("Save odd") << 15 << QChar('F') << FS::Save << true;
        QTest::newRow("Save even") << 15 << QChar('E') << FS::Save << false;
        QTest::newRow("VoxRX bit 0 set") << 17 << QChar('1') << FS::VoxRX << true;
        QTest::newRow("VoxRX bit 0 clear") << 17 << QChar('E') << FS::VoxRX << false;
    }
    void functionBlock1Checks()
    {
        QFETCH(int, position);
        QFETCH(QChar, digit);
        QFETCH(FS::Check, check);
        QFETCH(bool, checked);
        Workspace ws;
        const QString text = MemoryMap::encodeFunctionBlock1(ws).toUpper();
        ws.functions().setChecked(check, !checked);
        MemoryMap::decodeFunctionBlock1(withCharacter(text, position, digit), ws);
        QCOMPARE(ws.functions().isChecked(check), checked);
    }

    void functionBlock1RoundTrip_data()
    {
        QTest::addColumn<bool>("flip");
        QTest::newRow("defaults") << false;
        QTest::newRow("everything changed") << true;
    }
    void functionBlock1RoundTrip()
    {
        QFETCH(bool, flip);
        Workspace source;
        FS &f = source.functions();
        if (flip) {
            const QList<QPair<FS::List, int>> indices = {
                {FS::Squelch, 9}, {FS::ScanKind, 0}, {FS::Step, 1},     {FS::TOT, 7},
                {FS::APO, 15},    {FS::VoxSQL, 7},   {FS::VoxDelay, 0}, {FS::Beep, 2}};
            for (const auto &[list, index] : indices)
                f.setIndex(list, index);
            for (int check = 0; check < FS::CheckCount; ++check)
                f.setChecked(FS::Check(check), !f.isChecked(FS::Check(check)));
        }
        Workspace target;
        for (int list = 0; list < FS::ListCount; ++list)
            target.functions().setIndex(FS::List(list), 0);
        for (int check = 0; check < FS::CheckCount; ++check)
            target.functions().setChecked(FS::Check(check), !f.isChecked(FS::Check(check)));
        MemoryMap::decodeFunctionBlock1(MemoryMap::encodeFunctionBlock1(source).toUpper(), target);
        for (FS::List list : {FS::Squelch, FS::ScanKind, FS::Step, FS::TOT, FS::APO, FS::VoxSQL,
                              FS::VoxDelay, FS::Beep})
            QCOMPARE(target.functions().index(list), f.index(list));
        for (int check = 0; check < FS::CheckCount; ++check)
            QCOMPARE(target.functions().isChecked(FS::Check(check)), f.isChecked(FS::Check(check)));
    }

    void functionBlock2Written()
    {
        Workspace ws;
        FS &f = ws.functions();
        f.setKeyTime(15);
        f.setIndex(FS::Volume, 9);
        f.setIndex(FS::ShortKey0, 5);
        f.setIndex(FS::ShortKey1, 3);
        const QString text = MemoryMap::encodeFunctionBlock2(ws);
        QCOMPARE(text.size(), MemoryMap::FunctionBlock2WriteLength);
        QVERIFY(text.startsWith(QStringLiteral("0f")));
        QCOMPARE(text.mid(8, 2), QStringLiteral("09"));
        // The P1 and P2 short keys are written as 0 whatever they hold.
        QCOMPARE(text.at(3), QChar('0'));
        QCOMPARE(text.at(5), QChar('0'));
    }

    void functionBlock2KeyTime_data()
    {
        QTest::addColumn<QString>("byte");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("04 below") << "04" << 15 << "1.5";
        QTest::newRow("1A above") << "1A" << 15 << "1.5";
        QTest::newRow("05") << "05" << 5 << "0.5";
        QTest::newRow("19") << "19" << 25 << "2.5";
        QTest::newRow("14 whole seconds") << "14" << 20 << "2";
    }
    void functionBlock2KeyTime()
    {
        QFETCH(QString, byte);
        QFETCH(int, position);
        QFETCH(QString, text);
        Workspace ws;
        ws.functions().setKeyTime(position == 15 ? 10 : 15);
        MemoryMap::decodeFunctionBlock2(byte + block("00 00 00 00").mid(2), ws);
        QCOMPARE(ws.functions().keyTimePosition(), position);
        QCOMPARE(ws.functions().keyTimeText(), text);
    }

    void functionBlock2Lists_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QChar>("digit");
        QTest::addColumn<FS::List>("list");
        QTest::addColumn<int>("index");
        QTest::newRow("P1 long 9 mod 8") << 3 << QChar('9') << FS::LongKey0 << 1;
        QTest::newRow("P1 short F mod 8") << 4 << QChar('F') << FS::ShortKey0 << 7;
        QTest::newRow("P2 long 7") << 5 << QChar('7') << FS::LongKey1 << 7;
        QTest::newRow("P2 short 3") << 6 << QChar('3') << FS::ShortKey1 << 3;
        QTest::newRow("P3 long C mod 8") << 7 << QChar('C') << FS::LongKey2 << 4;
        QTest::newRow("P3 short 6") << 8 << QChar('6') << FS::ShortKey2 << 6;
        QTest::newRow("volume 8") << 10 << QChar('8') << FS::Volume << 8;
        QTest::newRow("volume 9 mod 9") << 10 << QChar('9') << FS::Volume << 0;
        QTest::newRow("volume F mod 9") << 10 << QChar('F') << FS::Volume << 6;
    }
    void functionBlock2Lists()
    {
        QFETCH(int, position);
        QFETCH(QChar, digit);
        QFETCH(FS::List, list);
        QFETCH(int, index);
        Workspace ws;
        ws.functions().setIndex(list, index == 2 ? 5 : 2);
        MemoryMap::decodeFunctionBlock2(withCharacter(block("0F 00 00 00 02"), position, digit),
                                        ws);
        QCOMPARE(ws.functions().index(list), index);
    }

    // Only character 10 of the volume byte is read: 09 written for the tenth
    // level comes back as the first.
    void volumeTenReadsBackAsOne()
    {
        Workspace ws;
        ws.functions().setIndex(FS::Volume, 9);
        MemoryMap::decodeFunctionBlock2(
            MemoryMap::encodeFunctionBlock2(ws).toUpper() + QString(22, QLatin1Char('F')), ws);
        QCOMPARE(ws.functions().index(FS::Volume), 0);
    }

    void functionBlock2RoundTrip()
    {
        Workspace source;
        FS &f = source.functions();
        f.setKeyTime(23);
        f.setIndex(FS::LongKey0, 7);
        f.setIndex(FS::LongKey1, 2);
        f.setIndex(FS::LongKey2, 6);
        f.setIndex(FS::ShortKey2, 3);
        f.setIndex(FS::Volume, 8);
        Workspace target;
        MemoryMap::decodeFunctionBlock2(MemoryMap::encodeFunctionBlock2(source).toUpper() +
                                            QString(22, QLatin1Char('F')),
                                        target);
        const FS &g = target.functions();
        QCOMPARE(g.keyTimePosition(), 23);
        QCOMPARE(g.keyTimeText(), QStringLiteral("2.3"));
        for (FS::List list : {FS::LongKey0, FS::LongKey1, FS::LongKey2, FS::ShortKey2, FS::Volume})
            QCOMPARE(g.index(list), f.index(list));
        QCOMPARE(g.index(FS::ShortKey0), 0);
        QCOMPARE(g.index(FS::ShortKey1), 0);
    }

    // A text that is not one block (a short or garbled answer) changes no
    // setting and no information field.
    void textThatIsNoBlockChangesNothing()
    {
        Workspace ws;
        const QString garbled = block("").replace(4, 1, QLatin1Char('X'));
        ws.functions().setIndex(FS::Squelch, 5);
        ws.functions().setKeyTime(20);
        MemoryMap::decodeFunctionBlock1(garbled, ws);
        MemoryMap::decodeFunctionBlock2(QStringLiteral("0F00"), ws);
        MemoryMap::decodeInformation(garbled, ws);
        QCOMPARE(ws.functions().index(FS::Squelch), 5);
        QCOMPARE(ws.functions().keyTimePosition(), 20);
        QCOMPARE(ws.info().lastWriteTime(), RadioInfo::placeholder());
    }
};

QTEST_GUILESS_MAIN(TestMemoryMap)
#include "tst_memorymap.moc"
