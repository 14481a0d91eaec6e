#pragma once

#include <QString>
#include <QStringList>

// The tones a tone cell may hold, in list order: the OFF word, 51 CTCSS tones,
// 107 DCS codes with normal polarity ("D023N") and the same codes inverted
// ("D023I"). This is the one copy of the tables; the tone editor and the radio
// tone codes both use it.
namespace ToneList
{

constexpr int CtcssCount = 51;
constexpr int DcsCount = 107;
constexpr int EntryCount = 1 + CtcssCount + 2 * DcsCount; // 266

// "63.0" ... "254.1"
const QStringList &ctcssTones();
// The three octal digits of each DCS code: "017" ... "754"
const QStringList &dcsCodes();
// The whole list with the given OFF word as entry 0.
QStringList entries(const QString &offWord);

} // namespace ToneList
