#include "help/helpfilelocation.h"

#include <QDir>
#include <QFileInfo>

QStringList helpFileCandidates(const QString& executablePath, const QString& fileName)
{
    const QDir executableDir = QFileInfo(executablePath).absoluteDir();
    return {QDir::toNativeSeparators(executableDir.filePath(fileName)),
            QDir::toNativeSeparators(QDir::cleanPath(executableDir.filePath(QStringLiteral("../share/quindle/") + fileName)))};
}

QString locateHelpFile(const QString& executablePath, const QString& fileName)
{
    const QStringList candidates = helpFileCandidates(executablePath, fileName);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return candidates.first();
}

QString missingHelpFileMessage(const QString& executablePath, const QString& fileName)
{
    return QStringLiteral("Cannot find help file ") +
           helpFileCandidates(executablePath, fileName).join(QStringLiteral(" or "));
}
