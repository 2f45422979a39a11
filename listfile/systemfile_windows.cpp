// The list core's system calls on Windows. Paths arrive as UTF-8 and go to
// the wide calls; long ones get the "\\?\" prefix, which lifts the limit of
// MAX_PATH characters. Every file is opened sharing reading, writing and
// deletion, so that our own opening never keeps another save from renaming.
#include "listfile/systemfile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <clocale>
#include <thread>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The biggest piece one ReadFile or WriteFile call is given.
constexpr std::size_t largestPiece = std::size_t(1) << 30;

HANDLE handleOf(const SystemFile& file)
{
    return reinterpret_cast<HANDLE>(file.handle());
}

SystemFile opened(HANDLE handle)
{
    return SystemFile(handle == INVALID_HANDLE_VALUE || handle == nullptr ? SystemFile::noHandle
                                                                          : reinterpret_cast<std::intptr_t>(handle));
}

std::string utf8Of(const wchar_t* text, std::size_t length)
{
    if (length == 0)
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string utf8Of(const std::wstring& text)
{
    return utf8Of(text.data(), text.size());
}

bool startsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The wide path for the system: empty when path is no valid UTF-8 or holds a
// NUL (the system would take only the part before it, some other file).
// From MAX_PATH less the room of an 8.3 name on, as the system counts for
// folders, the path is made absolute and given the "\\?\" prefix, under
// which the system takes it as it stands: hence "/" becomes "\" first.
std::wstring widePath(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                                           nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), wide.data(),
                          size);
    if (wide.size() < MAX_PATH - 12 || startsWith(wide, L"\\\\?\\") || startsWith(wide, L"\\\\.\\"))
        return wide;
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return {};
    full.resize(length);
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The path as a user writes it: without the prefix where it fits without.
std::string userPath(std::wstring wide)
{
    if (startsWith(wide, L"\\\\?\\UNC\\"))
        wide = L"\\\\" + wide.substr(8);
    else if (startsWith(wide, L"\\\\?\\") && wide.size() - 4 < MAX_PATH - 12)
        wide = wide.substr(4);
    return utf8Of(wide);
}

std::string messageOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return takenNameReason;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return missingFileReason;
    case ERROR_ACCESS_DENIED:
        return deniedReason;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return diskFullReason;
    default:
        break;
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                              | FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = text ? utf8Of(text, length) : "error " + std::to_string(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '
                                || message.back() == '.'))
        message.pop_back();
    return message;
}

bool meansMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME
        || error == ERROR_BAD_NETPATH || error == ERROR_INVALID_DRIVE;
}

SystemFailure failureOf(DWORD error)
{
    SystemFailure failure;
    failure.kind = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? SystemFailure::Kind::nameTaken
        : meansMissing(error)                                                 ? SystemFailure::Kind::missing
                                                                              : SystemFailure::Kind::other;
    failure.reason = messageOf(error);
    return failure;
}

// A name that is no path at all fails like a missing file.
SystemFailure lastFailure(const std::wstring& wide)
{
    return failureOf(wide.empty() ? ERROR_INVALID_NAME : ::GetLastError());
}

HANDLE openWide(const std::wstring& wide, DWORD access, DWORD disposition, DWORD flags)
{
    if (wide.empty()) {
        ::SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    return ::CreateFileW(wide.c_str(), access, shareAll, nullptr, disposition, flags, nullptr);
}

// A reparse point that stands for another name (a symbolic link, a
// junction) is a link; others, such as the placeholders of files kept in a
// cloud, are the file itself.
FileKind kindOf(DWORD attributes, DWORD reparseTag)
{
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(reparseTag))
        return FileKind::link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return FileKind::folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return FileKind::other;
    return FileKind::plain;
}

// LockFileEx locks bytes, and a locked byte cannot be read or written through
// another handle. The lock is taken far past the end of any list file, so it
// marks the file as held without keeping anyone from its bytes.
constexpr DWORD lockOffsetHigh = 0x40000000;

} // namespace

void SystemFile::close()
{
    if (handle_ != noHandle)
        ::CloseHandle(reinterpret_cast<HANDLE>(std::exchange(handle_, noHandle)));
}

