// quindle-cli: the project list from scripts and from git, beside the window.
#include "cli/clicommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <iostream>

int main(int argc, char* argv[])
{
    // Arguments keep their bytes: a description or a file name in any coding.
    std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication application(argc, argv);
    std::ios::sync_with_stdio(false);
    // git runs the driver by name when this program is the one on the path.
    const auto programPath = [] {
        const QString self = QCoreApplication::applicationFilePath();
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("quindle-cli"));
        const bool onPathIsSelf = !onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == self;
        return QFile::encodeName(onPathIsSelf ? QStringLiteral("quindle-cli") : self).toStdString();
    };
    const int status = runCli(args, {std::cin, std::cout, std::cerr, stdout}, programPath);
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0)
        return 3;
    return status;
}
