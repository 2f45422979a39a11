#include "document/listfilestamp.h"

#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"

#include <cstring>
#include <ctime>

#include <sys/stat.h>

namespace {

// Two changes of a file within this time of each other may carry the same
// modification time (coarse kernel ticks, 2 s on FAT): a stamp taken that soon
// after the file's last write cannot tell them apart by time alone.
constexpr std::int64_t timestampResolutionNs = 2'000'000'000;

std::int64_t nowNs()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::uint64_t mix(std::uint64_t h, std::uint64_t word)
{
    h = (h ^ word) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

} // namespace

FileIdentity identityOf(const std::string& path)
{
    FileIdentity identity;
    struct stat info {};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0)
        return identity;
    identity.exists = true;
    identity.device = std::uint64_t(info.st_dev);
    identity.inode = std::uint64_t(info.st_ino);
    identity.size = std::int64_t(info.st_size);
    identity.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return identity;
}

std::uint64_t hashOfLines(const LineList& lines)
{
    std::uint64_t h = mix(0x243F6A8885A308D3ull, lines.size());
    for (std::string_view line : lines) {
        h = mix(h, line.size());
        const char* p = line.data();
        std::size_t left = line.size();
        for (; left >= 8; p += 8, left -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            h = mix(h, word);
        }
        if (left != 0) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, left);
            h = mix(h, word);
        }
    }
    return h;
}

ListFileStamp ListFileStamp::of(const std::string& path, std::optional<std::uint64_t> linesHash)
{
    ListFileStamp stamp;
    stamp.identity = identityOf(path);
    stamp.linesHash = linesHash;
    stamp.takenNs = nowNs();
    return stamp;
}

DiskState ListFileStamp::compareWithDisk(const std::string& path)
{
    const std::int64_t checkedNs = nowNs();
    const FileIdentity now = identityOf(path);
    if (!now.exists)
        return identity.exists ? DiskState::Deleted : DiskState::Unchanged;
    if (!identity.exists)
        return DiskState::Changed;
    const bool timeTellsAll = takenNs - identity.modifiedNs >= timestampResolutionNs;
    if (now == identity && (timeTellsAll || !linesHash))
        return DiskState::Unchanged;
    if (!linesHash)
        return DiskState::Changed;
    LineList onDisk;
    try {
        loadListFile(path, onDisk);
    } catch (const ListFileError&) {
        // Whatever is there now is not a list this program read.
        return DiskState::Changed;
    }
    if (hashOfLines(onDisk) != *linesHash)
        return DiskState::Changed;
    // The same lines: a touch, or a copy of the same content put back. The
    // file as it is now is what the program holds.
    if (identityOf(path) == now) {
        identity = now;
        takenNs = checkedNs;
    }
    return DiskState::Unchanged;
}
