#include "core/ports/PortReport.h"
#include "support/HoldingProcess.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace
{

// The system's places, with lock files looked for in a folder of the test's
// own and, where asked, no process whose open files name a holder.
PortPlaces placesWith(const QString &lockDir, const QString &processDir = QStringLiteral("/proc"))
{
    PortPlaces places = PortPlaces::system();
    places.lockDirs = {lockDir};
    places.processDir = processDir;
    return places;
}

} // namespace

// What the system tells of a port's adapter, which entry of its list a
// device path is, and the state each port of a map is found in.
class TestPortReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!m_pty.path().isEmpty()); }

    void adapterText_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("manufacturer");
        QTest::addColumn<int>("vendor");  // -1: unknown
        QTest::addColumn<int>("product"); // -1: unknown
        QTest::addColumn<QString>("text");
        QTest::newRow("everything known")
            << "USB-Serial Controller"
            << "Prolific Technology Inc." << 0x067b << 0x2303
            << "USB-Serial Controller, Prolific Technology Inc., USB 067b:2303";
        QTest::newRow("identifiers in lower case, four digits")
            << "FT232R USB UART"
            << "FTDI" << 0x403 << 0xA0FF << "FT232R USB UART, FTDI, USB 0403:a0ff";
        QTest::newRow("identifiers alone") << ""
                                           << "" << 0x10c4 << 0xea60 << "USB 10c4:ea60";
        QTest::newRow("vendor without product") << ""
                                                << "QinHeng" << 0x1a86 << -1 << "QinHeng, USB 1a86";
        QTest::newRow("product without vendor") << "CDC ACM"
                                                << "" << -1 << 0x0001 << "CDC ACM";
        QTest::newRow("maker repeating the description")
            << "Silicon Labs"
            << "silicon labs" << -1 << -1 << "Silicon Labs";
        QTest::newRow("blanks tidied") << "  USB\tSerial \n"
                                       << " " << -1 << -1 << "USB Serial";
        QTest::newRow("nothing known") << ""
                                       << "" << -1 << -1 << "";
    }

    void adapterText()
    {
        QFETCH(QString, description);
        QFETCH(QString, manufacturer);
        QFETCH(int, vendor);
        QFETCH(int, product);
        QFETCH(QString, text);
        PortAdapter adapter;
        adapter.description = description;
        adapter.manufacturer = manufacturer;
        if (vendor >= 0)
            adapter.vendorId = quint16(vendor);
        if (product >= 0)
            adapter.productId = quint16(product);
        QCOMPARE(adapter.text(), text);
    }

    void findAdapter_data()
    {
        QTest::addColumn<QString>("device");   // "pty", "other", "links/<name>", or a path
        QTest::addColumn<QString>("expected"); // description of the entry found, empty: none
        QTest::newRow("listed path") << "pty"
                                     << "pty adapter";
        QTest::newRow("unclean spelling of a listed path") << "//dev/./pts/N"
                                                           << "pty adapter";
        QTest::newRow("stable name leading to a listed device") << "links/usb-Prolific-port0"
                                                                << "pty adapter";
        QTest::newRow("device not listed") << "other"
                                           << "";
        QTest::newRow("link to a device not listed") << "links/usb-other-port0"
                                                     << "";
        QTest::newRow("dangling link") << "links/usb-gone-port0"
                                       << "";
        QTest::newRow("missing device") << "/nonexistent/ttyUSB9"
                                        << "";
        QTest::newRow("no device") << ""
                                   << "";
        // A listed entry that is itself a link (as some systems list a
        // device) matches the device it leads to.
        QTest::newRow("listed under a link") << "other2"
                                             << "linked adapter";
    }

    // The system lists the pseudo-terminal and, under a link, a second one;
    // a third one and a missing device are not listed.
    void findAdapter()
    {
        QFETCH(QString, device);
        QFETCH(QString, expected);
        QTemporaryDir links;
        const QDir dir(links.path());
        Pty other;
        Pty other2;
        QVERIFY(QFile::link(m_pty.path(), dir.filePath(QStringLiteral("usb-Prolific-port0"))));
        QVERIFY(QFile::link(other.path(), dir.filePath(QStringLiteral("usb-other-port0"))));
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyUSB7"),
                            dir.filePath(QStringLiteral("usb-gone-port0"))));
        QVERIFY(QFile::link(other2.path(), dir.filePath(QStringLiteral("usb-linked-port0"))));
        const QList<PortAdapter> adapters = {
            {QStringLiteral("/dev/ttyS0"), QStringLiteral("built-in"), QString(), {}, {}},
            {m_pty.path(), QStringLiteral("pty adapter"), QString(), 0x067b, 0x2303},
            {dir.filePath(QStringLiteral("usb-linked-port0")),
             QStringLiteral("linked adapter"),
             QString(),
             {},
             {}},
        };

        device.replace(QStringLiteral("links"), links.path());
        device.replace(QStringLiteral("/pts/N"),
                       QStringLiteral("/pts/") + QFileInfo(m_pty.path()).fileName());
        if (device == QLatin1String("pty"))
            device = m_pty.path();
        else if (device == QLatin1String("other"))
            device = other.path();
        else if (device == QLatin1String("other2"))
            device = other2.path();
        const std::optional<PortAdapter> found = PortAdapter::find(device, adapters);
        QCOMPARE(found ? found->description : QString(), expected);
    }

    void state_data()
    {
        QTest::addColumn<QString>(
            "device");                 // "pty", "link", "dangling", "file", "locked" or a path
        QTest::addColumn<int>("hold"); // HoldingProcess::Hold on the pseudo-terminal
        QTest::addColumn<bool>("holderSeen"); // false: no process folders to look in
        QTest::addColumn<bool>("asUser");     // only meaningful without root's rights
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("reason");  // whether the system's reason is given
        QTest::addColumn<bool>("adapter"); // whether the pseudo-terminal's entry is found

        using State = PortReport::State;
        const int none = HoldingProcess::Nothing;
        QTest::newRow("free") << "pty" << none << true << false << int(State::Free) << false
                              << true;
        QTest::newRow("free through a link")
            << "link" << none << true << false << int(State::Free) << false << true;
        QTest::newRow("held by another program") << "pty" << int(HoldingProcess::Open) << true
                                                 << false << int(State::Busy) << true << true;
        QTest::newRow("missing device")
            << "/nonexistent/ttyKT9" << none << true << false << int(State::Gone) << true << false;
        QTest::newRow("dangling link")
            << "dangling" << none << true << false << int(State::Gone) << true << false;
        QTest::newRow("not a serial device")
            << "file" << none << true << false << int(State::Failed) << true << false;
        QTest::newRow("no permission")
            << "locked" << none << true << true << int(State::NoPermission) << true << false;
        QTest::newRow("exclusive use, holder not seen")
            << "pty" << int(HoldingProcess::Exclusive) << false << true << int(State::Busy) << true
            << true;
    }

    // Whether a device can be opened now, and if not why, on real devices.
    void state()
    {
        QFETCH(QString, device);
        QFETCH(int, hold);
        QFETCH(bool, holderSeen);
        QFETCH(bool, asUser);
        QFETCH(int, state);
        QFETCH(bool, reason);
        QFETCH(bool, adapter);
        if (asUser && ::geteuid() == 0)
            QSKIP("root may open any device");
        QTemporaryDir dir;
        QTemporaryDir noProcesses;
        Pty pty;
        QVERIFY(TestSupport::writeFile(dir.filePath(QStringLiteral("file")), "x"));
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(TestSupport::writeFile(locked, "x"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        QVERIFY(QFile::link(pty.path(), dir.filePath(QStringLiteral("link"))));
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyUSB7"),
                            dir.filePath(QStringLiteral("dangling"))));
        if (device == QLatin1String("pty"))
            device = pty.path();
        else if (!device.startsWith(QLatin1Char('/')))
            device = dir.filePath(device);
        HoldingProcess holder(HoldingProcess::Hold(hold), pty.path());
        QVERIFY(holder.pid() > 0);
        const PortPlaces places =
            placesWith(dir.path(), holderSeen ? QStringLiteral("/proc") : noProcesses.path());
        const QList<PortAdapter> adapters = {
            {pty.path(), QStringLiteral("USB-Serial Controller"), QString(), 0x067b, 0x2303}};

        const PortReport report = PortReport::describe(7, device, adapters, places);
        QCOMPARE(report.port, 7);
        QCOMPARE(report.devicePath, device);
        QCOMPARE(int(report.state), state);
        QCOMPARE(!report.reason.isEmpty(), reason);
        QCOMPARE(report.holder.has_value(), hold != HoldingProcess::Nothing && holderSeen);
        if (report.holder)
            QCOMPARE(report.holder->pid, holder.pid());
        QCOMPARE(report.accessGroup.isEmpty(), state != int(PortReport::State::NoPermission));
        QCOMPARE(report.adapter.text(),
                 adapter ? QStringLiteral("USB-Serial Controller, USB 067b:2303") : QString());
    }

    // Each port of the map with a device, in port order; the others are
    // left out, and an empty map gives nothing.
    void describeTheMap()
    {
        QTemporaryDir locks;
        const PortPlaces places = placesWith(locks.path());
        QCOMPARE(PortReport::describe(PortMap(), {}, places).size(), 0);

        QStringList configured(PortMap::PortCount);
        configured[4] = QStringLiteral("/nonexistent/ttyKT5");
        const PortMap map(configured, {m_pty.path(), QString(), QString(), m_pty.path()});
        const QList<PortAdapter> adapters = {
            {m_pty.path(), QStringLiteral("USB-Serial Controller"), QString(), {}, {}}};
        const QList<PortReport> reports = PortReport::describe(map, adapters, places);
        QCOMPARE(reports.size(), 3);
        QCOMPARE(reports.at(0).port, 1);
        QCOMPARE(reports.at(1).port, 4);
        QCOMPARE(reports.at(2).port, 5);
        QCOMPARE(reports.at(1).devicePath, m_pty.path());
        QCOMPARE(reports.at(1).adapter.text(), QStringLiteral("USB-Serial Controller"));
        QCOMPARE(int(reports.at(1).state), int(PortReport::State::Free));
        QCOMPARE(int(reports.at(2).state), int(PortReport::State::Gone));
        QVERIFY(reports.at(2).adapter.text().isEmpty());
    }

private:
    Pty m_pty;
};

QTEST_GUILESS_MAIN(TestPortReport)
#include "tst_portreport.moc"
