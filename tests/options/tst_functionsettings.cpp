#include "core/base/AppError.h"
#include "core/options/FunctionSettings.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

using FS = FunctionSettings;

Q_DECLARE_METATYPE(FunctionSettings::List)
Q_DECLARE_METATYPE(FunctionSettings::Check)

class tst_FunctionSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void listDefaults_data();
    void listDefaults();
    void checkDefaults_data();
    void checkDefaults();
    void keyTimeDefault();
    void resetDefaultsUndoesEveryChange();

    void setIndexOutsideTheListSelectsNothing();
    void setItemsKeepsTheIndexWhileItFits();

    void shortPressRule_data();
    void shortPressRule();
    void setIndexNeverAppliesTheShortPressRule();

    void stepKeyTime_data();
    void stepKeyTime();
    void setKeyTimeText_data();
    void setKeyTimeText();
    void nonNumberTextThrowsAndKeepsThePosition();
    void normaliseKeyTimeText_data();
    void normaliseKeyTimeText();
    void normaliseRejectsANonNumber();
    void setKeyTimeHoldsThePositionToRange();

    void changedIsEmittedOnlyForRealChanges();
};

void tst_FunctionSettings::initTestCase()
{
    // The long-press texts use the system's decimal separator; pin it.
    QLocale::setDefault(QLocale::c());
}

void tst_FunctionSettings::listDefaults_data()
{
    QTest::addColumn<FS::List>("list");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("APO") << FS::APO << "ComboBox1" << 0 << "OFF" << 16 << true;
    QTest::newRow("Squelch") << FS::Squelch << "ComboBox2" << 2 << "2" << 10 << true;
    QTest::newRow("beep") << FS::Beep << "ComboBox3" << 1 << "中文男声" << 3 << true;
    QTest::newRow("scankind") << FS::ScanKind << "ComboBox4" << 1 << "TO" << 2 << true;
    QTest::newRow("TOT") << FS::TOT << "ComboBox5" << 3 << "3分钟" << 8 << true;
    QTest::newRow("Step") << FS::Step << "ComboBox10" << 4 << "25KHz" << 5 << true;
    QTest::newRow("VoxSQL") << FS::VoxSQL << "ComboBox6" << 2 << "3" << 8 << true;
    QTest::newRow("VoxDelay") << FS::VoxDelay << "ComboBox7" << 2 << "3S" << 4 << true;
    QTest::newRow("Long Key0") << FS::LongKey0 << "ComboBox8" << 1 << "暂态静噪" << 8 << true;
    QTest::newRow("Short Key0") << FS::ShortKey0 << "ComboBox9" << 5 << "SCAN" << 8 << false;
    QTest::newRow("Long Key1") << FS::LongKey1 << "ComboBox11" << 1 << "暂态静噪" << 8 << true;
    QTest::newRow("Short Key1") << FS::ShortKey1 << "ComboBox12" << 5 << "SCAN" << 8 << false;
    QTest::newRow("Long Key2") << FS::LongKey2 << "ComboBox13" << 1 << "暂态静噪" << 8 << true;
    QTest::newRow("Short Key2") << FS::ShortKey2 << "ComboBox14" << 5 << "SCAN" << 8 << true;
    QTest::newRow("volue leve") << FS::Volume << "ComboBox15" << 8 << "9" << 10 << true;
}

void tst_FunctionSettings::listDefaults()
{
    QFETCH(FS::List, list);
    QFETCH(QString, control);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, itemCount);
    QFETCH(bool, enabled);

    const FunctionSettings settings;
    QCOMPARE(FS::key(list), QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(FS::controlName(list), control);
    QCOMPARE(settings.index(list), index);
    QCOMPARE(settings.currentText(list), text);
    QCOMPARE(settings.items(list).size(), itemCount);
    QCOMPARE(settings.isEnabled(list), enabled);
}

