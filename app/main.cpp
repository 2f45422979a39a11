// Quindle: a numbered list of projects kept in a plain text file.
#include "app/commandline.h"
#include "app/translationloader.h"
#include "app/tvantorel.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>
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

// Which display the window system was asked for, in the user's words.
QString displayAsked()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return QStringLiteral("QT_QPA_PLATFORM=%1").arg(QString::fromLocal8Bit(platform));
    const char* x11 = std::getenv("DISPLAY");
    if (x11 && *x11)
        return QStringLiteral("DISPLAY=%1").arg(QString::fromLocal8Bit(x11));
    return QStringLiteral("WAYLAND_DISPLAY=%1").arg(QString::fromLocal8Bit(std::getenv("WAYLAND_DISPLAY")));
}

// While the window system starts, Qt's messages are held back: when it
// cannot start (a display that does not answer, a platform Qt does not
// have), Qt ends the process through a fatal message advising a reinstall.
// That message becomes a plain one and an error status instead.
struct WindowSystemStart {
    static inline QByteArray held;
    static inline QByteArray program;
    static inline QtMessageHandler previous = nullptr;

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type != QtFatalMsg) {
            held += qFormatLogMessage(type, context, message).toLocal8Bit() + '\n';
            return;
        }
        print(stderr, QCoreApplication::translate("main",
                                                  "Quindle cannot show its window: there is no display to show it "
                                                  "on (%1 does not give one).\n"
                                                  "Start it from a desktop session, or under a virtual display: "
                                                  "xvfb-run %2\n")
                          .arg(displayAsked(), QFile::decodeName(program)));
        std::fflush(stderr);
        std::_Exit(2);
    }

    explicit WindowSystemStart(const char* programName)
    {
        program = programName;
        previous = qInstallMessageHandler(handle);
    }
    // Started: what Qt said meanwhile is said now.
    ~WindowSystemStart()
    {
        qInstallMessageHandler(previous);
        std::fputs(held.constData(), stderr);
        held.clear();
    }
};

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
    std::optional<WindowSystemStart> windowSystemStart(std::in_place, argc > 0 ? argv[0] : "quindle");
    QApplication app(argc, argv);
    windowSystemStart.reset();
    installTranslations(app, QLocale(), translationFolders(QCoreApplication::applicationFilePath()));
    QCoreApplication::setApplicationVersion(version);
    // Lets the desktop match the window to the program's desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.corvane.Quindle"));

    // The toolkit has taken its own options out of the arguments by now.
    // argv holds what the toolkit left, with each name's own bytes.
    const std::vector<std::string> rawArguments(argv, argv + argc);
    const CommandLine commandLine = readCommandLine(QCoreApplication::arguments(), version, rawArguments);
    if (commandLine.action == CommandLine::Action::Fail) {
        print(stderr, commandLine.text);
        return 2;
    }
    TVantorel window;
    if (!commandLine.listFileBytes.empty())
        window.useListFileAtStartup(commandLine.listFileBytes);
    else if (!commandLine.listFile.isEmpty())
        window.useListFileAtStartup(commandLine.listFile);
    window.show();
    return app.exec();
}
