#include "core/radio/Exchange.h"
#include "core/radio/LinkTrace.h"
#include "core/radio/MemoryMap.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/Workspace.h"
#include "sim/VirtualRadio.h"
#include "support/ProtocolTexts.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Direction = Exchange::Direction;
using Result = Exchange::Result;

namespace
{

// A virtual radio with its sample configuration, and the program's side of
// the line with a trace that keeps its lines.
struct Rig {
    VirtualRadio radio;
    Workspace ws;
    SerialLink link;
    Exchange exchange{link, ws};
    LinkTrace trace;
    QStringList lines;

    Rig()
    {
        if (!radio.start())
            qFatal("no pseudo-terminal: %s", qPrintable(radio.errorString()));
        ws.bands().add(QStringLiteral("400-470MHz"));
        ws.bands().setCurrentIndex(0);
        ws.channels().labelRows();
        trace.setSink([this](const QString &line) { lines << line; });
        link.setTrace(&trace);
    }

    Result run(Direction direction) { return exchange.run(direction, radio.devicePath()); }

    // The lines without their time column, the device path as DEVICE.
    QStringList untimed() const
    {
        QStringList out;
        for (const QString &line : lines) {
            const qsizetype end = line.indexOf(QStringLiteral(" ms  "));
            out << line.mid(end < 0 ? 0 : end + 5)
                       .replace(radio.devicePath(), QStringLiteral("DEVICE"));
        }
        return out;
    }

    // From the next count commands beginning with the prefix on, the radio
    // answers each such command with the fault (busy or a bad check byte).
    void faultOn(const QString &prefix, bool busy, int count)
    {
        auto remaining = std::make_shared<int>(count);
        QObject::connect(&radio, &VirtualRadio::commandReceived, &radio,
                         [this, prefix, busy, remaining](const QByteArray &frame) {
                             if (*remaining <= 0 || !ProtocolTexts::hexOf(frame).startsWith(prefix))
                                 return;
                             --*remaining;
                             if (busy)
                                 radio.setBusy(1, VirtualRadio::Read);
                             else
                                 radio.setBadCheck(1, VirtualRadio::Read);
                         });
    }
};

} // namespace

