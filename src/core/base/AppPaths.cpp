#include "core/base/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace AppPaths
{

QString programDir()
{
    return QCoreApplication::applicationDirPath();
}

bool isWritableDir(const QString &dir)
{
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".ktprog-XXXXXX")));
    return probe.open();
}

QString settingsDir()
{
    const QString own = programDir();
    if (isWritableDir(own))
        return own;
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(user);
    return user;
}

} // namespace AppPaths
