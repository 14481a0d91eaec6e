#include "core/base/AppError.h"
#include "core/radio/SerialLink.h"
#include "sim/RadioImage.h"
#include "sim/VirtualRadio.h"
#include "support/ProtocolTexts.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <QTest>

#include <chrono>

namespace
{

const QString handshakeFrame = QStringLiteral("020551556D74617B");
const QString readIdentification = QStringLiteral("520300D010");
const QString readIdentificationFrame = QStringLiteral("520300D01091");

using namespace ProtocolTexts;

// The virtual radio's whole answer to the identification read: 57, the
// address and count asked for, the block, the check byte.
QString identificationAnswer()
{
    QByteArray answer = QByteArray::fromHex("5700D010") +
                        RadioImage::sample().block(RadioImage::IdentificationAddress);
    char check = 0;
    for (const char byte : answer)
        check ^= byte;
    return hexOf(answer + check);
}

// Whole milliseconds of the steady clock, counted as the link counts its
// waits: a wait of N ms measured this way lasts at least N, with no rounding
// between two clocks to allow for.
qint64 steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

qint64 elapsedMs(const std::function<void()> &action)
{
    const qint64 start = steadyMs();
    action();
    return steadyMs() - start;
}

} // namespace

// The byte link: frames and their check byte, the receive text with the
// removal of a single-wire cable's echo, the answer check and the waits; then
// the same link through a real serial port on a pseudo-terminal, with the
// virtual radio at the other end, including a radio that disappears.
class TestSerialLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void makeFrame_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("echoLength");
        QTest::newRow("start of programming") << "0600"
                                              << "060006" << 6;
        QTest::newRow("identification read") << "520300D010"
                                             << "520300D01091" << 12;
        QTest::newRow("end of programming") << "64016F"
                                            << "64016F0A" << 8;
        QTest::newRow("handshake") << "020551556D7461"
                                   << "020551556D74617B" << 16;
        // Texts built with "%.2x" carry lower-case digits.
        QTest::newRow("lower-case digits") << "64016f"
                                           << "64016F0A" << 8;
        QTest::newRow("mixed case") << "520300d010"
                                    << "520300D01091" << 12;
        // The odd digit does not make a byte, so the echo is the frame's
        // real length and removing it never splits a byte.
        QTest::newRow("trailing odd digit ignored") << "06007"
                                                    << "060006" << 6;
        QTest::newRow("empty command") << ""
                                       << "00" << 2;
    }
    void makeFrame()
    {
        QFETCH(QString, command);
        QFETCH(QString, frame);
        QFETCH(int, echoLength);
        SerialLink link;
        link.MakeFrame(command);
        QCOMPARE(hexOf(link.TxFrame()), frame);
        QCOMPARE(link.EchoLength(), echoLength);
    }

    void makeFrameRefusesNonHexDigits_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("letter beyond F") << "06G0";
        QTest::newRow("blank") << "06 0";
        QTest::newRow("sign") << "-1";
    }
    void makeFrameRefusesNonHexDigits()
    {
        QFETCH(QString, command);
        SerialLink link;
        link.MakeFrame(start);
        QVERIFY_THROWS_EXCEPTION(AppError, link.MakeFrame(command));
        // The frame that was built before stays as it was.
        QCOMPARE(hexOf(link.TxFrame()), QStringLiteral("060006"));
    }

    // Received bytes, delivered in the given receive events after a send.
    void receiveText_data()
    {
        QTest::addColumn<bool>("singlePort");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("rxHex");
        QTest::addColumn<int>("echoLeft");

        QTest::newRow("answer, mode off")
            << false << start << QStringList{"060006"} << "060006" << 6;
        QTest::newRow("bytes as upper-case hex")
            << false << readIdentification
            << QStringList{identificationAnswer().left(14), identificationAnswer().mid(14)}
            << identificationAnswer() << 12;
        QTest::newRow("mode off keeps the echo")
            << false << start << QStringList{"060006060006"} << "060006060006" << 6;
        QTest::newRow("echo and answer in one event")
            << true << start << QStringList{"060006060006"} << acknowledge << 0;
        QTest::newRow("echo, then answer")
            << true << start << QStringList{"060006", "060006"} << acknowledge << 0;
        QTest::newRow("byte by byte")
            << true << start << QStringList{"06", "00", "06", "06", "00", "06"} << acknowledge << 0;
        QTest::newRow("echo and first answer byte, then the rest")
            << true << start << QStringList{"06000606", "0006"} << acknowledge << 0;
        QTest::newRow("echo only") << true << start << QStringList{"060006"} << "060006" << 6;
        QTest::newRow("echo only, in pieces")
            << true << start << QStringList{"0600", "06"} << "060006" << 6;
        QTest::newRow("echo removed once only")
            << true << start << QStringList{"0600060600", "06", "060006"} << "060006060006" << 0;
        QTest::newRow("block read after its echo")
            << true << readIdentification
            << QStringList{readIdentificationFrame, identificationAnswer().left(20),
                           identificationAnswer().mid(20)}
            << identificationAnswer() << 0;
    }
    void receiveText()
    {
        QFETCH(bool, singlePort);
        QFETCH(QString, command);
        QFETCH(QStringList, events);
        QFETCH(QString, rxHex);
        QFETCH(int, echoLeft);

        SerialLink link([&] { return singlePort; });
        // Whatever the last step left is emptied by the send.
        link.receiveBytes(QByteArray::fromHex("090009"));
        link.SendFrame(command, 0);
        QVERIFY(link.RxHex().isEmpty());
        for (const QString &event : events)
            link.receiveBytes(QByteArray::fromHex(event.toLatin1()));
        QCOMPARE(link.RxHex(), rxHex);
        QCOMPARE(link.EchoLength(), echoLeft);
    }

    // The mode is asked at every receive event: switching it on between two
    // events removes the echo with the next one.
    void singlePortModeReadAtEachEvent()
    {
        bool singlePort = false;
        SerialLink link([&] { return singlePort; });
        link.SendFrame(start, 0);
        link.receiveBytes(QByteArray::fromHex("06000606"));
        QCOMPARE(link.RxHex(), QStringLiteral("06000606"));
        singlePort = true;
        link.receiveBytes(QByteArray::fromHex("0006"));
        QCOMPARE(link.RxHex(), acknowledge);
    }

    // A device that floods the line cannot make the receive text grow
    // without end; the next send starts afresh.
    void receiveTextIsBounded()
    {
        SerialLink link;
        link.SendFrame(start, 0);
        for (int i = 0; i < 10; ++i)
            link.receiveBytes(QByteArray(1000, char(0x55)));
        QCOMPARE(link.RxHex().size(), SerialLink::RxHexLimit);
        link.SendFrame(start, 0);
        link.receiveBytes(QByteArray::fromHex("060006"));
        QCOMPARE(link.RxHex(), acknowledge);
    }

    void checkAnswer_data()
    {
        QTest::addColumn<QString>("received");
        QTest::addColumn<bool>("good");
        QTest::newRow("acknowledge") << "060006" << true;
        QTest::newRow("busy") << "090009" << true;
        QTest::newRow("handshake answer") << handshakeAnswer << true;
        QTest::newRow("read answer") << identificationAnswer() << true;
        QTest::newRow("read answer, spoiled check")
            << identificationAnswer().chopped(2) + QStringLiteral("00") << false;
        QTest::newRow("read answer, spoiled data")
            << identificationAnswer().left(10) + QStringLiteral("FF") +
                   identificationAnswer().mid(12)
            << false;
        QTest::newRow("wrong last byte") << "060007" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("one byte other than 00") << "06" << false;
        QTest::newRow("check byte with letters") << "A00FAF" << true;
    }
    void checkAnswer()
    {
        QFETCH(QString, received);
        QFETCH(bool, good);
        SerialLink link;
        link.SendFrame(start, 0);
        link.receiveBytes(QByteArray::fromHex(received.toLatin1()));
        QCOMPARE(link.RxHex(), received);
        QCOMPARE(link.CheckAnswer(), good);
    }

    void elapsedTicks_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("now");
        QTest::addColumn<quint32>("elapsed");
        QTest::newRow("same tick") << 1000u << 1000u << 0u;
        QTest::newRow("plain") << 1000u << 1080u << 80u;
        QTest::newRow("up to the last tick") << 0xFFFFFF00u << 0xFFFFFFFFu << 0xFFu;
        QTest::newRow("across the wrap") << 0xFFFFFFF0u << 0x00000040u << 0x50u;
        QTest::newRow("just wrapped") << 0xFFFFFFFFu << 0u << 1u;
    }
    void elapsedTicks()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, now);
        QFETCH(quint32, elapsed);
        QCOMPARE(SerialLink::elapsedTicks(start, now), elapsed);
    }

    // A wait that starts just before the tick counter wraps still lasts its
    // whole length: it neither ends at the wrap nor runs on for ever.
    void waitAcrossTheTickWrap()
    {
        SerialLink link;
        QElapsedTimer clock;
        clock.start();
        const quint32 base = 0xFFFFFFFFu - 20;
        link.setTickSource([&] { return base + quint32(clock.elapsed()); });
        const qint64 waited = elapsedMs([&] { link.SysDelay(60); });
        // Whole milliseconds of two clocks: up to 1 ms of rounding.
        QVERIFY2(waited >= 59, qPrintable(QString::number(waited)));
        QVERIFY2(waited < 60 + 3000, qPrintable(QString::number(waited)));
        QVERIFY(base + quint32(clock.elapsed()) < base); // the counter did wrap
    }

    // The wait lasts at least its length and handles events meanwhile, which
    // is how answers reach the receive text; a wait of 0 returns at once.
    void waitHandlesEvents()
    {
        SerialLink link;
        bool handled = false;
        QTimer::singleShot(10, this, [&] { handled = true; });
        const qint64 waited = elapsedMs([&] { link.SysDelay(50); });
        QVERIFY(handled);
        QVERIFY2(waited >= 50, qPrintable(QString::number(waited)));

        bool handledInZeroWait = false;
        QTimer::singleShot(0, this, [&] { handledInZeroWait = true; });
        link.SysDelay(0);
        QVERIFY(!handledInZeroWait);
        QTRY_VERIFY(handledInZeroWait);
    }

    // A wait inside another wait's event handling ends on its own time and
    // leaves the outer one to end on its own.
    void nestedWaits()
    {
        SerialLink link;
        qint64 inner = -1;
        QTimer::singleShot(10, this, [&] { inner = elapsedMs([&] { link.SysDelay(30); }); });
        const qint64 outer = elapsedMs([&] { link.SysDelay(80); });
        // Ended by the inner wait, the outer one would last about 40 ms.
        QVERIFY2(inner >= 30, qPrintable(QString::number(inner)));
        QVERIFY2(outer >= 80, qPrintable(QString::number(outer)));
    }

    void openFailures()
    {
        SerialLink link;
        QVERIFY(!link.open(QString()));
        QVERIFY(!link.errorString().isEmpty());
        QVERIFY(!link.open(QStringLiteral("/dev/kt-no-such-device")));
        QVERIFY(!link.errorString().isEmpty());
        QVERIFY(!link.isOpen());
        // Nothing to send to: the step still takes its wait and finds nothing.
        const qint64 waited = elapsedMs([&] { link.SendFrame(start, 30); });
        QVERIFY2(waited >= 30, qPrintable(QString::number(waited)));
        QVERIFY(link.RxHex().isEmpty());
    }

    // A short exchange through a real serial port: handshake, start of
    // programming, identification read, end. The cable echoes or not, the
    // program's single-port mode is on or off, the line runs at full speed
    // or at 9600 bit/s (answers then arrive in many receive events).
    void exchangeThroughPort_data()
    {
        QTest::addColumn<bool>("singleWire");
        QTest::addColumn<bool>("singlePort");
        QTest::addColumn<bool>("paced");
        QTest::addColumn<QStringList>("received");

        const QStringList clean{handshakeAnswer, acknowledge, identificationAnswer(), QString()};
        // The end command has no answer: only its echo is there.
        const QStringList cleanAfterEcho{handshakeAnswer, acknowledge, identificationAnswer(),
                                         "64016F0A"};
        QTest::newRow("two-wire cable, mode off") << false << false << false << clean;
        QTest::newRow("two-wire cable, mode off, paced") << false << false << true << clean;
        QTest::newRow("single-wire cable, mode on") << true << true << false << cleanAfterEcho;
        QTest::newRow("single-wire cable, mode on, paced")
            << true << true << true << cleanAfterEcho;
        // A mode that does not match the cable spoils every answer.
        QTest::newRow("single-wire cable, mode off")
            << true << false << false
            << QStringList{handshakeFrame + handshakeAnswer, "060006060006",
                           readIdentificationFrame + identificationAnswer(), "64016F0A"};
        QTest::newRow("two-wire cable, mode on")
            << false << true << false
            << QStringList{"02", acknowledge, identificationAnswer().mid(12), QString()};
    }
    void exchangeThroughPort()
    {
        QFETCH(bool, singleWire);
        QFETCH(bool, singlePort);
        QFETCH(bool, paced);
        QFETCH(QStringList, received);

        VirtualRadio radio;
        radio.setSingleWire(singleWire);
        radio.setPacing(paced);
        QVERIFY2(radio.start(), qPrintable(radio.errorString()));
        SerialLink link([&] { return singlePort; });
        QVERIFY2(link.open(radio.devicePath()), qPrintable(link.errorString()));

        const struct {
            QString command;
            int waitMs;
        } steps[] = {{handshake, 80}, {start, 70}, {readIdentification, 100}, {end, 70}};
        for (int i = 0; i < 4; ++i) {
            link.SendFrame(steps[i].command, steps[i].waitMs);
            QCOMPARE(link.RxHex(), received.at(i));
        }
        QCOMPARE(radio.commandTexts(),
                 (QStringList{handshakeFrame, "060006", readIdentificationFrame, "64016F0A"}));
        QVERIFY(!link.isLost());
        link.close();
        QVERIFY(!link.isOpen());
    }

    // Closing and reopening the port between exchanges discards nothing the
    // radio holds and loses no later answer.
    void reopenBetweenExchanges()
    {
        VirtualRadio radio;
        QVERIFY(radio.start());
        SerialLink link;
        for (int round = 0; round < 2; ++round) {
            QVERIFY2(link.open(radio.devicePath()), qPrintable(link.errorString()));
            link.SendFrame(handshake, 80);
            QCOMPARE(link.RxHex(), handshakeAnswer);
            link.close();
            link.SysDelay(20);
        }
    }

    // The radio disappears while the link waits for its answer (a pulled
    // cable): the wait ends at once, nothing was received, the port is
    // closed, and later steps do not wait for a device that is gone. A new
    // open clears the state.
    void radioVanishesMidWait_data()
    {
        QTest::addColumn<bool>("onCommand");
        QTest::newRow("on receiving the command") << true;
        QTest::newRow("while preparing the answer") << false;
    }
    void radioVanishesMidWait()
    {
        QFETCH(bool, onCommand);
        VirtualRadio radio;
        if (onCommand) {
            radio.setVanishAfter(1);
        } else {
            radio.setAnswerDelay(2000);
            connect(&radio, &VirtualRadio::commandReceived, this,
                    [&] { QTimer::singleShot(50, &radio, &VirtualRadio::vanish); });
        }
        QVERIFY(radio.start());
        SerialLink link;
        QSignalSpy lost(&link, &SerialLink::deviceLost);
        QVERIFY(link.open(radio.devicePath()));

        const qint64 waited = elapsedMs([&] { link.SendFrame(handshake, 5000); });
        QVERIFY2(waited < 2000, qPrintable(QString::number(waited)));
        QVERIFY(!radio.isRunning());
        QVERIFY(link.RxHex().isEmpty());
        QVERIFY(!link.isOpen());
        QVERIFY(link.isLost());
        QCOMPARE(lost.count(), 1);
        QVERIFY(!link.errorString().isEmpty());

        const qint64 later = elapsedMs([&] {
            link.SendFrame(start, 5000);
            link.SysDelay(5000);
        });
        QVERIFY2(later < 1000, qPrintable(QString::number(later)));
        QVERIFY(link.RxHex().isEmpty());
        QCOMPARE(lost.count(), 1);

        // Plugged in again.
        radio.setVanishAfter(0);
        radio.setAnswerDelay(0);
        disconnect(&radio, &VirtualRadio::commandReceived, this, nullptr);
        QVERIFY(radio.start());
        QVERIFY(link.open(radio.devicePath()));
        QVERIFY(!link.isLost());
        link.SendFrame(handshake, 80);
        QCOMPARE(link.RxHex(), handshakeAnswer);
    }
};

QTEST_GUILESS_MAIN(TestSerialLink)
#include "tst_seriallink.moc"
