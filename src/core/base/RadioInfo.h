#pragma once

#include <QObject>
#include <QString>

// What the last read found in the radio, as the radio information window
// shows it. Each field reads "--------" until a read fills it.
class RadioInfo : public QObject
{
    Q_OBJECT
public:
    static QString placeholder() { return QStringLiteral("--------"); }

    using QObject::QObject;

    QString model() const { return m_model; }
    QString band() const { return m_band; }
    QString administrator() const { return m_administrator; }
    QString lastWriteTime() const { return m_lastWriteTime; }
    // The window's status line: set at start-up from the administrator name.
    QString statusText() const { return m_statusText; }

    void setModel(const QString &text);
    void setBand(const QString &text);
    void setAdministrator(const QString &text);
    void setLastWriteTime(const QString &text);
    void setStatusText(const QString &text);

Q_SIGNALS:
    void changed();

private:
    QString m_model = placeholder();
    QString m_band = placeholder();
    QString m_administrator = placeholder();
    QString m_lastWriteTime = placeholder();
    QString m_statusText;
};
