// Writes the program icon as PNG files for the desktop's icon theme:
//   iconrender OUTPUT_FOLDER SIZE...   gives OUTPUT_FOLDER/SIZE/quindle.png
#include "app/programicon.h"

#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: iconrender OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder = output.filePath(QString::number(size));
        const QString file = folder + QStringLiteral("/quindle.png");
        if (size <= 0 || !QDir().mkpath(folder) || !programIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "iconrender: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
