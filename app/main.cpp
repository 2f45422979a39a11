// Quindle: a numbered list of projects kept in a plain text file.
#include "app/commandline.h"
#include "app/translationloader.h"
#include "app/tvantorel.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace {

bool displayAvailable()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;  // the user chose a platform; let Qt report on it
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char* argv[])
{
    const QString version = QStringLiteral(QUINDLE_VERSION);
    const QStringList arguments = commandLineArguments(argc, argv);
    // Help and version need no display: answered before any window system is
    // asked for, in the user's language when there is a translation.
    const CommandLine early = readEarlyCommandLine(arguments, version);
    if (early.action != CommandLine::Action::Run || !displayAvailable()) {
        QCoreApplication core(argc, argv);
        installTranslations(core, QLocale(), translationFolders(QCoreApplication::applicationFilePath()));
        if (early.action != CommandLine::Action::Run) {
            print(stdout, readEarlyCommandLine(arguments, version).text);
            return 0;
        }
        print(stderr, QCoreApplication::translate("main",
                                                  "Quindle needs a graphical display, and none is available here "
                                                  "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                                                  "Start it from a desktop session, or under a virtual display: "
                                                  "xvfb-run %1\n")
                          .arg(QFile::decodeName(argv[0])));
        return 2;
    }
    QApplication app(argc, argv);
    installTranslations(app, QLocale(), translationFolders(QCoreApplication::applicationFilePath()));
    QCoreApplication::setApplicationVersion(version);
    // Lets the desktop match the window to the program's desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.corvane.Quindle"));

    // The toolkit has taken its own options out of the arguments by now.
    const CommandLine commandLine = readCommandLine(QCoreApplication::arguments(), version);
    if (commandLine.action == CommandLine::Action::Fail) {
        print(stderr, commandLine.text);
        return 2;
    }
    TVantorel window;
    if (!commandLine.listFile.isEmpty())
        window.useListFileAtStartup(commandLine.listFile);
    window.show();
    return app.exec();
}