void tst_FunctionSettings::checkDefaults_data()
{
    QTest::addColumn<FS::Check>("check");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("checked");

    QTest::newRow("Open Beep") << FS::OpenBeep << "CheckBox1" << true;
    QTest::newRow("TX Over") << FS::TxOver << "CheckBox2" << false;
    QTest::newRow("Bat Beep") << FS::BatBeep << "CheckBox3" << true;
    QTest::newRow("Save") << FS::Save << "CheckBox5" << true;
    QTest::newRow("VoxRX") << FS::VoxRX << "CheckBox4" << true;
}

void tst_FunctionSettings::checkDefaults()
{
    QFETCH(FS::Check, check);
    QFETCH(QString, control);
    QFETCH(bool, checked);

    const FunctionSettings settings;
    QCOMPARE(FS::key(check), QString::fromLatin1(QTest::currentDataTag()));
    QCOMPARE(FS::controlName(check), control);
    QCOMPARE(settings.isChecked(check), checked);
}

void tst_FunctionSettings::keyTimeDefault()
{
    const FunctionSettings settings;
    QCOMPARE(settings.keyTimePosition(), 15);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("1.5"));
}

void tst_FunctionSettings::resetDefaultsUndoesEveryChange()
{
    const FunctionSettings pristine;
    FunctionSettings settings;
    for (int list = 0; list < FS::ListCount; ++list) {
        settings.setIndex(FS::List(list), 0);
        settings.setEnabled(FS::List(list), !pristine.isEnabled(FS::List(list)));
    }
    for (int check = 0; check < FS::CheckCount; ++check)
        settings.setChecked(FS::Check(check), !pristine.isChecked(FS::Check(check)));
    settings.setKeyTime(22);
    // A language switch may have rebuilt a list; New keeps its texts.
    const QStringList english = {QStringLiteral("OFF"), QStringLiteral("Male CN"),
                                 QStringLiteral("Male EN")};
    settings.setItems(FS::Beep, english);

    settings.resetDefaults();

    for (int list = 0; list < FS::ListCount; ++list) {
        const auto setting = FS::List(list);
        QCOMPARE(settings.index(setting), pristine.index(setting));
        QCOMPARE(settings.isEnabled(setting), pristine.isEnabled(setting));
    }
    for (int check = 0; check < FS::CheckCount; ++check)
        QCOMPARE(settings.isChecked(FS::Check(check)), pristine.isChecked(FS::Check(check)));
    QCOMPARE(settings.keyTimePosition(), 15);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("1.5"));
    QCOMPARE(settings.items(FS::Beep), english);
}

void tst_FunctionSettings::setIndexOutsideTheListSelectsNothing()
{
    FunctionSettings settings;
    settings.setIndex(FS::ScanKind, 2); // two items
    QCOMPARE(settings.index(FS::ScanKind), -1);
    QCOMPARE(settings.currentText(FS::ScanKind), QString());
    settings.setIndex(FS::ScanKind, 0);
    settings.setIndex(FS::ScanKind, -5);
    QCOMPARE(settings.index(FS::ScanKind), -1);
}

