// Quindle: a numbered list of projects kept in a plain text file.
#include "app/tvantorel.h"

#include <QApplication>
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

} // namespace

int main(int argc, char* argv[])
{
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "Quindle needs a graphical display, and none is available here "
                     "(neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                     "Start it from a desktop session, or under a virtual display: "
                     "xvfb-run build/quindle\n");
        return 2;
    }
    QApplication app(argc, argv);
    TVantorel window;
    window.show();
    return app.exec();
}
