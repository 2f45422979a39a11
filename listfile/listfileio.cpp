#include "listfile/listfileio.h"

#include "listfile/listfileerror.h"
#include "listfile/memoryhint.h"
#include "listfile/savetemporary.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* findByte(const char* from, const char* end, char byte)
{
    const void* found = std::memchr(from, byte, static_cast<std::size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
}

// The first CR or LF from p on, or end: one pass over a line instead of a
// search for each of the two bytes.
const char* findLineEnd(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)));
        if (hits != 0)
            return p + __builtin_ctz(static_cast<unsigned>(hits));
        p += 16;
    }
#endif
    while (p < end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

std::size_t countByte(const char* from, const char* end, char byte)
{
    std::size_t count = 0;
    for (const char* p = findByte(from, end, byte); p != end; p = findByte(p + 1, end, byte))
        ++count;
    return count;
}

// Collects lines from the bytes of a file given in pieces of any size. memchr
// does the scanning: it is many times faster than a byte loop on the 40-odd MB
// of a million-line list.
class LineCollector {
public:
    explicit LineCollector(std::vector<std::string>& lines) : lines_(lines) {}

    // Takes the next piece; returns false once the text has ended at a NUL.
    bool feed(const char* p, const char* end)
    {
        if (ended_)
            return false;
        if (const char* nul = findByte(p, end, '\0'); nul != end) {
            end = nul;
            ended_ = true;
        }
        // A CR that closed the previous piece pairs with a LF opening this one.
        if (pendingCr_ && p < end && *p == '\n')
            ++p;
        pendingCr_ = false;
        while (p < end) {
            const char* lineEnd = findLineEnd(p, end);
            if (lineEnd == end) {
                partial_.append(p, end);
                break;
            }
            if (partial_.empty()) {
                lines_.emplace_back(p, lineEnd);
            } else {
                partial_.append(p, lineEnd);
                lines_.push_back(std::move(partial_));
                partial_.clear();
            }
            p = lineEnd + 1;
            if (*lineEnd == '\r') {
                if (p == end)
                    pendingCr_ = true;
                else if (*p == '\n')
                    ++p;
            }
        }
        return !ended_;
    }

    // A last line without a line end is still a line.
    void finish()
    {
        if (!partial_.empty())
            lines_.push_back(std::move(partial_));
        partial_.clear();
    }

private:
    std::vector<std::string>& lines_;
    std::string partial_;
    bool pendingCr_ = false;
    bool ended_ = false;
};

} // namespace

std::vector<std::string> splitListText(std::string_view bytes)
{
    std::vector<std::string> lines;
    if (bytes.empty())
        return lines;
    const char* p = bytes.data();
    const char* const end = findByte(p, p + bytes.size(), '\0');
    // LF or CR LF ends nearly every list; files of CR alone are counted by CR.
    std::size_t expected = countByte(p, end, '\n');
    if (expected == 0)
        expected = countByte(p, end, '\r');
    lines.reserve(expected + 1);
    LineCollector collector(lines);
    collector.feed(p, end);
    collector.finish();
    return lines;
}

std::vector<std::string> splitListTextInPieces(std::string_view bytes, std::size_t pieceSize)
{
    std::vector<std::string> lines;
    LineCollector collector(lines);
    pieceSize = pieceSize == 0 ? 1 : pieceSize;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* pieceEnd = end - p > static_cast<std::ptrdiff_t>(pieceSize) ? p + pieceSize : end;
        if (!collector.feed(p, pieceEnd))
            break;
        p = pieceEnd;
    }
    collector.finish();
    return lines;
}

std::string joinListText(const std::vector<std::string>& lines)
{
    std::size_t total = 0;
    for (const std::string& line : lines)
        total += line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

// Closes a descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    void reset()
    {
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
    }

private:
    int fd_;
};