void tst_FunctionSettings::setItemsKeepsTheIndexWhileItFits()
{
    FunctionSettings settings;
    settings.setIndex(FS::LongKey2, 1);
    settings.setItems(FS::LongKey2, {QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(settings.index(FS::LongKey2), 1);
    QCOMPARE(settings.currentText(FS::LongKey2), QStringLiteral("B"));

    settings.setIndex(FS::LongKey0, 5);
    settings.setItems(FS::LongKey0, {QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(settings.index(FS::LongKey0), -1);
}

void tst_FunctionSettings::shortPressRule_data()
{
    QTest::addColumn<FS::List>("shortList");
    QTest::addColumn<FS::List>("longList");

    QTest::newRow("P1") << FS::ShortKey0 << FS::LongKey0;
    QTest::newRow("P2") << FS::ShortKey1 << FS::LongKey1;
}

void tst_FunctionSettings::shortPressRule()
{
    QFETCH(FS::List, shortList);
    QFETCH(FS::List, longList);

    FunctionSettings settings;
    settings.chooseIndex(shortList, 1);
    QVERIFY(!settings.isEnabled(longList));
    QCOMPARE(settings.index(shortList), 1);
    // The other key's long-press list is not the one governed.
    const FS::List otherLong = longList == FS::LongKey0 ? FS::LongKey1 : FS::LongKey0;
    QVERIFY(settings.isEnabled(otherLong));

    settings.chooseIndex(shortList, 3);
    QVERIFY(settings.isEnabled(longList));

    // P3 has no rule; neither does a long-press list of its own.
    settings.chooseIndex(FS::ShortKey2, 1);
    QVERIFY(settings.isEnabled(FS::LongKey2));
    settings.chooseIndex(longList, 1);
    QVERIFY(settings.isEnabled(longList));
}

void tst_FunctionSettings::setIndexNeverAppliesTheShortPressRule()
{
    FunctionSettings settings;
    settings.setIndex(FS::ShortKey0, 1); // as a channel file loads it
    QCOMPARE(settings.index(FS::ShortKey0), 1);
    QVERIFY(settings.isEnabled(FS::LongKey0));

    settings.chooseIndex(FS::ShortKey1, 1);
    settings.setIndex(FS::ShortKey1, 4);
    QVERIFY(!settings.isEnabled(FS::LongKey1));
}

void tst_FunctionSettings::stepKeyTime_data()
{
    QTest::addColumn<QString>("start"); // the text as a file or the radio sets it
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("text");

    QTest::newRow("up to a whole second") << "1.90" << +1 << 20 << "2";
    QTest::newRow("down to the minimum") << "0.60" << -1 << 5 << "0.5";
    QTest::newRow("down to one second") << "1.10" << -1 << 10 << "1";
    QTest::newRow("up from 1.5") << "1.5" << +1 << 16 << "1.6";
    // At a limit the position stays, and the text shows what the radio gets.
    QTest::newRow("up at the maximum") << "2.50" << +1 << 25 << "2.5";
    QTest::newRow("down at the minimum") << "0.50" << -1 << 5 << "0.5";
    QTest::newRow("up from a time above the range") << "3" << +1 << 25 << "2.5";
    QTest::newRow("down from a time above the range") << "3" << -1 << 24 << "2.4";
    QTest::newRow("down from a time below the range") << "0.3" << -1 << 5 << "0.5";
    QTest::newRow("up at the maximum, shown so") << "2.5" << +1 << 25 << "2.5";
}

void tst_FunctionSettings::stepKeyTime()
{
    QFETCH(QString, start);
    QFETCH(int, delta);
    QFETCH(int, position);
    QFETCH(QString, text);

    FunctionSettings settings;
    settings.setKeyTimeText(start);
    QSignalSpy spy(&settings, &FunctionSettings::changed);

    settings.stepKeyTime(delta);
    QCOMPARE(settings.keyTimePosition(), position);
    QCOMPARE(settings.keyTimeText(), text);
    QCOMPARE(settings.keyTimeSeconds(), text);
    QCOMPARE(spy.count(), text == start ? 0 : 1);
}

void tst_FunctionSettings::setKeyTimeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");

    QTest::newRow("1.5") << "1.5" << 15;
    QTest::newRow("2.3") << "2.3" << 23;
    QTest::newRow("truncated, not rounded") << "1.99" << 19;
    QTest::newRow("whole seconds") << "2" << 20;
    QTest::newRow("above the range") << "3" << 25;
    QTest::newRow("below the range") << "0.2" << 5;
}

void tst_FunctionSettings::setKeyTimeText()
{
    QFETCH(QString, text);
    QFETCH(int, position);

    FunctionSettings settings;
    settings.setKeyTimeText(text);
    QCOMPARE(settings.keyTimePosition(), position);
    QCOMPARE(settings.keyTimeText(), text);
}

void tst_FunctionSettings::nonNumberTextThrowsAndKeepsThePosition()
{
    FunctionSettings settings;
    settings.setKeyTime(22);
    QSignalSpy spy(&settings, &FunctionSettings::changed);

    QVERIFY_THROWS_EXCEPTION(AppError, settings.setKeyTimeText(QStringLiteral("abc")));
    QCOMPARE(settings.keyTimePosition(), 22);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("abc"));
    QCOMPARE(spy.count(), 1); // the window shows the text that was set

    try {
        settings.setKeyTimeText(QStringLiteral("1..5"));
        QFAIL("no error for a text that is no number");
    } catch (const AppError &error) {
        QVERIFY(error.message().contains(QStringLiteral("'1..5'")));
    }
}

void tst_FunctionSettings::normaliseKeyTimeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<int>("position");

    QTest::newRow("below the minimum") << "0.3"
                                       << "0.5" << 5;
    QTest::newRow("trailing zero") << "2.50"
                                   << "2.5" << 25;
    QTest::newRow("whole second") << "1"
                                  << "1" << 10;
    QTest::newRow("one decimal") << "1.0"
                                 << "1" << 10;
    QTest::newRow("more than a tenth") << "1.57"
                                       << "1.57" << 15;
    QTest::newRow("above the range") << "3.0"
                                     << "3" << 25;
}

void tst_FunctionSettings::normaliseKeyTimeText()
{
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    QFETCH(int, position);

    FunctionSettings settings;
    try {
        settings.setKeyTimeText(text);
    } catch (const AppError &) {
        QFAIL("the text is a number");
    }
    // A stale position (no row expects 12) shows that normalising moves it.
    settings.setKeyTimePosition(12);
    settings.normaliseKeyTimeText();
    QCOMPARE(settings.keyTimeText(), normalised);
    QCOMPARE(settings.keyTimePosition(), position);
}

void tst_FunctionSettings::normaliseRejectsANonNumber()
{
    FunctionSettings settings;
    settings.setKeyTime(18);
    QVERIFY_THROWS_EXCEPTION(AppError, settings.setKeyTimeText(QString()));
    QVERIFY_THROWS_EXCEPTION(AppError, settings.normaliseKeyTimeText());
    QCOMPARE(settings.keyTimeText(), QString());
    QCOMPARE(settings.keyTimePosition(), 18);
}

void tst_FunctionSettings::setKeyTimeHoldsThePositionToRange()
{
    FunctionSettings settings;
    settings.setKeyTime(40);
    QCOMPARE(settings.keyTimePosition(), 25);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("2.5"));
    settings.setKeyTime(0);
    QCOMPARE(settings.keyTimePosition(), 5);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("0.5"));

    // Moving the position alone leaves the text as it is.
    settings.setKeyTimePosition(30);
    QCOMPARE(settings.keyTimePosition(), 25);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("0.5"));
}

void tst_FunctionSettings::changedIsEmittedOnlyForRealChanges()
{
    FunctionSettings settings;
    QSignalSpy spy(&settings, &FunctionSettings::changed);

    settings.setIndex(FS::APO, 0); // already selected
    settings.setChecked(FS::OpenBeep, true);
    settings.setKeyTime(15);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(settings.keyTimeText(), QStringLiteral("1.5"));

    spy.clear();
    settings.setIndex(FS::APO, 12);
    settings.setChecked(FS::TxOver, true);
    settings.setItemText(FS::APO, 0, QStringLiteral("Off"));
    settings.setEnabled(FS::ShortKey0, true);
    settings.setKeyTimeText(QStringLiteral("2"));
    QCOMPARE(spy.count(), 5);
    QCOMPARE(settings.items(FS::APO).first(), QStringLiteral("Off"));
}

QTEST_GUILESS_MAIN(tst_FunctionSettings)
#include "tst_functionsettings.moc"
