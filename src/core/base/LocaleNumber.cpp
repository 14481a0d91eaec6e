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
    const QString separator = QLocale().decimalPoint();
    return separator.isEmpty() ? QLatin1Char('.') : separator.front();
}

double parseDecimal(const QString &text)
{
    bool ok = false;
    const double value = numberLocale().toDouble(text.trimmed(), &ok);
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

QString fixed(double value, int decimals)
{
    return numberLocale().toString(value, 'f', decimals);
}

QString shortest(double value)
{
    return numberLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace LocaleNumber
