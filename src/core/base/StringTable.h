#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// One interface language's texts, keyed by entry number. Stored as a UTF-8
// text file "<base name>.lng" with one "NUMBER=text" line per entry; lines
// starting with '#' and blank lines are ignored, and the text after the first
// '=' is taken as it stands (inner and trailing blanks included).
class StringTable
{
public:
    // Reads a table file; nothing when the file cannot be read.
    static std::optional<StringTable> load(const QString &path);
    // Parses the text of a table file.
    static StringTable parse(const QString &text);

    // The folders searched for language files, in order: the program's own
    // folder, then the installed data folder.
    static QStringList searchDirs();
    // The path of "<baseName>.lng" in the first folder that has it, the name
    // matched without regard to case; empty when there is none.
    static QString find(const QString &baseName, const QStringList &dirs = searchDirs());

    bool contains(int entry) const { return m_texts.contains(entry); }
    // The entry's text, or the fallback when the table lacks the entry.
    QString text(int entry, const QString &fallback = QString()) const;
    int size() const { return int(m_texts.size()); }
    QList<int> entries() const { return m_texts.keys(); }

private:
    QHash<int, QString> m_texts;
};
