#include "core/workspace/Workspace.h"
#include "gui/Program.h"
#include "gui/TFleetForm.h"
#include "gui/TMainForm.h"
#include "sim/VirtualRadio.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace TestSupport;

// 编程 › Write to many radios: the fleet dialog against the virtual radio's
// row on port 1, as the user meets it.
class TestFleetForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Two radios come one after the other: the dialog counts them, lists
    // each with its result, names the state, logs both; Stop ends the loop
    // with the radio out of programming mode, and the dialog closes.
    void writesRadiosUntilStopped()
    {
        QTemporaryDir dir;
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        VirtualRadio radio;
        QVERIFY(radio.start());
        radio.setRowOfRadios(3, 800, 2500);
        writeFile(dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n");
        writeFile(dir.filePath(QStringLiteral("sysini.ini")),
                  "[open]\ncom=1\nM_type=0\nlang=2\n[list]\nlistnow=0\nlistcount=1\n"
                  "combo0=400-470MHz\n[ports]\ncom1=" +
                      radio.devicePath().toUtf8() + "\n");
        Program program(SettingsStore(dir.path()), QStringList{languageDir()});
        program.mainForm()->show();
        Workspace &ws = program.workspace();
        ws.setSafeWrites(true);
        ChannelTable &table = ws.channels();
        table.setCurrentCell(1, 1);
        table.setCell(1, 1, QStringLiteral("438.5"));
        table.sendallcell();

        // The dialog runs its loop inside its own event handling, so the test
        // watches it from a timer and acts between two steps, as a user would.
        TFleetForm *dialog = nullptr;
        onNextModal([&](QWidget *modal) { dialog = qobject_cast<TFleetForm *>(modal); }, 120000);
        QString count, log;
        QStringList items;
        bool stoppedByButton = false, closeDisabledWhileRunning = false, closed = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!dialog || closed)
                return;
            auto *list = dialog->findChild<QListWidget *>(QStringLiteral("RadioList"));
            auto *stateLabel = dialog->findChild<QLabel *>(QStringLiteral("StateLabel"));
            if (!stoppedByButton) {
                // Two radios done, the third awaited.
                if (list->count() < 2 || stateLabel->text() != ws.texts().fleetWaitingText.arg(3))
                    return;
                count = dialog->findChild<QLabel *>(QStringLiteral("CountLabel"))->text();
                log = dialog->logPath();
                for (int i = 0; i < list->count(); ++i)
                    items << list->item(i)->text();
                closeDisabledWhileRunning =
                    !dialog->findChild<QPushButton *>(QStringLiteral("CloseButton"))->isEnabled();
                dialog->findChild<QPushButton *>(QStringLiteral("StopButton"))->click();
                stoppedByButton = true;
            } else if (!dialog->isRunning()) {
                closed = true;
                dialog->findChild<QPushButton *>(QStringLiteral("CloseButton"))->click();
            }
        });
        watch.start(100);
        program.mainForm()->findChild<QAction *>(QStringLiteral("FleetItem"))->trigger();
        watch.stop();

        QVERIFY(closed);
        QVERIFY(closeDisabledWhileRunning);
        QVERIFY(stoppedByButton);
        QCOMPARE(count, ws.texts().fleetCountText.arg(2).arg(2).arg(0));
        QCOMPARE(items.size(), 2);
        for (const QString &item : items)
            QVERIFY2(item.contains(QStringLiteral("PW-100   ") + ws.texts().fleetVerifiedText),
                     qPrintable(item));
        QCOMPARE(log, dir.filePath(QStringLiteral("data/KT-700/fleet-log.csv")));
        QCOMPARE(QString::fromUtf8(readFile(log)).count(QStringLiteral("\r\n")), 3);
        QCOMPARE(radio.rowImages().size(), 2);
        QVERIFY(!radio.isProgramming());
        program.mainForm()->close();
    }
};

QTEST_MAIN(TestFleetForm)
#include "tst_fleetform.moc"
