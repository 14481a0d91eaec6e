#include "core/radio/Exchange.h"
#include "core/radio/MemoryMap.h"
#include "core/radio/SerialLink.h"
#include "core/radio/ToneCodes.h"
#include "core/workspace/Workspace.h"
#include "sim/VirtualRadio.h"

#include "support/CellTokens.h"
#include "support/ProtocolTexts.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QTest>

#include <functional>
#include <memory>

using FS = FunctionSettings;
using CT = ChannelTable;
using Result = Exchange::Result;
using Direction = Exchange::Direction;

Q_DECLARE_METATYPE(Exchange::Result)
Q_DECLARE_METATYPE(Exchange::Direction)

namespace
{

// Commands as the radio receives them, upper case, without the check byte.
const QString HandshakeCmd = QStringLiteral("020551556D7461");
const QString StartCmd = QStringLiteral("0600");
const QString IdentificationRead = QStringLiteral("520300D010");
const QString BandRead = QStringLiteral("520300C010");
const QString InformationRead = QStringLiteral("520300F010");
const QString Function1Read = QStringLiteral("5203001010");
const QString Function2Read = QStringLiteral("5203002010");
const QString EndCmd = QStringLiteral("64016F");
const QString Function1Write = QStringLiteral("57120010");
const QString Function2Write = QStringLiteral("57070020");
const QString InformationWrite = QStringLiteral("571200F0");

QString channelHex(int n)
{
    return QStringLiteral("%1").arg(n + 24, 2, 16, QLatin1Char('0')).toUpper();
}
QString channelRead(int n)
{
    return QStringLiteral("52030") + channelHex(n) + QStringLiteral("010");
}
// A channel write up to its address; the record follows.
QString channelWrite(int n)
{
    return QStringLiteral("57120") + channelHex(n) + QStringLiteral("0");
}

QStringList channelReads()
{
    QStringList reads;
    for (int n = 1; n <= CT::MaxChannels; ++n)
        reads << channelRead(n);
    return reads;
}

const QStringList Opening = {HandshakeCmd, StartCmd, IdentificationRead};

// The commands the radio received, without their check bytes; a frame whose
// check byte is wrong is marked.
QStringList received(const VirtualRadio &radio)
{
    QStringList texts;
    for (const QString &frame : radio.commandTexts()) {
        texts << (SerialLink::hasValidCheck(frame) ? frame.left(frame.size() - 2)
                                                   : QStringLiteral("BAD CHECK ") + frame);
    }
    return texts;
}

// The first 8 characters of each command: a write's command and address.
QStringList heads(const QStringList &commands)
{
    QStringList result;
    for (const QString &command : commands)
        result << command.left(8);
    return result;
}

QString blockHex(const VirtualRadio &radio, int address)
{
    return ProtocolTexts::hexOf(radio.image().block(quint16(address)));
}

using CellTokens::rowCells;
using CellTokens::setRow;
using CellTokens::word;
using CellTokens::words;

QStringList oldRow(int row)
{
    QStringList cells;
    for (int column = 1; column < CT::ColumnCount; ++column)
        cells << QStringLiteral("old %1/%2").arg(row).arg(column);
    return cells;
}

// Every cell of rows 1 to 16 holds a text no read produces.
void fillOldRows(Workspace &ws)
{
    for (int row = 1; row <= CT::MaxChannels; ++row)
        setRow(ws, row, oldRow(row));
}

// The row a read must make of the radio's record, by the record decoder.
QStringList decodedRow(const VirtualRadio &radio, int row)
{
    Workspace reference;
    MemoryMap::decodeChannel(blockHex(radio, MemoryMap::channelAddress(row)), row, reference);
    return rowCells(reference, row);
}

// Every function setting as "key=value" lines.
QStringList summary(const FS &f)
{
    QStringList lines;
    for (int list = 0; list < FS::ListCount; ++list)
        lines << FS::key(FS::List(list)) + QLatin1Char('=') +
                     QString::number(f.index(FS::List(list)));
    for (int check = 0; check < FS::CheckCount; ++check)
        lines << FS::key(FS::Check(check)) + QLatin1Char('=') +
                     QString::number(f.isChecked(FS::Check(check)));
    lines << QStringLiteral("Key Time=%1 %2").arg(f.keyTimePosition()).arg(f.keyTimeText());
    return lines;
}

// Settings unlike the sample radio's in every field a read sets.
void setOtherFunctions(FS &f)
{
    const QList<QPair<FS::List, int>> indices = {
        {FS::APO, 4},      {FS::Squelch, 5},   {FS::Beep, 0},     {FS::ScanKind, 1},
        {FS::TOT, 0},      {FS::Step, 0},      {FS::VoxSQL, 0},   {FS::VoxDelay, 0},
        {FS::LongKey0, 0}, {FS::ShortKey0, 3}, {FS::LongKey1, 0}, {FS::ShortKey1, 3},
        {FS::LongKey2, 0}, {FS::ShortKey2, 0}, {FS::Volume, 0},
    };
    for (const auto &[list, index] : indices)
        f.setIndex(list, index);
    f.setChecked(FS::OpenBeep, false);
    f.setChecked(FS::TxOver, false);
    f.setChecked(FS::BatBeep, false);
    f.setChecked(FS::Save, false);
    f.setChecked(FS::VoxRX, true);
    f.setKeyTime(20);
}

// What the sample radio's function blocks hold.
QStringList sampleFunctions()
{
    FS f;
    const QList<QPair<FS::List, int>> indices = {
        {FS::APO, 0},      {FS::Squelch, 2},   {FS::Beep, 1},     {FS::ScanKind, 0},
        {FS::TOT, 3},      {FS::Step, 1},      {FS::VoxSQL, 2},   {FS::VoxDelay, 1},
        {FS::LongKey0, 1}, {FS::ShortKey0, 0}, {FS::LongKey1, 2}, {FS::ShortKey1, 0},
        {FS::LongKey2, 3}, {FS::ShortKey2, 1}, {FS::Volume, 4},
    };
    for (const auto &[list, index] : indices)
        f.setIndex(list, index);
    f.setChecked(FS::OpenBeep, true);
    f.setChecked(FS::TxOver, true);
    f.setChecked(FS::BatBeep, true);
    f.setChecked(FS::Save, true);
    f.setChecked(FS::VoxRX, false);
    f.setKeyTime(15);
    return summary(f);
}

// Channels 1 to 3 of a write: the radio's record of each is given in full
// where the encoding is spelled out; the rest are empty.
const QStringList WriteRow1 = {"462.12500", "67.0", "467.12500", "OFF", "HIGH", "WIDE",
                               "ON",        "ON",   "ON",        "OFF", "ON"};
const QString WriteRecord1 = QStringLiteral("4621250046712500"
                                            "02F1FFF4FFFCEFFE");
const QStringList WriteRow2 = {"462.12500", "OFF", "",    "OFF",  "LOW", "NARROW",
                               "OFF",       "OFF", "OFF", "COMP", "ON"};
const QString WriteRecord2 = QStringLiteral("46212500FFFFFFFF"
                                            "FFF0FFF4FFFD36FD");
const QStringList WriteRow3 = {"467.12500", "D023N", "462.12500", "D754I", "HIGH", "WIDE",
                               "ON",        "ON",    "ON",        "SCR",   "OFF"};

const QDateTime WriteTime(QDate(2024, 5, 6), QTime(7, 8, 9));

void fillWorkspaceForWrite(Workspace &ws)
{
    ws.channels().clearAllChannels();
    setRow(ws, 1, WriteRow1);
    setRow(ws, 2, WriteRow2);
    setRow(ws, 3, WriteRow3);
    ws.functions().setIndex(FS::Squelch, 2);
    ws.functions().setIndex(FS::Beep, 1);
    ws.functions().setChecked(FS::TxOver, false);
    ws.functions().setKeyTime(15);
    ws.setAdministrator(QStringLiteral("ABC"));
}

enum class Fault { Busy, Garbage, BadCheck, Long, Short };

// A virtual radio with the sample configuration on a pseudo-terminal, and
// the program's side of the line: workspace, link and exchange.
struct Rig {
    VirtualRadio radio;
    Workspace ws;
    SerialLink link;
    Exchange exchange{link, ws};
    QList<int> progress; // every progress value reported

