#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// Where the backups taken before each write are kept, and how they are named
// and thinned out. A backup is an ordinary channel file
// ("2026-12-10_14-05-09_PW-100.q42"); a radio that cannot be read as one (no
// band yet, or a band not in the band list) gets a text file of its raw
// blocks instead ("2026-12-10_14-05-09_PW-100.blocks.txt"). The names sort by
// time.
namespace BackupFolder
{

constexpr int DefaultKeep = 200;
constexpr char ChannelFileSuffix[] = ".q42";
constexpr char BlocksFileSuffix[] = ".blocks.txt";

// ~/.local/share/KT-700/backups on Linux: the user's data folder.
QString defaultDir();

// A new file's path in the folder for a backup taken at that time from a
// radio of that model; never the name of a file that exists.
QString newPath(const QString &dir, const QDateTime &time, const QString &model,
                const char *suffix);

// The raw blocks as our own small text file: a heading line, then one
// "ADDR=HEX" line per block (four and 32 hex digits). Throws AppError
// ("Unable to write to <path>") when the file cannot be written whole.
void saveBlocks(const QString &path, const QString &model, const QMap<int, QString> &blocks);
// Reads such a file back; an empty map for anything else.
QMap<int, QString> loadBlocks(const QString &path);

// Deletes the oldest backups (both kinds, by name) beyond the newest keep.
// Returns the paths deleted.
QStringList prune(const QString &dir, int keep = DefaultKeep);

} // namespace BackupFolder
