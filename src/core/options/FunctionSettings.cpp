#include "core/options/FunctionSettings.h"

#include "core/base/AppError.h"
#include "core/base/LocaleNumber.h"

#include <algorithm>
#include <cmath>

namespace
{

// The fixed facts of each list setting, in the order of FunctionSettings::List.
struct ListFacts {
    const char *key;
    const char *control;
    bool visible;
    int defaultIndex;
    bool enabledByDefault;
};

constexpr ListFacts kListFacts[] = {
    {"APO", "ComboBox1", true, 0, true},         {"Squelch", "ComboBox2", true, 2, true},
    {"beep", "ComboBox3", true, 1, true},        {"scankind", "ComboBox4", true, 1, true},
    {"TOT", "ComboBox5", true, 3, true},         {"Step", "ComboBox10", false, 4, true},
    {"VoxSQL", "ComboBox6", true, 2, true},      {"VoxDelay", "ComboBox7", true, 2, true},
    {"Long Key0", "ComboBox8", true, 1, true},   {"Short Key0", "ComboBox9", false, 5, false},
    {"Long Key1", "ComboBox11", true, 1, true},  {"Short Key1", "ComboBox12", false, 5, false},
    {"Long Key2", "ComboBox13", false, 1, true}, {"Short Key2", "ComboBox14", false, 5, true},
    {"volue leve", "ComboBox15", true, 8, true},
};
static_assert(std::size(kListFacts) == FunctionSettings::ListCount);

struct CheckFacts {
    const char *key;
    const char *control;
    bool checkedByDefault;
};

constexpr CheckFacts kCheckFacts[] = {
    {"Open Beep", "CheckBox1", true}, {"TX Over", "CheckBox2", false},
    {"Bat Beep", "CheckBox3", true},  {"Save", "CheckBox5", true},
    {"VoxRX", "CheckBox4", true},
};
static_assert(std::size(kCheckFacts) == FunctionSettings::CheckCount);

// "first" to "last" as decimal texts, after the given leading items.
QStringList numbered(int first, int last, QStringList leading = {}, const QString &suffix = {})
{
    for (int n = first; n <= last; ++n)
        leading << QString::number(n) + suffix;
    return leading;
}

QStringList sideKeyItems(const QString &momentarySquelch)
{
    return {QStringLiteral("关"),   momentarySquelch,           QStringLiteral("静噪"),
            QStringLiteral("监听"), QStringLiteral("宽\\窄带"), QStringLiteral("SCAN"),
            QStringLiteral("VOX"),  QStringLiteral("高低功率")};
}

// The built-in item texts of each list.
QStringList builtInItems(FunctionSettings::List list)
{
    const QStringList longKey = sideKeyItems(QStringLiteral("暂态静噪"));
    const QStringList shortKey = sideKeyItems(QStringLiteral("暂态静噪(无长键)"));
    switch (list) {
    case FunctionSettings::APO:
        return numbered(1, 15, {QStringLiteral("OFF")});
    case FunctionSettings::Squelch:
        return numbered(0, 9);
    case FunctionSettings::Beep:
        return {QStringLiteral("OFF"), QStringLiteral("中文男声"), QStringLiteral("英文男声")};
    case FunctionSettings::ScanKind:
        return {QStringLiteral("CO"), QStringLiteral("TO")};
    case FunctionSettings::TOT:
        return numbered(1, 7, {QStringLiteral("禁止")}, QStringLiteral("分钟"));
    case FunctionSettings::Step:
        return {QStringLiteral("5KHz"), QStringLiteral("6.25KHz"), QStringLiteral("10KHz"),
                QStringLiteral("12.5KHz"), QStringLiteral("25KHz")};
    case FunctionSettings::VoxSQL:
        return numbered(1, 8);
    case FunctionSettings::VoxDelay:
        return numbered(1, 4, {}, QStringLiteral("S"));
    case FunctionSettings::LongKey0:
    case FunctionSettings::LongKey1:
    case FunctionSettings::LongKey2:
        return longKey;
    case FunctionSettings::ShortKey0:
    case FunctionSettings::ShortKey1:
    case FunctionSettings::ShortKey2:
        return shortKey;
    case FunctionSettings::Volume:
        return numbered(1, 10);
    case FunctionSettings::ListCount:
        break;
    }
    return {};
}

// The long-press list that a short-press choice governs; ListCount for none.
FunctionSettings::List governedLongKey(FunctionSettings::List list)
{
    switch (list) {
    case FunctionSettings::ShortKey0:
        return FunctionSettings::LongKey0;
    case FunctionSettings::ShortKey1:
        return FunctionSettings::LongKey1;
    default:
        return FunctionSettings::ListCount;
    }
}

// The short-press item "momentary squelch off, no long-press function".
constexpr int kNoLongPressItem = 1;

// Seconds as a position in tenths, truncated and held to the up-down range.
// The small allowance keeps a product that binary rounding leaves just below
// a whole tenth at that tenth.
int positionForSeconds(double seconds, const QString &text)
{
    if (std::isnan(seconds))
        throw AppError::invalidFloat(text);
    const double tenths = std::trunc(seconds * 10 + 1e-9);
    return static_cast<int>(std::clamp(tenths, double(FunctionSettings::KeyTimeMinimum),
                                       double(FunctionSettings::KeyTimeMaximum)));
}

QString secondsText(int position)
{
    return LocaleNumber::shortest(position / 10.0);
}

int heldToRange(int position)
{
    return std::clamp(position, int(FunctionSettings::KeyTimeMinimum),
                      int(FunctionSettings::KeyTimeMaximum));
}

} // namespace

