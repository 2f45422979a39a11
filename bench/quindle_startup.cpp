// Start-up of the real program on a given list file, as a whole process:
// builds the main window offscreen, runs its first activation (settings,
// load, view refill) and exits as soon as the view is filled.
//   quindle_startup LISTFILE
#include "app/projectlistmodel.h"
#include "app/tvantorel.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: quindle_startup LISTFILE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A private settings store naming the list, without the start-up jump.
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    {
        QSettings settings(QStringLiteral("Corvane"), QStringLiteral("Vantorel"));
        settings.setValue(QStringLiteral("Current"), QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());
        settings.setValue(QStringLiteral("Last"), QStringLiteral("0"));
    }
    TVantorel window;
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        // A long load shows its progress and lets events through meanwhile.
        if (!window.parts().firstActivationDone || window.parts().startupInProgress || QApplication::activeModalWidget())
            return;
        const int rows = window.parts().listModel->count();
        std::printf("%d items\n", rows);
        std::fflush(stdout);
        // The measure ends at the filled view: no close, no teardown.
        std::_Exit(rows > 0 ? 0 : 1);
    });
    poll.start(0);
    return app.exec();
}