SystemFile openForReading(const std::string& path)
{
    return opened(openWide(widePath(path), GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
}

SystemFile openWithoutFollowing(const std::string& path, bool forWriting)
{
    return opened(openWide(widePath(path), forWriting ? GENERIC_WRITE : GENERIC_READ, OPEN_EXISTING,
                           FILE_FLAG_OPEN_REPARSE_POINT));
}

// The new file takes the permissions its folder hands down, as any file the
// user creates there; a private one needs nothing more, since the folders
// the program keeps its own files in are the user's own.
SystemFile createNewFile(const std::string& path, bool privateToUser, SystemFailure* failure)
{
    (void)privateToUser;
    const std::wstring wide = widePath(path);
    SystemFile file = opened(openWide(wide, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
    if (!file.valid() && failure)
        *failure = lastFailure(wide);
    return file;
}

FileStatus statusOf(const SystemFile& file)
{
    const HANDLE handle = handleOf(file);
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return FileStatus{FileKind::other};
    BY_HANDLE_FILE_INFORMATION info {};
    if (!::GetFileInformationByHandle(handle, &info))
        return FileStatus{FileKind::unreadable};
    FILE_ATTRIBUTE_TAG_INFO tag {};
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag);
    FileStatus status;
    status.kind = kindOf(info.dwFileAttributes, tag.ReparseTag);
    status.size = (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status.device = info.dwVolumeSerialNumber;
    status.identity = (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    status.links = info.nNumberOfLinks;
    // A file removed while open keeps its name until the last handle goes.
    FILE_STANDARD_INFO standard {};
    if (::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) && standard.DeletePending)
        status.links = 0;
    return status;
}

FileStatus statusOfPath(const std::string& path, bool followLinks)
{
    // Asking for attributes only: no other program's sharing stands in the way.
    const SystemFile file = opened(openWide(widePath(path), FILE_READ_ATTRIBUTES, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS
                                                | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT)));
    if (!file.valid())
        return FileStatus{meansMissing(::GetLastError()) ? FileKind::missing : FileKind::unreadable};
    return statusOf(file);
}

bool mayWrite(const std::string& path)
{
    const std::wstring wide = widePath(path);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES
        && !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

std::string linkTarget(const std::string& path)
{
    if (statusOfPath(path, false).kind != FileKind::link)
        return path;
    const SystemFile file = opened(openWide(widePath(path), FILE_READ_ATTRIBUTES, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS));
    if (!file.valid())
        return path;
    const DWORD needed = ::GetFinalPathNameByHandleW(handleOf(file), nullptr, 0, FILE_NAME_NORMALIZED);
    if (needed == 0)
        return path;
    std::wstring target(needed, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(handleOf(file), target.data(), needed, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= needed)
        return path;
    target.resize(length);
    return userPath(target);
}

long long readSome(SystemFile& file, char* buffer, std::size_t size)
{
    DWORD got = 0;
    if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, largestPiece)), &got, nullptr))
        return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
    return got;
}

long long readAt(const SystemFile& file, char* buffer, std::size_t size, std::uint64_t offset)
{
    OVERLAPPED at {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, largestPiece)), &got, &at))
        return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}

bool seekTo(SystemFile& file, std::uint64_t offset)
{
    LARGE_INTEGER to {};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(handleOf(file), to, nullptr, FILE_BEGIN) != 0;
}

bool writeAll(SystemFile& file, const char* data, std::size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!::WriteFile(handleOf(file), data, static_cast<DWORD>(std::min(size, largestPiece)), &written, nullptr)
            || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool writeAllAt(SystemFile& file, std::string_view bytes, std::uint64_t offset)
{
    while (!bytes.empty()) {
        OVERLAPPED at {};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!::WriteFile(handleOf(file), bytes.data(), static_cast<DWORD>(std::min(bytes.size(), largestPiece)),
                         &written, &at)
            || written == 0)
            return false;
        bytes.remove_prefix(written);
        offset += written;
    }
    return true;
}

bool truncateTo(SystemFile& file, std::uint64_t size)
{
    FILE_END_OF_FILE_INFO end {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end) != 0;
}

bool onlyHoleFrom(const SystemFile&, std::uint64_t)
{
    return false;  // the holes are read as zeros
}

bool flushToDisk(SystemFile& file, bool)
{
    return ::FlushFileBuffers(handleOf(file)) != 0;
}

// WriteFile and FlushFileBuffers have reported every failure already; the
// handle stays open, since its lock goes with it.
bool finishWrites(SystemFile& file)
{
    return file.valid();
}

