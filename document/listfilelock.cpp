#include "document/listfilelock.h"

#include "document/filesystemkind.h"
#include "listfile/fittedfilename.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::atomic<bool> lockingOn {true};

// How many ListFileLock objects of this process hold, or are taking, each
// lock file. A lock file with this process's id that none of them holds was
// left by an earlier process that had the same id (a restarted container).
std::mutex ownLocksMutex;
std::map<QString, int> ownLocks;

void countOwnLock(const QString& lockPath, int change)
{
    const std::lock_guard<std::mutex> guard(ownLocksMutex);
    int& count = ownLocks[lockPath];
    count += change;
    if (count <= 0)
        ownLocks.erase(lockPath);
}

bool heldInThisProcess(const QString& lockPath)
{
    const std::lock_guard<std::mutex> guard(ownLocksMutex);
    return ownLocks.count(lockPath) != 0;
}

// A lock file as it stands: the lines QLockFile writes (process id, program,
// host name, machine id, boot id) and the file's identity and owner.
struct LockFileContent {
    bool readable = false;
    qint64 pid = 0;
    QString host;
    QByteArray machineId;
    FileIdentity identity;
    uid_t owner = 0;
};

// None when there is no lock file (its holder let go meanwhile).
std::optional<LockFileContent> readLockFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    LockFileContent content;
    struct stat info {};
    // Not blocking: whatever sits under the name must not stop the save.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (::stat(name.constData(), &info) != 0)
            return std::nullopt;
    } else {
        char bytes[1024];
        ssize_t size = -1;
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
            size = ::read(fd, bytes, sizeof bytes);
        ::close(fd);
        const QList<QByteArray> lines = QByteArray(bytes, size > 0 ? size : 0).split('\n');
        bool isNumber = false;
        content.pid = lines.value(0).toLongLong(&isNumber);
        content.readable = isNumber && content.pid > 0;
        content.host = QString::fromUtf8(lines.value(2));
        content.machineId = lines.value(3);
    }
    content.identity = identityOf(info);
    content.owner = info.st_uid;
    return content;
}

// Judged as QLockFile does: by the machine id when both sides know theirs,
// else by the host name.
bool writtenOnThisHost(const LockFileContent& content)
{
    if (!content.readable)
        return false;
    const QByteArray ourMachine = QSysInfo::machineUniqueId();
    if (!content.machineId.isEmpty() && !ourMachine.isEmpty())
        return content.machineId == ourMachine;
    return content.host.isEmpty() || content.host == QSysInfo::machineHostName();
}

QString userName(uid_t uid)
{
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

LockHolder holderOf(const LockFileContent& content)
{
    LockHolder holder;
    holder.pid = content.readable ? content.pid : 0;
    holder.host = content.host;
    holder.user = userName(content.owner);
    holder.since = QDateTime::fromMSecsSinceEpoch(content.identity.modifiedNs / 1'000'000);
    holder.onThisHost = writtenOnThisHost(content);
    return holder;
}

// Older than staleAfter, or as far ahead of this machine's clock: the file's
// time comes from the file server's clock.
bool isStale(const FileIdentity& identity)
{
    const qint64 ageMs = QDateTime::currentMSecsSinceEpoch() - identity.modifiedNs / 1'000'000;
    const qint64 staleMs = std::chrono::milliseconds(ListFileLock::staleAfter).count();
    return ageMs > staleMs || ageMs < -staleMs;
}

// QLockFile reports only missing permission as such; a read-only mount or a
// share that refuses new files may come as another error.
bool folderTakesNoFiles(const QString& lockPath)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(lockPath).absolutePath());
    struct statvfs info {};
    if (::statvfs(folder.constData(), &info) == 0 && (info.f_flag & ST_RDONLY) != 0)
        return true;
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EROFS || errno == EPERM;
}

LockAttempt outcomeOnly(LockOutcome outcome) { return LockAttempt {outcome, {}, {}}; }

// The guard QLockFile puts beside a lock file while it removes a stale one.
const QString removalGuardSuffix = QStringLiteral(".rmlock");

// What stands under path when that is neither nothing nor a plain file, as
// the user is told it; empty otherwise. Links are not followed: QLockFile
// makes no links.
QString noLockFileAt(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return {};
    const char* kind = "no plain file";
    if (S_ISDIR(info.st_mode))
        kind = "a folder";
    else if (S_ISFIFO(info.st_mode))
        kind = "a named pipe";
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        kind = "a device";
    else if (S_ISSOCK(info.st_mode))
        kind = "a socket";
    else if (S_ISLNK(info.st_mode))
        kind = "a symbolic link";
    return QStringLiteral("%1 is %2, not a lock file").arg(path, QLatin1String(kind));
}

// A holder fills its lock file and holds a lock on it (flock) within moments
// of making it. An empty lock file that nobody holds, a while after it was
// made, was left by a process killed in those moments. Only where such locks
// reach every process that may hold one: not on a network file system.
bool leftEmptyByTheDead(const QString& lockPath, const FileIdentity& identity)
{
    constexpr qint64 fillingMs = 2000;
    if (QDateTime::currentMSecsSinceEpoch() - identity.modifiedNs / 1'000'000 < fillingMs
        || isNetworkFileSystem(lockPath))
        return false;
    const int fd = ::open(QFile::encodeName(lockPath).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool nobodyHolds = ::flock(fd, LOCK_SH | LOCK_NB) == 0;
    ::close(fd);
    return nobodyHolds;
}

} // namespace

