#include "core/base/StringTable.h"
#include "core/programming/SafeWrite.h"
#include "core/radio/LinkTrace.h"
#include "core/radio/MemoryMap.h"
#include "core/radio/SerialLink.h"
#include "core/workspace/LanguageSwitch.h"
#include "gui/Program.h"
#include "gui/TMainForm.h"
#include "gui/TRWForm.h"
#include "sim/VirtualRadio.h"
#include "support/HoldingProcess.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace TestSupport;

// The Read and Write commands and the read/write dialog as the user meets
// them, against the virtual radio on port 1.
class TestRWForm : public QObject
{
    Q_OBJECT

    struct Session {
        QTemporaryDir dir;
        VirtualRadio radio;
        std::unique_ptr<Program> program;
        Workspace &workspace() { return program->workspace(); }
        TMainForm *main() { return program->mainForm(); }
        TRWForm *dialog() { return program->readWriteForm(); }
        QPushButton *button(const char *name)
        {
            return dialog()->findChild<QPushButton *>(QLatin1String(name));
        }
        QProgressBar *progress()
        {
            return dialog()->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        }
    };

    // Port 1 is the virtual radio, or a device that does not exist.
    static std::unique_ptr<Session> start(bool radioPresent = true, int language = 1)
    {
        auto s = std::make_unique<Session>();
        if (!s->radio.start())
            qFatal("no pseudo-terminal: %s", qPrintable(s->radio.errorString()));
        const QString device =
            radioPresent ? s->radio.devicePath() : s->dir.filePath(QStringLiteral("ttyNone"));
        writeFile(s->dir.filePath(QStringLiteral("userini.ini")), "[User]\nname=Ann\n");
        writeFile(s->dir.filePath(QStringLiteral("sysini.ini")),
                  "[open]\ncom=1\nM_type=1\nlang=" + QByteArray::number(language) +
                      "\n[list]\nlistnow=0\nlistcount=1\ncombo0=400-470MHz\n"
                      "[ports]\ncom1=" +
                      device.toUtf8() + "\n");
        s->program =
            std::make_unique<Program>(SettingsStore(s->dir.path()), QStringList{languageDir()});
        s->main()->show();
        return s;
    }

    // Runs a command that opens the dialog modally; inside it, presses the
    // start button, waits for the exchange to end, records what happened
    // and closes the dialog with its exit button.
    struct Outcome {
        bool dialogShown = false;
        QString title, startText;
        int progress = -1, maximum = -1;
        QString boxText, boxCaption, boxDetail, boxInformative;
        QString statusText; // the status line once the exchange has ended
        bool closeRefusedWhileRunning = false;
    };

    static Outcome runDialog(Session &s, void (TMainForm::*command)())
    {
        Outcome out;
        onNextModal(
            [&](QWidget *modal) {
                auto *dialog = qobject_cast<TRWForm *>(modal);
                if (!dialog) {
                    modal->close();
                    return;
                }
                out.dialogShown = true;
                out.title = dialog->windowTitle();
                out.startText = s.button("Button1")->text();
                // While the exchange runs: try to close, then note the box
                // that may end it.
                QTimer::singleShot(300, dialog, [&] {
                    s.dialog()->close();
                    QTest::keyClick(s.dialog(), Qt::Key_Escape);
                    out.closeRefusedWhileRunning =
                        s.dialog()->isVisible() && s.dialog()->isRunning();
                });
                // Answers a message box that ends the exchange; stops with it.
                QTimer boxWatch;
                QObject::connect(&boxWatch, &QTimer::timeout, [&] {
                    auto *message = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                    if (!message || !message->isVisible())
                        return;
                    boxWatch.stop();
                    out.boxText = message->text();
                    out.boxCaption = message->windowTitle();
                    out.boxDetail = message->detailedText();
                    out.boxInformative = message->informativeText();
                    message->button(QMessageBox::Ok)->click();
                });
                boxWatch.start(10);
                QTest::mouseClick(s.button("Button1"), Qt::LeftButton);
                out.progress = s.progress()->value();
                out.maximum = s.progress()->maximum();
                out.statusText = statusLine(s.dialog())->toolTip();
                QTest::mouseClick(s.button("Button2"), Qt::LeftButton);
            },
            10000);
        (s.main()->*command)();
        return out;
    }

    static QLabel *statusLine(TRWForm *dialog)
    {
        return dialog->findChild<QLabel *>(QStringLiteral("StatusBar"));
    }