// The file attributes a user sets (hidden, not indexed...) carry over; the
// permissions are those the folder hands down, as for any file saved there.
void keepOwnerAndPermissions(SystemFile& temporary, const std::string& original)
{
    const std::wstring wide = widePath(original);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
    constexpr DWORD carried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
        | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & carried) == 0)
        return;
    FILE_BASIC_INFO basic {};  // times of 0 stay as they are
    basic.FileAttributes = attributes & carried;
    ::SetFileInformationByHandle(handleOf(temporary), FileBasicInfo, &basic, sizeof basic);
}

// A rename over a file that someone holds open without sharing deletion is
// refused; virus scanners and indexers hold a file for a moment, so the
// rename is tried again for about a second before the save gives up.
bool replaceFile(const std::string& from, const std::string& to)
{
    const std::wstring wideFrom = widePath(from);
    const std::wstring wideTo = widePath(to);
    if (wideFrom.empty() || wideTo.empty())
        return false;
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (int attempt = 1;; ++attempt) {
        if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        const bool heldByOthers =
            error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
        if (!heldByOthers || std::chrono::steady_clock::now() >= giveUpAt)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(20 * attempt, 100)));
    }
}

SystemFailure moveWithoutReplacing(const std::string& from, const std::string& to)
{
    const std::wstring wideFrom = widePath(from);
    const std::wstring wideTo = widePath(to);
    if (wideFrom.empty() || wideTo.empty())
        return failureOf(ERROR_INVALID_NAME);
    if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_WRITE_THROUGH))
        return {};
    return failureOf(::GetLastError());
}

bool removeFile(const std::string& path)
{
    const std::wstring wide = widePath(path);
    return !wide.empty() && ::DeleteFileW(wide.c_str());
}

bool removeHeldFile(const SystemFile& file, const std::string& path)
{
    return isSameFile(statusOf(file), statusOfPath(path, false)) && removeFile(path);
}

SystemFailure makePrivateFolder(const std::string& path)
{
    const std::wstring wide = widePath(path);
    if (!wide.empty() && ::CreateDirectoryW(wide.c_str(), nullptr))
        return {};
    return lastFailure(wide);
}

bool forEachEntry(const std::string& folder, const std::function<void(const std::string&, FileKind)>& found)
{
    const std::wstring pattern = widePath(pathInFolder(folder, "*"));
    if (pattern.empty())
        return false;
    WIN32_FIND_DATAW entry {};
    const HANDLE search =
        ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty folder (of a drive's root)
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..")
            found(utf8Of(name), kindOf(entry.dwFileAttributes, entry.dwReserved0));
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return true;
}

// MOVEFILE_WRITE_THROUGH has put the rename on the disk already.
void syncFolder(const std::string&) {}

std::string_view pathSeparators()
{
    return "/\\";
}

LockResult tryLock(SystemFile& file, bool exclusive)
{
    OVERLAPPED at {};
    at.OffsetHigh = lockOffsetHigh;
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(handleOf(file), flags, 0, 1, 0, &at))
        return LockResult::locked;
    const DWORD error = ::GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? LockResult::heldElsewhere
                                                                       : LockResult::unsupported;
}

std::int64_t currentProcessId()
{
    return static_cast<std::int64_t>(::GetCurrentProcessId());
}

// The creation time, in 100 ns steps since 1601: no two processes of one
// id share it, across restarts of the machine too.
std::uint64_t processStartTime(std::int64_t processId)
{
    if (processId <= 0 || processId > 0xFFFFFFFFll)
        return 0;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (!process)
        return 0;
    FILETIME created {};
    FILETIME exited {};
    FILETIME kernel {};
    FILETIME user {};
    DWORD exitCode = 0;
    const bool running = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    const bool timed = ::GetProcessTimes(process, &created, &exited, &kernel, &user);
    ::CloseHandle(process);
    if (!running || !timed)
        return 0;
    return std::max<std::uint64_t>((std::uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime, 1);
}

std::string hostName()
{
    wchar_t name[256] = {};
    DWORD length = sizeof name / sizeof name[0];
    if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &length))
        return {};
    return utf8Of(name, length);
}

// A process's start time is absolute here, so it tells one boot from the
// next by itself: one id serves every boot.
std::string bootId()
{
    return "windows";
}

std::uint64_t physicalMemory()
{
    MEMORYSTATUSEX status {};
    status.dwLength = sizeof status;
    return ::GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

bool localeIsUtf8()
{
    const char* name = std::setlocale(LC_CTYPE, nullptr);
    std::string lower = name ? name : "";
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("utf8") != std::string::npos || lower.find("utf-8") != std::string::npos
        || lower.find("65001") != std::string::npos;
}

void preferHugePages(const void*, std::size_t) {}