// The link trace: a line for every frame, answer and event of the link,
// with the meaning a support reader needs, the same for every front end.
class TestLinkTrace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A whole read, line by line, against the trace kept with the tests.
    void fullReadMatchesTheFixture()
    {
        Rig rig;
        QCOMPARE(rig.run(Direction::Read), Result::Success);
        QFile fixture(QStringLiteral(KT_TEST_DATA_DIR "/traces/read.txt"));
        QVERIFY(fixture.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList expected =
            QString::fromUtf8(fixture.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList actual = rig.untimed();
        for (int i = 0; i < qMin(expected.size(), actual.size()); ++i)
            QVERIFY2(actual.at(i) == expected.at(i),
                     qPrintable(QStringLiteral("line %1: %2").arg(i + 1).arg(actual.at(i))));
        QCOMPARE(actual.size(), expected.size());
        // Times count from the start of the exchange and never go back.
        qint64 last = -1;
        for (const QString &line : rig.lines) {
            const qint64 ms = line.left(line.indexOf(QStringLiteral(" ms"))).trimmed().toLongLong();
            QVERIFY2(ms >= last, qPrintable(line));
            last = ms;
        }
        QVERIFY(rig.lines.first().startsWith(QStringLiteral("      0 ms  --  read on ")));
    }

    // A failed exchange's trace ends with the answer that ended it and the
    // reason, worded as the failure text: the step it stopped at and what
    // came back last.
    void failureEndsWithItsMeaning_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("lastAnswer"); // the answer line before the end command
        QTest::addColumn<QString>("failure");    // a pattern
        const auto literal = [](const char *text) {
            return QStringLiteral("^") + QRegularExpression::escape(QLatin1String(text)) +
                   QStringLiteral("$");
        };
        QTest::newRow("no answer")
            << "silent"
            << "RX  no answer"
            << literal("no answer to the handshake: no radio on the port, or the radio is not "
                       "switched on; last answer: none");
        QTest::newRow("busy beyond the bound")
            << "busy"
            << "RX  09 00 09  busy"
            << literal("the radio answered busy or with a bad check byte 21 times in a row to the "
                       "read of channel 7; last answer: 09 00 09 (busy)");
        QTest::newRow("wrong check bytes beyond the bound")
            << "bad check"
            << "answer with a wrong check byte"
            << "^the radio answered busy or with a bad check byte 21 times in a row to the read "
               "of channel 7; last answer: 57 01 F0 10 [0-9A-F ]+ \\(wrong check byte\\)$";
        QTest::newRow("unknown model")
            << "model"
            << "read answer"
            << "^the radio's identification [0-9A-F]{16} is not one of a known model$";
    }
    void failureEndsWithItsMeaning()
    {
        QFETCH(QString, fault);
        QFETCH(QString, lastAnswer);
        QFETCH(QString, failure);
        Rig rig;
        const QString channel7 =
            QStringLiteral("5203") + MemoryMap::channelAddressText(7).toUpper();
        if (fault == QLatin1String("silent"))
            rig.radio.setSilent(true);
        else if (fault == QLatin1String("busy"))
            rig.faultOn(channel7, true, 1000);
        else if (fault == QLatin1String("bad check"))
            rig.faultOn(channel7, false, 1000);
        else
            rig.radio.image().setModel(9);

        QCOMPARE(rig.run(Direction::Read), Result::Failed);

        const QString text = rig.exchange.failureText();
        QVERIFY2(QRegularExpression(failure).match(text).hasMatch(), qPrintable(text));
        const QStringList lines = rig.untimed();
        QCOMPARE(lines.constLast(), QStringLiteral("--  exchange failed: ") + text);
        // Before it: the end command with whatever came back, and before
        // that the answer that ended the exchange.
        QVERIFY2(lines.at(lines.size() - 3).startsWith(QStringLiteral("TX  64 01 6F")),
                 qPrintable(lines.at(lines.size() - 3)));
        QVERIFY2(lines.at(lines.size() - 4).contains(lastAnswer),
                 qPrintable(lines.at(lines.size() - 4)));
    }

    // A single-wire cable's echo is taken off every answer, and the trace
    // says so with the echoed bytes.
    void echoRemovalIsNoted()
    {
        Rig rig;
        rig.radio.setSingleWire(true);
        rig.ws.setSinglePort(true);
        QCOMPARE(rig.run(Direction::Identify), Result::Success);
        const QStringList lines = rig.untimed();
        int echoes = 0;
        for (int i = 1; i < lines.size(); ++i) {
            if (!lines.at(i).endsWith(QStringLiteral("  echo removed")))
                continue;
            ++echoes;
            // The bytes of the frame sent just before.
            const QString sent =
                lines.at(i - 1).mid(4, lines.at(i - 1).lastIndexOf(QStringLiteral("  ")) - 4);
            QCOMPARE(lines.at(i), QStringLiteral("--  ") + sent + QStringLiteral("  echo removed"));
        }
        // Handshake, start, three reads; the end command gets no answer.
        QCOMPARE(echoes, 5);
        QVERIFY(lines.contains(QStringLiteral("RX  06 00 06  acknowledge")));
    }

    // Identify: the opening, the band and the information block, the
    // closing; nothing written, and any band taken.
    void identifyReadsThreeBlocksOnly_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<bool>("selected");
        QTest::newRow("band in the list") << "400-470MHz" << true;
        QTest::newRow("band not in the list") << "400-430MHz" << false;
        QTest::newRow("no band") << "none" << false;
    }
    void identifyReadsThreeBlocksOnly()
    {
        QFETCH(QString, band);
        QFETCH(bool, selected);
        Rig rig;
        QVERIFY(rig.radio.image().setBand(band));
        rig.radio.image().setInformation(QDateTime(QDate(2025, 6, 1), QTime(8, 30, 0)),
                                         QStringLiteral("Zoe"));
        rig.ws.bands().setCurrentIndex(-1);

        QCOMPARE(rig.run(Direction::Identify), Result::Success);

        QStringList commands = rig.radio.commandTexts();
        for (QString &command : commands)
            command.chop(2); // the check byte
        const auto read = [](int address) {
            return QStringLiteral("5203") + MemoryMap::addressText(address) + QStringLiteral("10");
        };
        using namespace ProtocolTexts;
        QCOMPARE(commands, QStringList({handshake, start, read(MemoryMap::IdentificationAddress),
                                        read(MemoryMap::BandAddress),
                                        read(MemoryMap::InformationAddress), end}));
        QCOMPARE(rig.exchange.bandText(),
                 band == QLatin1String("none") ? MemoryMap::noBandText() : band);
        QCOMPARE(rig.ws.bands().currentIndex() >= 0, selected);
        QCOMPARE(rig.ws.modelText(), QStringLiteral("PW-100"));
        QCOMPARE(rig.ws.info().administrator(), QStringLiteral("Zoe"));
        QCOMPARE(rig.ws.info().lastWriteTime(), QStringLiteral("2025-06-01  08:30:00"));
    }

    // After a device was lost, the next exchange on the same link still
    // waits for the port to settle, before and after opening it.
    void settlingAfterALostDevice()
    {
        Rig rig;
        rig.radio.setVanishAfter(4);
        QCOMPARE(rig.run(Direction::Read), Result::Failed);
        QVERIFY(rig.link.isLost() || !rig.link.isOpen());
        VirtualRadio next;
        QVERIFY(next.start());
        rig.lines.clear();
        QCOMPARE(rig.exchange.run(Direction::Identify, next.devicePath()), Result::Success);
        const auto msOf = [&](const QString &what) {
            for (const QString &line : rig.lines) {
                if (line.contains(what))
                    return line.left(line.indexOf(QStringLiteral(" ms"))).trimmed().toLongLong();
            }
            return -1LL;
        };
        QVERIFY2(msOf(QStringLiteral(" opened at ")) >= 150, qPrintable(rig.lines.join('\n')));
        QVERIFY2(msOf(QStringLiteral("  handshake")) >= 300, qPrintable(rig.lines.join('\n')));
    }

    // The meaning of frames and answers as the trace words them.
    void meanings_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QString>("meaning");
        QTest::newRow("handshake") << "020551556D74617B" << true << "handshake";
        QTest::newRow("channel read") << "520301901000" << true << "read 0190 (channel 1)";
        QTest::newRow("information write") << "571200F0" + QString(32, QLatin1Char('0')) + "00"
                                           << true << "write 00F0 (information block)";
        QTest::newRow("function block 2 write") << "57070020" + QString(10, QLatin1Char('0')) + "00"
                                                << true << "write 0020 (function block 2)";
        QTest::newRow("unknown frame") << "1234" << true << "command";
        QTest::newRow("nothing") << "" << false << "no answer";
        QTest::newRow("busy") << "090009" << false << "busy";
        QTest::newRow("read answer, bad check") << "5700D010" + QString(32, QLatin1Char('0')) + "00"
                                                << false << "answer with a wrong check byte";
        QTest::newRow("read answer, too short") << "57000057" << false << "read answer too short";
        QTest::newRow("something else") << "E51A00FF3C" << false << "unexpected answer";
    }
    void meanings()
    {
        QFETCH(QString, hex);
        QFETCH(bool, sent);
        QFETCH(QString, meaning);
        if (sent)
            QCOMPARE(LinkTrace::commandMeaning(QByteArray::fromHex(hex.toLatin1())), meaning);
        else
            QCOMPARE(LinkTrace::answerWord(LinkTrace::classify(hex)), meaning);
    }

    // The file trace appends line by line; one that cannot be written says why.
    void fileTrace()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traces/a.txt"));
        {
            LinkTrace trace;
            QVERIFY(trace.open(path));
            trace.begin(QStringLiteral("first"));
        }
        {
            LinkTrace trace;
            QVERIFY(trace.open(path));
            trace.event(QStringLiteral("second"), QByteArray::fromHex("0600"));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).endsWith("ms  --  first"));
        QVERIFY(lines.at(1).endsWith("ms  --  06 00  second"));

        QVERIFY(TestSupport::writeFile(dir.filePath(QStringLiteral("plain")), "x"));
        LinkTrace blocked;
        QVERIFY(!blocked.open(dir.filePath(QStringLiteral("plain/b.txt"))));
        QVERIFY(!blocked.errorString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLinkTrace)
#include "tst_linktrace.moc"
