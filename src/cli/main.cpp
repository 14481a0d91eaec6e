// ktprog-cli: reads, writes and shows radio configurations from the shell,
// with the same settings files and channel files as the program.

#include "cli/CliTool.h"
#include "core/base/AppError.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The program's name, so the per-user settings folder is the program's.
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(KT_VERSION));
    return CliTool::run(QCoreApplication::arguments());
}
