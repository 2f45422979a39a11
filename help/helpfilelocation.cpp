#include "help/helpfilelocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QList>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QUrl>

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

namespace {

// The page help opens on, the top of the help file's contents.
const QString startPage = QStringLiteral("index.html");

// Whether the help engine can open the start page of helpFile, whose
// namespace is ns: registered in a collection of its own that goes again,
// so that the viewer's collection never holds a file that failed.
bool startPageOpens(const QString& helpFile, const QString& ns)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return true;  // cannot tell: the viewer will try
    QHelpEngineCore engine(folder.filePath(QStringLiteral("check.qhc")));
    engine.setReadOnly(false);
    engine.setUsesFilterEngine(true);
    if (!engine.setupData() || !engine.registerDocumentation(helpFile))
        return false;
    const QList<QUrl> files = engine.files(ns, QString(), QString());
    for (const QUrl& url : files)
        if (url.fileName().compare(startPage, Qt::CaseInsensitive) == 0)
            return !engine.fileData(url).isEmpty();
    return false;
}

} // namespace

bool isReadableHelpFile(const QString& helpFile)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return true;
    const QFileInfo info(helpFile);
    if (!info.isFile())
        return false;
    // Asked at every help gesture: the answer holds while the file stays as it is.
    static QString checkedFile;
    static QString checkedStamp;
    static bool readable = false;
    const QString stamp = QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':')
        + QString::number(info.size());
    if (info.absoluteFilePath() == checkedFile && stamp == checkedStamp)
        return readable;
    const QString ns = QHelpEngineCore::namespaceName(info.absoluteFilePath());
    readable = !ns.isEmpty() && startPageOpens(info.absoluteFilePath(), ns);
    checkedFile = info.absoluteFilePath();
    checkedStamp = stamp;
    return readable;
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
