#include "core/workspace/SettingsStore.h"

#include "core/base/AppPaths.h"
#include "core/base/ProfileFile.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace
{

const QString kSystemFile = QStringLiteral("sysini.ini");
const QString kUserFile = QStringLiteral("userini.ini");
const QString kOpen = QStringLiteral("open");
const QString kList = QStringLiteral("list");
const QString kWrite = QStringLiteral("write");

QString comboKey(int index)
{
    return QStringLiteral("combo") + QString::number(index);
}

} // namespace

SettingsStore::SettingsStore(QString dir, QString fallbackDir)
    : m_dir(std::move(dir)), m_fallbackDir(std::move(fallbackDir))
{
}

SettingsStore SettingsStore::forProgram()
{
    return SettingsStore(AppPaths::settingsDir(), AppPaths::firstInstallationDir());
}

QString SettingsStore::systemFilePath() const
{
    return QDir(m_dir).filePath(kSystemFile);
}

QString SettingsStore::userFilePath() const
{
    return QDir(m_dir).filePath(kUserFile);
}

QString SettingsStore::readPath(const QString &fileName) const
{
    const QString own = QDir(m_dir).filePath(fileName);
    if (QFileInfo::exists(own) || m_fallbackDir.isEmpty())
        return own;
    return QDir(m_fallbackDir).filePath(fileName);
}

QString SettingsStore::cleanName(const QString &name)
{
    auto isBlank = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7f; };
    qsizetype first = 0;
    qsizetype last = name.size();
    while (first < last && isBlank(name.at(first)))
        ++first;
    while (last > first && isBlank(name.at(last - 1)))
        --last;
    return name.mid(first, last - first);
}

QString SettingsStore::readAdministrator() const
{
    // The administrator is the user's own: never taken from another folder.
    const ProfileFile file(userFilePath());
    return cleanName(file.readString(QStringLiteral("User"), QStringLiteral("name")));
}

void SettingsStore::writeAdministrator(const QString &name) const
{
    ProfileFile file(userFilePath());
    file.writeString(QStringLiteral("User"), QStringLiteral("name"), cleanName(name));
}

SystemSettings SettingsStore::readSystem() const
{
    const ProfileFile file(readPath(kSystemFile));
    SystemSettings settings;
    settings.port = file.readInt(kOpen, QStringLiteral("com"), 1);
    settings.singlePort = file.readInt(kOpen, QStringLiteral("co_mode"), 0) == 1;
    settings.modelIndex = file.readInt(kOpen, QStringLiteral("M_type"), 0);
    settings.language = file.readInt(kOpen, QStringLiteral("lang"), 1);
    const int count = qMin(file.readInt(kList, QStringLiteral("listcount"), 0), MaxBands);
    for (int i = 0; i < count; ++i)
        settings.bands.append(file.readString(kList, comboKey(i), QStringLiteral("400-470MHz")));
    settings.bandIndex = file.readInt(kList, QStringLiteral("listnow"), 0);
    settings.safeWrites = file.readInt(kWrite, QStringLiteral("safe"), 1) != 0;
    settings.fastTransfer = file.readInt(kWrite, QStringLiteral("fast"), 0) != 0;
    for (int port = 1; port <= settings.portDevices.size(); ++port)
        settings.portDevices[port - 1] =
            file.readString(QStringLiteral("ports"), QStringLiteral("com") + QString::number(port));
    return settings;
}

void SettingsStore::writeSystem(const SystemSettings &settings) const
{
    // The first file of our own starts as a copy of the one read so far
    // (the first installation's), with every section, key and comment.
    ProfileFile file(readPath(kSystemFile));
    file.setPath(systemFilePath());
    file.writeInt(kOpen, QStringLiteral("com"), settings.port);
    file.writeInt(kOpen, QStringLiteral("co_mode"), settings.singlePort ? 1 : 0);
    file.writeInt(kOpen, QStringLiteral("M_type"), settings.modelIndex);
    file.writeInt(kOpen, QStringLiteral("lang"), settings.language);
    file.writeInt(kList, QStringLiteral("listnow"), settings.bandIndex);
    file.writeInt(kList, QStringLiteral("listcount"), int(settings.bands.size()));
    for (int i = 0; i < settings.bands.size(); ++i)
        file.writeString(kList, comboKey(i), settings.bands.at(i));
    file.writeInt(kWrite, QStringLiteral("safe"), settings.safeWrites ? 1 : 0);
    file.writeInt(kWrite, QStringLiteral("fast"), settings.fastTransfer ? 1 : 0);
    // A key the file has, set by the user or by another run, stays as it is.
    const QString ports = QStringLiteral("ports");
    for (int port = 1; port <= settings.chosenPortDevices.size(); ++port) {
        const QString key = QStringLiteral("com") + QString::number(port);
        const QString device = settings.chosenPortDevices.at(port - 1).trimmed();
        if (!device.isEmpty() && file.readString(ports, key).isEmpty())
            file.writeString(ports, key, device);
    }
}
