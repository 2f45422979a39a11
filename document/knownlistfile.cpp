#include "document/knownlistfile.h"

#include "document/filesystemkind.h"
#include "document/listfilelock.h"

ListFileStamp KnownListFile::read(const std::string& path, LineList& into, const ReadProgress& progress)
{
    ListFileStamp stamp = ListFileStamp::of(path, nullptr);
    loadListFile(path, into, progress);
    return stamp;
}

ListFileStamp KnownListFile::readHashed(const std::string& path, LineList& into, const ReadProgress& progress)
{
    ListFileStamp stamp = read(path, into, progress);
    stamp.linesHash = std::make_shared<LinesHash>(into);
    stamp.linesHash->value();
    return stamp;
}

void KnownListFile::describeTo(SaveJob& job) const
{
    job.stamp = stamp_;
    if (stamp_.linesHash)
        job.stampedHash = stamp_.linesHash->value();
    job.baseExisted = stamp_.identity.exists;
    job.lockTrusted = ListFileLock::lockingEnabled()
        && !isNetworkFileSystem(QString::fromLocal8Bit(job.path.data(), qsizetype(job.path.size())));
}

void KnownListFile::use(const std::string& path)
{
    linkTarget_ = path == lastReadPath_ ? lastReadLinkTarget_ : linkTargetOf(path);
    if (path == lastReadPath_) {
        stamp_ = lastReadStamp_;
        return;
    }
    ListFileStamp asItStands = ListFileStamp::of(path, nullptr);
    if (!asItStands.identity.sameFileAs(stamp_.identity))
        stamp_ = asItStands;
}

void KnownListFile::rememberRead(const std::string& path, const ListFileStamp& stamp, bool inUse)
{
    lastReadPath_ = path;
    lastReadStamp_ = stamp;
    if (inUse)
        stamp_ = stamp;
}

void KnownListFile::rememberLink(const std::string& linkTarget, bool inUse)
{
    lastReadLinkTarget_ = linkTarget;
    if (inUse)
        linkTarget_ = linkTarget;
}

void KnownListFile::rememberWritten(const std::string& path, const ListFileStamp& stamp)
{
    linkTarget_ = linkTargetOf(path);
    pendingHash_ = stamp.linesHash;
    stamp_ = stamp;
    lastReadPath_ = path;
    lastReadStamp_ = stamp;
}

std::shared_ptr<LinesHash> KnownListFile::hashLater(const LineList& lines)
{
    pendingHash_ = std::make_shared<LinesHash>(lines);
    return pendingHash_;
}

void KnownListFile::settlePendingHash()
{
    if (pendingHash_) {
        pendingHash_->value();
        pendingHash_.reset();
    }
}