FunctionSettings::FunctionSettings(QObject *parent) : QObject(parent)
{
    for (int list = 0; list < ListCount; ++list)
        m_lists[list].items = builtInItems(List(list));
    applyDefaults();
}

QString FunctionSettings::key(List list)
{
    return QString::fromLatin1(kListFacts[list].key);
}

QString FunctionSettings::key(Check check)
{
    return QString::fromLatin1(kCheckFacts[check].key);
}

QString FunctionSettings::keyTimeKey()
{
    return QStringLiteral("Key Time");
}

QString FunctionSettings::controlName(List list)
{
    return QString::fromLatin1(kListFacts[list].control);
}

QString FunctionSettings::controlName(Check check)
{
    return QString::fromLatin1(kCheckFacts[check].control);
}

bool FunctionSettings::isVisible(List list)
{
    return kListFacts[list].visible;
}

const QStringList &FunctionSettings::items(List list) const
{
    return m_lists[list].items;
}

int FunctionSettings::index(List list) const
{
    return m_lists[list].index;
}

QString FunctionSettings::currentText(List list) const
{
    const ListState &state = m_lists[list];
    return state.items.value(state.index);
}

void FunctionSettings::setIndex(List list, int index)
{
    ListState &state = m_lists[list];
    const int selected = index >= 0 && index < valueCount(list) ? index : -1;
    if (state.index == selected)
        return;
    state.index = selected;
    Q_EMIT changed();
}

void FunctionSettings::chooseIndex(List list, int index)
{
    setIndex(list, index);
    const List longKey = governedLongKey(list);
    if (longKey != ListCount)
        setEnabled(longKey, m_lists[list].index != kNoLongPressItem);
}

void FunctionSettings::setItems(List list, const QStringList &items)
{
    ListState &state = m_lists[list];
    if (state.items == items)
        return;
    state.items = items;
    if (state.index >= valueCount(list))
        state.index = -1;
    Q_EMIT changed();
}

void FunctionSettings::setItemText(List list, int item, const QString &text)
{
    QStringList &items = m_lists[list].items;
    if (item < 0 || item >= items.size() || items.at(item) == text)
        return;
    items[item] = text;
    Q_EMIT changed();
}

int FunctionSettings::valueCount(List list) const
{
    // The P3 long-press value is a side-key function like P1's and P2's, also
    // while a language shows that list with fewer items: the value the radio
    // and the channel files carry is kept, the list then shows no item.
    const int items = int(m_lists[list].items.size());
    return list == LongKey2 ? qMax(items, int(builtInItems(LongKey0).size())) : items;
}

bool FunctionSettings::isEnabled(List list) const
{
    return m_lists[list].enabled;
}

