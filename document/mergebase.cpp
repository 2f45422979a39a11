#include "document/mergebase.h"

#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/listjournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

namespace {

std::string absolutePath(const std::string& path)
{
    return QFileInfo(QString::fromLocal8Bit(path.data(), qsizetype(path.size()))).absoluteFilePath()
        .toLocal8Bit()
        .toStdString();
}

// One writer, so that the bases of two saves land in the order they were made.
QThreadPool& writers()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

} // namespace

namespace MergeBase {

QString folder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/quindle/merge-bases");
}

std::string pathFor(const std::string& listPath)
{
    std::string name = journalFileName(absolutePath(listPath));
    const std::string journalExtension = ".journal";
    if (name.size() > journalExtension.size()
        && name.compare(name.size() - journalExtension.size(), journalExtension.size(), journalExtension) == 0)
        name.resize(name.size() - journalExtension.size());
    return (folder() + QLatin1Char('/')).toLocal8Bit().toStdString() + name + ".base";
}

bool inSyncedFolder(const std::string& listPath)
{
    static const QStringList markers = {QStringLiteral(".stfolder"), QStringLiteral(".stversions"),
                                        QStringLiteral(".dropbox"), QStringLiteral(".nextcloudsync.log"),
                                        QStringLiteral(".owncloudsync.log")};
    QDir dir = QFileInfo(QString::fromLocal8Bit(listPath.data(), qsizetype(listPath.size()))).absoluteDir();
    // A few stats a folder up to the root: the sync tool's marker lies in
    // the synced folder's top, which may be far above the list.
    for (;;) {
        for (const QString& marker : markers)
            if (QFileInfo::exists(dir.filePath(marker)))
                return true;
        if (!dir.entryList({QStringLiteral("._sync_*.db")}, QDir::Files | QDir::Hidden).isEmpty())
            return true;
        if (!dir.cdUp())
            return false;
    }
}

bool keptFor(const std::string& listPath)
{
    return QFile::exists(QString::fromLocal8Bit(pathFor(listPath).c_str())) || inSyncedFolder(listPath);
}

void keep(const std::string& listPath, const LineList& lines)
{
    const std::string path = pathFor(listPath);
    if (!QDir().mkpath(folder()))
        return;
    QFile::setPermissions(folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The copy shares the lines: the window's next change copies its table,
    // never the bytes being written here.
    writers().start([path, lines] {
        try {
            saveListFile(path, lines);
        } catch (const ListFileError&) {
            // Without a base, a merge keeps every project of both sides.
        }
    });
}

std::optional<LineList> load(const std::string& listPath)
{
    waitForWrites();
    const std::string path = pathFor(listPath);
    if (!QFile::exists(QString::fromLocal8Bit(path.c_str())))
        return std::nullopt;
    LineList lines;
    try {
        loadListFile(path, lines);
    } catch (const ListFileError&) {
        return std::nullopt;
    }
    return lines;
}

void waitForWrites()
{
    writers().waitForDone();
}

} // namespace MergeBase
