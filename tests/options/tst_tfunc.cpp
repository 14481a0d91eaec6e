#include "core/base/AppError.h"
#include "core/options/FunctionSettings.h"
#include "gui/Tfunc.h"
#include "gui/UpDownButtons.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

using FS = FunctionSettings;

namespace
{

// Whether the user can see any of the widget: it is shown and each parent up
// to the window leaves some of it inside its own area.
bool seenByUser(const QWidget *widget)
{
    if (!widget->isVisible())
        return false;
    QRect area = widget->rect();
    for (const QWidget *w = widget; !w->isWindow(); w = w->parentWidget()) {
        area = area.translated(w->pos()) & w->parentWidget()->rect();
        if (area.isEmpty())
            return false;
    }
    return true;
}

} // namespace

class tst_Tfunc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void windowFrame();
    void captions_data();
    void captions();
    void listsAreSeenExactlyWhenTheSettingIsVisible();
    void showsTheSettings();
    void modelChangesRefreshTheWidgets();

    void upDownArrowsMoveTheKeyTime();
    void wheelChangesOnlyAFocusedList();
    void sideKeyListsOfP3AreOutOfReach();
    void checkBoxClickChangesTheSetting();
    void shortPressRuleRunsOnTheUsersChoiceOnly();
    void longPressChoiceReachesTheSettings();
    void deactivationNormalisesTheKeyTimeText();
    void deactivationErrorIsShownInTheErrorBox();

private:
    template <typename T> T *control(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QComboBox *list(FS::List list) const
    {
        return m_window->findChild<QComboBox *>(FS::controlName(list));
    }

    std::unique_ptr<FunctionSettings> m_settings;
    std::unique_ptr<Tfunc> m_window;
};

void tst_Tfunc::initTestCase()
{
    QLocale::setDefault(QLocale::c());
}

void tst_Tfunc::init()
{
    m_settings = std::make_unique<FunctionSettings>();
    m_window = std::make_unique<Tfunc>(*m_settings);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_Tfunc::cleanup()
{
    m_window.reset();
    m_settings.reset();
}

void tst_Tfunc::windowFrame()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("功能选项"));
    QCOMPARE(m_window->size(), QSize(624, 420));
    QCOMPARE(m_window->font().pixelSize(), 11);

    auto *panel = control<QFrame>("Panel1");
    QCOMPARE(panel->geometry(), QRect(8, 8, 600, 370));
    auto *vox = control<QGroupBox>("GroupBox1");
    QCOMPARE(vox->title(), QStringLiteral("VOX"));
    QCOMPARE(vox->geometry(), QRect(16, 212, 225, 140));
    auto *sideKeys = control<QGroupBox>("GroupBox2");
    QCOMPARE(sideKeys->title(), QStringLiteral("侧键设定"));
    QCOMPARE(sideKeys->geometry(), QRect(352, 16, 233, 196));

    // A smaller window scrolls to the whole panel.
    m_window->resize(300, 200);
    auto *scroll = control<QScrollArea>("ScrollBox");
    QVERIFY(scroll->horizontalScrollBar()->maximum() > 0);
    QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
}

void tst_Tfunc::captions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("seen");

    QTest::newRow("Label1") << "APO" << true;
    QTest::newRow("Label2") << "静噪等级" << true;
    QTest::newRow("Label3") << "语音通知" << true;
    QTest::newRow("Label4") << "扫描恢复模式" << true;
    QTest::newRow("Label5") << "超时禁止发射" << true;
    QTest::newRow("Label6") << "VOX灵敏度" << true;
    QTest::newRow("Label7") << "VOX迟时" << true;
    QTest::newRow("Label8") << "P1长键" << true;
    QTest::newRow("Label9") << "P1短键" << false;
    QTest::newRow("Label10") << "长键时间(秒)" << true;
    QTest::newRow("Label11") << "频率步进" << false;
    QTest::newRow("Label12") << "P2长键" << true;
    QTest::newRow("Label13") << "P2短键" << false;
    QTest::newRow("Label14") << "P3长键" << false;
    QTest::newRow("Label15") << "P3短键" << false;
    QTest::newRow("Label16") << "音量等级" << true;
    QTest::newRow("CheckBox1") << "开机提示音" << true;
    QTest::newRow("CheckBox2") << "结束提示音" << true;
    QTest::newRow("CheckBox3") << "低电压提示音" << true;
    QTest::newRow("CheckBox4") << "接收禁止VOX" << true;
    QTest::newRow("CheckBox5") << "电池省电" << true;
}

