#include "core/channels/ToneList.h"
#include "core/radio/ToneCodes.h"

#include <QTest>

// The radio's tone codes: the CTCSS and DCS lookups, the receive and transmit
// encoders of a tone cell, and the decoder of a received code.
class TestToneCodes : public QObject
{
    Q_OBJECT

    const QString off = QStringLiteral("禁用");

private Q_SLOTS:
    void ctcssLookup_data()
    {
        QTest::addColumn<int>("wholeHertz");
        QTest::addColumn<QString>("index");
        QTest::newRow("63 first") << 63 << "01";
        QTest::newRow("67") << 67 << "02";
        QTest::newRow("100 three digits") << 100 << "0E";
        QTest::newRow("151 upper-case hex") << 151 << "1A";
        QTest::newRow("254 last") << 254 << "33";
        QTest::newRow("68 between tones") << 68 << "";
        QTest::newRow("62 below") << 62 << "";
        QTest::newRow("255 above") << 255 << "";
        QTest::newRow("0") << 0 << "";
        QTest::newRow("-1 (no number)") << -1 << "";
    }
    void ctcssLookup()
    {
        QFETCH(int, wholeHertz);
        QFETCH(QString, index);
        QCOMPARE(ToneCodes::CAL_ctc(wholeHertz), index);
    }