QString ListFileLock::lockFilePathFor(const QString& listPath)
{
    const QFileInfo list(QDir::cleanPath(QFileInfo(listPath).absoluteFilePath()));
    const std::string name = fittedFileName(".", QFile::encodeName(list.fileName()).toStdString(), ".quindle-lock",
                                            longestFileName - std::size_t(removalGuardSuffix.size()));
    return list.absolutePath() + QLatin1Char('/') + QFile::decodeName(QByteArray::fromStdString(name));
}

void ListFileLock::setLockingEnabledForTests(bool enabled)
{
    lockingOn = enabled;
}

bool ListFileLock::lockingEnabled()
{
    return lockingOn;
}

ListFileLock::ListFileLock(const QString& listPath)
    : lock_(lockFilePathFor(listPath))
{
    // QLockFile would remove a lock from another machine once it is older
    // than this; the user is asked first instead.
    lock_.setStaleLockTime(0);
}

ListFileLock::~ListFileLock()
{
    unlock();
}

LockAttempt ListFileLock::tryLock()
{
    if (locked_ || !lockingOn) {
        locked_ = true;
        return outcomeOnly(LockOutcome::Locked);
    }
    staleSeen_.reset();
    const QString path = lock_.fileName();
    // A holder may let go between the failed attempt and the look at its
    // file, and a leftover is removed: then the lock is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        // QLockFile would open either to read who holds it, and a pipe keeps
        // an open for reading waiting for ever.
        for (const QString& name : {path, path + removalGuardSuffix})
            if (const QString why = noLockFileAt(name); !why.isEmpty())
                return LockAttempt {LockOutcome::NotALockFile, {}, why};
        countOwnLock(path, +1);
        // QLockFile itself removes a lock whose process is gone from this machine.
        if (lock_.tryLock(0)) {
            locked_ = true;
            return outcomeOnly(LockOutcome::Locked);
        }
        countOwnLock(path, -1);
        if (lock_.error() == QLockFile::PermissionError)
            return outcomeOnly(LockOutcome::FolderNotLockable);
        if (lock_.error() != QLockFile::LockFailedError)
            return outcomeOnly(folderTakesNoFiles(path) ? LockOutcome::FolderNotLockable : LockOutcome::Failed);

        const std::optional<LockFileContent> content = readLockFile(path);
        if (!content)
            continue;
        if (!content->readable && content->identity.size == 0 && leftEmptyByTheDead(path, content->identity)) {
            removeLockFileIfStill(content->identity);
            continue;
        }
        const LockHolder holder = holderOf(*content);
        if (holder.onThisHost && holder.pid == QCoreApplication::applicationPid() && !heldInThisProcess(path)) {
            removeLockFileIfStill(content->identity);
            continue;
        }
        if (!holder.onThisHost && isStale(content->identity)) {
            staleSeen_ = content->identity;
            return LockAttempt {LockOutcome::StaleFromOtherHost, holder, {}};
        }
        return LockAttempt {LockOutcome::HeldByOther, holder, {}};
    }
    return outcomeOnly(LockOutcome::HeldByOther);
}

LockAttempt ListFileLock::takeOverStale()
{
    const std::optional<FileIdentity> agreed = staleSeen_;
    const LockAttempt now = tryLock();
    if (now.outcome != LockOutcome::StaleFromOtherHost || !agreed)
        return now;
    const QString notRemoved = removeLockFileIfStill(*agreed);
    LockAttempt after = tryLock();
    if (after.outcome == LockOutcome::StaleFromOtherHost && !notRemoved.isEmpty() && staleSeen_ == agreed) {
        after.outcome = LockOutcome::CannotTakeOver;
        after.why = notRemoved;
    }
    return after;
}

QString ListFileLock::removeLockFileIfStill(const FileIdentity& judged)
{
    const QString path = lock_.fileName();
    const auto cannotRemove = [&path](int error) {
        return QStringLiteral("the lock %1 cannot be removed: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
    };
    // The guard QLockFile itself takes before it removes a stale lock.
    QLockFile guard(path + removalGuardSuffix);
    if (!guard.tryLock(0)) {
        // Held: another process is removing the lock right now.
        if (guard.error() == QLockFile::LockFailedError)
            return {};
        return cannotRemove(guard.error() == QLockFile::PermissionError ? EACCES : EIO);
    }
    const QByteArray name = QFile::encodeName(path);
    if (identityOf(name.toStdString()) != judged)
        return {};
    if (::unlink(name.constData()) != 0 && errno != ENOENT)
        return cannotRemove(errno);
    return {};
}

void ListFileLock::unlock()
{
    if (!locked_)
        return;
    locked_ = false;
    if (lock_.isLocked()) {
        lock_.unlock();
        countOwnLock(lock_.fileName(), -1);
    }
}
