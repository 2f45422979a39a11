#include "document/projectlistdocument.h"

#include "listfile/listedit.h"
#include "listfile/listfileio.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

ProjectListDocument::ProjectListDocument(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settleDelay_(new QTimer(this))
{
    settleDelay_->setSingleShot(true);
    settleDelay_->setInterval(200);
    connect(watcher_, &QFileSystemWatcher::fileChanged, settleDelay_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settleDelay_, qOverload<>(&QTimer::start));
    connect(settleDelay_, &QTimer::timeout, this, &ProjectListDocument::checkDiskAfterNotice);
    watchListFile();
}

void ProjectListDocument::setCurrentListFile(const std::string& path)
{
    if (path == currentListFile_)
        return;
    if (path == lastReadPath_) {
        stamp_ = lastReadStamp_;
    } else {
        // The same file under another name (made absolute, say) keeps what
        // is known of it.
        ListFileStamp asItStands = ListFileStamp::of(path, nullptr);
        if (!asItStands.identity.sameFileAs(stamp_.identity))
            stamp_ = asItStands;
    }
    currentListFile_ = path;
    reportedOnDisk_.reset();
    watchListFile();
    emit listFileChanged();
}

ListFileStamp ProjectListDocument::readFile(const std::string& path, LineList& into)
{
    // Taken before reading: a change while the file is read shows as a
    // change, never the other way round.
    ListFileStamp stamp = ListFileStamp::of(path, nullptr);
    loadListFile(path, into);
    return stamp;
}

void ProjectListDocument::rememberRead(const std::string& path, const ListFileStamp& stamp)
{
    lastReadPath_ = path;
    lastReadStamp_ = stamp;
    if (path == currentListFile_) {
        stamp_ = stamp;
        reportedOnDisk_.reset();
        watchListFile();
    }
}

void ProjectListDocument::settlePendingHash()
{
    if (pendingHash_) {
        pendingHash_->value();
        pendingHash_.reset();
    }
}

void ProjectListDocument::load(const std::string& path)
{
    LineList loaded;
    ListFileStamp stamp = readFile(path, loaded);
    settlePendingHash();
    lines_.swap(loaded);
    pendingHash_ = std::make_shared<LinesHash>(lines_);
    stamp.linesHash = pendingHash_;
    rememberRead(path, stamp);
    unsavedChanges_ = false;
    emit linesReloaded();
    emit linesChanged();
}

void ProjectListDocument::save()
{
    settlePendingHash();
    saveListFile(currentListFile_, lines_);
    pendingHash_ = std::make_shared<LinesHash>(lines_);
    stamp_ = ListFileStamp::of(currentListFile_, pendingHash_);
    lastReadPath_ = currentListFile_;
    lastReadStamp_ = stamp_;
    unsavedChanges_ = false;
    reportedOnDisk_.reset();
    // A save puts a new file in the old one's place.
    watchListFile();
}

RepairCounts ProjectListDocument::repair(RepairObserver& observer)
{
    // Repaired aside, so that a failed read or a cancelled repair leaves the
    // list, and what is known of the file, as they were.
    LineList reloaded;
    ListFileStamp stamp = readFile(currentListFile_, reloaded);
    // Hashed before the repair changes the lines read.
    stamp.linesHash = std::make_shared<LinesHash>(reloaded);
    stamp.linesHash->value();
    const RepairCounts counts = repairLines(reloaded, observer);
    if (!counts.cancelled) {
        settlePendingHash();
        lines_.swap(reloaded);
        rememberRead(currentListFile_, stamp);
        unsavedChanges_ = false;
        emit linesReloaded();
        emit linesChanged();
    }
    return counts;
}

void ProjectListDocument::clear()
{
    settlePendingHash();
    lines_.clear();
    unsavedChanges_ = false;
    emit linesChanged();
}

std::size_t ProjectListDocument::putProject(std::string_view numberText, std::string_view line,
                                            std::optional<std::size_t> insertAt)
{
    settlePendingHash();
    const std::size_t at = putProjectLine(lines_, numberText, line, insertAt);
    keepSorted(lines_, at);
    unsavedChanges_ = true;
    emit linesChanged();
    return at;
}

void ProjectListDocument::removeProject(std::string_view numberText)
{
    settlePendingHash();
    removeProjectLine(lines_, numberText);
    unsavedChanges_ = true;
    emit linesChanged();
}

DiskState ProjectListDocument::listFileOnDisk()
{
    return stamp_.compareWithDisk(currentListFile_);
}

void ProjectListDocument::watchListFile()
{
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (currentListFile_.empty() || currentListFile_.find('\0') != std::string::npos)
        return;
    const QFileInfo file(QString::fromLocal8Bit(currentListFile_.data(), qsizetype(currentListFile_.size())));
    // The folder tells when the file is deleted, replaced or created; the
    // file itself when it is written in place.
    const QString folder = file.absolutePath();
    if (QFileInfo(folder).isDir())
        watcher_->addPath(folder);
    if (file.exists())
        watcher_->addPath(file.absoluteFilePath());
}

void ProjectListDocument::checkDiskAfterNotice()
{
    // A file replaced by a new one is no longer the one watched.
    watchListFile();
    if (stamp_.compareWithDisk(currentListFile_) == DiskState::Unchanged) {
        reportedOnDisk_.reset();
        return;
    }
    const FileIdentity now = identityOf(currentListFile_);
    if (now == reportedOnDisk_)
        return;
    reportedOnDisk_ = now;
    emit listFileChangedOnDisk();
}
