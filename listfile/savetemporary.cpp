#include "listfile/savetemporary.h"

#include "listfile/fittedfilename.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <utility>

namespace {

const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t nameLetters = 8;

// Marks a file as one of this program's save files.
constexpr std::string_view ownInfix = ".quindle-save.";

// Within the file system's limit however long the list's name, and never
// the same for two lists.
std::string temporaryPrefix(std::string_view listFileName)
{
    return fittedFileName(".", listFileName, ownInfix, longestFileName - nameLetters);
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Takes the lock of a file just created. A stale-file sweep of another save
// may have opened it in the moment between: then the name is left to that
// sweep and the caller tries another.
enum class NewFileLock { locked, unsupported, taken };

NewFileLock lockNewFile(SystemFile& file)
{
    const LockResult lock = tryLock(file, true);
    if (lock != LockResult::locked)
        return lock == LockResult::heldElsewhere ? NewFileLock::taken : NewFileLock::unsupported;
    if (statusOf(file).links == 0)
        return NewFileLock::taken;  // swept away before we held it
    return NewFileLock::locked;
}

} // namespace

std::string randomLetters(std::size_t count)
{
    static std::atomic<unsigned long long> counter {0};
    static const unsigned long long seed = static_cast<unsigned long long>(currentProcessId()) * 0x9E3779B97F4A7C15ull
        ^ static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    const unsigned long long now =
        static_cast<unsigned long long>(std::chrono::system_clock::now().time_since_epoch().count());
    unsigned long long bits = seed ^ (now << 20) ^ (now >> 30) ^ (++counter * 0xBF58476D1CE4E5B9ull);
    bits ^= bits >> 31;
    std::string name;
    for (std::size_t i = 0; i < count; ++i) {
        name += letters[bits % (sizeof letters - 1)];
        bits /= sizeof letters - 1;
    }
    return name;
}

// Creating the file exclusively makes the name ours.
SaveTemporary::SaveTemporary(const std::string& target)
{
    const std::string prefix = pathInFolder(folderOf(target), temporaryPrefix(fileNameOf(target)));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + randomLetters(nameLetters);
        SystemFailure failure;
        SystemFile file = createNewFile(name, false, &failure);
        if (!file.valid()) {
            if (failure.kind != SystemFailure::Kind::nameTaken)
                return;
            continue;
        }
        if (lockNewFile(file) == NewFileLock::taken)
            continue;
        file_ = std::move(file);
        path_ = std::move(name);
        return;
    }
}

SaveTemporary::~SaveTemporary()
{
    if (!path_.empty())
        removeFile(path_);
}

bool SaveTemporary::finishWriting()
{
    return file_.valid() && flushToDisk(file_) && finishWrites(file_);
}

bool SaveTemporary::renameOnto(const std::string& target)
{
    if (path_.empty() || !replaceFile(path_, target))
        return false;
    path_.clear();
    file_.close();
    syncFolder(folderOf(target));
    return true;
}

bool isSaveTemporaryName(std::string_view fileName, std::string_view listFileName)
{
    const std::string prefix = temporaryPrefix(listFileName);
    if (fileName.size() != prefix.size() + nameLetters || fileName.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : fileName.substr(prefix.size()))
        if (!isLetter(c))
            return false;
    return true;
}

void removeStaleSaveTemporaries(const std::string& target)
{
    const std::string_view listFileName = fileNameOf(target);
    const std::string folder = folderOf(target);
    forEachEntry(folder, [&](const std::string& name, FileKind kind) {
        if (kind != FileKind::plain || !isSaveTemporaryName(name, listFileName))
            return;
        // A save that writes this file holds its lock; only a file nobody
        // holds, still under this name, is removed.
        const std::string path = pathInFolder(folder, name);
        SystemFile file = openWithoutFollowing(path, false);
        if (!file.valid())
            file = openWithoutFollowing(path, true);
        if (file.valid() && statusOf(file).kind == FileKind::plain && tryLock(file, true) == LockResult::locked)
            removeHeldFile(file, path);
    });
}
