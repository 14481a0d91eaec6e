#include "core/radio/Exchange.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"
#include "sim/VirtualRadio.h"

#include <QElapsedTimer>
#include <QTest>

using Direction = Exchange::Direction;
using Result = Exchange::Result;

namespace
{

const QDateTime kNow(QDate(2026, 12, 11), QTime(9, 30, 0));

// A virtual radio with its sample configuration and the program's side,
// with fast transfer on or off.
struct Rig {
    VirtualRadio radio;
    Workspace ws;
    SerialLink link;
    Exchange exchange{link, ws};
    qint64 elapsedMs = 0;

    Rig(bool fast, bool singleWire)
    {
        if (!radio.start())
            qFatal("no pseudo-terminal: %s", qPrintable(radio.errorString()));
        radio.setSingleWire(singleWire);
        ws.setSinglePort(singleWire);
        ws.setFastTransfer(fast);
        ws.bands().add(QStringLiteral("400-470MHz"));
        ws.bands().setCurrentIndex(0);
        ws.channels().labelRows();
        ws.setAdministrator(QStringLiteral("ABC"));
        exchange.setClock([] { return kNow; });
    }

    Result run(Direction direction)
    {
        QElapsedTimer timer;
        timer.start();
        const Result result = exchange.run(direction, radio.devicePath());
        elapsedMs = timer.elapsed();
        return result;
    }
};

enum class Fault { None, Busy, Garbage, BadCheck };

void setFault(VirtualRadio &radio, Fault fault)
{
    // On reads and writes after the opening, so every kind of step sees it.
    switch (fault) {
    case Fault::None:
        break;
    case Fault::Busy:
        radio.setBusy(3, VirtualRadio::Read | VirtualRadio::Write);
        break;
    case Fault::Garbage:
        radio.setGarbage(1, VirtualRadio::Read | VirtualRadio::Write);
        break;
    case Fault::BadCheck:
        radio.setBadCheck(2, VirtualRadio::Read);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Fault)

// Fast transfer only shortens the waits: the same frames in the same order
// and the same results as without it, whatever the radio answers.
class TestFastTransfer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameFramesAsWithoutIt_data()
    {
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("singleWire");
        QTest::addColumn<Fault>("fault");
        for (const bool singleWire : {false, true}) {
            const char *cable = singleWire ? "single-wire" : "two-wire";
            for (const Direction direction : {Direction::Read, Direction::Write}) {
                const char *verb = direction == Direction::Read ? "read" : "write";
                QTest::addRow("%s, %s", verb, cable) << int(direction) << singleWire << Fault::None;
            }
        }
        for (const Direction direction : {Direction::Read, Direction::Write}) {
            const char *verb = direction == Direction::Read ? "read" : "write";
            QTest::addRow("%s, busy answers", verb) << int(direction) << false << Fault::Busy;
            QTest::addRow("%s, garbage", verb) << int(direction) << false << Fault::Garbage;
        }
        QTest::addRow("read, bad check bytes") << int(Direction::Read) << false << Fault::BadCheck;
    }
    void sameFramesAsWithoutIt()
    {
        QFETCH(int, direction);
        QFETCH(bool, singleWire);
        QFETCH(Fault, fault);
        Rig plain(false, singleWire);
        setFault(plain.radio, fault);
        Rig fast(true, singleWire);
        setFault(fast.radio, fault);

        const Result expected = plain.run(Direction(direction));
        QCOMPARE(fast.run(Direction(direction)), expected);

        QCOMPARE(fast.radio.commandTexts(), plain.radio.commandTexts());
        QCOMPARE(fast.exchange.failureText(), plain.exchange.failureText());
        QCOMPARE(fast.radio.image().bytes(), plain.radio.image().bytes());
        // The waits did end early (a fault ends some exchanges at once).
        if (fault == Fault::None)
            QVERIFY2(fast.elapsedMs < plain.elapsedMs * 3 / 4,
                     qPrintable(QStringLiteral("%1 ms fast, %2 ms plain")
                                    .arg(fast.elapsedMs)
                                    .arg(plain.elapsedMs)));
    }

    // A radio that answers nothing gets every wait in full, as without the mode.
    void silentRadioWaitsInFull()
    {
        Rig plain(false, false);
        plain.radio.setSilent(true);
        Rig fast(true, false);
        fast.radio.setSilent(true);
        QCOMPARE(plain.run(Direction::Read), Result::Failed);
        QCOMPARE(fast.run(Direction::Read), Result::Failed);
        QCOMPARE(fast.radio.commandTexts(), plain.radio.commandTexts());
        QCOMPARE(fast.exchange.failureText(), plain.exchange.failureText());
        QVERIFY2(fast.elapsedMs >= plain.elapsedMs * 9 / 10,
                 qPrintable(QStringLiteral("%1 ms fast, %2 ms plain")
                                .arg(fast.elapsedMs)
                                .arg(plain.elapsedMs)));
    }

    // A radio that needs time after each write ignores a frame that comes
    // too soon. Without the mode it is written as usual; in fast mode a
    // channel write gets no answer, waits in full and is sent again (a
    // channel has two tries), and a function block, which has one, is not
    // accepted: the write fails cleanly, the radio out of programming mode.
    void slowRadio_data()
    {
        QTest::addColumn<int>("recoveryMs");
        QTest::addColumn<QString>("refused");
        QTest::newRow("ready within one wait") << 60 << "function block 1";
        QTest::newRow("not ready within two") << 150 << "channel 2";
    }
    void slowRadio()
    {
        QFETCH(int, recoveryMs);
        QFETCH(QString, refused);
        Rig plain(false, false);
        plain.radio.setWriteRecovery(recoveryMs);
        Rig fast(true, false);
        fast.radio.setWriteRecovery(recoveryMs);

        QCOMPARE(plain.run(Direction::Write), recoveryMs < 100 ? Result::Success : Result::Failed);
        QCOMPARE(fast.run(Direction::Write), Result::Failed);

        QCOMPARE(fast.exchange.failureText(),
                 QStringLiteral("the radio did not accept the write of %1; last answer: none")
                     .arg(refused));
        QVERIFY(!fast.radio.isProgramming());
        QVERIFY(fast.radio.commandTexts().last().startsWith(QStringLiteral("64016F")));
        // The channel write the radio did not hear went out twice.
        const QStringList frames = fast.radio.commandTexts();
        bool repeated = false;
        for (int i = 1; i < frames.size(); ++i)
            repeated = repeated || (frames.at(i) == frames.at(i - 1) &&
                                    frames.at(i).startsWith(QStringLiteral("5712")));
        QVERIFY(repeated);
    }
};

QTEST_GUILESS_MAIN(TestFastTransfer)
#include "tst_fasttransfer.moc"
