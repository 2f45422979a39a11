#include "document/listfilewatch.h"

#include "document/filesystemkind.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {

QString folderOf(const std::string& path)
{
    return QFileInfo(QString::fromLocal8Bit(path.data(), qsizetype(path.size()))).absolutePath();
}

} // namespace

ListFileWatch::ListFileWatch(std::function<ListFileStamp&()> known, QObject* parent)
    : QObject(parent), known_(std::move(known)), watcher_(new QFileSystemWatcher(this)),
      settleDelay_(new QTimer(this)), poll_(new QTimer(this))
{
    settleDelay_->setSingleShot(true);
    settleDelay_->setInterval(200);
    poll_->setInterval(3000);
    connect(watcher_, &QFileSystemWatcher::fileChanged, settleDelay_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        folderNoticed_ = true;
        settleDelay_->start();
    });
    connect(settleDelay_, &QTimer::timeout, this, &ListFileWatch::checkAfterNotice);
    connect(poll_, &QTimer::timeout, this, &ListFileWatch::poll);
}

ListFileWatch::~ListFileWatch() = default;

void ListFileWatch::watch(const std::string& path)
{
    path_ = path;
    reported_.reset();
    rewatch();
}

void ListFileWatch::rewatch()
{
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (path_.empty() || path_.find('\0') != std::string::npos) {
        poll_->stop();
        return;
    }
    const QFileInfo file(QString::fromLocal8Bit(path_.data(), qsizetype(path_.size())));
    // The folder tells when the file is deleted, replaced or created; the
    // file itself when it is written in place.
    const QString folder = file.absolutePath();
    // A file the owner just wrote or read raises no event of its own here:
    // told once the caller is done, when the file is still that one.
    const FileIdentity& known = known_().identity;
    if (known.exists && known != settled_ && identityOf(path_) == known) {
        settled_ = known;
        QMetaObject::invokeMethod(this, &ListFileWatch::settled, Qt::QueuedConnection);
    }
    const bool polled = detection_ == ChangeDetection::PollingOnly || isNetworkFileSystem(folder);
    if (polled && !poll_->isActive()) {
        polledFile_ = identityOf(path_);
        polledFolder_ = identityOf(folder.toLocal8Bit().toStdString());
        poll_->start();
    } else if (!polled) {
        poll_->stop();
    }
    if (detection_ == ChangeDetection::PollingOnly)
        return;
    if (QFileInfo(folder).isDir())
        watcher_->addPath(folder);
    if (file.exists())
        watcher_->addPath(file.absoluteFilePath());
}

void ListFileWatch::setChangeDetection(ChangeDetection detection, std::chrono::milliseconds pollInterval)
{
    detection_ = detection;
    poll_->setInterval(int(pollInterval.count()));
    poll_->stop();
    rewatch();
}

bool ListFileWatch::polls() const
{
    return poll_->isActive();
}

void ListFileWatch::poll()
{
    // A stat of each: cheap enough every few seconds, also on a slow share.
    const FileIdentity file = identityOf(path_);
    const FileIdentity folderNow = identityOf(folderOf(path_).toLocal8Bit().toStdString());
    if (folderNow != polledFolder_)
        folderNoticed_ = true;
    if (file != polledFile_ || folderNow != polledFolder_) {
        polledFile_ = file;
        polledFolder_ = folderNow;
        settleDelay_->start();
    }
}

void ListFileWatch::checkAfterNotice()
{
    // A file replaced by a new one is no longer the one watched.
    rewatch();
    if (folderNoticed_) {
        folderNoticed_ = false;
        emit folderChanged();
    }
    if (known_().compareWithDisk(path_) == DiskState::Unchanged) {
        reported_.reset();
        return;
    }
    const FileIdentity now = identityOf(path_);
    if (now == reported_)
        return;
    reported_ = now;
    emit changedOnDisk();
}
