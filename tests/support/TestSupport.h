#pragma once

#include <QString>

// Helpers shared by the test programs.
namespace TestSupport {

// Path of a fixture file under tests/data.
QString dataPath(const QString &name);

// Writes bytes to a file, creating folders as needed; fails the test on error.
bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

} // namespace TestSupport
