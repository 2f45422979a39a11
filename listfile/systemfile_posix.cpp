// The list core's system calls on Linux and other POSIX systems.
#include "listfile/systemfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int fdOf(const SystemFile& file)
{
    return static_cast<int>(file.handle());
}

FileKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileKind::plain;
    if (S_ISDIR(mode))
        return FileKind::folder;
    if (S_ISLNK(mode))
        return FileKind::link;
    return FileKind::other;
}

FileStatus statusFrom(const struct stat& info)
{
    FileStatus status;
    status.kind = kindOf(info.st_mode);
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.identity = static_cast<std::uint64_t>(info.st_ino);
    status.links = static_cast<std::uint64_t>(info.st_nlink);
    return status;
}

SystemFailure failureOf(int error)
{
    SystemFailure failure;
    failure.kind = error == EEXIST ? SystemFailure::Kind::nameTaken
        : error == ENOENT || error == ENOTDIR ? SystemFailure::Kind::missing
                                               : SystemFailure::Kind::other;
    failure.reason = std::strerror(error);
    return failure;
}

// A path holding a NUL names no file: the system would take only the part
// before it, which is some other file.
bool namesAFile(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

SystemFile opened(int fd)
{
    return SystemFile(fd < 0 ? SystemFile::noHandle : static_cast<std::intptr_t>(fd));
}

// A small file of /proc, whole; empty when it cannot be read.
std::string procFile(const std::string& path)
{
    SystemFile file = openForReading(path);
    std::string text;
    char buffer[4096];
    for (long long got; file.valid() && text.size() <= 65536 && (got = readSome(file, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    return text;
}

// Field 22 of a /proc/<pid>/stat text: clock ticks after boot. The command
// name (field 2) may hold blanks and parentheses, so fields are counted
// from its last ")".
std::uint64_t startTicksOf(const std::string& stat)
{
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos)
        return 0;
    std::size_t at = nameEnd + 1;
    for (int field = 3; field <= 22; ++field) {
        at = stat.find_first_not_of(' ', at);
        if (at == std::string::npos)
            return 0;
        const std::size_t end = std::min(stat.find(' ', at), stat.size());
        if (field == 22) {
            std::uint64_t ticks = 0;
            for (std::size_t i = at; i < end; ++i) {
                if (stat[i] < '0' || stat[i] > '9')
                    return 0;
                ticks = ticks * 10 + static_cast<std::uint64_t>(stat[i] - '0');
            }
            return ticks;
        }
        at = end;
    }
    return 0;
}

} // namespace

void SystemFile::close()
{
    if (handle_ != noHandle)
        ::close(static_cast<int>(std::exchange(handle_, noHandle)));
}

SystemFile openForReading(const std::string& path)
{
    if (!namesAFile(path))
        return SystemFile();
    return opened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
}

SystemFile openWithoutFollowing(const std::string& path, bool forWriting)
{
    if (!namesAFile(path))
        return SystemFile();
    const int access = forWriting ? O_WRONLY : O_RDONLY;
    return opened(::open(path.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

// Mode 0666 lets the umask decide the bits of a brand-new list exactly as
// for any file the user creates.
SystemFile createNewFile(const std::string& path, bool privateToUser, SystemFailure* failure)
{
    const int fd = namesAFile(path) ? ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                             privateToUser ? 0600 : 0666)
                                    : (errno = ENOENT, -1);
    if (fd < 0 && failure)
        *failure = failureOf(errno);
    return opened(fd);
}

FileStatus statusOf(const SystemFile& file)
{
    struct stat info {};
    if (::fstat(fdOf(file), &info) != 0)
        return FileStatus{FileKind::unreadable};
    return statusFrom(info);
}

FileStatus statusOfPath(const std::string& path, bool followLinks)
{
    struct stat info {};
    if (!namesAFile(path))
        return FileStatus{FileKind::missing};
    if ((followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) != 0)
        return FileStatus{errno == ENOENT || errno == ENOTDIR ? FileKind::missing : FileKind::unreadable};
    return statusFrom(info);
}

bool mayWrite(const std::string& path)
{
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string linkTarget(const std::string& path)
{
    if (statusOfPath(path, false).kind != FileKind::link)
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string target(real);
    std::free(real);
    return target;
}

long long readSome(SystemFile& file, char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t got = ::read(fdOf(file), buffer, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

long long readAt(const SystemFile& file, char* buffer, std::size_t size, std::uint64_t offset)
{
    for (;;) {
        const ssize_t got = ::pread(fdOf(file), buffer, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

bool seekTo(SystemFile& file, std::uint64_t offset)
{
    return ::lseek(fdOf(file), static_cast<off_t>(offset), SEEK_SET) == static_cast<off_t>(offset);
}

bool writeAll(SystemFile& file, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fdOf(file), data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool writeAllAt(SystemFile& file, std::string_view bytes, std::uint64_t offset)
{
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fdOf(file), bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool truncateTo(SystemFile& file, std::uint64_t size)
{
    return ::ftruncate(fdOf(file), static_cast<off_t>(size)) == 0;
}

bool onlyHoleFrom(const SystemFile& file, std::uint64_t offset)
{
    return ::lseek(fdOf(file), static_cast<off_t>(offset), SEEK_DATA) < 0 && errno == ENXIO;
}

bool flushToDisk(SystemFile& file, bool dataOnly)
{
    return (dataOnly ? ::fdatasync(fdOf(file)) : ::fsync(fdOf(file))) == 0;
}

// A duplicate of the descriptor keeps the lock (flock belongs to the open
// file, not to one descriptor of it) while the first is closed, since on
// network and quota-limited file systems a failed write may only show then.
bool finishWrites(SystemFile& file)
{
    const int keeper = ::fcntl(fdOf(file), F_DUPFD_CLOEXEC, 0);
    const bool closed = ::close(static_cast<int>(file.release())) == 0;
    file = opened(keeper);
    return closed;
}

void keepOwnerAndPermissions(SystemFile& temporary, const std::string& original)
{
    struct stat existing {};
    if (::stat(original.c_str(), &existing) != 0)
        return;
    if (::fchown(fdOf(temporary), existing.st_uid, existing.st_gid) != 0) {
        // Not permitted for most users; the group alone may still be.
        (void)!::fchown(fdOf(temporary), static_cast<uid_t>(-1), existing.st_gid);
    }
    (void)::fchmod(fdOf(temporary), existing.st_mode & 07777);
}

bool replaceFile(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

SystemFailure moveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return failureOf(errno);
    // File systems without the no-replace rename: link() never replaces
    // either. Where there are no hard links (several network ones), the name
    // is first claimed by an empty file of ours, which the move then replaces.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    if (errno == EEXIST)
        return failureOf(errno);
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0)
        return failureOf(errno);
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return {};
    const int error = errno;
    ::unlink(to.c_str());
    return failureOf(error);
}

bool removeFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool removeHeldFile(const SystemFile& file, const std::string& path)
{
    return isSameFile(statusOf(file), statusOfPath(path, false)) && ::unlink(path.c_str()) == 0;
}

SystemFailure makePrivateFolder(const std::string& path)
{
    return ::mkdir(path.c_str(), 0700) == 0 ? SystemFailure{} : failureOf(errno);
}

bool forEachEntry(const std::string& folder, const std::function<void(const std::string&, FileKind)>& found)
{
    DIR* entries = ::opendir(folder.c_str());
    if (!entries)
        return false;
    const int folderFd = ::dirfd(entries);
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        FileKind kind = entry->d_type == DT_REG ? FileKind::plain
            : entry->d_type == DT_DIR           ? FileKind::folder
            : entry->d_type == DT_LNK           ? FileKind::link
                                                : FileKind::other;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            kind = ::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 ? kindOf(info.st_mode)
                                                                                      : FileKind::unreadable;
        }
        found(name, kind);
    }
    ::closedir(entries);
    return true;
}

void syncFolder(const std::string& folder)
{
    const SystemFile directory = opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.valid())
        ::fsync(fdOf(directory));
}

std::string_view pathSeparators()
{
    return "/";
}

LockResult tryLock(SystemFile& file, bool exclusive)
{
    if (::flock(fdOf(file), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0)
        return LockResult::locked;
    return errno == EWOULDBLOCK ? LockResult::heldElsewhere : LockResult::unsupported;
}

std::int64_t currentProcessId()
{
    return ::getpid();
}

std::uint64_t processStartTime(std::int64_t processId)
{
    if (processId <= 0)
        return 0;
    return startTicksOf(procFile("/proc/" + std::to_string(processId) + "/stat"));
}

std::string hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string bootId()
{
    std::string id = procFile("/proc/sys/kernel/random/boot_id");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
        id.pop_back();
    return id;
}

std::uint64_t physicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return std::uint64_t(pages) * std::uint64_t(pageSize);
}

bool localeIsUtf8()
{
    return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

void preferHugePages(const void* data, std::size_t bytes)
{
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t hugePage = std::uintptr_t(2) << 20;
    if (!data || bytes < hugePage)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (begin + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(hugePage - 1);
    if (last > first)
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}
