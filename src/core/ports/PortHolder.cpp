#include "core/ports/PortHolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifdef Q_OS_LINUX
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#endif

QString PortHolder::describe(const QString &namedPattern, const QString &unnamedPattern) const
{
    return program.isEmpty() ? unnamedPattern.arg(pid)
                             : namedPattern.arg(program, QString::number(pid));
}

#ifdef Q_OS_LINUX

namespace
{

const QString kDevFolder = QStringLiteral("/dev/");

// The device's path as given and with its links followed: a stable USB
// adapter name leads to the ttyUSB device other programs open.
QStringList namesOfDevice(const QString &devicePath)
{
    QStringList paths{QDir::cleanPath(devicePath)};
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (!target.isEmpty() && !paths.contains(target))
        paths.append(target);
    return paths;
}

// The names a lock file of the device may have: the path below /dev with its
// slashes as underscores ("LCK..pts_3", "LCK..serial_by-id_usb-..."), as Qt
// programs write it, and the last part alone ("LCK..ttyUSB0"), as most
// others do.
QStringList lockFileNames(const QStringList &devicePaths)
{
    QStringList names;
    for (const QString &path : devicePaths) {
        QString below = path.startsWith(kDevFolder) ? path.mid(kDevFolder.size()) : QString();
        below.replace(QLatin1Char('/'), QLatin1Char('_'));
        for (const QString &name : {below, QFileInfo(path).fileName()}) {
            const QString file = QStringLiteral("LCK..") + name;
            if (!name.isEmpty() && !names.contains(file))
                names.append(file);
        }
    }
    return names;
}

bool isRunning(qint64 pid)
{
    return pid > 0 && pid <= INT_MAX && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// The program name the system gives a process; empty when it does not.
QString programName(const PortPlaces &places, qint64 pid)
{
    QFile comm(places.processDir + QLatin1Char('/') + QString::number(pid) +
               QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.read(256)).trimmed();
}

// The process a lock file names, and the program name it gives if any. The
// text forms: the process id alone ("      1234\n"), followed by the program
// on the same line (minicom: "      1234 minicom user") or on the next line
// (Qt: "1234\nappname\nhost\n"). An old form holds the id as four binary
// bytes. Anything else names no process.
PortHolder readLockFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(512);
    const bool text = std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return (c >= 0x20 && c < 0x7f) || c == '\n' || c == '\r' || c == '\t';
    });
    if (!text) {
        qint32 pid = 0;
        if (bytes.size() != sizeof pid)
            return {};
        std::memcpy(&pid, bytes.constData(), sizeof pid);
        return {QString(), pid};
    }
    const QList<QByteArray> lines = bytes.split('\n');
    const QList<QByteArray> words = lines.value(0).simplified().split(' ');
    bool ok = false;
    const qint64 pid = words.value(0).toLongLong(&ok);
    if (!ok)
        return {};
    const QByteArray name = words.size() > 1 ? words.at(1) : lines.value(1).trimmed();
    return {QString::fromLocal8Bit(name), pid};
}

std::optional<PortHolder> findLockOwner(const QStringList &devicePaths, const PortPlaces &places)
{
    const QStringList names = lockFileNames(devicePaths);
    for (const QString &folder : places.lockDirs) {
        for (const QString &name : names) {
            const QString path = QDir(folder).filePath(name);
            if (!QFileInfo::exists(path))
                continue;
            PortHolder owner = readLockFile(path);
            // A lock left behind by a process that ended holds nothing.
            if (owner.pid == places.ownPid || !isRunning(owner.pid))
                continue;
            const QString running = programName(places, owner.pid);
            if (!running.isEmpty())
                owner.program = running;
            return owner;
        }
    }
    return std::nullopt;
}

bool isProcessId(const char *name)
{
    if (!*name)
        return false;
    for (; *name; ++name) {
        if (*name < '0' || *name > '9')
            return false;
    }
    return true;
}

// The number of a pseudo-terminal's device ("/dev/pts/3" is 3), -1 for
// another device.
int ptyNumber(const QStringList &devicePaths)
{
    const QString folder = QStringLiteral("/dev/pts/");
    for (const QString &path : devicePaths) {
        bool ok = false;
        const int number = path.startsWith(folder) ? path.mid(folder.size()).toInt(&ok) : -1;
        if (ok && number >= 0)
            return number;
    }
    return -1;
}

// Whether the descriptor, a master side of a pseudo-terminal, is the one of
// terminal number ptyNumber: the system tells it among the descriptor's
// details ("tty-index:").
bool isMasterOf(const QByteArray &processFolder, const char *descriptor, int ptyNumber)
{
    QFile details(QFile::decodeName(processFolder + "/fdinfo/" + descriptor));
    if (!details.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = details.read(4096).split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("tty-index:"))
            return line.mid(10).trimmed() == QByteArray::number(ptyNumber);
    }
    return false;
}

// Whether the process holds the device: one of the links in its folder of
// open files leads to it, and, for a pseudo-terminal, it does not also hold
// the terminal's master side, which makes it the other end of the line (a
// virtual radio, for one) rather than another user. A folder we may not
// read (another user's process) says nothing.
bool holdsDevice(const QByteArray &processFolder, const QList<QByteArray> &devicePaths,
                 int ptyNumber)
{
    DIR *folder = ::opendir((processFolder + "/fd").constData());
    if (!folder)
        return false;
    bool device = false;
    bool master = false;
    char target[PATH_MAX];
    while (!master) {
        const dirent *entry = ::readdir(folder);
        if (!entry)
            break;
        const ssize_t size = ::readlinkat(::dirfd(folder), entry->d_name, target, sizeof target);
        if (size <= 0 || size >= ssize_t(sizeof target))
            continue;
        const QByteArray link(target, size);
        if (devicePaths.contains(link))
            device = true;
        else if (ptyNumber >= 0 && (link == "/dev/ptmx" || link == "/dev/pts/ptmx"))
            master = isMasterOf(processFolder, entry->d_name, ptyNumber);
    }
    ::closedir(folder);
    return device && !master;
}

std::optional<PortHolder> findOpener(const QStringList &devicePaths, const PortPlaces &places)
{
    QList<QByteArray> targets;
    for (const QString &path : devicePaths)
        targets.append(QFile::encodeName(path));
    const int pty = ptyNumber(devicePaths);
    const QByteArray processDir = QFile::encodeName(places.processDir);
    DIR *processes = ::opendir(processDir.constData());
    if (!processes)
        return std::nullopt;
    std::optional<PortHolder> holder;
    while (!holder) {
        const dirent *entry = ::readdir(processes);
        if (!entry)
            break;
        if (!isProcessId(entry->d_name))
            continue;
        const qint64 pid = QByteArray(entry->d_name).toLongLong();
        if (pid == places.ownPid)
            continue;
        if (holdsDevice(processDir + '/' + entry->d_name, targets, pty))
            holder = PortHolder{programName(places, pid), pid};
    }
    ::closedir(processes);
    return holder;
}

} // namespace

std::optional<PortHolder> PortHolder::find(const QString &devicePath, const PortPlaces &places)
{
    if (devicePath.isEmpty())
        return std::nullopt;
    const QStringList paths = namesOfDevice(devicePath);
    if (std::optional<PortHolder> owner = findLockOwner(paths, places))
        return owner;
    return findOpener(paths, places);
}

#else

std::optional<PortHolder> PortHolder::find(const QString &, const PortPlaces &)
{
    return std::nullopt;
}

#endif
