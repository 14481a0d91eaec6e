#pragma once

#include <QString>

// Where the program finds and keeps its files.
namespace AppPaths
{

// The folder of the program's own executable.
QString programDir();

// Where the settings files are written: the program's folder, or, when that
// folder cannot be written (an installed program), the per-user
// configuration folder (~/.config/KT-700 on Linux).
QString settingsDir();

// Whether a file can be created in the folder (tried, not guessed from
// permission bits).
bool isWritableDir(const QString &dir);

} // namespace AppPaths
