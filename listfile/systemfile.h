#pragma once
// The operating system under the list store: every file, lock and process
// call the list core makes, behind one small interface. One implementation
// per system (systemfile_posix.cpp, systemfile_windows.cpp) is chosen when
// building; nothing else in the list core knows which system it runs on.
// Paths are UTF-8 bytes everywhere.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

// An open file, closed on every way out.
class SystemFile {
public:
    SystemFile() = default;
    ~SystemFile() { close(); }
    SystemFile(SystemFile&& other) noexcept : handle_(std::exchange(other.handle_, noHandle)) {}
    SystemFile& operator=(SystemFile&& other) noexcept
    {
        if (this != &other) {
            close();
            handle_ = std::exchange(other.handle_, noHandle);
        }
        return *this;
    }
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;

    bool valid() const { return handle_ != noHandle; }
    void close();

    // The system's own handle (a descriptor, a HANDLE): for the seam alone.
    static constexpr std::intptr_t noHandle = -1;
    explicit SystemFile(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle() const { return handle_; }
    std::intptr_t release() { return std::exchange(handle_, noHandle); }

private:
    std::intptr_t handle_ = noHandle;
};

enum class FileKind {
    missing,     // nothing under the name (or a folder on the way is missing)
    unreadable,  // something is there, but the system would not say what
    plain,
    folder,
    link,        // a symbolic link, or a Windows reparse point standing for another name (link, junction)
    other,       // a pipe, device or socket
};

struct FileStatus {
    FileKind kind = FileKind::missing;
    std::uint64_t size = 0;
    // Which file it is: two statuses with the same pair are the same file.
    std::uint64_t device = 0;
    std::uint64_t identity = 0;
    // Names the file has; 0 once it is removed while still open.
    std::uint64_t links = 0;
};

// A device of 0 is one the system could not tell (Wine, for a file renamed
// while open): the identity alone decides then.
inline bool isSameFile(const FileStatus& a, const FileStatus& b)
{
    return a.kind != FileKind::missing && b.kind != FileKind::missing
        && (a.device == b.device || a.device == 0 || b.device == 0) && a.identity == b.identity;
}

// What a call failed for, where the caller tells the user or decides by it.
struct SystemFailure {
    enum class Kind { none, nameTaken, missing, other };
    Kind kind = Kind::none;
    // In the same words on every system for the common failures below,
    // else in the system's own.
    std::string reason;

    bool failed() const { return kind != Kind::none; }
};

inline const char* const takenNameReason = "File exists";
inline const char* const missingFileReason = "No such file or directory";
inline const char* const deniedReason = "Permission denied";
inline const char* const diskFullReason = "No space left on device";

// ---- Opening ----

// For reading; a link is followed. Never waits (a pipe without a writer,
// a device): the caller checks the kind before reading.
SystemFile openForReading(const std::string& path);
// As openForReading, or for writing, but a link (or reparse point) is opened
// as itself, so its kind tells it.
SystemFile openWithoutFollowing(const std::string& path, bool forWriting);
// A new file for writing, never one that exists (failure nameTaken then).
// privateToUser: only its owner may read it; else the usual bits for a new
// file of the user's.
SystemFile createNewFile(const std::string& path, bool privateToUser, SystemFailure* failure = nullptr);

// ---- What a file is ----

FileStatus statusOf(const SystemFile& file);
FileStatus statusOfPath(const std::string& path, bool followLinks);
// Whether the user may write the file at path (a file marked read-only, or
// one whose permission bits forbid it, may not be).
bool mayWrite(const std::string& path);
// The file a link at path leads to; path itself when it is no link or the
// link leads nowhere.
std::string linkTarget(const std::string& path);

// ---- Reading and writing ----

// Bytes read (0 at the end), or -1.
long long readSome(SystemFile& file, char* buffer, std::size_t size);
// From offset on, leaving where the next readSome reads undefined; may run
// on several threads at once for one file.
long long readAt(const SystemFile& file, char* buffer, std::size_t size, std::uint64_t offset);
bool seekTo(SystemFile& file, std::uint64_t offset);
bool writeAll(SystemFile& file, const char* data, std::size_t size);
bool writeAllAt(SystemFile& file, std::string_view bytes, std::uint64_t offset);
bool truncateTo(SystemFile& file, std::uint64_t size);
// Whether the file holds nothing but a hole (zeros never written) from
// offset to its end; false when that cannot be told.
bool onlyHoleFrom(const SystemFile& file, std::uint64_t offset);

// On the disk before it returns; dataOnly may leave times unwritten.
bool flushToDisk(SystemFile& file, bool dataOnly = false);
// Ends writing to the file, reporting a failed write that some file systems
// show only then; a lock taken on it stays until the file is closed.
bool finishWrites(SystemFile& file);
// Gives the temporary file the owner and permissions of original, where
// the system and the user's rights allow; nothing worth failing a save for.
void keepOwnerAndPermissions(SystemFile& temporary, const std::string& original);

// ---- Names ----

// Puts the file at from in to's place in one step: whoever opens to sees
// the old file or the new one, never neither. A file that another program
// holds open for a moment (a virus scanner, an indexer) is waited for, up
// to about a second.
bool replaceFile(const std::string& from, const std::string& to);
// Gives the file at from the name to unless something has it already
// (failure nameTaken then).
SystemFailure moveWithoutReplacing(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
// Removes the file that file holds open, only while path still names it.
bool removeHeldFile(const SystemFile& file, const std::string& path);
// A folder only its owner may enter; nameTaken when something is there.
SystemFailure makePrivateFolder(const std::string& path);
// Calls found(name, kind) for each entry of folder but "." and ".."; a link
// is told as a link. False when the folder cannot be read.
bool forEachEntry(const std::string& folder, const std::function<void(const std::string&, FileKind)>& found);
// Makes a rename or removal in folder survive a crash. Failing changes
// nothing about the files, so it is not reported.
void syncFolder(const std::string& folder);

// The characters that end a folder's name in a path ("/", and "\" too on
// Windows).
std::string_view pathSeparators();
// The folder part of path: "." for a bare name, "/" for a file in the root.
std::string folderOf(const std::string& path);
std::string_view fileNameOf(std::string_view path);
// name in folder, joined by the separator the folder's path is written with.
std::string pathInFolder(const std::string& folder, std::string_view name);

// ---- Locks ----

enum class LockResult { locked, heldElsewhere, unsupported };
// Without waiting. Held through this open file only: another opening of the
// same file, even in this process, does not share it. Never keeps others
// from reading or writing the file's bytes.
LockResult tryLock(SystemFile& file, bool exclusive);

// ---- Processes and the machine ----

std::int64_t currentProcessId();
// When the process of that id started, in the system's own units (never 0);
// 0 when no such process runs.
std::uint64_t processStartTime(std::int64_t processId);
std::string hostName();
// Tells this boot of the machine from any other; empty when unknown.
std::string bootId();
// Bytes of memory the machine has; 0 when unknown.
std::uint64_t physicalMemory();
// Whether the C library's multibyte characters are UTF-8.
bool localeIsUtf8();
// Asks the system to back a large buffer by huge pages, where it can.
void preferHugePages(const void* data, std::size_t bytes);
