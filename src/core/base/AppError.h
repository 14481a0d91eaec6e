#pragma once

#include <QString>
#include <exception>

// The one error type that core code throws for failures a command does not
// handle itself: a number that does not parse, a file that cannot be opened or
// written. The GUI shows it in the standard error box, the command-line tool
// prints it.
class AppError : public std::exception
{
public:
    explicit AppError(QString message);

    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

    // The message as the error box shows it: a full stop is appended when the
    // text ends in a character that sorts after the full stop.
    static QString displayText(const QString &message);

    // The standard conversion errors.
    static AppError invalidInteger(const QString &text);
    static AppError invalidFloat(const QString &text);
    static AppError unableToWrite(const QString &fileName);
    static AppError fileNotFound();

private:
    QString m_message;
    QByteArray m_utf8;
};

// The application title: task-bar text and the title of the error box.
inline const char *const kApplicationTitle = "KT-700";
