#include "core/radio/ToneCodes.h"

#include "core/channels/ToneList.h"

namespace
{

// Kind bytes of a receive code; a transmit kind is the receive kind plus 4.
constexpr int kNoneKind = 0xF0;
constexpr int kCtcssKind = 0xF1;
constexpr int kDcsNormalKind = 0xF2;
constexpr int kDcsInvertedKind = 0xFA;
constexpr int kTransmitOffset = 4;

// Where each kind's entries start in the tone list: a CTCSS tone of index i
// stands at position i, a normal DCS code at i + 51, an inverted one at
// i + 158.
constexpr int kCtcssBase = 0;
constexpr int kDcsNormalBase = ToneList::CtcssCount;
constexpr int kDcsInvertedBase = ToneList::CtcssCount + ToneList::DcsCount;

QString indexText(int index)
{
    return QString::asprintf("%02X", index);
}

bool isBlankOrControl(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

QString trimmedBlanksAndControls(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text.at(begin)))
        ++begin;
    while (end > begin && isBlankOrControl(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The decimal number a text spells, or -1 when it is none.
int decimalKey(const QString &digits)
{
    bool ok = false;
    const int value = digits.toInt(&ok, 10);
    return ok ? value : -1;
}

// The code of a trimmed text that is not "none": the index found through the
// CTCSS or DCS lookup, followed by the kind byte.
QString toneCode(const QString &text, int kindOffset)
{
    const QChar last = text.back();
    QString index;
    int kind = kCtcssKind;
    if (last == QLatin1Char('I') || last == QLatin1Char('N')) {
        index = ToneCodes::CAL_dcs(decimalKey(text.mid(1, 3)));
        kind = last == QLatin1Char('I') ? kDcsInvertedKind : kDcsNormalKind;
    } else {
        // The whole-hertz part: three digits for "100.0" and up, two below.
        index = ToneCodes::CAL_ctc(decimalKey(text.left(text.size() == 5 ? 3 : 2)));
    }
    if (index.isEmpty())
        return {};
    return index + QString::asprintf("%02X", kind + kindOffset);
}

QString writeCode(const QString &toneText, const QString &offWord, int kindOffset)
{
    const QString text = trimmedBlanksAndControls(toneText);
    if (text.isEmpty() || text == offWord)
        return QString::asprintf("%02X%02X", 0xFF, kNoneKind + kindOffset);
    // Only entries of the tone list have a code: the lookups alone would also
    // take "67.5" for "67.0", writing a tone other than the one shown.
    if (ToneList::entries(offWord).indexOf(text) < 1)
        return {};
    return toneCode(text, kindOffset);
}

// The value of the hex digit at a position, or -1 when there is none.
int hexDigitAt(const QString &text, int position)
{
    bool ok = false;
    const int value = text.mid(position, 1).toInt(&ok, 16);
    return ok ? value : -1;
}

} // namespace

namespace ToneCodes
{

QString CAL_ctc(int wholeHertz)
{
    const QStringList &tones = ToneList::ctcssTones();
    for (int i = 0; i < tones.size(); ++i) {
        if (decimalKey(tones.at(i).section(QLatin1Char('.'), 0, 0)) == wholeHertz)
            return indexText(i + 1);
    }
    return {};
}

QString CAL_dcs(int code)
{
    const QStringList &codes = ToneList::dcsCodes();
    for (int i = 0; i < codes.size(); ++i) {
        if (decimalKey(codes.at(i)) == code)
            return indexText(i + 1);
    }
    return {};
}

QString writeRxcode(const QString &toneText, const QString &offWord)
{
    return writeCode(toneText, offWord, 0);
}

QString writeTxcode(const QString &toneText, const QString &offWord)
{
    return writeCode(toneText, offWord, kTransmitOffset);
}

bool hasCode(const QString &toneText, const QString &offWord)
{
    return !writeRxcode(toneText, offWord).isEmpty();
}

QString sendCTC(const QString &code, const QString &offWord, const QString &previousText)
{
    if (code.size() != 4)
        return previousText;
    int digits[4];
    for (int k = 0; k < 4; ++k) {
        digits[k] = hexDigitAt(code, k);
        if (digits[k] < 0)
            return previousText;
    }
    const int index = digits[0] * 16 + digits[1];
    int base = 0;
    int count = 0;
    switch (digits[3]) {
    case 0x0:
    case 0x4:
    case 0xF:
        return offWord;
    case 0x1:
    case 0x5:
        base = kCtcssBase;
        count = ToneList::CtcssCount;
        break;
    case 0x2:
    case 0x6:
        base = kDcsNormalBase;
        count = ToneList::DcsCount;
        break;
    case 0xA:
    case 0xE:
        base = kDcsInvertedBase;
        count = ToneList::DcsCount;
        break;
    default:
        return previousText;
    }
    // An index outside its table would point into another kind's entries or
    // beyond the list: it reads as no tone, like an erased field.
    if (index < 1 || index > count)
        return offWord;
    return ToneList::entries(offWord).at(base + index);
}

} // namespace ToneCodes
