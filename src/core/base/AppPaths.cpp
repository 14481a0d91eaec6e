#include "core/base/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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

Layout layoutFor(const QString &programDir)
{
    Layout layout;
    // An installed program finds its data folder beside its bin folder; the
    // shipped settings file marks it.
    const QString data =
        QDir::cleanPath(programDir + QStringLiteral("/../") + QStringLiteral(KT_DATA_SUBDIR));
    layout.installed = QFileInfo(programDir).fileName() == QLatin1String("bin") &&
                       QFileInfo::exists(data + QStringLiteral("/sysini.ini"));
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (layout.installed) {
        layout.dataDir = data;
        layout.settingsDir = user;
        layout.firstInstallationDir = data;
        layout.languageDirs = {data + QStringLiteral("/lang")};
    } else {
        layout.settingsDir = isWritableDir(programDir) ? programDir : user;
        layout.firstInstallationDir = programDir;
        layout.languageDirs = {programDir};
    }
    return layout;
}

Layout layout()
{
    return layoutFor(programDir());
}

QString settingsDir()
{
    const QString dir = layout().settingsDir;
    QDir().mkpath(dir);
    return dir;
}

QString firstInstallationDir()
{
    return layout().firstInstallationDir;
}

} // namespace AppPaths
