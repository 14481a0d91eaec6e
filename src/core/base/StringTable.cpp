#include "core/base/StringTable.h"

#include "core/base/AppPaths.h"

#include <QDir>
#include <QFile>

std::optional<StringTable> StringTable::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(QString::fromUtf8(file.readAll()));
}

StringTable StringTable::parse(const QString &text)
{
    StringTable table;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QChar(0xfeff)))
            line.remove(0, 1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        bool ok = false;
        const int entry = line.left(equals).trimmed().toInt(&ok);
        if (ok)
            table.m_texts.insert(entry, line.mid(equals + 1));
    }
    return table;
}

QStringList StringTable::searchDirs()
{
    return AppPaths::layout().languageDirs;
}

QString StringTable::find(const QString &baseName, const QStringList &dirs)
{
    const QString wanted = baseName + QStringLiteral(".lng");
    for (const QString &dir : dirs) {
        const QStringList files = QDir(dir).entryList(QDir::Files);
        for (const QString &name : files) {
            if (name.compare(wanted, Qt::CaseInsensitive) == 0)
                return QDir(dir).filePath(name);
        }
    }
    return QString();
}

QString StringTable::text(int entry, const QString &fallback) const
{
    return m_texts.value(entry, fallback);
}
