#pragma once

#include <QString>
#include <QStringList>

// Where the program finds and keeps its files.
//
// Two layouts: an installed program (its executable in <prefix>/bin, its
// data in <prefix>/share/ktprog, found relative to the executable so that
// any prefix works) keeps the user's settings in the per-user configuration
// folder (~/.config/KT-700 on Linux) and reads the first-installation
// settings and the language files from its data folder. A program that runs
// from its build tree (or any copy without an installed data folder) keeps
// its settings beside the executable where that folder can be written, as
// during development, and else in the per-user folder.
namespace AppPaths
{

// The folder of the program's own executable.
QString programDir();

// The layout for an executable in the given folder.
struct Layout {
    bool installed = false;
    QString dataDir;              // installed: <prefix>/share/ktprog; else empty
    QString settingsDir;          // where sysini.ini and userini.ini are written
    QString firstInstallationDir; // where the shipped sysini.ini is read until the user has one
    QStringList languageDirs;     // where the .lng files are looked for, in order
};
Layout layoutFor(const QString &programDir);
// The layout of this program.
Layout layout();

// Shorthands for this program's layout.
QString settingsDir();
QString firstInstallationDir();

// Whether a file can be created in the folder (tried, not guessed from
// permission bits).
bool isWritableDir(const QString &dir);

} // namespace AppPaths
