#include "core/base/AppError.h"

#include <utility>

AppError::AppError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

QString AppError::displayText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

AppError AppError::invalidInteger(const QString &text)
{
    return AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

AppError AppError::invalidFloat(const QString &text)
{
    return AppError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

AppError AppError::unableToWrite(const QString &fileName)
{
    return AppError(QStringLiteral("Unable to write to %1").arg(fileName));
}

AppError AppError::fileNotFound()
{
    return AppError(QStringLiteral("File not found"));
}
