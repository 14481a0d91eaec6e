#pragma once

#include <QString>
#include <QStringList>

// A settings file of sections ("[open]") and "key=value" lines. Sections and
// keys match without regard to case; an existing key keeps its place when it
// is written, a new key goes to the end of its section, a new section to the
// end of the file. Every write rewrites the whole file safely at once, so a
// failed write leaves the file on disk as it was.
class ProfileFile
{
public:
    // Loads the file; a missing or unreadable file reads as empty.
    explicit ProfileFile(QString path);
    // The file's bytes as given, to be written to the path.
    ProfileFile(QString path, const QByteArray &bytes);

    const QString &path() const { return m_path; }
    // Writes go to another file from now on: the lines loaded so far are
    // carried over into it at the next write.
    void setPath(const QString &path) { m_path = path; }

    // The value with surrounding blanks removed, or the default when the
    // section or key is missing.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    // A decimal integer, or a hexadecimal one written with "0x"; anything else
    // reads as the default.
    int readInt(const QString &section, const QString &key, int defaultValue) const;

    // Sets the value and writes the file. Every line but the one written
    // comes back as the file held it, byte for byte, whatever its encoding;
    // the written line is UTF-8. Throws AppError ("Unable to write to
    // <path>") when the file cannot be written; the value is then not kept.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInt(const QString &section, const QString &key, int value);

    // The file's lines as text, as they would be written (for tests and
    // diagnostics).
    QStringList lines() const;

    // One line: its text for finding sections and keys, and its bytes.
    struct Line {
        QString text;     // decoded: UTF-8 where the bytes are UTF-8, else GBK
        QByteArray bytes; // as in the file, without the line end
        QByteArray end;   // "\r\n", "\n", or nothing after a file's last line
    };

private:
    void parse(QByteArray bytes);
    void save(const QList<Line> &lines) const;
    Line newLine(const QString &text) const;

    QString m_path;
    QList<Line> m_lines;
    QByteArray m_lineEnd = "\r\n"; // of the file read, CR LF for a new one
    bool m_byteOrderMark = false;  // the file began with a UTF-8 byte order mark
};