    // Answers the next modal window: the read/write dialog is closed at
    // once (and noted), a message box is read and closed with OK.
    static void readNextBox(bool *dialogShown, QString *text, QString *caption, QString *detail)
    {
        onNextModal([=](QWidget *modal) {
            *dialogShown = qobject_cast<TRWForm *>(modal) != nullptr;
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box) {
                modal->close();
                return;
            }
            *text = box->text();
            if (caption)
                *caption = box->windowTitle();
            *detail = box->detailedText();
            box->button(QMessageBox::Ok)->click();
        });
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    void readFillsEverythingWithoutAMessage()
    {
        auto s = start();
        const Outcome out = runDialog(*s, &TMainForm::ToolButton4Click);
        QVERIFY(out.dialogShown);
        QCOMPARE(out.title, QStringLiteral("读频"));
        QCOMPARE(out.startText, QStringLiteral("读 频"));
        QCOMPARE(out.boxText, QString());
        QCOMPARE(out.maximum, 100);
        QCOMPARE(out.progress, 100);
        QVERIFY(out.closeRefusedWhileRunning);
        QCOMPARE(shownTitle(s->main()), QStringLiteral("PW-100     [400-470MHz]"));
        QVERIFY(!s->workspace().channels().cell(1, 1).isEmpty());
        QVERIFY(!s->dialog()->isVisible());
        QVERIFY(!s->dialog()->link().isOpen());
        closeDiscarding(s->main());
    }

    void silentRadioShowsTheFailureBox()
    {
        auto s = start();
        s->radio.setSilent(true);
        const Outcome out = runDialog(*s, &TMainForm::ToolButton4Click);
        QVERIFY(out.dialogShown);
        QCOMPARE(out.boxText, s->workspace().texts().exchangeFailedText);
        QCOMPARE(out.boxCaption, s->workspace().texts().warningCaption);
        QVERIFY(!out.boxText.isEmpty());
        QVERIFY(out.progress < out.maximum);
        closeDiscarding(s->main());
    }

