#include "core/channels/ToneList.h"
#include "core/radio/ToneCodes.h"

#include <QTest>

// The tone tables as the radio's documentation writes them, typed in here
// as data of their own (not taken from the program's lists), and every tone
// both ways through the tone codes: receive and transmit, DCS normal and
// inverted.
namespace
{

// The CTCSS table: index 01 to 33 (hex), in order.
const char *const kCtcss[] = {
    "63.0",  "67.0",  "69.3",  "71.9",  "74.4",  "77.0",  "79.7",  "82.5",  "85.4",
    "88.5",  "91.5",  "94.8",  "97.4",  "100.0", "103.5", "107.2", "110.9", "114.8",
    "118.8", "123.0", "127.3", "131.8", "136.5", "141.3", "146.2", "151.4", "156.7",
    "159.8", "162.2", "165.5", "167.9", "171.3", "173.8", "177.3", "179.9", "183.5",
    "186.2", "189.9", "192.8", "196.6", "199.5", "203.5", "206.5", "210.7", "218.1",
    "225.7", "229.1", "233.6", "241.8", "250.3", "254.1"};

// The DCS table: index 01 to 6B (hex), in order.
const char *const kDcs[] = {
    "017", "023", "025", "026", "031", "032", "036", "043", "047", "050", "051", "053",
    "054", "065", "071", "072", "073", "074", "114", "115", "116", "122", "125", "131",
    "132", "134", "143", "145", "152", "155", "156", "162", "165", "172", "174", "205",
    "212", "223", "225", "226", "243", "244", "245", "246", "251", "252", "255", "261",
    "263", "265", "266", "271", "274", "306", "311", "315", "325", "331", "332", "343",
    "346", "351", "356", "364", "365", "371", "411", "412", "413", "423", "431", "432",
    "445", "446", "452", "454", "455", "462", "464", "465", "466", "503", "506", "516",
    "523", "526", "532", "546", "565", "606", "612", "624", "627", "631", "632", "645",
    "654", "662", "664", "703", "712", "723", "731", "732", "734", "743", "754"};

const QString kOff = QStringLiteral("OFF");

QString index(int position)
{
    return QStringLiteral("%1").arg(position, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

class TestToneTables : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tablesAsDocumented()
    {
        QCOMPARE(int(std::size(kCtcss)), 51);
        QCOMPARE(int(std::size(kDcs)), 107);
        QStringList ctcss, dcs;
        for (const char *tone : kCtcss)
            ctcss << QLatin1String(tone);
        for (const char *code : kDcs)
            dcs << QLatin1String(code);
        QCOMPARE(ToneList::ctcssTones(), ctcss);
        QCOMPARE(ToneList::dcsCodes(), dcs);
    }

    // Every CTCSS tone: its index both ways, its codes, and back to its text.
    void everyCtcssToneBothWays()
    {
        for (int i = 0; i < int(std::size(kCtcss)); ++i) {
            const QString text = QLatin1String(kCtcss[i]);
            const QString id = index(i + 1);
            QCOMPARE(ToneCodes::CAL_ctc(int(text.toDouble())), id);
            QCOMPARE(ToneCodes::writeRxcode(text, kOff), id + QStringLiteral("F1"));
            QCOMPARE(ToneCodes::writeTxcode(text, kOff), id + QStringLiteral("F5"));
            QCOMPARE(ToneCodes::sendCTC(id + QStringLiteral("F1"), kOff, QString()), text);
            QCOMPARE(ToneCodes::sendCTC(id + QStringLiteral("F5"), kOff, QString()), text);
        }
    }

    // Every DCS code, normal and inverted, receive and transmit.
    void everyDcsCodeBothWays()
    {
        const struct {
            QChar polarity;
            const char *receive;
            const char *transmit;
        } kinds[] = {{QLatin1Char('N'), "F2", "F6"}, {QLatin1Char('I'), "FA", "FE"}};
        for (int i = 0; i < int(std::size(kDcs)); ++i) {
            const QString digits = QLatin1String(kDcs[i]);
            const QString id = index(i + 1);
            QCOMPARE(ToneCodes::CAL_dcs(digits.toInt()), id);
            for (const auto &kind : kinds) {
                const QString text = QLatin1Char('D') + digits + kind.polarity;
                const QString rx = id + QLatin1String(kind.receive);
                const QString tx = id + QLatin1String(kind.transmit);
                QCOMPARE(ToneCodes::writeRxcode(text, kOff), rx);
                QCOMPARE(ToneCodes::writeTxcode(text, kOff), tx);
                QCOMPARE(ToneCodes::sendCTC(rx, kOff, QString()), text);
                QCOMPARE(ToneCodes::sendCTC(tx, kOff, QString()), text);
            }
        }
    }

    // No tone, and indexes just beyond each table.
    void noToneAndTheTablesEdges()
    {
        QCOMPARE(ToneCodes::writeRxcode(kOff, kOff), QStringLiteral("FFF0"));
        QCOMPARE(ToneCodes::writeTxcode(kOff, kOff), QStringLiteral("FFF4"));
        QCOMPARE(ToneCodes::sendCTC(QStringLiteral("34F1"), kOff, QStringLiteral("x")), kOff);
        QCOMPARE(ToneCodes::sendCTC(QStringLiteral("6CF2"), kOff, QStringLiteral("x")), kOff);
        QCOMPARE(ToneCodes::sendCTC(QStringLiteral("00F1"), kOff, QStringLiteral("x")), kOff);
    }
};

QTEST_GUILESS_MAIN(TestToneTables)
#include "tst_tonetables.moc"