    void dcsLookup_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("index");
        QTest::newRow("017 first") << 17 << "01";
        QTest::newRow("023") << 23 << "02";
        QTest::newRow("050 tenth") << 50 << "0A";
        QTest::newRow("051") << 51 << "0B";
        QTest::newRow("754 last") << 754 << "6B";
        // The digits are read as a decimal number, not as octal: 19 is 023
        // in octal but no code.
        QTest::newRow("19 (023 octal)") << 19 << "";
        QTest::newRow("024 not a code") << 24 << "";
        QTest::newRow("755") << 755 << "";
        QTest::newRow("0") << 0 << "";
    }
    void dcsLookup()
    {
        QFETCH(int, code);
        QFETCH(QString, index);
        QCOMPARE(ToneCodes::CAL_dcs(code), index);
    }

    // Every tone of the tables is found by its own key at its own position.
    void lookupsFindEveryTone()
    {
        const QStringList &tones = ToneList::ctcssTones();
        for (int i = 0; i < tones.size(); ++i) {
            const int wholeHertz = tones.at(i).section(QLatin1Char('.'), 0, 0).toInt();
            QCOMPARE(ToneCodes::CAL_ctc(wholeHertz), QString::asprintf("%02X", i + 1));
        }
        const QStringList &codes = ToneList::dcsCodes();
        for (int i = 0; i < codes.size(); ++i)
            QCOMPARE(ToneCodes::CAL_dcs(codes.at(i).toInt()), QString::asprintf("%02X", i + 1));
    }

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("receive");
        QTest::addColumn<QString>("transmit");
        QTest::newRow("67.0") << "67.0"
                              << "02F1"
                              << "02F5";
        QTest::newRow("100.0") << "100.0"
                               << "0EF1"
                               << "0EF5";
        QTest::newRow("254.1") << "254.1"
                               << "33F1"
                               << "33F5";
        QTest::newRow("63.0") << "63.0"
                              << "01F1"
                              << "01F5";
        QTest::newRow("D017N") << "D017N"
                               << "01F2"
                               << "01F6";
        QTest::newRow("D023I") << "D023I"
                               << "02FA"
                               << "02FE";
        QTest::newRow("D754I") << "D754I"
                               << "6BFA"
                               << "6BFE";
        QTest::newRow("empty") << ""
                               << "FFF0"
                               << "FFF4";
        QTest::newRow("blanks") << "   "
                                << "FFF0"
                                << "FFF4";
        QTest::newRow("OFF word") << off << "FFF0"
                                  << "FFF4";
        QTest::newRow("OFF word in blanks") << " " + off + "\t"
                                            << "FFF0"
                                            << "FFF4";
        QTest::newRow("tone in blanks and controls") << "\t67.0 \r\n"
                                                     << "02F1"
                                                     << "02F5";
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QString, receive);
        QFETCH(QString, transmit);
        QCOMPARE(ToneCodes::writeRxcode(text, off), receive);
        QCOMPARE(ToneCodes::writeTxcode(text, off), transmit);
        QVERIFY(ToneCodes::hasCode(text, off));
    }

    // Texts outside the tone list have no code, and hasCode reports them.
    void textWithoutCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("OFF word of another language") << "OFF";
        QTest::newRow("lower-case DCS") << "d023n";
        QTest::newRow("lower-case polarity") << "D023n";
        QTest::newRow("whole part of a tone, other decimal") << "67.5";
        QTest::newRow("DCS digits of no code") << "D024N";
        QTest::newRow("DCS with two digits") << "D23N";
        QTest::newRow("no number") << "abc";
        QTest::newRow("CTCSS without decimal") << "67";
        QTest::newRow("off word inside other text") << off + "x";
    }
    void textWithoutCode()
    {
        QFETCH(QString, text);
        QCOMPARE(ToneCodes::writeRxcode(text, off), QString());
        QCOMPARE(ToneCodes::writeTxcode(text, off), QString());
        QVERIFY(!ToneCodes::hasCode(text, off));
    }

    void otherLanguagesOffWordIsNone()
    {
        QCOMPARE(ToneCodes::writeRxcode(QStringLiteral("OFF"), QStringLiteral("OFF")),
                 ToneCodes::noneReceiveCode());
        QCOMPARE(ToneCodes::writeTxcode(QStringLiteral("OFF"), QStringLiteral("OFF")),
                 ToneCodes::noneTransmitCode());
        QCOMPARE(ToneCodes::sendCTC(QStringLiteral("FFF0"), QStringLiteral("OFF"), off),
                 QStringLiteral("OFF"));
    }

    // Each entry of the tone list is coded with the index of its position
    // (CTCSS i at i, DCS normal at i + 51, inverted at i + 158), and every
    // code decodes back to its entry, in both columns.
    void everyToneListEntryRoundTrips()
    {
        const QStringList entries = ToneList::entries(off);
        QCOMPARE(entries.size(), ToneList::EntryCount);
        for (int position = 1; position < entries.size(); ++position) {
            const QString text = entries.at(position);
            const int base = position <= 51 ? 0 : position <= 158 ? 51 : 158;
            const QString index = QString::asprintf("%02X", position - base);
            const QString rx = ToneCodes::writeRxcode(text, off);
            const QString tx = ToneCodes::writeTxcode(text, off);
            QCOMPARE(rx.left(2), index);
            QCOMPARE(tx.left(2), index);
            QCOMPARE(ToneCodes::sendCTC(rx, off, QString()), text);
            QCOMPARE(ToneCodes::sendCTC(tx, off, QString()), text);
        }
    }

    void decode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text"); // "OFF" stands for the OFF word
        QTest::newRow("02F1") << "02F1"
                              << "67.0";
        QTest::newRow("02F5") << "02F5"
                              << "67.0";
        QTest::newRow("01F2") << "01F2"
                              << "D017N";
        QTest::newRow("6BFE") << "6BFE"
                              << "D754I";
        QTest::newRow("6BFA") << "6BFA"
                              << "D754I";
        QTest::newRow("33F1 last CTCSS") << "33F1"
                                         << "254.1";
        QTest::newRow("FFF0") << "FFF0"
                              << "OFF";
        QTest::newRow("FFF4") << "FFF4"
                              << "OFF";
        QTest::newRow("FFFF erased") << "FFFF"
                                     << "OFF";
        QTest::newRow("third character not examined") << "0201"
                                                      << "67.0";
        QTest::newRow("lower-case digits") << "6bfe"
                                           << "D754I";
        // An index byte outside its table reads as no tone.
        QTest::newRow("CTCSS index 00") << "00F1"
                                        << "OFF";
        QTest::newRow("CTCSS index 34") << "34F1"
                                        << "OFF";
        QTest::newRow("DCS index 00") << "00F2"
                                      << "OFF";
        QTest::newRow("DCS index 6C") << "6CF6"
                                      << "OFF";
        QTest::newRow("inverted index 6C") << "6CFA"
                                           << "OFF";
        QTest::newRow("CTCSS index FF") << "FFF5"
                                        << "OFF";
    }
    void decode()
    {
        QFETCH(QString, code);
        QFETCH(QString, text);
        const QString expected = text == QLatin1String("OFF") ? off : text;
        QCOMPARE(ToneCodes::sendCTC(code, off, QStringLiteral("previous")), expected);
    }

    void unknownKindKeepsTheCell_data()
    {
        QTest::addColumn<QString>("code");
        for (const char *code : {"0203", "0207", "0208", "0209", "020B", "020C", "020D"})
            QTest::newRow(code) << QString::fromLatin1(code);
        QTest::newRow("not hex") << "02FX";
        QTest::newRow("too short") << "02F";
    }
    void unknownKindKeepsTheCell()
    {
        QFETCH(QString, code);
        QCOMPARE(ToneCodes::sendCTC(code, off, QStringLiteral("D023N")), QStringLiteral("D023N"));
    }
};

QTEST_GUILESS_MAIN(TestToneCodes)
#include "tst_tonecodes.moc"
