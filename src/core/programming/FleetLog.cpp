#include "core/programming/FleetLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <unistd.h>

namespace
{

QString field(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

const char *FleetLog::header()
{
    return "time,port,model,band,result,administrator,backup";
}

QString FleetLog::line(const Entry &entry)
{
    const QStringList fields = {entry.time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                entry.port,
                                entry.model,
                                entry.band,
                                entry.result,
                                entry.administrator,
                                QDir::toNativeSeparators(entry.backupPath)};
    QStringList quoted;
    for (const QString &text : fields)
        quoted << field(text);
    return quoted.join(QLatin1Char(','));
}

bool FleetLog::check()
{
    return write(QByteArray());
}

bool FleetLog::append(const Entry &entry)
{
    return write(line(entry).toUtf8() + "\r\n");
}

bool FleetLog::write(const QByteArray &bytes)
{
    m_errorString.clear();
    const QFileInfo info(m_path);
    if (!info.absoluteDir().exists())
        QDir().mkpath(info.absolutePath());
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        m_errorString = file.errorString();
        return false;
    }
    QByteArray out;
    if (file.size() == 0)
        out = QByteArray(header()) + "\r\n";
    out += bytes;
    if (!out.isEmpty() && (file.write(out) != out.size() || !file.flush())) {
        m_errorString = file.errorString();
        return false;
    }
    // On the disk before the next radio, even if the machine goes down.
    if (!out.isEmpty())
        ::fsync(file.handle());
    file.close();
    return file.error() == QFileDevice::NoError;
}
