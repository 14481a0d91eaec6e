#pragma once

#include <QChar>
#include <QString>

// Numbers as the user's system writes them: the system's decimal separator,
// no group separators. Frequencies, the long-key time and the automatic add
// all parse and print through here so they agree with each other.
namespace LocaleNumber
{

QChar decimalSeparator();

// Parses a decimal number; surrounding blanks are allowed. Throws AppError
// ("'%s' is not a valid floating point value") when the text is no number.
double parseDecimal(const QString &text);

// Parses a decimal integer; throws AppError ("'%s' is not a valid integer value").
int parseInteger(const QString &text);

// "%.<decimals>f" with the system's separator.
QString fixed(double value, int decimals);

// The shortest text that reads back as the value: 1.5, 2, 0.5, 438.525.
QString shortest(double value);

} // namespace LocaleNumber
