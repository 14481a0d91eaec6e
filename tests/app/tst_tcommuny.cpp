#include "core/base/StringTable.h"
#include "core/workspace/Workspace.h"
#include "gui/TAboutBox.h"
#include "gui/Tcommuny.h"
#include "support/HoldingProcess.h"
#include "support/Pty.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace
{

const QString missingDevice = QStringLiteral("/nonexistent/ttyKT9");

// The port dialog over a workspace where COM1 is the system's first device
// (a pseudo-terminal), COM2 the system's second (missing), COM3 is configured
// in the settings (another pseudo-terminal), and COM4 to COM16 have none.
// Lock files and stable adapter names are looked for in folders of its own.
struct PortDialog {
    Workspace workspace;
    Pty one;
    Pty three;
    QTemporaryDir locks;
    QTemporaryDir adapters;
    std::unique_ptr<Tcommuny> dialog;

    PortDialog()
    {
        QStringList configured(PortMap::PortCount);
        configured[2] = three.path();
        workspace.setPortDevices(configured);
        PortPlaces places = PortPlaces::system();
        places.lockDirs = {locks.path()};
        places.stableNameDir = adapters.path();
        workspace.setPortPlaces(places);
        dialog = std::make_unique<Tcommuny>(workspace);
        dialog->setSystemDevices({one.path(), missingDevice});
    }

    QRadioButton *com(int port) const
    {
        return dialog->findChild<QRadioButton *>(QStringLiteral("com%1").arg(port));
    }
    template <typename T> T *control(const char *name) const
    {
        return dialog->findChild<T *>(QLatin1String(name));
    }
    QString deviceLine() const { return control<QLineEdit>("DeviceLabel")->text(); }
    QString note() const { return control<QLabel>("NoteLabel")->text(); }
    QList<int> enabledPorts() const
    {
        QList<int> ports;
        for (int port = 1; port <= PortMap::PortCount; ++port) {
            if (com(port)->isEnabled())
                ports.append(port);
        }
        return ports;
    }
    QList<int> checkedPorts() const
    {
        QList<int> ports;
        for (int port = 1; port <= PortMap::PortCount; ++port) {
            if (com(port)->isChecked())
                ports.append(port);
        }
        return ports;
    }
};

} // namespace

