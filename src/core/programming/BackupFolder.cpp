#include "core/programming/BackupFolder.h"

#include "core/base/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace
{

constexpr char kBlocksHeading[] = "KT-100 radio blocks";

bool isBackup(const QString &name)
{
    return name.endsWith(QLatin1String(BackupFolder::ChannelFileSuffix)) ||
           name.endsWith(QLatin1String(BackupFolder::BlocksFileSuffix));
}

} // namespace

namespace BackupFolder
{

QString defaultDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/KT-700/backups");
}

QString newPath(const QString &dir, const QDateTime &time, const QString &model, const char *suffix)
{
    // Only characters every file system takes in the model's part.
    QString safeModel = model;
    for (QChar &c : safeModel) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')))
            c = QLatin1Char('_');
    }
    const QString stem = time.toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss_")) + safeModel;
    QString path = QDir(dir).filePath(stem + QLatin1String(suffix));
    // Two backups in one second: the later gets a number.
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(dir).filePath(stem + QStringLiteral("-%1").arg(n) + QLatin1String(suffix));
    return path;
}

void saveBlocks(const QString &path, const QString &model, const QMap<int, QString> &blocks)
{
    QByteArray bytes = QByteArray(kBlocksHeading) + "\r\nmodel=" + model.toUtf8() + "\r\n";
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it)
        bytes += QStringLiteral("%1=%2\r\n")
                     .arg(it.key(), 4, 16, QLatin1Char('0'))
                     .arg(it.value())
                     .toUpper()
                     .toLatin1();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw AppError::unableToWrite(path);
}

QMap<int, QString> loadBlocks(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.read(64 * 1024).split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != kBlocksHeading)
        return {};
    QMap<int, QString> blocks;
    for (const QByteArray &raw : lines) {
        const QByteArray line = raw.trimmed();
        const int equals = int(line.indexOf('='));
        bool ok = false;
        const int address = equals == 4 ? line.left(4).toInt(&ok, 16) : -1;
        if (ok)
            blocks.insert(address, QString::fromLatin1(line.mid(5)));
    }
    return blocks;
}

QStringList prune(const QString &dir, int keep)
{
    QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    names.removeIf([](const QString &name) { return !isBackup(name); });
    QStringList deleted;
    for (qsizetype i = 0; i + keep < names.size(); ++i) {
        const QString path = QDir(dir).filePath(names.at(i));
        if (QFile::remove(path))
            deleted << path;
    }
    return deleted;
}

} // namespace BackupFolder
