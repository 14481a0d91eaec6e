#include "core/base/AppError.h"
#include "core/base/AppPaths.h"
#include "gui/ErrorBox.h"
#include "gui/Program.h"
#include "gui/ProgramIcon.h"
#include "gui/TMainForm.h"
#include "sim/RadioImage.h"
#include "sim/VirtualRadio.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(KT_VERSION));
    // The desktop entry, the icon and the metainfo share this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(KT_APP_ID));
    QApplication::setWindowIcon(programIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Programming software for the KT-100 series of handheld FM radios."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configDir(
        QStringLiteral("config-dir"),
        QStringLiteral("Read and write sysini.ini and userini.ini in <dir> instead of the "
                       "program's folder."),
        QStringLiteral("dir"));
    parser.addOption(configDir);
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Demo mode: port 1 is a virtual radio holding a sample configuration, "
                       "so Read and Write work with no radio at hand."));
    parser.addOption(demo);
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A channel file (.q42) to open, as Open does."),
                                 QStringLiteral("[FILE.q42]"));
    parser.process(app);
    if (parser.positionalArguments().size() > 1)
        parser.showHelp(2);

    // Demo mode's radio first: when it cannot start, the program ends before
    // any window or setting is touched.
    VirtualRadio radio;
    if (parser.isSet(demo)) {
        radio.setImage(RadioImage::sample());
        // Bytes take as long as on a real cable, so the progress is as a
        // dealer will see it.
        radio.setPacing(true);
        if (!radio.start()) {
            const QString message =
                QStringLiteral("Demo mode: the virtual radio could not start: ") +
                radio.errorString();
            qWarning("%s", qPrintable(message));
            ErrorBox::show(nullptr, message);
            return 1;
        }
    }

    // A folder of its own still starts from the bands shipped beside the program.
    Program program(parser.isSet(configDir)
                        ? SettingsStore(parser.value(configDir), AppPaths::firstInstallationDir())
                        : SettingsStore::forProgram());
    // Maximised; the size also fills the screen where no window manager
    // honours the maximised state.
    TMainForm *mainForm = program.mainForm();
    if (QScreen *screen = mainForm->screen())
        mainForm->resize(screen->availableGeometry().size());
    mainForm->showMaximized();

    if (parser.isSet(demo))
        mainForm->startDemo(radio.devicePath());
    // A file named on the command line opens once the window is up, so that
    // an error box about it stands over the window.
    if (!parser.positionalArguments().isEmpty()) {
        const QString file = parser.positionalArguments().constFirst();
        QTimer::singleShot(0, mainForm, [mainForm, file] { mainForm->openFile(file); });
    }
    return app.exec();
}
