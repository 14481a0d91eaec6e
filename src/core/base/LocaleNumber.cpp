#include "core/base/LocaleNumber.h"

#include "core/base/AppError.h"

#include <QLocale>

namespace
{

QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

namespace LocaleNumber
{

QChar decimalSeparator()
{
    // Digits are always ASCII; a separator outside ASCII (Arabic, Persian)
    // would not survive a channel file either, so those systems get the
    // point.
    const QString separator = QLocale().decimalPoint();
    if (separator.size() == 1 && separator.front().unicode() < 128 && !separator.front().isDigit())
        return separator.front();
    return QLatin1Char('.');
}

double parseDecimal(const QString &text)
{
    bool ok = false;
    double value = numberLocale().toDouble(text.trimmed(), &ok);
    if (!ok) {
        // ASCII digits with the separator this program writes, on a system
        // whose own digits are others.
        QString ascii = text.trimmed();
        ascii.replace(decimalSeparator(), QLatin1Char('.'));
        if (!ascii.contains(QLatin1Char(',')))
            value = QLocale::c().toDouble(ascii, &ok);
    }
    if (!ok)
        throw AppError::invalidFloat(text);
    return value;
}

int parseInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw AppError::invalidInteger(text);
    return value;
}

namespace
{

// A number written with ASCII digits and the system's separator.
QString withSeparator(QString text)
{
    const QChar separator = decimalSeparator();
    if (separator != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

} // namespace

QString fixed(double value, int decimals)
{
    return withSeparator(QLocale::c().toString(value, 'f', decimals));
}

QString shortest(double value)
{
    return withSeparator(QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest));
}

} // namespace LocaleNumber