void tst_Tfunc::captions()
{
    QFETCH(QString, caption);
    QFETCH(bool, seen);

    QWidget *widget = control<QWidget>(QTest::currentDataTag());
    const QVariant text = widget->property("text");
    QCOMPARE(text.toString(), caption);
    QCOMPARE(seenByUser(widget), seen);
}

void tst_Tfunc::listsAreSeenExactlyWhenTheSettingIsVisible()
{
    for (int i = 0; i < FS::ListCount; ++i) {
        const auto setting = FS::List(i);
        QComboBox *combo = list(setting);
        QVERIFY2(combo, qPrintable(FS::controlName(setting)));
        QVERIFY(!combo->isEditable());
        QVERIFY2(seenByUser(combo) == FS::isVisible(setting), qPrintable(FS::key(setting)));
    }
    QVERIFY(seenByUser(control<QLineEdit>("Edit1")));
    QVERIFY(seenByUser(control<UpDownButtons>("UpDown1")));
    QVERIFY(control<QLineEdit>("Edit1")->isReadOnly());
}

void tst_Tfunc::showsTheSettings()
{
    for (int i = 0; i < FS::ListCount; ++i) {
        const auto setting = FS::List(i);
        QComboBox *combo = list(setting);
        QCOMPARE(combo->count(), m_settings->items(setting).size());
        QCOMPARE(combo->currentIndex(), m_settings->index(setting));
        QCOMPARE(combo->currentText(), m_settings->currentText(setting));
        QCOMPARE(combo->isEnabled(), m_settings->isEnabled(setting));
    }
    for (int i = 0; i < FS::CheckCount; ++i) {
        const auto check = FS::Check(i);
        const auto *box = m_window->findChild<QCheckBox *>(FS::controlName(check));
        QCOMPARE(box->isChecked(), m_settings->isChecked(check));
    }
    QCOMPARE(control<QLineEdit>("Edit1")->text(), m_settings->keyTimeText());
}

void tst_Tfunc::modelChangesRefreshTheWidgets()
{
    m_settings->setIndex(FS::TOT, 6);
    QCOMPARE(list(FS::TOT)->currentIndex(), 6);

    // A language switch rebuilds a list; the window shows the new texts with
    // the same item selected.
    QStringList minutes = {QStringLiteral("OFF")};
    for (int n = 1; n <= 7; ++n)
        minutes << QStringLiteral("%1 min").arg(n);
    m_settings->setItems(FS::TOT, minutes);
    QCOMPARE(list(FS::TOT)->count(), 8);
    QCOMPARE(list(FS::TOT)->currentText(), QStringLiteral("6 min"));

    m_settings->setIndex(FS::APO, -1);
    QCOMPARE(list(FS::APO)->currentIndex(), -1);

    m_settings->setEnabled(FS::LongKey1, false);
    QVERIFY(!list(FS::LongKey1)->isEnabled());

    m_settings->setChecked(FS::TxOver, true);
    m_settings->setChecked(FS::VoxRX, false);
    QVERIFY(control<QCheckBox>("CheckBox2")->isChecked());
    QVERIFY(!control<QCheckBox>("CheckBox4")->isChecked());

    auto *edit = control<QLineEdit>("Edit1");
    m_settings->setKeyTime(20);
    QCOMPARE(edit->text(), QStringLiteral("2"));
    m_settings->setKeyTime(5);
    QCOMPARE(edit->text(), QStringLiteral("0.5"));

    m_settings->setIndex(FS::TOT, 2);
    m_settings->setChecked(FS::TxOver, false);
    m_settings->resetDefaults();
    QCOMPARE(list(FS::TOT)->currentIndex(), m_settings->index(FS::TOT));
    QCOMPARE(edit->text(), QStringLiteral("1.5"));
}