void FunctionSettings::setEnabled(List list, bool enabled)
{
    if (m_lists[list].enabled == enabled)
        return;
    m_lists[list].enabled = enabled;
    Q_EMIT changed();
}

bool FunctionSettings::isChecked(Check check) const
{
    return m_checks[check];
}

void FunctionSettings::setChecked(Check check, bool checked)
{
    if (m_checks[check] == checked)
        return;
    m_checks[check] = checked;
    Q_EMIT changed();
}

QString FunctionSettings::keyTimeSeconds() const
{
    return secondsText(m_keyTimePosition);
}

void FunctionSettings::setKeyTimePosition(int position)
{
    const int held = heldToRange(position);
    if (held == m_keyTimePosition)
        return;
    m_keyTimePosition = held;
    Q_EMIT changed();
}

void FunctionSettings::setKeyTimeText(const QString &text)
{
    const bool textChanged = text != m_keyTimeText;
    m_keyTimeText = text;
    int position = m_keyTimePosition;
    try {
        position = positionForSeconds(LocaleNumber::parseDecimal(text), text);
    } catch (const AppError &) {
        // The text stays as set, as a text box keeps what was put into it.
        if (textChanged)
            Q_EMIT changed();
        throw;
    }
    assignKeyTime(position, text, textChanged);
}

void FunctionSettings::setKeyTime(int position)
{
    const int held = heldToRange(position);
    assignKeyTime(held, secondsText(held), false);
}

void FunctionSettings::stepKeyTime(int delta)
{
    // The text is rewritten from the position also at a limit, so that it
    // never shows a time the radio will not get.
    const int moved = heldToRange(m_keyTimePosition + delta);
    assignKeyTime(moved, secondsText(moved), false);
}

void FunctionSettings::normaliseKeyTimeText()
{
    const double minimumSeconds = KeyTimeMinimum / 10.0;
    double seconds = LocaleNumber::parseDecimal(m_keyTimeText);
    if (std::isnan(seconds))
        throw AppError::invalidFloat(m_keyTimeText);
    if (seconds < minimumSeconds)
        seconds = minimumSeconds;
    const QString text = LocaleNumber::shortest(seconds);
    assignKeyTime(positionForSeconds(seconds, text), text, false);
}

void FunctionSettings::resetDefaults()
{
    applyDefaults();
    Q_EMIT changed();
}

void FunctionSettings::applyDefaults()
{
    for (int list = 0; list < ListCount; ++list) {
        ListState &state = m_lists[list];
        const int index = kListFacts[list].defaultIndex;
        state.index = index < state.items.size() ? index : -1;
        state.enabled = kListFacts[list].enabledByDefault;
    }
    for (int check = 0; check < CheckCount; ++check)
        m_checks[check] = kCheckFacts[check].checkedByDefault;
    // The long-press time as the main window sets it at start-up and New does:
    // the position, and the seconds with one decimal.
    m_keyTimePosition = KeyTimeDefault;
    m_keyTimeText = LocaleNumber::fixed(KeyTimeDefault / 10.0, 1);
}

FunctionSettings::State FunctionSettings::state() const
{
    State s;
    for (int list = 0; list < ListCount; ++list) {
        s.indices[list] = m_lists[list].index;
        s.enabled[list] = m_lists[list].enabled;
    }
    s.checks = m_checks;
    s.keyTimePosition = m_keyTimePosition;
    s.keyTimeText = m_keyTimeText;
    return s;
}

void FunctionSettings::setState(const State &s)
{
    if (s == state())
        return;
    for (int list = 0; list < ListCount; ++list) {
        m_lists[list].index = s.indices[list];
        m_lists[list].enabled = s.enabled[list];
    }
    m_checks = s.checks;
    m_keyTimePosition = s.keyTimePosition;
    m_keyTimeText = s.keyTimeText;
    Q_EMIT changed();
}

void FunctionSettings::assignKeyTime(int position, const QString &text, bool alreadyChanged)
{
    const bool different = position != m_keyTimePosition || text != m_keyTimeText;
    m_keyTimePosition = position;
    m_keyTimeText = text;
    if (different || alreadyChanged)
        Q_EMIT changed();
}