// The port dialog and the about box as the user meets them.
class TestTcommuny : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        const Pty pty;
        QVERIFY(!pty.path().isEmpty());
    }

    void portsInFourRowsOfFour()
    {
        PortDialog f;
        for (int port = 1; port <= PortMap::PortCount; ++port) {
            QRadioButton *button = f.com(port);
            QVERIFY(button);
            QCOMPARE(button->text(), QStringLiteral("COM%1").arg(port));
            const int row = (port - 1) / 4;
            const int column = (port - 1) % 4;
            QCOMPARE(button->y(), f.com(row * 4 + 1)->y());
            QCOMPARE(button->x(), f.com(column + 1)->x());
            if (row > 0)
                QVERIFY(button->y() > f.com(port - 4)->geometry().bottom());
            if (column > 0)
                QVERIFY(button->x() > f.com(port - 1)->geometry().right());
        }
        QVERIFY(f.dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(f.checkedPorts(), QList<int>{1});
        QVERIFY(!f.control<QCheckBox>("CheckBox1")->isChecked());
    }

    // Only COM1 and COM3 are present; the tool tips and the device line say
    // which device each number stands for, and why one cannot be opened.
    void onlyPresentPortsEnabled()
    {
        PortDialog f;
        f.dialog->show();
        QCOMPARE(f.enabledPorts(), (QList<int>{1, 3}));
        QCOMPARE(f.com(1)->toolTip(), f.one.path());
        QCOMPARE(f.com(3)->toolTip(), f.three.path());
        // The missing device: its path, then the system's reason.
        QVERIFY(f.com(2)->toolTip().startsWith(missingDevice + QLatin1Char('\n')));
        QVERIFY(f.com(2)->toolTip().size() > missingDevice.size() + 1);
        for (int port = 4; port <= PortMap::PortCount; ++port) {
            QVERIFY(!f.com(port)->toolTip().isEmpty());
            QVERIFY(!f.com(port)->toolTip().contains(QLatin1Char('/')));
        }
        QCOMPARE(f.deviceLine(), QStringLiteral("COM1: ") + f.one.path());
    }

    void clickingAPortTakesItAtOnce()
    {
        PortDialog f;
        f.dialog->show();
        QSignalSpy changed(&f.workspace, &Workspace::portChanged);
        QTest::mouseClick(f.com(3), Qt::LeftButton);
        QCOMPARE(f.workspace.portNumber(), 3);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(f.checkedPorts(), QList<int>{3});
        QCOMPARE(f.deviceLine(), QStringLiteral("COM3: ") + f.three.path());
        // A port that cannot be opened cannot be picked.
        QTest::mouseClick(f.com(2), Qt::LeftButton);
        QCOMPARE(f.workspace.portNumber(), 3);
        QCOMPARE(f.checkedPorts(), QList<int>{3});
        QVERIFY(f.dialog->isVisible());
    }

    void checkedPortStaysCheckedWhenItsDeviceDisappears()
    {
        PortDialog f;
        f.dialog->show();
        QTest::mouseClick(f.com(3), Qt::LeftButton);
        QTest::mouseClick(f.control<QPushButton>("button1"), Qt::LeftButton);
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));

        f.three.close();
        f.dialog->show();
        QCOMPARE(f.enabledPorts(), QList<int>{1});
        QCOMPARE(f.checkedPorts(), QList<int>{3});
        QCOMPARE(f.workspace.portNumber(), 3);
        QVERIFY(f.com(3)->toolTip().startsWith(f.three.path() + QLatin1Char('\n')));
    }

    void heldPortNamesItsHolder_data()
    {
        QTest::addColumn<bool>("byLockFile");
        QTest::newRow("open in another program") << false;
        QTest::newRow("lock file of another program") << true;
    }

    // COM1's device is held by another program: disabled, the holder named
    // in its tool tip and, as it is the checked port, in the device line;
    // usable again once the program has let go.
    void heldPortNamesItsHolder()
    {
        QFETCH(bool, byLockFile);
        PortDialog f;
        const QString lockFile =
            QDir(f.locks.path())
                .filePath(QStringLiteral("LCK..pts_") + QFileInfo(f.one.path()).fileName());
        auto holder = std::make_unique<HoldingProcess>(
            byLockFile ? HoldingProcess::Nothing : HoldingProcess::Open, f.one.path());
        QVERIFY(holder->pid() > 0);
        if (byLockFile)
            QVERIFY(TestSupport::writeFile(lockFile, QByteArray::number(holder->pid()) + '\n'));
        f.dialog->show();
        const QString held = QStringLiteral("已被 sleep (%1) 占用").arg(holder->pid());
        QCOMPARE(f.enabledPorts(), QList<int>{3});
        QCOMPARE(f.checkedPorts(), QList<int>{1});
        QCOMPARE(f.com(1)->toolTip(), f.one.path() + QLatin1Char('\n') + held);
        QCOMPARE(f.deviceLine(),
                 QStringLiteral("COM1: ") + f.one.path() + QStringLiteral(", ") + held);
        QTest::mouseClick(f.com(3), Qt::LeftButton);
        QCOMPARE(f.deviceLine(), QStringLiteral("COM3: ") + f.three.path());

        f.dialog->hide();
        holder.reset();
        f.dialog->show();
        QCOMPARE(f.enabledPorts(), (QList<int>{1, 3}));
        QCOMPARE(f.com(1)->toolTip(), f.one.path());
    }

    void pickingAnAdapterTiesThePort_data()
    {
        QTest::addColumn<int>("linkTo"); // the port whose device has a stable name, 0 none
        QTest::addColumn<int>("port");   // the port picked
        QTest::addColumn<bool>("tied");
        QTest::newRow("adapter with a stable name") << 1 << 1 << true;
        QTest::newRow("port with a device of its own") << 3 << 3 << false;
        QTest::newRow("device without a stable name") << 0 << 1 << false;
    }

    // A picked port that follows the system's list and stands for a USB
    // adapter with a stable name takes that name as its device, to be kept
    // in the settings; the dialog says so. A port with a device of its own
    // keeps it.
    void pickingAnAdapterTiesThePort()
    {
        QFETCH(int, linkTo);
        QFETCH(int, port);
        QFETCH(bool, tied);
        PortDialog f;
        const QString link =
            QDir(f.adapters.path())
                .filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A5-if00-port0"));
        if (linkTo)
            QVERIFY(QFile::link(linkTo == 1 ? f.one.path() : f.three.path(), link));
        f.dialog->applyLanguage(
            StringTable::parse(QStringLiteral("1032=%1 stays with this adapter")));
        const QStringList before = f.workspace.portDevices();
        f.dialog->show();
        QVERIFY(f.note().isEmpty());
        // COM1 is checked already: a click on it is a pick too.
        QTest::mouseClick(f.com(port), Qt::LeftButton);
        QCOMPARE(f.workspace.portNumber(), port);

        QStringList after = before;
        QStringList chosen(PortMap::PortCount);
        if (tied)
            after[port - 1] = chosen[port - 1] = link;
        QCOMPARE(f.workspace.portDevices(), after);
        QCOMPARE(f.workspace.chosenPortDevices(), chosen);
        if (tied)
            QCOMPARE(f.deviceLine(), QStringLiteral("COM%1: ").arg(port) + link);
        QCOMPARE(f.note(),
                 tied ? QStringLiteral("COM%1 stays with this adapter").arg(port) : QString());
        // Shown again, the tied port is probed through its stable name.
        f.dialog->hide();
        f.dialog->show();
        QVERIFY(f.com(port)->isEnabled());
        if (tied)
            QCOMPARE(f.com(port)->toolTip(), link);
        QCOMPARE(f.note().isEmpty(), !tied);
    }

    void adapterShowsBesideEachPort_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("grows"); // whether the dialog grows for it
        QTest::newRow("adapter") << "USB-Serial Controller" << false;
        QTest::newRow("description longer than two lines")
            << QStringLiteral("USB to UART Bridge Controller ").repeated(5).trimmed() << true;
    }

    // What the system tells of a port's adapter shows in the port's tool tip
    // and, for the checked port, under the device line, whole: a text too
    // long for its two lines wraps and moves what is below it down, inside
    // the dialog.
    void adapterShowsBesideEachPort()
    {
        QFETCH(QString, description);
        QFETCH(bool, grows);
        PortDialog f;
        f.dialog->setSystemAdapters({{f.one.path(), description,
                                      QStringLiteral("Prolific Technology Inc."), 0x067b, 0x2303}});
        f.dialog->show();
        const QString text =
            description + QStringLiteral(", Prolific Technology Inc., USB 067b:2303");
        QCOMPARE(f.com(1)->toolTip(), f.one.path() + QLatin1Char('\n') + text);
        QCOMPARE(f.com(3)->toolTip(), f.three.path());
        QCOMPARE(f.deviceLine(), QStringLiteral("COM1: ") + f.one.path());
        auto *adapter = f.control<QLabel>("AdapterLabel");
        QCOMPARE(adapter->text(), text);
        QVERIFY(adapter->height() >= adapter->heightForWidth(adapter->width()));
        const auto inOrderInside = [&f, adapter] {
            const QRect device = f.control<QLineEdit>("DeviceLabel")->geometry();
            const QRect note = f.control<QLabel>("NoteLabel")->geometry();
            const QRect ok = f.control<QPushButton>("button1")->geometry();
            return device.bottom() < adapter->y() && adapter->geometry().bottom() < note.y() &&
                   note.bottom() < ok.y() && f.dialog->rect().contains(ok);
        };
        QVERIFY(inOrderInside());
        const int height = f.dialog->height();

        QTest::mouseClick(f.com(3), Qt::LeftButton);
        QVERIFY(adapter->text().isEmpty());
        QVERIFY(inOrderInside());
        QCOMPARE(f.dialog->height() < height, grows);
    }

    void showsTheWorkspace()
    {
        PortDialog f;
        f.workspace.setPortNumber(3);
        f.workspace.setSinglePort(true);
        f.dialog->show();
        QCOMPARE(f.checkedPorts(), QList<int>{3});
        QVERIFY(f.control<QCheckBox>("CheckBox1")->isChecked());
        // A port set elsewhere while the dialog is open.
        f.workspace.setPortNumber(12);
        QCOMPARE(f.checkedPorts(), QList<int>{12});
        QVERIFY(f.deviceLine().startsWith(QStringLiteral("COM12: ")));
        QVERIFY(!f.deviceLine().contains(QLatin1Char('/')));
        // Changes made while it was hidden show the next time.
        f.dialog->hide();
        f.workspace.setSinglePort(false);
        f.workspace.setPortNumber(1);
        f.dialog->show();
        QCOMPARE(f.checkedPorts(), QList<int>{1});
        QVERIFY(!f.control<QCheckBox>("CheckBox1")->isChecked());
    }

    // Single-port mode and fast transfer each switch with their box, at
    // once; the dialog shows the workspace's setting when it opens.
    void boxesSwitchTheModeAtOnce_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("single port") << "CheckBox1";
        QTest::newRow("fast transfer") << "FastCheck";
    }
    void boxesSwitchTheModeAtOnce()
    {
        QFETCH(QString, box);
        PortDialog f;
        const auto mode = [&] {
            return box == QLatin1String("CheckBox1") ? f.workspace.singlePort()
                                                     : f.workspace.fastTransfer();
        };
        f.workspace.setFastTransfer(true);
        f.workspace.setSinglePort(true);
        f.dialog->show();
        auto *control = f.dialog->findChild<QCheckBox *>(box);
        QVERIFY(control && control->isVisible() && control->isChecked());
        // On its box: the control is wider than its text, for translations.
        const QPoint onBox(8, control->height() / 2);
        QTest::mouseClick(control, Qt::LeftButton, {}, onBox);
        QVERIFY(!mode());
        QTest::mouseClick(control, Qt::LeftButton, {}, onBox);
        QVERIFY(mode());
        // The boxes lie side by side, neither over the other.
        QVERIFY(!f.control<QCheckBox>("CheckBox1")
                     ->geometry()
                     .intersects(f.control<QCheckBox>("FastCheck")->geometry()));
    }

    void portDialogLanguage_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("singlePort");
        QTest::addColumn<QString>("button");
        QTest::newRow("all entries") << "22=Port\n142=Single wire\n2=OK\n1=About\n3=..."
                                     << "Port"
                                     << "Single wire"
                                     << "OK";
        QTest::newRow("only 142") << "142=Single wire"
                                  << "通信端口"
                                  << "Single wire"
                                  << "确定";
        QTest::newRow("empty table") << ""
                                     << "通信端口"
                                     << "单口"
                                     << "确定";
    }

    void portDialogLanguage()
    {
        QFETCH(QString, table);
        QFETCH(QString, caption);
        QFETCH(QString, singlePort);
        QFETCH(QString, button);
        PortDialog f;
        f.dialog->applyLanguage(StringTable::parse(table));
        QCOMPARE(f.dialog->windowTitle(), caption);
        QCOMPARE(f.control<QGroupBox>("GroupBox1")->title(), caption);
        QCOMPARE(f.control<QCheckBox>("CheckBox1")->text(), singlePort);
        QCOMPARE(f.control<QPushButton>("button1")->text(), button);
        QCOMPARE(f.com(7)->text(), QStringLiteral("COM7"));
    }

    void aboutLanguage_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("button");
        const QString title = QStringLiteral("Vesqar 对讲机编程软件 1.0");
        const QString version = QStringLiteral("版本:KT-100.100.1");
        QTest::newRow("some entries") << "22=Port\n142=Single wire\n2=OK\n1=About\n3=..."
                                      << "About..." << QStringList{"...", version, "", ""} << "OK";
        QTest::newRow("all entries")
            << "1=关于\n2=确定\n3=Title\n4=Version\n5=Line three\n6=Line four"
            << "关于..." << QStringList{"Title", "Version", "Line three", "Line four"} << "确定";
        QTest::newRow("empty table") << ""
                                     << "关于..." << QStringList{title, version, "", ""} << "OK";
    }

    void aboutLanguage()
    {
        QFETCH(QString, table);
        QFETCH(QString, caption);
        QFETCH(QStringList, lines);
        QFETCH(QString, button);
        TAboutBox box;
        box.applyLanguage(StringTable::parse(table));
        QCOMPARE(box.windowTitle(), caption);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(box.findChild<QLabel *>(QStringLiteral("Label%1").arg(i + 1))->text(),
                     lines.at(i));
        QCOMPARE(box.findChild<QPushButton *>(QStringLiteral("Button1"))->text(), button);
    }

    void aboutLongTextsDoNotClip_data()
    {
        QTest::addColumn<bool>("whileShown");
        QTest::newRow("applied before showing") << false;
        QTest::newRow("applied while shown") << true;
    }

    // The box keeps its design size for the design texts and grows downwards
    // for a language whose lines wrap.
    void aboutLongTextsDoNotClip()
    {
        QFETCH(bool, whileShown);
        TAboutBox box;
        if (whileShown)
            box.show();
        QCOMPARE(box.size(), QSize(320, 245));
        const QString words = QStringLiteral("a rather long line of words ").repeated(8);
        box.applyLanguage(StringTable::parse(QStringLiteral("3=%1\n4=%1\n5=%1\n6=%1").arg(words)));
        box.show();
        QCOMPARE(box.width(), 320);
        QVERIFY(box.height() > 245);
        QCoreApplication::sendPostedEvents();
        for (QLabel *label : box.findChildren<QLabel *>()) {
            QVERIFY(box.rect().contains(label->geometry()));
            if (!label->text().isEmpty())
                QVERIFY(label->height() >= label->heightForWidth(label->width()));
        }
        auto *ok = box.findChild<QPushButton *>(QStringLiteral("Button1"));
        QVERIFY(box.rect().contains(ok->geometry()));
    }

    // The about box shows the radio of the program's SVG icon: a blue body
    // with a light display, on a transparent ground.
    void aboutShowsTheProgramIcon()
    {
        TAboutBox box;
        const QPixmap shown = box.findChild<QLabel *>(QStringLiteral("ProgramIcon"))->pixmap();
        QCOMPARE(shown.size(), QSize(57, 57));
        const QImage image = shown.toImage();
        const auto at = [&](double x, double y) {
            return image.pixelColor(int(x * 57 / 64), int(y * 57 / 64));
        };
        QCOMPARE(at(2, 60).alpha(), 0);
        const QColor body = at(20, 40);
        QVERIFY2(body.alpha() == 255 && body.blue() > 140 && body.red() < 60,
                 qPrintable(body.name()));
        const QColor display = at(32, 28);
        QVERIFY2(display.green() > 200 && display.red() > 170, qPrintable(display.name()));
    }

    void aboutOkClosesAccepted_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("click OK") << false;
        QTest::newRow("Return key") << true;
    }

    void aboutOkClosesAccepted()
    {
        QFETCH(bool, byKey);
        TAboutBox box;
        TestSupport::onNextModal([byKey](QWidget *modal) {
            if (byKey)
                QTest::keyClick(modal, Qt::Key_Return);
            else
                QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("Button1")),
                                  Qt::LeftButton);
        });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(TestTcommuny)
#include "tst_tcommuny.moc"
