#include "core/ports/PortMap.h"
#include "core/ports/ProbePort.h"
#include "support/Pty.h"

#include <QDir>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSet>
#include <QTemporaryDir>

#include <QTest>

namespace
{

// Sixteen port entries, empty but for the given ones.
QStringList ports(const QList<std::pair<int, QString>> &set = {})
{
    QStringList list(PortMap::PortCount);
    for (const auto &[port, path] : set)
        list[port - 1] = path;
    return list;
}

} // namespace

// Port numbers to devices, "COMn" names, the order of the system's devices,
// and the probe against real pseudo-terminals.
class TestPortMap : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(!m_pty.path().isEmpty()); }

    void mapping_data()
    {
        QTest::addColumn<QStringList>("configured");
        QTest::addColumn<QStringList>("system");
        QTest::addColumn<QStringList>("expected");

        const QString s0 = QStringLiteral("/dev/ttyUSB0");
        const QString s1 = QStringLiteral("/dev/ttyUSB1");
        const QString s2 = QStringLiteral("/dev/ttyS0");
        const QString own = QStringLiteral("/dev/pts/7");
        QTest::newRow("nothing anywhere") << ports() << QStringList() << ports();
        QTest::newRow("system list by position")
            << ports() << QStringList{s0, s1, s2} << ports({{1, s0}, {2, s1}, {3, s2}});
        QTest::newRow("configured beats the system entry")
            << ports({{1, own}}) << QStringList{s0} << ports({{1, own}});
        QTest::newRow("configuring one port moves no other")
            << ports({{2, own}}) << QStringList{s0, s1, s2} << ports({{1, s0}, {2, own}, {3, s2}});
        QTest::newRow("configured beyond the system list")
            << ports({{16, own}}) << QStringList{s0} << ports({{1, s0}, {16, own}});
        QTest::newRow("blank entry is not configured")
            << ports({{1, QStringLiteral("  ")}}) << QStringList{s0} << ports({{1, s0}});
        QTest::newRow("system entries beyond port 16 unused")
            << ports() << QStringList(20, s2) << QStringList(16, s2);
        QTest::newRow("short configured list")
            << QStringList{own} << QStringList{s0, s1} << ports({{1, own}, {2, s1}});
    }

    void mapping()
    {
        QFETCH(QStringList, configured);
        QFETCH(QStringList, system);
        QFETCH(QStringList, expected);
        const PortMap map(configured, system);
        for (int port = 1; port <= PortMap::PortCount; ++port)
            QCOMPARE(map.devicePath(port), expected.at(port - 1));
        QVERIFY(map.devicePath(0).isEmpty());
        QVERIFY(map.devicePath(17).isEmpty());
    }

    void portNumberFromName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("port");
        QTest::newRow("COM1") << "COM1" << 1;
        QTest::newRow("COM3") << "COM3" << 3;
        QTest::newRow("com3") << "com3" << 3;
        QTest::newRow("Com16") << "Com16" << 16;
        QTest::newRow("com16") << "com16" << 16;
        QTest::newRow("COM0") << "COM0" << 0;
        QTest::newRow("COM17") << "COM17" << 0;
        QTest::newRow("COM100") << "COM100" << 0;
        QTest::newRow("COM03") << "COM03" << 0;
        QTest::newRow("COM+3") << "COM+3" << 0;
        QTest::newRow("COM 3") << "COM 3" << 0;
        QTest::newRow(" COM3") << " COM3" << 0;
        QTest::newRow("COM3 ") << "COM3 " << 0;
        QTest::newRow("COMx") << "COMx" << 0;
        QTest::newRow("COM1x") << "COM1x" << 0;
        QTest::newRow("COM") << "COM" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("/dev/ttyUSB0") << "/dev/ttyUSB0" << 0;
        QTest::newRow("ttyS1") << "ttyS1" << 0;
    }

    void portNumberFromName()
    {
        QFETCH(QString, name);
        QFETCH(int, port);
        QCOMPARE(PortMap::portNumberFromName(name), port);
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("device");
        QTest::newRow("configured port") << "COM3"
                                         << "/dev/ttyKT3";
        QTest::newRow("system port, lower case") << "com1"
                                                 << "/dev/ttyS0";
        QTest::newRow("port without device") << "COM2"
                                             << "";
        QTest::newRow("device path") << "/dev/ttyUSB0"
                                     << "/dev/ttyUSB0";
        QTest::newRow("device name") << "ttyS1"
                                     << "ttyS1";
        QTest::newRow("COM17 is no port number") << "COM17"
                                                 << "COM17";
    }

    void resolve()
    {
        QFETCH(QString, name);
        QFETCH(QString, device);
        const PortMap map(ports({{3, QStringLiteral("/dev/ttyKT3")}}),
                          {QStringLiteral("/dev/ttyS0")});
        QCOMPARE(map.resolve(name), device);
    }

    void orderedDevices_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("withVendor");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("USB names first, then the rest")
            << QStringList{"ttyS0", "ttyUSB1", "ttyS10", "ttyS2", "ttyACM0"} << QStringList()
            << QStringList{"ttyACM0", "ttyUSB1", "ttyS0", "ttyS2", "ttyS10"};
        QTest::newRow("a vendor identifier marks an adapter")
            << QStringList{"ttyS0", "ttyS1", "ttyAMA0"} << QStringList{"ttyS1"}
            << QStringList{"ttyS1", "ttyAMA0", "ttyS0"};
        QTest::newRow("numbers by value") << QStringList{"COM10", "COM2", "COM1"} << QStringList()
                                          << QStringList{"COM1", "COM2", "COM10"};
        QTest::newRow("macOS adapter")
            << QStringList{"cu.Bluetooth-Incoming-Port", "cu.usbserial-1420"} << QStringList()
            << QStringList{"cu.usbserial-1420", "cu.Bluetooth-Incoming-Port"};
        QTest::newRow("none") << QStringList() << QStringList() << QStringList();
    }

    void orderedDevices()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, withVendor);
        QFETCH(QStringList, expected);
        QList<PortMap::SystemPort> system;
        for (const QString &name : names)
            system.append({name, QStringLiteral("/dev/") + name, withVendor.contains(name)});
        QStringList paths;
        for (const QString &name : expected)
            paths.append(QStringLiteral("/dev/") + name);
        QCOMPARE(PortMap::orderedDevices(system), paths);
    }

    void systemDevicesAreTheSystemsLocations()
    {
        QSet<QString> locations;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            locations.insert(info.systemLocation());
        const QStringList devices = PortMap::systemDevices();
        QCOMPARE(QSet<QString>(devices.begin(), devices.end()), locations);
        QCOMPARE(devices.size(), locations.size());
    }

    void probe_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("opens");
        QTest::newRow("pseudo-terminal") << m_pty.path() << true;
        QTest::newRow("missing device") << "/nonexistent/ttyKT9" << false;
        QTest::newRow("empty path") << "" << false;
        QTest::newRow("not a serial device") << "/dev/null" << false;
        QTest::newRow("folder") << "/dev" << false;
    }

    void probe()
    {
        QFETCH(QString, device);
        QFETCH(bool, opens);
        QString reason = QStringLiteral("stale");
        QCOMPARE(ProbePort(device, &reason), opens);
        QCOMPARE(reason.isEmpty(), opens);
        QCOMPARE(ProbePort(device), opens);
    }

    // The probe opens exclusively and lets go at once: it leaves the device
    // free for the exchange, and fails while another port holds it.
    void probeIsExclusiveAndLetsGo()
    {
        QVERIFY(ProbePort(m_pty.path()));
        QSerialPort holder(m_pty.path());
        QVERIFY2(holder.open(QIODevice::ReadWrite), qPrintable(holder.errorString()));
        QString reason;
        QVERIFY(!ProbePort(m_pty.path(), &reason));
        QVERIFY(!reason.isEmpty());
        holder.close();
        QVERIFY(ProbePort(m_pty.path()));
    }

    void stableName_data()
    {
        QTest::addColumn<QString>("device"); // "pty": the pseudo-terminal
        QTest::addColumn<QString>("folder"); // "links": the folder of links
        QTest::addColumn<QString>("name");   // the link's name, empty for none
        QTest::newRow("adapter with a link") << "pty"
                                             << "links"
                                             << "usb-FTDI_FT232R_A50285BI-if00-port0";
        QTest::newRow("device given through its link")
            << "links/usb-FTDI_FT232R_A50285BI-if00-port0"
            << "links"
            << "usb-FTDI_FT232R_A50285BI-if00-port0";
        QTest::newRow("device without a link") << "/dev/null"
                                               << "links"
                                               << "";
        QTest::newRow("missing device") << "/nonexistent/ttyUSB9"
                                        << "links"
                                        << "";
        QTest::newRow("no device") << ""
                                   << "links"
                                   << "";
        QTest::newRow("no such folder") << "pty"
                                        << "/nonexistent/by-id"
                                        << "";
        QTest::newRow("no folder") << "pty"
                                   << ""
                                   << "";
    }

    // The stable name of an adapter is the link in the folder that leads to
    // its device; the folder also holds a dangling link, a file and a link
    // to another device.
    void stableName()
    {
        QFETCH(QString, device);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QTemporaryDir links;
        const QDir dir(links.path());
        Pty other;
        QVERIFY(QFile::link(other.path(), dir.filePath(QStringLiteral("usb-0000_other-port0"))));
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyUSB7"),
                            dir.filePath(QStringLiteral("usb-1111_gone-port0"))));
        QVERIFY(QFile::link(m_pty.path(),
                            dir.filePath(QStringLiteral("usb-FTDI_FT232R_A50285BI-if00-port0"))));
        QFile file(dir.filePath(QStringLiteral("usb-2222_file")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        device.replace(QStringLiteral("links"), links.path());
        if (device == QLatin1String("pty"))
            device = m_pty.path();
        folder.replace(QStringLiteral("links"), links.path());
        const QString found = PortMap::stableName(device, folder);
        QCOMPARE(found, name.isEmpty() ? QString() : dir.filePath(name));
        QCOMPARE(PortMap::isStableName(found, links.path()), !name.isEmpty());
    }

private:
    Pty m_pty;
};

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_portmap.moc"
