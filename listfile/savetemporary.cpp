#include "listfile/savetemporary.h"

#include "listfile/posixfile.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t randomLetters = 8;
// Keeps the temporary name within the usual 255-byte limit however long the list's name.
constexpr std::size_t longestStem = 200;

// Marks a file as one of this program's save files.
constexpr std::string_view ownInfix = ".quindle-save.";

std::string temporaryPrefix(std::string_view listFileName)
{
    std::string prefix = ".";
    prefix += listFileName.substr(0, longestStem);
    prefix += ownInfix;
    return prefix;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

void closeQuietly(int& fd)
{
    if (fd >= 0)
        ::close(std::exchange(fd, -1));
}

// Takes the lock of a file just created. A stale-file sweep of another save
// may have opened it in the moment between: then the name is left to that
// sweep and the caller tries another.
enum class LockResult { locked, unsupported, taken };

LockResult lockNewFile(int fd)
{
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? LockResult::taken : LockResult::unsupported;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_nlink == 0)
        return LockResult::taken;  // swept away before we held it
    return LockResult::locked;
}

} // namespace

// O_EXCL makes the name ours; mode 0666 lets the umask decide the bits of a
// brand-new list exactly as for any file the user creates.
SaveTemporary::SaveTemporary(const std::string& target)
{
    const std::string prefix = folderOf(target) + "/" + temporaryPrefix(fileNameOf(target));
    static unsigned long counter = 0;
    const unsigned long long seed = static_cast<unsigned long long>(::getpid()) * 0x9E3779B97F4A7C15ull
        ^ reinterpret_cast<std::uintptr_t>(this);
    for (int attempt = 0; attempt < 100; ++attempt) {
        struct timespec now {};
        ::clock_gettime(CLOCK_REALTIME, &now);
        unsigned long long bits = seed ^ (static_cast<unsigned long long>(now.tv_nsec) << 20)
            ^ static_cast<unsigned long long>(now.tv_sec) ^ (++counter * 0xBF58476D1CE4E5B9ull);
        std::string name = prefix;
        for (std::size_t i = 0; i < randomLetters; ++i) {
            name += letters[bits % (sizeof letters - 1)];
            bits /= sizeof letters - 1;
        }
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno != EEXIST)
                return;
            continue;
        }
        if (lockNewFile(fd) == LockResult::taken) {
            ::close(fd);
            continue;
        }
        fd_ = fd;
        path_ = std::move(name);
        return;
    }
}

SaveTemporary::~SaveTemporary()
{
    if (!path_.empty())
        ::unlink(path_.c_str());
    closeQuietly(fd_);
    closeQuietly(lockFd_);
}

bool SaveTemporary::finishWriting()
{
    if (fd_ < 0 || ::fsync(fd_) != 0)
        return false;
    // On network and quota-limited file systems a failed write may only show
    // when the file is closed; the duplicate keeps the lock meanwhile.
    lockFd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    return ::close(std::exchange(fd_, -1)) == 0;
}

bool SaveTemporary::renameOnto(const std::string& target)
{
    if (path_.empty() || ::rename(path_.c_str(), target.c_str()) != 0)
        return false;
    path_.clear();
    closeQuietly(lockFd_);
    syncFolder(folderOf(target));
    return true;
}

bool isSaveTemporaryName(std::string_view fileName, std::string_view listFileName)
{
    const std::string prefix = temporaryPrefix(listFileName);
    if (fileName.size() != prefix.size() + randomLetters || fileName.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : fileName.substr(prefix.size()))
        if (!isLetter(c))
            return false;
    return true;
}

void removeStaleSaveTemporaries(const std::string& target)
{
    const std::string_view listFileName = fileNameOf(target);
    DIR* folder = ::opendir(folderOf(target).c_str());
    if (!folder)
        return;
    const int folderFd = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (!isSaveTemporaryName(name, listFileName))
            continue;
        // A save that writes this file holds its lock; only a file nobody
        // holds, still under this name, is removed.
        int fd = ::openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            fd = ::openat(folderFd, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(folderFd, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev
            && named.st_ino == held.st_ino)
            ::unlinkat(folderFd, name, 0);
        ::close(fd);
    }
    ::closedir(folder);
}