    Rig()
    {
        QObject::connect(&exchange, &Exchange::progressChanged, &exchange,
                         [this](int value, int) { progress << value; });
        ws.bands().add(QStringLiteral("136-174MHz"));
        ws.bands().add(QStringLiteral("400-470MHz"));
        ws.bands().setCurrentIndex(0);
        ws.channels().labelRows();
        exchange.setClock([] { return WriteTime; });
    }

    Result run(Direction direction) { return exchange.run(direction, radio.devicePath()); }

    // The next count commands beginning with the prefix get the fault.
    void faultOn(const QString &prefix, Fault fault, int count)
    {
        auto remaining = std::make_shared<int>(count);
        QObject::connect(&radio, &VirtualRadio::commandReceived, &radio,
                         [this, prefix, fault, remaining](const QByteArray &frame) {
                             if (*remaining <= 0 || !ProtocolTexts::hexOf(frame).startsWith(prefix))
                                 return;
                             --*remaining;
                             const VirtualRadio::Steps every(
                                 VirtualRadio::Handshake | VirtualRadio::Start |
                                 VirtualRadio::Read | VirtualRadio::Write);
                             if (fault == Fault::Busy)
                                 radio.setBusy(1, every);
                             else if (fault == Fault::Garbage)
                                 radio.setGarbage(1, every);
                             else if (fault == Fault::Long)
                                 radio.setLongAnswers(1, every);
                             else if (fault == Fault::Short)
                                 radio.setShortAnswers(1, every);
                             else
                                 radio.setBadCheck(1, every);
                         });
    }
};

using RigSetup = std::function<void(Rig &)>;

bool nonDecreasing(const QList<int> &values)
{
    return std::is_sorted(values.begin(), values.end());
}

} // namespace

Q_DECLARE_METATYPE(RigSetup)
Q_DECLARE_METATYPE(Fault)

