#pragma once

#include <QDateTime>
#include <QString>

// The record of a fleet run: one CSV line per radio, appended and flushed
// as soon as the radio is done, so that a crash never loses the lines
// before it. A new (or empty) file gets the header line first.
class FleetLog
{
public:
    struct Entry {
        QDateTime time;
        QString port;
        QString model;
        QString band;
        QString result; // "written", "verified" or "failed: <reason>"
        QString administrator;
        QString backupPath;
    };

    static const char *header();

    explicit FleetLog(QString path) : m_path(std::move(path)) {}
    QString path() const { return m_path; }

    // Whether the file can be appended to (created with its header when
    // missing); false with errorString() when not.
    bool check();
    // Appends the entry's line; false with errorString() when it cannot.
    bool append(const Entry &entry);
    QString errorString() const { return m_errorString; }

    // One CSV line without its line end; fields with a comma, a quote or a
    // line break are quoted.
    static QString line(const Entry &entry);

private:
    bool write(const QByteArray &bytes);

    QString m_path;
    QString m_errorString;
};
