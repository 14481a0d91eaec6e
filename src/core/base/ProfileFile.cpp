#include "core/base/ProfileFile.h"

#include "core/base/AppError.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <limits>
#include <optional>
#include <utility>

namespace
{

const QByteArray kByteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

// The name between the brackets when the line is a section header "[name]".
std::optional<QString> sectionName(const QString &line)
{
    const QString text = line.trimmed();
    if (!text.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return text.mid(1, close - 1).trimmed();
}

// The position of the '=' of a "key=value" line, or -1 for every other line:
// headers, comments, blank lines and lines without a key name.
qsizetype keySeparator(const QString &line)
{
    const QString text = line.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('#')) ||
        text.startsWith(QLatin1Char('[')))
        return -1;
    const qsizetype separator = line.indexOf(QLatin1Char('='));
    if (separator < 0 || line.left(separator).trimmed().isEmpty())
        return -1;
    return separator;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key is, or would go, in the lines of a file. The first section of
// that name and its first key of that name count, for reading and writing
// alike.
struct KeyLocation {
    qsizetype section = -1;  // header line, -1 when the section is missing
    qsizetype key = -1;      // key line, -1 when the key is missing
    qsizetype insertAt = -1; // for a new key: after the section's last key line
};

KeyLocation locate(const QList<ProfileFile::Line> &lines, const QString &section,
                   const QString &key)
{
    KeyLocation location;
    for (qsizetype i = 0; i < lines.size() && location.section < 0; ++i) {
        const std::optional<QString> name = sectionName(lines[i].text);
        if (name && sameName(*name, section))
            location.section = i;
    }
    if (location.section < 0)
        return location;

    location.insertAt = location.section + 1;
    for (qsizetype i = location.section + 1; i < lines.size() && !sectionName(lines[i].text); ++i) {
        const QString &text = lines[i].text;
        const qsizetype separator = keySeparator(text);
        if (separator < 0)
            continue;
        location.insertAt = i + 1;
        if (location.key < 0 && sameName(text.left(separator).trimmed(), key))
            location.key = i;
    }
    return location;
}

// Settings files are narrow text: UTF-8 as the program writes them, or the
// system's character set (GBK for Chinese texts) as other tools do.
QString decodeLine(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    if (gbk.isValid())
        return gbk.decode(bytes);
    return QString::fromLatin1(bytes);
}

bool isDecimalDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return !text.isEmpty();
}

bool isHexDigits(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.toLower().unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f')))
            return false;
    }
    return !text.isEmpty();
}

// Decimal with an optional sign, or hexadecimal after "0x"; only the whole
// text counts, and a number beyond the int range is no number.
std::optional<int> parseInteger(const QString &text)
{
    qlonglong value = 0;
    bool ok = false;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QStringView digits = QStringView(text).mid(2);
        if (isHexDigits(digits))
            value = digits.toLongLong(&ok, 16);
    } else {
        const bool signed_ = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
        if (isDecimalDigits(QStringView(text).mid(signed_ ? 1 : 0)))
            value = text.toLongLong(&ok, 10);
    }
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

ProfileFile::ProfileFile(QString path) : m_path(std::move(path))
{
    QFile file(m_path);
    if (file.open(QIODevice::ReadOnly))
        parse(file.readAll());
}

ProfileFile::ProfileFile(QString path, const QByteArray &bytes) : m_path(std::move(path))
{
    parse(bytes);
}

void ProfileFile::parse(QByteArray bytes)
{
    if (bytes.startsWith(kByteOrderMark)) {
        m_byteOrderMark = true;
        bytes.remove(0, kByteOrderMark.size());
    }
    const qsizetype firstLineEnd = bytes.indexOf('\n');
    if (firstLineEnd >= 0 && (firstLineEnd == 0 || bytes[firstLineEnd - 1] != '\r'))
        m_lineEnd = "\n";

    // Each line keeps its own bytes and its own line end.
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype stop = newline < 0 ? bytes.size() : newline;
        Line line;
        line.bytes = bytes.mid(start, stop - start);
        if (newline >= 0) {
            line.end = "\n";
            if (line.bytes.endsWith('\r')) {
                line.bytes.chop(1);
                line.end = "\r\n";
            }
        }
        line.text = decodeLine(line.bytes);
        m_lines.append(line);
        start = stop + 1;
    }
}

QStringList ProfileFile::lines() const
{
    QStringList texts;
    for (const Line &line : m_lines)
        texts << line.text;
    return texts;
}

ProfileFile::Line ProfileFile::newLine(const QString &text) const
{
    return Line{text, text.toUtf8(), m_lineEnd};
}

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &defaultValue) const
{
    const KeyLocation location = locate(m_lines, section.trimmed(), key.trimmed());
    if (location.key < 0)
        return defaultValue;
    const QString &text = m_lines[location.key].text;
    return text.mid(keySeparator(text) + 1).trimmed();
}

int ProfileFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    return parseInteger(readString(section, key)).value_or(defaultValue);
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionTrimmed = section.trimmed();
    const QString keyTrimmed = key.trimmed();
    QList<Line> lines = m_lines;
    // A line that ended the file without a line end gets one before any
    // line is added after it.
    const auto append = [&lines, this](qsizetype at, const QString &text) {
        if (at > 0 && lines[at - 1].end.isEmpty())
            lines[at - 1].end = m_lineEnd;
        lines.insert(at, newLine(text));
    };
    const KeyLocation location = locate(lines, sectionTrimmed, keyTrimmed);
    if (location.key >= 0) {
        Line &line = lines[location.key];
        const QString name = line.text.left(keySeparator(line.text)).trimmed();
        const QByteArray end = line.end.isEmpty() ? m_lineEnd : line.end;
        line = newLine(name + QLatin1Char('=') + value);
        line.end = end;
    } else if (location.section >= 0) {
        append(location.insertAt, keyTrimmed + QLatin1Char('=') + value);
    } else {
        // One empty line between the last section and the new one.
        if (!lines.isEmpty() && !lines.constLast().text.trimmed().isEmpty())
            append(lines.size(), QString());
        append(lines.size(), QLatin1Char('[') + sectionTrimmed + QLatin1Char(']'));
        append(lines.size(), keyTrimmed + QLatin1Char('=') + value);
    }
    save(lines); // throws before the new lines replace the old ones
    m_lines = std::move(lines);
}

void ProfileFile::writeInt(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void ProfileFile::save(const QList<Line> &lines) const
{
    QByteArray bytes = m_byteOrderMark ? kByteOrderMark : QByteArray();
    for (const Line &line : lines)
        bytes += line.bytes + line.end;

    // QSaveFile writes a temporary copy and renames it over the file only when
    // all of it was written, so the file on disk is either old or new.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError::unableToWrite(m_path);
}