    // The failure box speaks the interface language, its details (why the
    // exchange failed, naming the step) too.
    void failureDetailsInTheInterfaceLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("silent"); // else garbage answers the identification read
        for (int language = 1; language <= LanguageSwitch::LanguageCount; ++language) {
            QTest::addRow("language %d, silent radio", language) << language << true;
            QTest::addRow("language %d, garbage identification", language) << language << false;
        }
    }
    void failureDetailsInTheInterfaceLanguage()
    {
        QFETCH(int, language);
        QFETCH(bool, silent);
        const std::optional<StringTable> table = StringTable::load(
            StringTable::find(LanguageSwitch::startupBaseName(language), {languageDir()}));
        QVERIFY(table);
        auto s = start(true, language);
        if (silent)
            s->radio.setSilent(true);
        else
            s->radio.setGarbage(1, VirtualRadio::Read);

        const Outcome out = runDialog(*s, &TMainForm::ToolButton4Click);

        QCOMPARE(out.boxText, table->text(60));
        QCOMPARE(out.boxCaption, table->text(58));
        // The reason, naming the step, then what the radio answered last.
        const QString garbage =
            LinkTrace::spacedHex(QString::fromLatin1(VirtualRadio::Garbage.toHex()));
        QCOMPARE(out.boxDetail,
                 silent ? table->text(1019) + table->text(1039).arg(table->text(1040))
                        : table->text(1026).arg(table->text(1011)) +
                              table->text(1039).arg(
                                  QStringLiteral("%1 (%2)").arg(garbage, table->text(1047))));
        closeDiscarding(s->main());
    }

    // A port whose device is missing stops the command before the dialog,
    // with the system's reason in the details.
    void missingDeviceShowsThePortErrorBox()
    {
        auto s = start(false);
        QString text, caption, detail;
        bool dialogShown = false;
        readNextBox(&dialogShown, &text, &caption, &detail);
        s->main()->ToolButton5Click();
        QVERIFY(!dialogShown);
        QCOMPARE(text, s->workspace().texts().portErrorText);
        QCOMPARE(caption, s->workspace().texts().warningCaption);
        QVERIFY2(detail.startsWith(QStringLiteral("COM1: ")), qPrintable(detail));
        QVERIFY(detail.size() > 6);
        closeDiscarding(s->main());
    }

    void heldPortShowsThePortErrorBox_data()
    {
        QTest::addColumn<bool>("byLockFile");
        QTest::newRow("open in another program") << false;
        QTest::newRow("lock file of another program") << true;
    }

    // The radio's port is held by another program: Read stops before the
    // dialog, and the details name the holder.
    void heldPortShowsThePortErrorBox()
    {
        QFETCH(bool, byLockFile);
        auto s = start();
        QTemporaryDir locks;
        PortPlaces places = s->workspace().portPlaces();
        places.lockDirs = {locks.path()};
        s->workspace().setPortPlaces(places);
        const QString device = s->radio.devicePath();
        HoldingProcess holder(byLockFile ? HoldingProcess::Nothing : HoldingProcess::Open, device);
        QVERIFY(holder.pid() > 0);
        if (byLockFile)
            QVERIFY(writeFile(
                QDir(locks.path()).filePath(QStringLiteral("LCK..") + QFileInfo(device).fileName()),
                QByteArray::number(holder.pid()).rightJustified(10) + '\n'));
        QString text, detail;
        bool dialogShown = false;
        readNextBox(&dialogShown, &text, nullptr, &detail);
        s->main()->ToolButton4Click();
        QVERIFY(!dialogShown);
        QCOMPARE(text, s->workspace().texts().portErrorText);
        QCOMPARE(detail, QStringLiteral("COM1: 已被 sleep (%1) 占用").arg(holder.pid()));
        closeDiscarding(s->main());
    }

    void writeRefusedByValidationSendsNothing()
    {
        auto s = start();
        ChannelTable &table = s->workspace().channels();
        table.setCurrentCell(1, 2);
        table.setCell(1, 2, QStringLiteral("438.5"));
        table.sendallcell();
        table.setCell(2, 2, QStringLiteral("99.9")); // no such tone
        s->radio.clearCommands();
        const Outcome out = runDialog(*s, &TMainForm::ToolButton5Click);
        QVERIFY(out.dialogShown);
        QCOMPARE(out.title, QStringLiteral("写频"));
        QCOMPARE(out.boxText, s->workspace().texts().writeRefusedText);
        QVERIFY2(out.boxInformative.contains(QStringLiteral("CH02")),
                 qPrintable(out.boxInformative));
        QVERIFY(out.boxInformative.contains(QStringLiteral("99.9")));
        QCOMPARE(s->radio.commands().size(), 0);
        closeDiscarding(s->main());
    }

    // With 工具 › back up and verify on, Write runs the backup, the write
    // and the read-back as one progress run from 0 to 100, names each phase
    // in the status line and the backup file at the end; a radio that
    // stores something else ends in the failure box naming the block. With
    // it off, Write is the plain write: no backup, no read-back, and the
    // wrongly stored block goes unnoticed.
    void safeWriteThroughTheDialog_data()
    {
        QTest::addColumn<bool>("safe");
        QTest::addColumn<bool>("corrupt");
        QTest::newRow("backed up and verified") << true << false;
        QTest::newRow("radio stores something else") << true << true;
        QTest::newRow("safe writes off") << false << true;
    }
    void safeWriteThroughTheDialog()
    {
        QFETCH(bool, safe);
        QFETCH(bool, corrupt);
        auto s = start();
        QTemporaryDir dataHome;
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
        auto *item = s->main()->findChild<QAction *>(QStringLiteral("SafeWriteItem"));
        QVERIFY(item && item->isCheckable() && item->isChecked());
        item->setChecked(safe);
        QCOMPARE(s->workspace().safeWrites(), safe);
        ChannelTable &table = s->workspace().channels();
        table.setCurrentCell(1, 3);
        table.setCell(1, 3, QStringLiteral("462.125"));
        table.sendallcell();
        if (corrupt)
            s->radio.setCorruptWrites(1, VirtualRadio::Repeat::FirstCommands,
                                      MemoryMap::channelAddress(3));
        // The status line and the progress as each phase begins.
        QStringList phases;
        QList<int> progressAtPhase;
        QObject::connect(&s->dialog()->safeWrite(), &SafeWrite::phaseChanged, s->dialog(), [&] {
            phases << statusLine(s->dialog())->toolTip();
            progressAtPhase << s->progress()->value();
        });

        const Outcome out = runDialog(*s, &TMainForm::ToolButton5Click);

        const LanguageTexts &texts = s->workspace().texts();
        const QStringList backups =
            QDir(dataHome.filePath(QStringLiteral("KT-700/backups"))).entryList(QDir::Files);
        QCOMPARE(out.title, QStringLiteral("写频"));
        QCOMPARE(out.maximum, 100);
        QVERIFY(out.closeRefusedWhileRunning);
        if (!safe) {
            QCOMPARE(phases, QStringList());
            QCOMPARE(backups, QStringList());
            QCOMPARE(out.boxText, QString());
            QCOMPARE(out.progress, 100);
            closeDiscarding(s->main());
            return;
        }
        QCOMPARE(phases,
                 QStringList({texts.backupPhaseText, texts.writePhaseText, texts.verifyPhaseText}));
        QCOMPARE(progressAtPhase, QList<int>({0, 33, 66}));
        QCOMPARE(backups.size(), 1);
        QVERIFY2(backups.first().endsWith(QStringLiteral("_PW-100.q42")),
                 qPrintable(backups.first()));
        if (corrupt) {
            QCOMPARE(out.boxText, texts.exchangeFailedText);
            QVERIFY2(
                out.boxDetail.startsWith(texts.failure.mismatch.section(QLatin1Char('%'), 0, 0)),
                qPrintable(out.boxDetail));
            QVERIFY2(out.boxDetail.contains(QStringLiteral("channel 3: sent 46212500")),
                     qPrintable(out.boxDetail));
            QCOMPARE(out.statusText, texts.verifyPhaseText);
        } else {
            QCOMPARE(out.boxText, QString());
            QCOMPARE(out.progress, 100);
            QCOMPARE(out.statusText, texts.backupSavedText.arg(backups.first()));
        }
        closeDiscarding(s->main());
    }

    // 工具 › Record link trace (off at start): while on, every exchange of
    // the dialog goes into a trace file in the user's data folder, and the
    // failure box's details end with that file.
    void traceItemRecordsTheExchanges_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void traceItemRecordsTheExchanges()
    {
        QFETCH(bool, on);
        auto s = start();
        QTemporaryDir dataHome;
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
        auto *item = s->main()->findChild<QAction *>(QStringLiteral("TraceItem"));
        QVERIFY(item && item->isCheckable() && !item->isChecked());
        item->setChecked(on);
        QCOMPARE(s->workspace().recordTrace(), on);

        QCOMPARE(runDialog(*s, &TMainForm::ToolButton4Click).boxText, QString());
        s->radio.setSilent(true);
        const Outcome out = runDialog(*s, &TMainForm::ToolButton4Click);

        const LanguageTexts &texts = s->workspace().texts();
        const QDir traces(dataHome.filePath(QStringLiteral("KT-700/traces")));
        const QStringList files = traces.entryList(QDir::Files);
        QCOMPARE(out.boxText, texts.exchangeFailedText);
        if (!on) {
            QCOMPARE(files, QStringList());
            QCOMPARE(out.boxDetail, ExchangeFailure(ExchangeFailure::Reason::NoHandshake)
                                        .withAnswer(QString())
                                        .text(texts.failure));
            closeDiscarding(s->main());
            return;
        }
        // Both reads in one file, the failed one last.
        QCOMPARE(files.size(), 1);
        const QString path = traces.filePath(files.first());
        QVERIFY2(out.boxDetail.endsWith(QStringLiteral("\n\n") + texts.traceFileText.arg(path)),
                 qPrintable(out.boxDetail));
        const QStringList lines =
            QString::fromUtf8(readFile(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.filter(QStringLiteral("--  read on ")).size(), 2);
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("--  exchange complete$"))).size(),
                 1);
        QVERIFY2(lines.constLast().contains(QStringLiteral("--  exchange failed: no answer to "
                                                           "the handshake")),
                 qPrintable(lines.constLast()));
        closeDiscarding(s->main());
    }

    // Opening the dialog for the PW-100 puts the P1 and P2 short keys back
    // to their first entry; for the R5 they stay.
    void showingResetsShortKeysForTheFirstModel_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("expected");
        QTest::newRow("PW-100") << 0 << 0;
        QTest::newRow("R5") << 1 << 3;
    }

    void showingResetsShortKeysForTheFirstModel()
    {
        QFETCH(int, model);
        QFETCH(int, expected);
        auto s = start();
        s->workspace().setModelIndex(model);
        FunctionSettings &functions = s->workspace().functions();
        functions.setIndex(FunctionSettings::ShortKey0, 3);
        functions.setIndex(FunctionSettings::ShortKey1, 3);
        onNextModal([](QWidget *modal) { modal->close(); });
        s->main()->ToolButton4Click();
        QCOMPARE(functions.index(FunctionSettings::ShortKey0), expected);
        QCOMPARE(functions.index(FunctionSettings::ShortKey1), expected);
        closeDiscarding(s->main());
    }
};

QTEST_MAIN(TestRWForm)
#include "tst_trwform.moc"
