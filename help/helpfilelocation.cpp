#include "help/helpfilelocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QSqlDatabase>

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
    const QStringList candidates = helpFileCandidates(executablePath, fileName);
    return QCoreApplication::translate("HelpFileLocation", "Cannot find help file %1 or %2")
        .arg(candidates.at(0), candidates.at(1));
}

bool isReadableHelpFile(const QString& helpFile)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return true;
    return QFileInfo(helpFile).isFile() && !QHelpEngineCore::namespaceName(helpFile).isEmpty();
}

QString unreadableHelpFileMessage(const QString& helpFile)
{
    return QCoreApplication::translate("HelpFileLocation", "Cannot read help file %1")
        .arg(QDir::toNativeSeparators(helpFile));
}

QString helpFileProblem(const QString& helpFile, const QString& executablePath, const QString& fileName)
{
    if (!QFileInfo(helpFile).isFile())
        return missingHelpFileMessage(executablePath, fileName);
    if (!isReadableHelpFile(helpFile))
        return unreadableHelpFileMessage(helpFile);
    return QString();
}
