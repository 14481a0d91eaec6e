#include "core/ports/PortHolder.h"
#include "core/ports/ProbePort.h"
#include "support/HoldingProcess.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace TestSupport;

namespace
{

// The system's places, with lock files looked for in a folder of the test's
// own and, where asked, the program names hidden.
PortPlaces placesWith(const QString &lockDir, const QString &processDir = QStringLiteral("/proc"))
{
    PortPlaces places = PortPlaces::system();
    places.lockDirs = {lockDir};
    places.processDir = processDir;
    return places;
}

// The id of a process that has ended.
qint64 endedProcessId()
{
    QProcess process;
    process.start(QStringLiteral("true"), QStringList());
    process.waitForStarted();
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

} // namespace

// Another program that holds a serial device: seen through its open files
// and through lock files, never our own process, and the probe that reports
// it without disturbing it.
class TestPortHolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!Pty().path().isEmpty()); }

    void openFiles_data()
    {
        QTest::addColumn<int>("hold");
        QTest::newRow("open") << int(HoldingProcess::Open);
        QTest::newRow("open in exclusive mode") << int(HoldingProcess::Exclusive);
    }

    // A process that has the device open, with no lock file: named by its
    // program and process id, and the probe fails with that as its reason.
    void openFiles()
    {
        QFETCH(int, hold);
        Pty pty;
        QTemporaryDir locks;
        const PortPlaces places = placesWith(locks.path());
        QVERIFY(!PortHolder::find(pty.path(), places));

        HoldingProcess holder(HoldingProcess::Hold(hold), pty.path());
        QVERIFY(holder.pid() > 0);
        const std::optional<PortHolder> found = PortHolder::find(pty.path(), places);
        QVERIFY(found);
        QCOMPARE(found->program, QStringLiteral("sleep"));
        QCOMPARE(found->pid, holder.pid());

        QString reason;
        std::optional<PortHolder> probed;
        QVERIFY(!ProbePort(pty.path(), &reason, &probed, places));
        QCOMPARE(reason, QStringLiteral("held by sleep (%1)").arg(holder.pid()));
        QVERIFY(probed);
        QCOMPARE(probed->pid, holder.pid());
        // A process that holds something else is no holder.
        Pty other;
        QVERIFY(!PortHolder::find(other.path(), places));
        QVERIFY(ProbePort(other.path(), nullptr, nullptr, places));
    }

    // The virtual radio as a program of its own holds both sides of its
    // pseudo-terminal: it is the other end of the line, not a holder, while
    // a program beside it that opens the device is one.
    void otherEndOfAPseudoTerminalIsNoHolder()
    {
        QProcess radio;
        radio.start(QStringLiteral(KT_RADIO_TOOL), QStringList());
        QVERIFY(radio.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(radio.canReadLine(), 10000);
        const QString device = QString::fromLocal8Bit(radio.readLine()).trimmed();
        QTemporaryDir locks;
        const PortPlaces places = placesWith(locks.path());
        const std::optional<PortHolder> none = PortHolder::find(device, places);
        QVERIFY2(!none, qPrintable(none ? none->describe() : QString()));
        QString reason;
        QVERIFY2(ProbePort(device, &reason, nullptr, places), qPrintable(reason));
        {
            HoldingProcess other(HoldingProcess::Open, device);
            const std::optional<PortHolder> found = PortHolder::find(device, places);
            QVERIFY(found);
            QCOMPARE(found->pid, other.pid());
        }
        radio.terminate();
        QVERIFY(radio.waitForFinished(10000));
    }

    // Our own open port is no foreign holder: the probe fails on the open
    // alone and names nobody.
    void ownProcessIsNoHolder()
    {
        Pty pty;
        QTemporaryDir locks;
        const PortPlaces places = placesWith(locks.path());
        QSerialPort own(pty.path());
        QVERIFY2(own.open(QIODevice::ReadWrite), qPrintable(own.errorString()));
        QVERIFY(!PortHolder::find(pty.path(), places));
        std::optional<PortHolder> holder;
        QVERIFY(!ProbePort(pty.path(), nullptr, &holder, places));
        QVERIFY(!holder);
    }

    void lockFiles_data()
    {
        QTest::addColumn<QString>("fileName");   // %N the pseudo-terminal's number
        QTest::addColumn<QByteArray>("content"); // %PID% the holder, %OWN% us, %ENDED% gone
        QTest::addColumn<bool>("namesHidden");   // the system gives no program names
        QTest::addColumn<QString>("held");       // the holder's description, %PID% its id

        const QString qtName = QStringLiteral("LCK..pts_%N");
        const QString lastPart = QStringLiteral("LCK..%N");
        const QString byPid = QStringLiteral("held by sleep (%PID%)");
        QTest::newRow("process id alone") << qtName << QByteArray("%PID%\n") << false << byPid;
        QTest::newRow("last part of the path")
            << lastPart << QByteArray("      %PID%\n") << false << byPid;
        QTest::newRow("minicom: the system's name wins")
            << qtName << QByteArray("      %PID% minicom dealer\n") << false << byPid;
        QTest::newRow("minicom: name from the lock")
            << qtName << QByteArray("      %PID% minicom dealer\n") << true
            << QStringLiteral("held by minicom (%PID%)");
        QTest::newRow("Qt: name from the lock")
            << qtName << QByteArray("%PID%\ncutecom\nhost\n") << true
            << QStringLiteral("held by cutecom (%PID%)");
        QTest::newRow("no name anywhere")
            << qtName << QByteArray("%PID%\n") << true << QStringLiteral("held by process %PID%");
        QTest::newRow("binary process id") << qtName << QByteArray("%BIN%") << false << byPid;
        QTest::newRow("process ended") << qtName << QByteArray("%ENDED%\n") << false << QString();
        QTest::newRow("our own process") << qtName << QByteArray("%OWN%\n") << false << QString();
        QTest::newRow("another device's lock")
            << QStringLiteral("LCK..ttyKT9") << QByteArray("%PID%\n") << false << QString();
        QTest::newRow("no process id") << qtName << QByteArray("minicom\n") << false << QString();
        QTest::newRow("process id 0") << qtName << QByteArray("0\n") << false << QString();
        QTest::newRow("negative id") << qtName << QByteArray("-1\n") << false << QString();
        QTest::newRow("empty file") << qtName << QByteArray() << false << QString();
        QTest::newRow("binary garbage")
            << qtName << QByteArray("\x01\x02\x03", 3) << false << QString();
    }

    // Lock files of the UUCP kind in a lock folder: held while the process
    // they name runs, unless it is ours; the device is not touched then.
    void lockFiles()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(bool, namesHidden);
        QFETCH(QString, held);

        Pty pty;
        HoldingProcess holder; // runs, holds nothing open
        QVERIFY(holder.pid() > 0);
        QTemporaryDir locks;
        QTemporaryDir noProcesses;
        const PortPlaces places =
            placesWith(locks.path(), namesHidden ? noProcesses.path() : QStringLiteral("/proc"));

        const qint32 binaryPid = qint32(holder.pid());
        content.replace("%BIN%", QByteArray(reinterpret_cast<const char *>(&binaryPid), 4));
        content.replace("%PID%", QByteArray::number(holder.pid()));
        content.replace("%OWN%", QByteArray::number(QCoreApplication::applicationPid()));
        content.replace("%ENDED%", QByteArray::number(endedProcessId()));
        const QString number = QFileInfo(pty.path()).fileName();
        const QString lockPath = QDir(locks.path()).filePath(fileName.replace("%N", number));
        QVERIFY(writeFile(lockPath, content));

        const std::optional<PortHolder> found = PortHolder::find(pty.path(), places);
        QString reason;
        const bool opens = ProbePort(pty.path(), &reason, nullptr, places);
        if (held.isEmpty()) {
            QVERIFY2(!found, qPrintable(found ? found->describe() : QString()));
            QVERIFY2(opens, qPrintable(reason));
        } else {
            QVERIFY(found);
            QCOMPARE(found->describe(), held.replace("%PID%", QString::number(holder.pid())));
            QVERIFY(!opens);
            QCOMPARE(reason, held);
        }
        QCOMPARE(readFile(lockPath), content);
    }

    // A link to the device (a stable adapter name) finds the lock file of
    // the device it leads to, and the holder of its open file.
    void deviceThroughALink()
    {
        Pty pty;
        QTemporaryDir locks;
        QTemporaryDir links;
        const QString link = links.filePath(QStringLiteral("usb-FTDI_FT232R_A1-if00-port0"));
        QVERIFY(QFile::link(pty.path(), link));
        const PortPlaces places = placesWith(locks.path());
        HoldingProcess opener(HoldingProcess::Open, pty.path());
        std::optional<PortHolder> found = PortHolder::find(link, places);
        QVERIFY(found);
        QCOMPARE(found->pid, opener.pid());

        Pty other;
        const QString otherLink = links.filePath(QStringLiteral("usb-Prolific-if00-port0"));
        QVERIFY(QFile::link(other.path(), otherLink));
        HoldingProcess locker;
        QVERIFY(writeFile(
            QDir(locks.path())
                .filePath(QStringLiteral("LCK..pts_") + QFileInfo(other.path()).fileName()),
            QByteArray::number(locker.pid()) + '\n'));
        found = PortHolder::find(otherLink, places);
        QVERIFY(found);
        QCOMPARE(found->pid, locker.pid());
    }

    // In the system's lock folder Qt would take a lock file it deems stale
    // for its own and remove it on closing; the probe leaves it alone.
    void probeKeepsAnotherProgramsLockFile()
    {
        const PortPlaces system = PortPlaces::system();
        if (!QFileInfo(system.lockDirs.first()).isWritable())
            QSKIP("the system's lock folder cannot be written by this user");
        Pty pty;
        HoldingProcess holder;
        const QString lockPath =
            QDir(system.lockDirs.first())
                .filePath(QStringLiteral("LCK..pts_") + QFileInfo(pty.path()).fileName());
        QVERIFY(!QFileInfo::exists(lockPath));
        const QByteArray content = QByteArray::number(holder.pid()).rightJustified(10) + '\n';
        QVERIFY(writeFile(lockPath, content));
        QString reason;
        const bool opens = ProbePort(pty.path(), &reason);
        const QByteArray after = readFile(lockPath);
        QFile::remove(lockPath);
        QVERIFY(!opens);
        QCOMPARE(reason, QStringLiteral("held by sleep (%1)").arg(holder.pid()));
        QCOMPARE(after, content);
    }

    void describe_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("text");
        QTest::newRow("named") << "minicom"
                               << "已被 minicom (1234) 占用";
        QTest::newRow("unnamed") << ""
                                 << "已被进程 1234 占用";
        QTest::newRow("a name with a pattern marker") << "a%2b"
                                                      << "已被 a%2b (1234) 占用";
    }

    void describe()
    {
        QFETCH(QString, program);
        QFETCH(QString, text);
        const PortHolder holder{program, 1234};
        QCOMPARE(holder.describe(QStringLiteral("已被 %1 (%2) 占用"),
                                 QStringLiteral("已被进程 %1 占用")),
                 text);
    }
};

QTEST_GUILESS_MAIN(TestPortHolder)
#include "tst_portholder.moc"