// The programming exchange end to end: a real serial port on a
// pseudo-terminal with the virtual radio at the other end.
class TestExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void read_data()
    {
        QTest::addColumn<int>("radioModel");
        QTest::addColumn<int>("userModel");
        QTest::addColumn<QString>("radioBand");
        QTest::addColumn<int>("bandIndex");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("PW-100 in a known band")
            << 0 << 1 << "400-470MHz" << 1 << "PW-100     [400-470MHz]" << true;
        QTest::newRow("R5 over a chosen PW-100")
            << 1 << 0 << "400-470MHz" << 1 << "R5     [400-470MHz]" << true;
        QTest::newRow("no band") << 0 << 0 << "none" << 0 << "PW-100" << true;
        QTest::newRow("band not in the band list")
            << 0 << 0 << "400-430MHz" << 0 << "PW-100" << false;
    }
    void read()
    {
        QFETCH(int, radioModel);
        QFETCH(int, userModel);
        QFETCH(QString, radioBand);
        QFETCH(int, bandIndex);
        QFETCH(QString, caption);
        QFETCH(bool, succeeds);

        Rig rig;
        RadioImage::Sample sample;
        sample.model = radioModel;
        sample.band = radioBand;
        rig.radio.setImage(RadioImage::sample(sample));
        QVERIFY(rig.radio.start());
        rig.ws.setModelIndex(userModel);
        rig.ws.setCaption(QStringLiteral("old caption"));
        fillOldRows(rig.ws);
        setOtherFunctions(rig.ws.functions());
        const QStringList otherFunctions = summary(rig.ws.functions());

        const Result result = rig.run(Direction::Read);

        QCOMPARE(result, succeeds ? Result::Success : Result::Failed);
        QCOMPARE(rig.exchange.failureText().isEmpty(), succeeds);
        QCOMPARE(rig.ws.modelIndex(), radioModel);
        QCOMPARE(rig.ws.caption(), caption);
        QCOMPARE(rig.ws.bands().currentIndex(), bandIndex);
        const bool bandShown = caption.contains(QLatin1Char('['));
        QCOMPARE(rig.ws.info().model(), bandShown ? rig.ws.modelText() : RadioInfo::placeholder());
        QCOMPARE(rig.ws.info().band(), bandShown ? radioBand : RadioInfo::placeholder());
        // The information and every channel are read even when the band is
        // unknown.
        QCOMPARE(rig.ws.info().lastWriteTime(), QStringLiteral("2009-03-15  14:05:09"));
        QCOMPARE(rig.ws.info().administrator(), QStringLiteral("KT100"));
        QCOMPARE(rowCells(rig.ws, 1),
                 words(rig.ws, {"402.12500", "67.0", "402.62500", "67.0", "LOW", "WIDE", "ON",
                                "OFF", "ON", "OFF", "OFF"}));
        QCOMPARE(rowCells(rig.ws, 2), words(rig.ws, {"403.00000", "OFF", "", "OFF", "LOW", "NARROW",
                                                     "OFF", "OFF", "OFF", "COMP", "ON"}));
        for (int row = 3; row <= CT::MaxChannels; ++row)
            QCOMPARE(rowCells(rig.ws, row), decodedRow(rig.radio, row));
        QCOMPARE(rowCells(rig.ws, 5), QStringList(11));

        QStringList expected = Opening;
        expected << BandRead << InformationRead << channelReads();
        if (succeeds) {
            expected << Function1Read << Function2Read;
            QCOMPARE(summary(rig.ws.functions()), sampleFunctions());
            QCOMPARE(rig.exchange.progress(), 100);
        } else {
            QCOMPARE(summary(rig.ws.functions()), otherFunctions);
            QVERIFY2(rig.exchange.failureText().contains(radioBand),
                     qPrintable(rig.exchange.failureText()));
            QCOMPARE(rig.exchange.progress(), CT::MaxChannels * 5);
        }
        expected << EndCmd;
        QCOMPARE(received(rig.radio), expected);
        QCOMPARE(rig.exchange.progressMaximum(), 100);
        QVERIFY(nonDecreasing(rig.progress));
        QVERIFY(!rig.exchange.isRunning());
    }

    // Failures before any block beyond the identification: the tables stay
    // as they were.
    void openingFails_data()
    {
        QTest::addColumn<RigSetup>("setup");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("reason");
        const QStringList sixHandshakes = QStringList(6, HandshakeCmd);
        QTest::newRow("no radio") << RigSetup([](Rig &rig) { rig.radio.setSilent(true); })
                                  << (sixHandshakes + QStringList{IdentificationRead, EndCmd})
                                  << "handshake";
        QTest::newRow("single-port mode off on a single-wire cable")
            << RigSetup([](Rig &rig) { rig.radio.setSingleWire(true); })
            << (sixHandshakes + QStringList{IdentificationRead, EndCmd}) << "handshake";
        QTest::newRow("start of programming not acknowledged")
            << RigSetup([](Rig &rig) { rig.faultOn(StartCmd, Fault::Garbage, 1); })
            << (Opening + QStringList{EndCmd}) << "start of programming";
        QTest::newRow("unknown identification")
            << RigSetup([](Rig &rig) { rig.radio.image().setModel(7); })
            << (Opening + QStringList{EndCmd}) << "4B542D010700FF06";
    }
    void openingFails()
    {
        QFETCH(RigSetup, setup);
        QFETCH(QStringList, commands);
        QFETCH(QString, reason);

        Rig rig;
        setup(rig);
        QVERIFY(rig.radio.start());
        rig.ws.setModelIndex(1);
        rig.ws.setCaption(QStringLiteral("old caption"));
        fillOldRows(rig.ws);
        setOtherFunctions(rig.ws.functions());
        const QStringList functions = summary(rig.ws.functions());

        QCOMPARE(rig.run(Direction::Read), Result::Failed);
        QCOMPARE(received(rig.radio), commands);
        QVERIFY2(rig.exchange.failureText().contains(reason),
                 qPrintable(rig.exchange.failureText()));
        QCOMPARE(rig.ws.modelIndex(), 1);
        QCOMPARE(rig.ws.caption(), QStringLiteral("old caption"));
        for (int row = 1; row <= CT::MaxChannels; ++row)
            QCOMPARE(rowCells(rig.ws, row), oldRow(row));
        QCOMPARE(summary(rig.ws.functions()), functions);
        QCOMPARE(rig.ws.info().administrator(), RadioInfo::placeholder());
        QCOMPARE(rig.ws.info().lastWriteTime(), RadioInfo::placeholder());
        QCOMPARE(rig.exchange.progressMaximum(), 0);
    }

    void channelReadGarbage_data()
    {
        QTest::addColumn<int>("garbage");
        QTest::newRow("once") << 1;
        QTest::newRow("twice") << 2;
    }
    void channelReadGarbage()
    {
        QFETCH(int, garbage);
        Rig rig;
        QVERIFY(rig.radio.start());
        rig.faultOn(channelRead(3), Fault::Garbage, garbage);
        fillOldRows(rig.ws);
        setOtherFunctions(rig.ws.functions());
        const QStringList functions = summary(rig.ws.functions());

        const Result result = rig.run(Direction::Read);

        QStringList expected = Opening;
        expected << BandRead << InformationRead << channelRead(1) << channelRead(2)
                 << channelRead(3) << channelRead(3);
        QCOMPARE(rowCells(rig.ws, 2), decodedRow(rig.radio, 2));
        if (garbage == 1) {
            QCOMPARE(result, Result::Success);
            QCOMPARE(rowCells(rig.ws, 3), decodedRow(rig.radio, 3));
            QVERIFY(!rowCells(rig.ws, 3).at(0).isEmpty());
            expected << channelReads().mid(3) << Function1Read << Function2Read;
            QCOMPARE(summary(rig.ws.functions()), sampleFunctions());
        } else {
            QCOMPARE(result, Result::Failed);
            QVERIFY2(rig.exchange.failureText().contains(QStringLiteral("channel 3")),
                     qPrintable(rig.exchange.failureText()));
            // The failing row was emptied; the later ones keep their texts.
            QCOMPARE(rowCells(rig.ws, 3), QStringList(11));
            for (int row = 4; row <= CT::MaxChannels; ++row)
                QCOMPARE(rowCells(rig.ws, row), oldRow(row));
            QCOMPARE(summary(rig.ws.functions()), functions);
        }
        expected << EndCmd;
        QCOMPARE(received(rig.radio), expected);
    }

    // A read answer is judged by its first byte and its check byte, its data
    // taken from its fifth byte on: a longer one serves, a shorter one is no
    // read answer (the block read fails; a channel uses up its attempts).
    void readAnswerLength_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("faults");
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("reason"); // empty: the read succeeds
        const QStringList complete = Opening + QStringList{BandRead, InformationRead} +
                                     channelReads() + QStringList{Function1Read, Function2Read};
        QTest::newRow("longer answers to every read")
            << Fault::Long << QStringLiteral("5203") << 1000 << complete << QString();
        QTest::newRow("shorter answer to the identification")
            << Fault::Short << IdentificationRead << 1 << Opening << "identification";
        QTest::newRow("shorter answers to channel 3")
            << Fault::Short << channelRead(3) << 2
            << (Opening + QStringList{BandRead, InformationRead} + channelReads().mid(0, 3) +
                QStringList{channelRead(3)})
            << "channel 3";
    }
    void readAnswerLength()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, step);
        QFETCH(int, faults);
        QFETCH(QStringList, commands);
        QFETCH(QString, reason);
        Rig rig;
        QVERIFY(rig.radio.start());
        rig.faultOn(step, fault, faults);
        fillOldRows(rig.ws);

        const Result result = rig.run(Direction::Read);

        QCOMPARE(received(rig.radio), commands + QStringList{EndCmd});
        if (reason.isEmpty()) {
            QCOMPARE(result, Result::Success);
            for (int row = 1; row <= CT::MaxChannels; ++row)
                QCOMPARE(rowCells(rig.ws, row), decodedRow(rig.radio, row));
            QCOMPARE(summary(rig.ws.functions()), sampleFunctions());
            QCOMPARE(rig.ws.info().administrator(), QStringLiteral("KT100"));
        } else {
            QCOMPARE(result, Result::Failed);
            QVERIFY2(rig.exchange.failureText().contains(reason),
                     qPrintable(rig.exchange.failureText()));
            QCOMPARE(rowCells(rig.ws, 4), oldRow(4));
        }
    }

    // Busy answers and bad check bytes repeat a step, in several places of
    // one read.
    void readRepeats()
    {
        Rig rig;
        QVERIFY(rig.radio.start());
        rig.faultOn(StartCmd, Fault::Busy, 2);
        rig.faultOn(BandRead, Fault::Busy, 1);
        rig.faultOn(InformationRead, Fault::BadCheck, 1);
        rig.faultOn(channelRead(4), Fault::BadCheck, 2);
        rig.faultOn(channelRead(9), Fault::Busy, 1);
        rig.faultOn(Function1Read, Fault::Busy, 3);
        rig.faultOn(Function2Read, Fault::BadCheck, 1);
        fillOldRows(rig.ws);

        QCOMPARE(rig.run(Direction::Read), Result::Success);

        QStringList expected = {HandshakeCmd, StartCmd,           StartCmd,
                                StartCmd,     IdentificationRead, BandRead,
                                BandRead,     InformationRead,    InformationRead};
        for (int row = 1; row <= CT::MaxChannels; ++row) {
            const int sendings = row == 4 ? 3 : row == 9 ? 2 : 1;
            for (int i = 0; i < sendings; ++i)
                expected << channelRead(row);
        }
        expected << QStringList(4, Function1Read) << QStringList(2, Function2Read) << EndCmd;
        QCOMPARE(received(rig.radio), expected);
        for (int row = 1; row <= CT::MaxChannels; ++row)
            QCOMPARE(rowCells(rig.ws, row), decodedRow(rig.radio, row));
        QCOMPARE(summary(rig.ws.functions()), sampleFunctions());
        QCOMPARE(rig.ws.info().administrator(), QStringLiteral("KT100"));
        QCOMPARE(rig.exchange.progress(), 100);
    }

    void repeatBound_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("step");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("faults");
        QTest::addColumn<int>("sendings");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("busy 20 times within the default bound")
            << Direction::Read << Exchange::DefaultRepeatLimit << StartCmd << Fault::Busy << 20
            << 21 << true;
        QTest::newRow("busy 21 times beyond the default bound")
            << Direction::Read << Exchange::DefaultRepeatLimit << StartCmd << Fault::Busy << 21
            << 21 << false;
        QTest::newRow("bad check bytes beyond a bound of 3")
            << Direction::Read << 3 << channelRead(2) << Fault::BadCheck << 100 << 4 << false;
        QTest::newRow("busy and bad check bytes counted together")
            << Direction::Read << 3 << IdentificationRead << Fault::Busy << 2 << 4 << false;
        QTest::newRow("busy writes beyond a bound of 2")
            << Direction::Write << 2 << channelWrite(1) << Fault::Busy << 100 << 3 << false;
    }
    void repeatBound()
    {
        QFETCH(Direction, direction);
        QFETCH(int, limit);
        QFETCH(QString, step);
        QFETCH(Fault, fault);
        QFETCH(int, faults);
        QFETCH(int, sendings);
        QFETCH(bool, succeeds);

        Rig rig;
        QVERIFY(rig.radio.start());
        rig.exchange.setRepeatLimit(limit);
        rig.faultOn(step, fault, faults);
        if (step == IdentificationRead) {
            // Two busy answers, then bad check bytes.
            QObject::connect(&rig.radio, &VirtualRadio::commandReceived, &rig.radio,
                             [&rig, step](const QByteArray &frame) {
                                 if (ProtocolTexts::hexOf(frame).startsWith(step))
                                     rig.radio.setBadCheck(1);
                             });
        }
        const QByteArray image = rig.radio.image().bytes();

        QCOMPARE(rig.run(direction), succeeds ? Result::Success : Result::Failed);

        const QStringList commands = received(rig.radio);
        QCOMPARE(heads(commands).count(step.left(8)), sendings);
        if (!succeeds) {
            // Nothing follows the last attempt but the end command.
            QCOMPARE(heads(commands.mid(commands.size() - 2)), heads({step, EndCmd}));
            QVERIFY2(rig.exchange.failureText().contains(QStringLiteral("in a row")),
                     qPrintable(rig.exchange.failureText()));
            QCOMPARE(rig.radio.image().bytes(), image);
        }
    }

    // The write's commands and records, byte for byte, and what the radio
    // holds afterwards.
    void writeCommands()
    {
        Rig rig;
        rig.radio.image().write(0x25, QByteArray(11, char(0x5A))); // function block 2, bytes 6-16
        QVERIFY(rig.radio.start());
        fillWorkspaceForWrite(rig.ws);
        rig.ws.setCaption(QStringLiteral("PW-100     [400-470MHz]"));
        const QString identification = blockHex(rig.radio, MemoryMap::IdentificationAddress);
        const QString band = blockHex(rig.radio, MemoryMap::BandAddress);

        QCOMPARE(rig.run(Direction::Write), Result::Success);
        QCOMPARE(rig.exchange.failureText(), QString());
        QCOMPARE(rig.exchange.progress(), 100);
        QVERIFY(nonDecreasing(rig.progress));
        QCOMPARE(rig.ws.caption(), QStringLiteral("PW-100"));

        const QStringList commands = received(rig.radio);
        QStringList order = {HandshakeCmd, StartCmd, IdentificationRead, BandRead};
        for (int n = 1; n <= CT::MaxChannels; ++n)
            order << channelWrite(n);
        order << Function1Write << Function2Write << InformationWrite << EndCmd;
        QCOMPARE(heads(commands), heads(order));

        const QString empty(32, QLatin1Char('F'));
        QCOMPARE(commands.at(4), QStringLiteral("57120190") + WriteRecord1);
        QCOMPARE(commands.at(5), QStringLiteral("571201A0") + WriteRecord2);
        // Channel 3: receive above transmit gives FD.
        QVERIFY2(commands.at(6).startsWith(QStringLiteral("571201B0"
                                                          "4671250046212500")) &&
                     commands.at(6).endsWith(QStringLiteral("FFFEEBFD")),
                 qPrintable(commands.at(6)));
        QCOMPARE(commands.at(8), QStringLiteral("571201D0") + empty);
        for (int n = 4; n <= CT::MaxChannels; ++n)
            QCOMPARE(commands.at(3 + n), channelWrite(n) + empty);
        const QString block1 = commands.at(20);
        QVERIFY2(block1.startsWith(QStringLiteral("57120010"
                                                  "001000FF0202")) &&
                     block1.endsWith(QStringLiteral("01")) && block1.size() == 8 + 32,
                 qPrintable(block1));
        QCOMPARE(commands.at(21).size(), 8 + 10);
        QVERIFY2(commands.at(21).startsWith(QStringLiteral("570700200F")),
                 qPrintable(commands.at(21)));
        QCOMPARE(commands.at(22), QStringLiteral("571200F0"
                                                 "20240506070809"
                                                 "FF414243FFFFFFFF03"));

        // The radio stored what was sent, and only that.
        QCOMPARE(blockHex(rig.radio, 0x0190), WriteRecord1);
        QCOMPARE(blockHex(rig.radio, 0x01A0), WriteRecord2);
        QCOMPARE(blockHex(rig.radio, 0x01D0), empty);
        QCOMPARE(blockHex(rig.radio, MemoryMap::FunctionBlock1Address), block1.mid(8));
        QCOMPARE(blockHex(rig.radio, MemoryMap::FunctionBlock2Address),
                 commands.at(21).mid(8) + QStringLiteral("5A").repeated(11));
        QCOMPARE(blockHex(rig.radio, MemoryMap::InformationAddress),
                 QStringLiteral("20240506070809FF414243FFFFFFFF03"));
        QCOMPARE(blockHex(rig.radio, MemoryMap::IdentificationAddress), identification);
        QCOMPARE(blockHex(rig.radio, MemoryMap::BandAddress), band);
    }

    void writeToRadioWithoutBand()
    {
        Rig rig;
        RadioImage::Sample sample;
        sample.band = QStringLiteral("none");
        rig.radio.setImage(RadioImage::sample(sample));
        QVERIFY(rig.radio.start());
        fillWorkspaceForWrite(rig.ws);
        const QByteArray image = rig.radio.image().bytes();

        QCOMPARE(rig.run(Direction::Write), Result::Failed);
        QCOMPARE(received(rig.radio), (Opening + QStringList{BandRead, EndCmd}));
        QCOMPARE(rig.radio.image().bytes(), image);
        QVERIFY2(rig.exchange.failureText().contains(QStringLiteral("no band")),
                 qPrintable(rig.exchange.failureText()));
    }

    // Every write answered busy once: each is sent twice, and the
    // information block carries the time of its second sending.
    void writeBusyOnceEach()
    {
        Rig rig;
        QVERIFY(rig.radio.start());
        rig.radio.setBusy(1, VirtualRadio::Write, VirtualRadio::Repeat::EveryCommand);
        fillWorkspaceForWrite(rig.ws);
        int ticks = 0;
        rig.exchange.setClock([&ticks] { return WriteTime.addSecs(ticks++); });

        QCOMPARE(rig.run(Direction::Write), Result::Success);

        const QStringList commands = received(rig.radio);
        QCOMPARE(commands.mid(0, 4), (Opening + QStringList{BandRead}));
        QCOMPARE(commands.size(), 4 + 2 * (CT::MaxChannels + 3) + 1);
        for (int i = 4; i < commands.size() - 3; i += 2)
            QCOMPARE(commands.at(i + 1), commands.at(i));
        const QString first = commands.at(commands.size() - 3);
        const QString second = commands.at(commands.size() - 2);
        QCOMPARE(first.mid(8, 14), QStringLiteral("20240506070809"));
        QCOMPARE(second.mid(8, 14), QStringLiteral("20240506070810"));
        QCOMPARE(blockHex(rig.radio, MemoryMap::InformationAddress), second.mid(8));
        QCOMPARE(commands.last(), EndCmd);
    }

    void writeFails_data()
    {
        QTest::addColumn<QString>("rejected");
        QTest::addColumn<QStringList>("tail");
        QTest::addColumn<QList<int>>("changed");
        QTest::addColumn<QList<int>>("unchanged");
        QStringList channels;
        for (int n = 1; n <= CT::MaxChannels; ++n)
            channels << channelWrite(n);
        const int ch1 = MemoryMap::channelAddress(1);
        const int ch2 = MemoryMap::channelAddress(2);
        const int ch3 = MemoryMap::channelAddress(3);
        const int ch4 = MemoryMap::channelAddress(4);
        const int f1 = MemoryMap::FunctionBlock1Address;
        const int f2 = MemoryMap::FunctionBlock2Address;
        const int info = MemoryMap::InformationAddress;
        QTest::newRow("channel 3")
            << channelWrite(3)
            << QStringList{channelWrite(1), channelWrite(2), channelWrite(3), channelWrite(3)}
            << QList<int>{ch1, ch2} << QList<int>{ch3, ch4, f1, f2, info};
        QTest::newRow("function block 1")
            << Function1Write << (channels + QStringList{Function1Write}) << QList<int>{ch1, ch4}
            << QList<int>{f1, f2, info};
        QTest::newRow("function block 2, information still written")
            << Function2Write
            << (channels + QStringList{Function1Write, Function2Write, InformationWrite})
            << QList<int>{ch1, f1, info} << QList<int>{f2};
        QTest::newRow("information block")
            << InformationWrite
            << (channels + QStringList{Function1Write, Function2Write, InformationWrite})
            << QList<int>{ch1, f1, f2} << QList<int>{info};
    }
    void writeFails()
    {
        QFETCH(QString, rejected);
        QFETCH(QStringList, tail);
        QFETCH(QList<int>, changed);
        QFETCH(QList<int>, unchanged);

        Rig rig;
        QVERIFY(rig.radio.start());
        rig.faultOn(rejected, Fault::Garbage, 2);
        fillWorkspaceForWrite(rig.ws);
        rig.ws.setAdministrator(QStringLiteral("NEWNAME"));
        rig.ws.functions().setIndex(FS::Squelch, 7);
        rig.ws.functions().setKeyTime(20);
        const RadioImage before = rig.radio.image();

        QCOMPARE(rig.run(Direction::Write), Result::Failed);
        QVERIFY2(!rig.exchange.failureText().isEmpty(), "a failure names its reason");

        QCOMPARE(heads(received(rig.radio)),
                 heads(Opening + QStringList{BandRead} + tail + QStringList{EndCmd}));
        for (const int address : changed)
            QVERIFY2(rig.radio.image().block(quint16(address)) != before.block(quint16(address)),
                     qPrintable(MemoryMap::addressText(address)));
        for (const int address : unchanged)
            QCOMPARE(rig.radio.image().block(quint16(address)), before.block(quint16(address)));
    }

    void writeRefusedByValidation()
    {
        Rig rig;
        QVERIFY(rig.radio.start());
        fillWorkspaceForWrite(rig.ws);
        rig.ws.channels().setCell(CT::RxFrequency, 2, QStringLiteral("46.125"));
        // A port left open by an earlier exchange is not touched either.
        QVERIFY(rig.link.open(rig.radio.devicePath()));

        QCOMPARE(rig.run(Direction::Write), Result::Refused);
        QVERIFY(!rig.exchange.problems().isEmpty());
        QCOMPARE(rig.exchange.problems().first().row, 2);
        QVERIFY2(rig.exchange.failureText().contains(QStringLiteral("channel 2")),
                 qPrintable(rig.exchange.failureText()));
        QVERIFY(rig.link.isOpen());
        QTest::qWait(50);
        QCOMPARE(rig.radio.commands().size(), 0);
        QCOMPARE(rig.exchange.progressMaximum(), 0);
    }

    void portError()
    {
        Rig rig;
        QVERIFY(rig.radio.start());
        const QString device = QStringLiteral("/dev/kt-no-such-device");
        QCOMPARE(rig.exchange.run(Direction::Read, device), Result::PortError);
        QVERIFY(!rig.exchange.portErrorReason().isEmpty());
        QVERIFY(rig.exchange.failureText().contains(device));
        QVERIFY(!rig.exchange.isRunning());
    }

    void radioVanishes_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::newRow("read") << Direction::Read;
        QTest::newRow("write") << Direction::Write;
    }
    void radioVanishes()
    {
        QFETCH(Direction, direction);
        Rig rig;
        QVERIFY(rig.radio.start());
        rig.radio.setVanishAfter(10);
        fillWorkspaceForWrite(rig.ws);
        QElapsedTimer sinceVanish;
        QObject::connect(&rig.radio, &VirtualRadio::vanished, &rig.radio,
                         [&sinceVanish] { sinceVanish.start(); });

        QCOMPARE(rig.run(direction), Result::Failed);

        QVERIFY(sinceVanish.isValid());
        // At most the wait of the step under way.
        QVERIFY2(sinceVanish.elapsed() < 250, qPrintable(QString::number(sinceVanish.elapsed())));
        // Said as the user knows it, not as the system's last error code
        // ("Inappropriate ioctl for device").
        const QString why = rig.exchange.failureText();
        QVERIFY2(why.contains(
                     QStringLiteral("the device %1 was disconnected").arg(rig.radio.devicePath())),
                 qPrintable(why));
        QVERIFY(!rig.link.errorString().isEmpty());
        QVERIFY2(!why.contains(rig.link.errorString()), qPrintable(why));
        QCOMPARE(rig.radio.commands().size(), 10);
        QVERIFY(!rig.exchange.isRunning());
        QVERIFY(rig.exchange.progress() < 100);
    }

    // What a write puts into a blank radio, a read brings back unchanged.
    void writeThenReadRoundTrip()
    {
        Rig rig;
        RadioImage blank;
        blank.setModel(0);
        blank.setBand(QStringLiteral("400-470MHz"));
        rig.radio.setImage(blank);
        QVERIFY(rig.radio.start());

        const QStringList tones = {"OFF", "67.0", "D023N", "100.0", "D754I", "254.1"};
        const QStringList privacy = {"OFF", "COMP", "SCR"};
        for (int row = 1; row < CT::MaxChannels; ++row) {
            const QString rx =
                QStringLiteral("%1.%2").arg(400 + 4 * row).arg(row * 6250, 5, 10, QLatin1Char('0'));
            const QString tx = row % 4 == 0   ? QString()
                               : row % 4 == 1 ? rx
                                              : QStringLiteral("%1.12500").arg(400 + 3 * row);
            const auto onOff = [row](int bit) {
                return QString::fromLatin1(row & bit ? "ON" : "OFF");
            };
            setRow(rig.ws, row,
                   {rx, tones.at(row % 6), tx, tones.at((row + 2) % 6), row % 2 ? "HIGH" : "LOW",
                    row % 3 ? "WIDE" : "NARROW", onOff(1), onOff(2), onOff(4), privacy.at(row % 3),
                    onOff(8)});
            for (const int column : {CT::RxTone, CT::TxTone})
                QVERIFY(ToneCodes::hasCode(rig.ws.channels().cell(column, row),
                                           rig.ws.texts().offWord));
        }
        FS &f = rig.ws.functions();
        const QList<QPair<FS::List, int>> indices = {
            {FS::APO, 5},      {FS::Squelch, 7},   {FS::Beep, 2},     {FS::ScanKind, 1},
            {FS::TOT, 6},      {FS::Step, 2},      {FS::VoxSQL, 5},   {FS::VoxDelay, 3},
            {FS::LongKey0, 3}, {FS::ShortKey0, 0}, {FS::LongKey1, 4}, {FS::ShortKey1, 0},
            {FS::LongKey2, 1}, {FS::ShortKey2, 2}, {FS::Volume, 6},
        };
        for (const auto &[list, index] : indices)
            f.setIndex(list, index);
        f.setChecked(FS::OpenBeep, false);
        f.setChecked(FS::TxOver, true);
        f.setChecked(FS::BatBeep, false);
        f.setChecked(FS::Save, true);
        f.setChecked(FS::VoxRX, true);
        f.setKeyTime(22);
        rig.ws.setAdministrator(QStringLiteral("Tester7"));

        QList<QStringList> rows;
        for (int row = 1; row <= CT::MaxChannels; ++row)
            rows << rowCells(rig.ws, row);
        const QStringList functions = summary(f);

        QCOMPARE(rig.run(Direction::Write), Result::Success);
        fillOldRows(rig.ws);
        setOtherFunctions(f);
        QCOMPARE(rig.run(Direction::Read), Result::Success);

        for (int row = 1; row <= CT::MaxChannels; ++row)
            QCOMPARE(rowCells(rig.ws, row), rows.at(row - 1));
        QCOMPARE(summary(f), functions);
        QCOMPARE(rig.ws.info().administrator(), QStringLiteral("Tester7"));
        QCOMPARE(rig.ws.info().lastWriteTime(), QStringLiteral("2024-05-06  07:08:09"));
    }

    // Single-port mode over a single-wire cable at line rate: the echo of
    // every command is removed and both directions succeed.
    void singleWire_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::newRow("read") << Direction::Read;
        QTest::newRow("write") << Direction::Write;
    }
    void singleWire()
    {
        QFETCH(Direction, direction);
        Rig rig;
        rig.radio.setSingleWire(true);
        rig.radio.setPacing(true);
        QVERIFY(rig.radio.start());
        rig.ws.setSinglePort(true);
        fillWorkspaceForWrite(rig.ws);

        QCOMPARE(rig.run(direction), Result::Success);

        if (direction == Direction::Read) {
            for (int row = 1; row <= CT::MaxChannels; ++row)
                QCOMPARE(rowCells(rig.ws, row), decodedRow(rig.radio, row));
            QCOMPARE(summary(rig.ws.functions()), sampleFunctions());
        } else {
            QCOMPARE(blockHex(rig.radio, 0x0190), WriteRecord1);
            QCOMPARE(blockHex(rig.radio, MemoryMap::InformationAddress),
                     QStringLiteral("20240506070809FF414243FFFFFFFF03"));
        }
        // Each command once: opening, band, information, channels, the
        // function blocks, the end.
        QCOMPARE(rig.radio.commands().size(), 3 + 1 + 1 + CT::MaxChannels + 2 + 1);
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"