// Reads the file in pieces straight into lines, so that a big list is never
// held twice (as bytes and as lines) and no large buffer is touched.
bool readLines(int fd, std::vector<std::string>& lines)
{
    // Only a plain file is a list: a folder cannot be read, and a pipe or
    // device could keep the program waiting for ever.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // The size is a hint only: the file may change while we read. Lists have
    // lines of 20 to 60 bytes; a short guess costs one regrowth, not a failure.
    // The guess stops at a few million lines: a huge file that is no list
    // (a disk image, a sparse file) usually ends its text at an early NUL and
    // must not fail for want of memory it would never use.
    constexpr std::size_t mostLinesGuessed = std::size_t(1) << 22;
    if (info.st_size > 0) {
        lines.reserve(std::min(static_cast<std::size_t>(info.st_size) / 24 + 16, mostLinesGuessed));
        preferHugePages(lines.data(), lines.capacity() * sizeof(std::string));
    }
    constexpr std::size_t pieceSize = 1 << 20;
    std::unique_ptr<char[]> piece(new char[pieceSize]);
    LineCollector collector(lines);
    for (;;) {
        ssize_t got = ::read(fd, piece.get(), pieceSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0 || !collector.feed(piece.get(), piece.get() + got))
            break;
    }
    collector.finish();
    return true;
}

// A path holding a NUL byte names no file: the system would take only the
// part before the NUL, which is some other file.
bool namesAFile(const std::string& path)
{
    return path.find('\0') == std::string::npos;
}

} // namespace

void loadListFile(const std::string& path, std::vector<std::string>& lines)
{
    std::vector<std::string> loaded;
    {
        // Non-blocking so that opening a named pipe does not wait for a writer.
        FileDescriptor file(namesAFile(path) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1);
        if (!file.valid() || !readLines(file.get(), loaded))
            throw ListFileError("Cannot open file " + path);
    }
    lines.swap(loaded);
}

namespace {

// The file that a save really replaces: a symbolic link is followed so that
// the link stays and its target gets the new content.
std::string resolvedTarget(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            std::string target(real);
            std::free(real);
            return target;
        }
    }
    return path;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
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

// Writes the lines through a modest buffer instead of joining the whole list
// first: a large list is not held twice in memory while saving.
bool writeLines(int fd, const std::vector<std::string>& lines)
{
    constexpr std::size_t bufferSize = 1 << 20;
    std::string buffer;
    buffer.reserve(bufferSize);
    for (const std::string& line : lines) {
        if (buffer.size() + line.size() + 2 > bufferSize) {
            if (!writeAll(fd, buffer.data(), buffer.size()))
                return false;
            buffer.clear();
        }
        if (line.size() + 2 > bufferSize) {
            if (!writeAll(fd, line.data(), line.size()))
                return false;
        } else {
            buffer += line;
        }
        buffer += "\r\n";
    }
    return writeAll(fd, buffer.data(), buffer.size());
}

} // namespace

void saveListFile(const std::string& path, const std::vector<std::string>& lines)
{
    const ListFileError failure("Cannot create file " + path);
    if (!namesAFile(path))
        throw failure;
    const std::string target = resolvedTarget(path);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    // Only a plain file is replaced. A file the user may not write stays
    // protected even though its folder would allow replacing it.
    if (exists && (!S_ISREG(existing.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0))
        throw failure;

    // What a save killed half way left is cleared first: on a nearly full
    // disk it may be the very room this save needs.
    removeStaleSaveTemporaries(target);
    SaveTemporary temporary(target);
    if (!temporary.valid())
        throw failure;

    if (exists) {
        // Keep the old file's permission bits and, where allowed, its owner.
        // Neither is worth failing the save for.
        if (::fchown(temporary.fd(), existing.st_uid, existing.st_gid) != 0) {
            // Not permitted for most users; the group alone may still be.
            (void)!::fchown(temporary.fd(), static_cast<uid_t>(-1), existing.st_gid);
        }
        (void)::fchmod(temporary.fd(), existing.st_mode & 07777);
    }

    if (!writeLines(temporary.fd(), lines) || !temporary.finishWriting() || !temporary.renameOnto(target))
        throw failure;
}