void tst_Tfunc::upDownArrowsMoveTheKeyTime()
{
    auto *upDown = control<UpDownButtons>("UpDown1");
    auto *edit = control<QLineEdit>("Edit1");

    QTest::mouseClick(upDown->upButton(), Qt::LeftButton);
    QCOMPARE(m_settings->keyTimePosition(), 16);
    QCOMPARE(edit->text(), QStringLiteral("1.6"));

    QTest::mouseClick(upDown->downButton(), Qt::LeftButton);
    QTest::mouseClick(upDown->downButton(), Qt::LeftButton);
    QCOMPARE(m_settings->keyTimePosition(), 14);
    QCOMPARE(edit->text(), QStringLiteral("1.4"));

    m_settings->setKeyTime(25);
    QTest::mouseClick(upDown->upButton(), Qt::LeftButton);
    QCOMPARE(m_settings->keyTimePosition(), 25);
    QCOMPARE(edit->text(), QStringLiteral("2.5"));

    // A file's 3 s is held at 2.5 s: an arrow at the limit shows what the
    // radio gets.
    m_settings->setKeyTimeText(QStringLiteral("3"));
    QCOMPARE(edit->text(), QStringLiteral("3"));
    QTest::mouseClick(upDown->upButton(), Qt::LeftButton);
    QCOMPARE(m_settings->keyTimePosition(), 25);
    QCOMPARE(edit->text(), QStringLiteral("2.5"));
}

// The wheel over a list that has no focus changes nothing and goes on to the
// window, which scrolls; once the user has given a list the focus, the wheel
// chooses in it.
void tst_Tfunc::wheelChangesOnlyAFocusedList()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    control<QCheckBox>("CheckBox1")->setFocus(Qt::TabFocusReason);
    for (const FS::List setting : {FS::TOT, FS::VoxDelay, FS::LongKey0}) {
        QComboBox *combo = list(setting);
        const int before = m_settings->index(setting);
        TestSupport::turnWheel(combo, combo->rect().center(), -1);
        TestSupport::turnWheel(combo, combo->rect().center(), -1);
        QCOMPARE(m_settings->index(setting), before);
        QCOMPARE(combo->currentIndex(), before);
        QVERIFY(!combo->hasFocus());
    }

    QComboBox *timeOut = list(FS::TOT);
    m_window->resize(300, 150);
    QApplication::processEvents();
    QScrollBar *scroll = control<QScrollArea>("ScrollBox")->verticalScrollBar();
    QCOMPARE(scroll->value(), 0);
    TestSupport::turnWheel(timeOut, timeOut->rect().center(), -1);
    QVERIFY(scroll->value() > 0);
    QCOMPARE(m_settings->index(FS::TOT), 3);

    timeOut->setFocus(Qt::TabFocusReason);
    TestSupport::turnWheel(timeOut, timeOut->rect().center(), -1);
    QCOMPARE(m_settings->index(FS::TOT), 4);
}

// The P3 lists are not for the user: Tab never reaches them, so no key
// changes them behind the user's back, and it stops only where the user
// sees the focus.
void tst_Tfunc::sideKeyListsOfP3AreOutOfReach()
{
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    list(FS::LongKey1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(m_settings->index(FS::LongKey2), 1);
    QCOMPARE(m_settings->index(FS::ShortKey2), 5);

    // Every stop of the Tab cycle is a control the user sees.
    QStringList reached;
    for (int press = 0; press < 40; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        reached << focused->objectName();
        QVERIFY2(seenByUser(focused) && !qobject_cast<QScrollArea *>(focused),
                 qPrintable(reached.join(' ')));
    }
    QVERIFY(reached.contains(FS::controlName(FS::LongKey1)));
    QVERIFY2(!reached.contains(FS::controlName(FS::LongKey2)), qPrintable(reached.join(' ')));
    QVERIFY2(!reached.contains(FS::controlName(FS::ShortKey2)), qPrintable(reached.join(' ')));
}

void tst_Tfunc::checkBoxClickChangesTheSetting()
{
    auto *box = control<QCheckBox>("CheckBox2");
    QVERIFY(!m_settings->isChecked(FS::TxOver));
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(m_settings->isChecked(FS::TxOver));
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!m_settings->isChecked(FS::TxOver));

    // The box inside the VOX group reaches its own setting.
    QTest::mouseClick(control<QCheckBox>("CheckBox4"), Qt::LeftButton);
    QVERIFY(!m_settings->isChecked(FS::VoxRX));
    QVERIFY(m_settings->isChecked(FS::OpenBeep));
}

