#include "document/listfilestamp.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/twohalves.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

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

std::string linkTargetOf(const std::string& path)
{
    struct stat info {};
    if (path.find('\0') != std::string::npos || ::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return {};
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string target(real);
        std::free(real);
        return target;
    }
    char text[4096];
    const ssize_t size = ::readlink(path.c_str(), text, sizeof text);
    return size > 0 ? std::string(text, std::size_t(size)) : std::string();
}

FileIdentity identityOf(const std::string& path)
{
    struct stat info {};
    if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0)
        return FileIdentity();
    return identityOf(info);
}

FileIdentity identityOf(const struct stat& info)
{
    FileIdentity identity;
    identity.exists = true;
    identity.device = std::uint64_t(info.st_dev);
    identity.inode = std::uint64_t(info.st_ino);
    identity.size = std::int64_t(info.st_size);
    identity.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return identity;
}

namespace {

// Words go round four independent lanes, so that the multiplications of
// consecutive words do not wait for each other. The lanes are passed on
// rather than indexed, so that they stay in registers.
class LineHasher {
public:
    void add(std::uint64_t word)
    {
        std::uint64_t mixed = (a_ ^ word) * 0x9E3779B97F4A7C15ull;
        mixed ^= mixed >> 29;
        a_ = b_;
        b_ = c_;
        c_ = d_;
        d_ = mixed;
        ++words_;
    }
    void addBytes(const char* p, std::size_t size)
    {
        for (; size >= 8; p += 8, size -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            add(word);
        }
        if (size != 0) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, size);
            add(word);
        }
    }
    std::uint64_t result() const
    {
        std::uint64_t h = words_;
        for (std::uint64_t lane : {a_, b_, c_, d_})
            h = mix(h, lane);
        return h;
    }

private:
    std::uint64_t a_ = 0x243F6A8885A308D3ull;
    std::uint64_t b_ = 0x13198A2E03707344ull;
    std::uint64_t c_ = 0xA4093822299F31D0ull;
    std::uint64_t d_ = 0x082EFA98EC4E6C89ull;
    std::uint64_t words_ = 0;
};

} // namespace

std::uint64_t hashOfLines(const LineList& lines)
{
    // Each half of a large list is hashed on a thread of its own.
    const auto hashOf = [&lines](std::size_t first, std::size_t last) {
        LineHasher hasher;
        for (std::size_t i = first; i < last; ++i) {
            const std::string_view line = lines[i];
            // The length first: where one line ends and the next begins counts.
            hasher.add(line.size());
            hasher.addBytes(line.data(), line.size());
        }
        return hasher.result();
    };
    const auto [first, second] = inTwoHalves(lines.size(), hashOf);
    return mix(mix(lines.size(), first), second);
}

ListFileStamp ListFileStamp::of(const std::string& path, std::shared_ptr<LinesHash> linesHash)
{
    ListFileStamp stamp;
    stamp.identity = identityOf(path);
    stamp.linesHash = std::move(linesHash);
    stamp.takenNs = nowNs();
    return stamp;
}

bool ListFileStamp::settledByTime(const FileIdentity& now) const
{
    const bool timeTellsAll = takenNs - identity.modifiedNs >= timestampResolutionNs;
    return now.exists && now == identity && (timeTellsAll || !linesHash);
}

DiskState ListFileStamp::compareWithDisk(const std::string& path)
{
    const std::int64_t checkedNs = nowNs();
    const FileIdentity now = identityOf(path);
    if (!now.exists)
        return identity.exists ? DiskState::Deleted : DiskState::Unchanged;
    if (!identity.exists)
        return DiskState::Changed;
    if (settledByTime(now))
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
    if (hashOfLines(onDisk) != linesHash->value())
        return DiskState::Changed;
    // The same lines: a touch, or a copy of the same content put back. The
    // file as it is now is what the program holds.
    if (identityOf(path) == now) {
        identity = now;
        takenNs = checkedNs;
    }
    return DiskState::Unchanged;
}
