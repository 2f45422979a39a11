#include "help/htmlhelpapi.h"

#include "help/qthelpviewer.h"

#include <QCoreApplication>

namespace {
struct ViewerLibrary {
    HtmlHelpLoader loader;
    std::unique_ptr<HtmlHelpViewer> viewer;
    bool releaseHooked = false;

    ~ViewerLibrary()
    {
        // At process exit the application object may already be gone; the
        // viewer must then not touch its windows.
        if (!QCoreApplication::instance())
            (void)viewer.release();
    }
};

ViewerLibrary& library()
{
    static ViewerLibrary lib;
    return lib;
}
} // namespace

void setHtmlHelpLoader(HtmlHelpLoader loader)
{
    FreeHtmlHelp();
    library().loader = std::move(loader);
}

void LoadHtmlHelp()
{
    ViewerLibrary& lib = library();
    if (lib.viewer)
        return;
    try {
        lib.viewer = lib.loader ? lib.loader() : QtHelpViewer::load();
    } catch (...) {
        lib.viewer.reset();
    }
    if (lib.viewer && !lib.releaseHooked && QCoreApplication::instance()) {
        lib.releaseHooked = true;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { FreeHtmlHelp(); });
    }
}

bool HtmlHelpLoaded()
{
    return library().viewer != nullptr;
}

bool HtmlHelpDefaultLoader()
{
    return !library().loader;
}

void FreeHtmlHelp()
{
    library().viewer.reset();
}

HtmlHelpViewer* loadedHtmlHelpViewer()
{
    return library().viewer.get();
}

quintptr HtmlHelpApi(QWidget* owner, const QString& file, int command, const QVariant& data)
{
    HtmlHelpViewer* viewer = library().viewer.get();
    return viewer ? viewer->HtmlHelp(owner, file, command, data) : 0;
}