void tst_Tfunc::shortPressRuleRunsOnTheUsersChoiceOnly()
{
    // The P1 short-press list is hidden and disabled in the program; open it
    // up so that a user can choose in it.
    QComboBox *shortList = list(FS::ShortKey0);
    QComboBox *longList = list(FS::LongKey0);
    m_settings->setEnabled(FS::ShortKey0, true);
    shortList->show();
    QVERIFY(shortList->isEnabled());

    QTest::keyClick(shortList, Qt::Key_Home);
    QTest::keyClick(shortList, Qt::Key_Down);
    QCOMPARE(m_settings->index(FS::ShortKey0), 1);
    QVERIFY(!longList->isEnabled());
    QVERIFY(list(FS::LongKey1)->isEnabled());

    QTest::keyClick(shortList, Qt::Key_Down);
    QCOMPARE(m_settings->index(FS::ShortKey0), 2);
    QVERIFY(longList->isEnabled());

    // Loaded from a file: the list shows item 1, the long-press list stays.
    m_settings->setIndex(FS::ShortKey0, 1);
    QCOMPARE(shortList->currentIndex(), 1);
    QVERIFY(longList->isEnabled());
}

void tst_Tfunc::longPressChoiceReachesTheSettings()
{
    QComboBox *longList = list(FS::LongKey1);
    QTest::keyClick(longList, Qt::Key_End);
    QCOMPARE(m_settings->index(FS::LongKey1), m_settings->items(FS::LongKey1).size() - 1);
    QTest::keyClick(longList, Qt::Key_Home);
    QTest::keyClick(longList, Qt::Key_Down);
    QCOMPARE(m_settings->index(FS::LongKey1), 1);
    // Item 1 of a long-press list governs nothing.
    QVERIFY(longList->isEnabled());
    QVERIFY(list(FS::LongKey0)->isEnabled());
}

void tst_Tfunc::deactivationNormalisesTheKeyTimeText()
{
    auto *edit = control<QLineEdit>("Edit1");
    m_settings->setKeyTimeText(QStringLiteral("2.0"));
    m_window->FormDeactivate();
    QCOMPARE(edit->text(), QStringLiteral("2"));
    QCOMPARE(m_settings->keyTimeText(), QStringLiteral("2"));

    m_settings->setKeyTimeText(QStringLiteral("0.3"));
    m_window->FormDeactivate();
    QCOMPARE(edit->text(), QStringLiteral("0.5"));
    QCOMPARE(m_settings->keyTimePosition(), 5);
}

void tst_Tfunc::deactivationErrorIsShownInTheErrorBox()
{
    m_settings->setKeyTime(18);
    QVERIFY_THROWS_EXCEPTION(AppError, m_settings->setKeyTimeText(QStringLiteral("x")));
    QCOMPARE(control<QLineEdit>("Edit1")->text(), QStringLiteral("x"));

    QStringList shown;
    QTimer closer;
    connect(&closer, &QTimer::timeout, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(10);
    m_window->FormDeactivate();
    closer.stop();

    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("'x'")), qPrintable(shown.first()));
    QCOMPARE(m_settings->keyTimePosition(), 18);
}

QTEST_MAIN(tst_Tfunc)
#include "tst_tfunc.moc"
