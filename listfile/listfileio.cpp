#include "listfile/listfileio.h"

#include "listfile/listfileerror.h"
#include "listfile/savetemporary.h"
#include "listfile/systemfile.h"
#include "listfile/twohalves.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <future>
#include <limits>
#include <new>
#include <system_error>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The list is cut into lines 64 bytes at a time: a mask of the bytes that
// are a given byte, or that end a line, then one step per line break found
// instead of one search per line.
constexpr std::size_t blockSize = 64;

#if defined(__SSE2__)
std::uint64_t maskOf(__m128i hits, int part)
{
    return std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(hits))) << (16 * part);
}
#endif

// Bits set where the 64 bytes from p hold byte.
std::uint64_t byteMask(const char* p, char byte)
{
    std::uint64_t bits = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(byte);
    for (int part = 0; part < 4; ++part)
        bits |= maskOf(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part)), wanted), part);
#else
    for (std::size_t i = 0; i < blockSize; ++i)
        bits |= std::uint64_t(p[i] == byte) << i;
#endif
    return bits;
}

// Bits set where the 64 bytes from p hold CR or LF.
std::uint64_t lineBreakMask(const char* p)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t bits = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        bits |= maskOf(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)), part);
    }
    return bits;
#else
    return byteMask(p, '\r') | byteMask(p, '\n');
#endif
}

std::size_t countByte(const char* from, const char* end, char byte)
{
    std::size_t count = 0;
    for (; end - from >= std::ptrdiff_t(blockSize); from += blockSize)
        for (std::uint64_t hits = byteMask(from, byte); hits != 0; hits &= hits - 1)
            ++count;
    return count + static_cast<std::size_t>(std::count(from, end, byte));
}

// Calls endLineAt(at) for each CR and LF at text[at], from <= at < to, in order.
template <typename EndLineAt>
void forEachLineBreak(const char* text, std::size_t from, std::size_t to, EndLineAt&& endLineAt)
{
    std::size_t block = from;
    for (; to - block >= blockSize; block += blockSize)
        for (std::uint64_t breaks = lineBreakMask(text + block); breaks != 0; breaks &= breaks - 1)
            endLineAt(block + static_cast<std::size_t>(__builtin_ctzll(breaks)));
    for (std::size_t at = block; at < to; ++at)
        if (text[at] == '\r' || text[at] == '\n')
            endLineAt(at);
}

// The first bytes of a file that tell whether it is wide text: enough
// characters to tell by.
constexpr std::size_t wideTextSample = 4096;

// How many bytes a load goes through between two reports of its progress.
constexpr std::size_t progressStep = std::size_t(8) << 20;

void reportProgress(const ReadProgress& progress, std::uint64_t done, std::uint64_t total)
{
    if (progress && !progress(done, total))
        throw ListFileReadCancelled();
}

// From this size a text is cut into lines in two halves at once.
constexpr std::size_t splitInHalvesFrom = std::size_t(8) << 20;

// Where the line after the one holding text[from] begins; size when that
// line is the last.
std::size_t lineStartAfter(const char* text, std::size_t from, std::size_t size)
{
    for (std::size_t at = from; at < size; ++at) {
        if (text[at] == '\n')
            return at + 1;
        if (text[at] == '\r')
            return at + 1 < size && text[at + 1] == '\n' ? at + 2 : at + 1;
    }
    return size;
}

// The lines bytes [from, to) of a text hold, nearly: LF or CR LF ends
// nearly every list; files of CR alone are counted by CR.
std::size_t linesIn(const char* text, std::size_t from, std::size_t to)
{
    const std::size_t lineFeeds = countByte(text + from, text + to, '\n');
    return (lineFeeds != 0 ? lineFeeds : countByte(text + from, text + to, '\r')) + 1;
}

// Cuts bytes [from, to) of a text of size bytes into lines appended to
// lines, which hold on to the text; from is where a line begins.
class TextCutter {
public:
    TextCutter(const char* text, std::size_t size, LineList& lines) : text_(text), size_(size), lines_(lines) {}

    void cut(std::size_t from, std::size_t to, const ReadProgress& progress = {}, std::uint64_t progressBase = 0,
             std::uint64_t progressTotal = 0)
    {
        lineStart_ = from;
        const auto endLineAt = [this](std::size_t at) { endLine(at); };
        for (std::size_t piece = from; piece < to; piece += progressStep) {
            if (progress && piece > from)
                reportProgress(progress, progressBase + piece, progressTotal);
            forEachLineBreak(text_, piece, std::min(to, piece + progressStep), endLineAt);
        }
        if (lineStart_ < to)
            lines_.appendAdopted(std::string_view(text_ + lineStart_, to - lineStart_));
    }

private:
    void endLine(std::size_t at)
    {
        if (at < lineStart_)
            return;  // the LF of a CR LF
        lines_.appendAdopted(std::string_view(text_ + lineStart_, at - lineStart_));
        lineStart_ = at + 1;
        if (text_[at] == '\r' && lineStart_ < size_ && text_[lineStart_] == '\n')
            ++lineStart_;
    }

    const char* text_;
    std::size_t size_;
    LineList& lines_;
    std::size_t lineStart_ = 0;
};

// Splits size bytes into lines that point into the bytes themselves; a
// UTF-8 byte-order mark at the start is read past. progress, if any, is told
// bytes done past progressBase of progressTotal.
// A line ends at CR, LF or CR LF.
LineList adoptListText(TableBytes bytes, std::size_t fileSize, const ReadProgress& progress = {},
                       std::uint64_t progressBase = 0, std::uint64_t progressTotal = 0)
{
    const std::size_t markSize =
        std::string_view(bytes.get(), fileSize).substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark
        ? utf8ByteOrderMark.size()
        : 0;
    const char* const begin = bytes.get() + markSize;
    const std::size_t size = fileSize - markSize;
    LineList lines = LineList::adoptBytes(std::move(bytes), fileSize);
    // A large text is cut in two at a line end, each half on a thread of its
    // own; progress is told from this thread only.
    const std::size_t middle = progress || size < splitInHalvesFrom ? size : lineStartAfter(begin, size / 2, size);
    if (middle == size) {
        lines.reserve(linesIn(begin, 0, size));
        TextCutter(begin, size, lines).cut(0, size, progress, progressBase, progressTotal);
        return lines;
    }
    // The second half's count comes first, so that the table of lines is
    // made once, large enough for both.
    LineList secondHalf = LineList::sharingBytesOf(lines);
    std::promise<std::size_t> secondCounted;
    const auto cutSecondHalf = [&] {
        const std::size_t count = linesIn(begin, middle, size);
        secondCounted.set_value(count);
        secondHalf.reserve(count);
        TextCutter(begin, size, secondHalf).cut(middle, size);
    };
    std::future<void> second;
    try {
        second = std::async(std::launch::async, cutSecondHalf);
    } catch (const std::system_error&) {
        cutSecondHalf();  // no thread to be had
    }
    const std::size_t firstCount = linesIn(begin, 0, middle);
    lines.reserve(firstCount + secondCounted.get_future().get());
    TextCutter(begin, size, lines).cut(0, middle);
    if (second.valid())
        second.get();
    lines.appendAll(secondHalf);
    return lines;
}

// Wide text without a mark, by its NULs: in each unit of width bytes the one
// byte that carries the character (ASCII, as a list's digits and blanks
// are) is not NUL, and the others are, in three of every four units.
bool showsWideTextPattern(std::string_view sample, std::size_t width, std::size_t characterByte)
{
    const std::size_t units = sample.size() / width;
    if (units < 2)
        return false;
    std::size_t alike = 0;
    for (std::size_t unit = 0; unit < units; ++unit) {
        const std::string_view bytes = sample.substr(unit * width, width);
        bool wide = bytes[characterByte] != '\0';
        for (std::size_t i = 0; i < width && wide; ++i)
            wide = i == characterByte || bytes[i] == '\0';
        alike += wide ? 1 : 0;
    }
    return alike * 4 >= units * 3;
}

// UTF-16 without a mark whose text is mostly outside Latin (CJK) has both
// bytes of most units set, but its line ends are still CR LF as units:
// "0D 00 0A 00" (little-endian) or "00 0D 00 0A" (big-endian) at a unit
// boundary. 8-bit text has them only around NULs, and then also has "0D 0A"
// of its own, which such UTF-16 text has nowhere.
bool showsWideLineEnds(std::string_view sample)
{
    if (sample.find("\r\n") != std::string_view::npos)
        return false;
    for (const std::string_view lineEnd : {std::string_view("\r\0\n\0", 4), std::string_view("\0\r\0\n", 4)})
        for (std::size_t at = sample.find(lineEnd); at != std::string_view::npos; at = sample.find(lineEnd, at + 1))
            if (at % 2 == 0)
                return true;
    return false;
}

} // namespace

std::string_view wideTextEncoding(std::string_view bytes)
{
    // UTF-32 first: its little-endian mark begins with UTF-16's.
    if (bytes.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4) || bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4))
        return "UTF-32";
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return "UTF-16";
    const std::string_view sample = bytes.substr(0, wideTextSample);
    if (showsWideTextPattern(sample, 4, 0) || showsWideTextPattern(sample, 4, 3))
        return "UTF-32";
    if (showsWideTextPattern(sample, 2, 0) || showsWideTextPattern(sample, 2, 1) || showsWideLineEnds(sample))
        return "UTF-16";
    return {};
}

LineList splitListText(std::string_view bytes)
{
    TableBytes copy = allocateTableBytes(bytes.size());
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    return adoptListText(std::move(copy), bytes.size());
}

namespace {

// What a save writes before the lines: the mark when the file had one, and
// also when line 1 begins with the mark's bytes, which a read would take
// for the mark.
std::string_view startOfFile(const LineList& lines, bool fileHasMark)
{
    const bool lineLooksLikeMark = !lines.empty() && lines.front().substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark;
    return fileHasMark || lineLooksLikeMark ? utf8ByteOrderMark : std::string_view();
}

} // namespace

std::string joinListText(const LineList& lines)
{
    const std::string_view start = startOfFile(lines, false);
    std::size_t total = start.size();
    for (std::string_view line : lines)
        total += line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    bytes += start;
    for (std::string_view line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

// The most a list file may hold: largestListFile, and never more than the
// machine has as memory.
std::uint64_t largestReadableFile()
{
    const std::uint64_t memory = physicalMemory();
    return memory == 0 ? largestListFile : std::min<std::uint64_t>(largestListFile, memory);
}

std::string megabytes(std::uint64_t bytes)
{
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

ListFileTooBig tooBigError(const std::string& path, std::uint64_t size, std::uint64_t limit)
{
    return ListFileTooBig("The file " + path + " is " + megabytes(size) + ", too big for a project list (at most "
                          + megabytes(limit) + "). It is left as it is.");
}

UneditableListFile wideTextError(const std::string& path, std::string_view encoding)
{
    return UneditableListFile("The file " + path + " is " + std::string(encoding)
                              + " text, not a list this program can edit. It is left as it is.");
}

// Whether the open file may be read as a list (info then describes it);
// ListFileTooBig at once for one too big to hold. Only a plain file is a
// list: a folder cannot be read, and a pipe or device could keep the
// program waiting for ever.
bool isReadableListFile(const SystemFile& file, const std::string& path, FileStatus& info)
{
    info = statusOf(file);
    if (info.kind != FileKind::plain)
        return false;
    const std::uint64_t limit = largestReadableFile();
    if (info.size > limit)
        throw tooBigError(path, info.size, limit);
    return true;
}

// From this size on a file is read in two halves at once, the second on a
// thread of its own: copying the bytes and making room for them (fresh
// memory, on some machines slow to touch the first time) then takes half
// as long. A save merging onto a list that someone else changed reads it
// with the window waiting.
constexpr std::size_t readInHalvesFrom = std::size_t(16) << 20;

// Reads bytes [0, size) of the file into buffer, both halves at once; false
// when the file holds fewer bytes now (it is then read the ordinary way).
bool readInHalves(const SystemFile& file, char* buffer, std::size_t size)
{
    const auto readRange = [&file, buffer](std::size_t from, std::size_t to) {
        while (from < to) {
            const long long got = readAt(file, buffer + from, to - from, from);
            if (got <= 0)
                return false;
            from += static_cast<std::size_t>(got);
        }
        return true;
    };
    const std::size_t half = size / 2;
    std::future<bool> secondHalf;
    try {
        secondHalf = std::async(std::launch::async, readRange, half, size);
    } catch (const std::system_error&) {
        return false;  // no thread to be had: one half after the other
    }
    const bool firstRead = readRange(0, half);
    return secondHalf.get() && firstRead;
}

// Room for a file's bytes, or none when the memory cannot be had.
TableBytes tableBytesOrNone(std::size_t size)
{
    try {
        return allocateTableBytes(size);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// Reads the whole file into one buffer that the lines then point into, so
// that a big list is held once, as its own bytes. False when the file cannot
// be read; ListFileTooBig before reading a file too big to hold,
// UneditableListFile when its first bytes are wide text.
bool readLines(SystemFile& file, const std::string& path, LineList& lines, const ReadProgress& progress)
{
    FileStatus info;
    if (!isReadableListFile(file, path, info))
        return false;
    const std::uint64_t limit = largestReadableFile();
    // The size is a hint only: the file may change while we read, and files
    // of /proc report 0. The buffer grows when the file has more, up to the limit.
    std::size_t capacity = std::max<std::size_t>(static_cast<std::size_t>(info.size) + 1, 4096);
    TableBytes bytes = tableBytesOrNone(capacity);
    if (!bytes)
        return false;
    // Reading and splitting count as one half each.
    const auto total = [&] { return 2 * std::uint64_t(std::max<std::size_t>(capacity - 1, 1)); };
    std::size_t size = 0;
    const std::size_t expected = capacity - 1;
    if (!progress && expected >= readInHalvesFrom && readInHalves(file, bytes.get(), expected)
        && seekTo(file, expected))
        size = expected;  // the rest, if the file grew meanwhile, as ever
    bool sampleChecked = false;
    for (;;) {
        if (size == capacity) {
            if (capacity >= limit)
                throw tooBigError(path, size, limit);
            const std::size_t larger = std::size_t(std::min<std::uint64_t>(std::uint64_t(capacity) * 2, limit));
            TableBytes grown = tableBytesOrNone(larger);
            if (!grown)
                return false;
            std::memcpy(grown.get(), bytes.get(), size);
            bytes = std::move(grown);
            capacity = larger;
        }
        const long long got = readSome(file, bytes.get() + size, std::min(capacity - size, progressStep));
        if (got < 0)
            return false;
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
        // Wide text is told apart by its first bytes: no need to read the rest.
        if (!sampleChecked && size >= wideTextSample) {
            sampleChecked = true;
            const std::string_view encoding = wideTextEncoding(std::string_view(bytes.get(), size));
            if (!encoding.empty())
                throw wideTextError(path, encoding);
        }
        reportProgress(progress, size, total());
    }
    const std::string_view encoding = wideTextEncoding(std::string_view(bytes.get(), size));
    if (!encoding.empty())
        throw wideTextError(path, encoding);
    lines = adoptListText(std::move(bytes), size, progress, total() / 2, total());
    return true;
}

// A path holding a NUL byte names no file: the system would take only the
// part before the NUL, which is some other file.
bool namesAFile(const std::string& path)
{
    return path.find('\0') == std::string::npos;
}

// Refuses a file whose first bytes mark it as wide text.
void refuseWideText(const std::string& path, std::string_view firstBytes)
{
    const std::string_view encoding = wideTextEncoding(firstBytes);
    if (!encoding.empty())
        throw wideTextError(path, encoding);
}

// The first bytes of a plain file that exists, for the wide-text check
// before a save; empty for anything else.
std::string firstBytesOf(const std::string& path)
{
    SystemFile file = openForReading(path);
    if (!file.valid() || statusOf(file).kind != FileKind::plain)
        return {};
    std::string head(wideTextSample, '\0');
    std::size_t filled = 0;
    while (filled < head.size()) {
        const long long got = readSome(file, &head[filled], head.size() - filled);
        if (got <= 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    head.resize(filled);
    return head;
}

} // namespace

void readListFileText(const std::string& path, const std::function<void(std::string_view)>& take)
{
    // Opening a named pipe does not wait for a writer.
    SystemFile file = namesAFile(path) ? openForReading(path) : SystemFile();
    FileStatus info;
    if (!file.valid() || !isReadableListFile(file, path, info))
        throw ListFileError("Cannot open file " + path);
    // One reused buffer, small enough to stay in the processor's cache: the
    // file is never held whole. It begins at a page, where the system copies
    // to it faster.
    constexpr std::size_t pieceSize = std::size_t(1) << 17;
    constexpr std::size_t pageSize = 4096;
    const std::unique_ptr<char[]> storage(new char[pieceSize + pageSize]);
    char* const piece = storage.get() + (pageSize - reinterpret_cast<std::uintptr_t>(storage.get()) % pageSize) % pageSize;
    const std::uint64_t limit = largestReadableFile();
    std::uint64_t total = 0;
    bool first = true;
    for (;;) {
        std::size_t filled = 0;
        // The first piece is read until it holds enough to tell wide text.
        while (filled < (first ? wideTextSample : 1)) {
            const long long got = readSome(file, piece + filled, pieceSize - filled);
            if (got < 0)
                throw ListFileError("Cannot open file " + path);
            if (got == 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        total += filled;
        if (total > limit)
            throw tooBigError(path, total, limit);
        std::string_view text(piece, filled);
        if (first) {
            refuseWideText(path, text);
            if (text.substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark)
                text.remove_prefix(utf8ByteOrderMark.size());
            first = false;
        }
        if (filled == 0)
            return;
        take(text);
    }
}

void loadListFile(const std::string& path, LineList& lines, const ReadProgress& progress)
{
    LineList loaded;
    {
        // Opening a named pipe does not wait for a writer.
        SystemFile file = namesAFile(path) ? openForReading(path) : SystemFile();
        if (!file.valid() || !readLines(file, path, loaded, progress))
            throw ListFileError("Cannot open file " + path);
    }
    lines.swap(loaded);
}

namespace {

// Builds the lines of a file read again from the list read before: a line
// that is the same as the next one of that list is taken from it, bytes and
// all, instead of being copied. A large list that another writer changed in
// a few lines then costs no fresh memory but its table of lines.
class LinesLikeEarlier {
public:
    explicit LinesLikeEarlier(const LineList& earlier)
        : earlier_(earlier), lines_(LineList::sharingBytesOf(earlier))
    {
        lines_.reserve(earlier.size() + 1024);
    }

    void add(std::string_view line)
    {
        if (next_ < earlier_.size() && earlier_[next_] == line) {
            ++next_;
            return;
        }
        same_ = false;
        takeRun();
        // The earlier list lost a few lines here, or this one was edited
        // and the next line is the earlier list's next but one.
        for (std::size_t ahead = next_ + 1; ahead < std::min(earlier_.size(), next_ + 1 + lookAhead); ++ahead) {
            if (earlier_[ahead] == line) {
                runFirst_ = ahead;
                next_ = ahead + 1;
                return;
            }
        }
        lines_.push_back(line);
    }

    // The lines, and whether they are exactly those of the earlier list.
    std::pair<LineList, bool> finish()
    {
        takeRun();
        // Little in common: the earlier list's bytes are not held for it.
        if (taken_ < earlier_.size() / 2)
            lines_.compact();
        return {std::move(lines_), same_ && next_ == earlier_.size()};
    }

private:
    static constexpr std::size_t lookAhead = 8;

    void takeRun()
    {
        lines_.appendAdopted(earlier_, runFirst_, next_);
        taken_ += next_ - runFirst_;
        runFirst_ = next_;
    }

    const LineList& earlier_;
    LineList lines_;
    // Lines [runFirst_, next_) of the earlier list come next in this one.
    std::size_t runFirst_ = 0;
    std::size_t next_ = 0;
    std::size_t taken_ = 0;
    bool same_ = true;
};

// Reads the file in pieces through one buffer, cutting it into lines as it
// goes; false when it cannot be read.
bool rereadLines(SystemFile& file, const std::string& path, LinesLikeEarlier& lines)
{
    FileStatus info;
    if (!isReadableListFile(file, path, info))
        return false;
    const std::uint64_t limit = largestReadableFile();
    std::size_t capacity = std::size_t(1) << 20;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[capacity]);
    if (!buffer)
        return false;
    std::uint64_t total = 0;
    std::size_t have = 0;       // bytes in the buffer
    std::size_t lineStart = 0;  // where the line being read starts in it
    std::size_t scanned = 0;    // how far it was looked through for line ends
    bool startChecked = false;
    const auto endLineAt = [&](std::size_t at) {
        if (at < lineStart)
            return;  // the LF of a CR LF
        lines.add(std::string_view(buffer.get() + lineStart, at - lineStart));
        lineStart = at + 1;
        if (buffer[at] == '\r' && lineStart < have && buffer[lineStart] == '\n')
            ++lineStart;
    };
    for (;;) {
        if (have == capacity) {
            // A line longer than the buffer.
            std::unique_ptr<char[]> grown(new (std::nothrow) char[2 * capacity]);
            if (!grown)
                return false;
            std::memcpy(grown.get(), buffer.get(), have);
            buffer = std::move(grown);
            capacity *= 2;
        }
        const long long got = readSome(file, buffer.get() + have, capacity - have);
        if (got < 0)
            return false;
        const bool atEnd = got == 0;
        have += static_cast<std::size_t>(got);
        total += static_cast<std::uint64_t>(got);
        if (total > limit)
            throw tooBigError(path, total, limit);
        if (!startChecked) {
            if (have < wideTextSample && !atEnd)
                continue;
            startChecked = true;
            const std::string_view start(buffer.get(), have);
            refuseWideText(path, start);
            if (start.substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark)
                lineStart = scanned = utf8ByteOrderMark.size();
        }
        // A CR at the very end waits for the next piece, which may begin
        // with its LF.
        const std::size_t scanTo = atEnd ? have : have - 1;
        forEachLineBreak(buffer.get(), scanned, scanTo, endLineAt);
        if (atEnd) {
            if (lineStart < have)
                lines.add(std::string_view(buffer.get() + lineStart, have - lineStart));
            return true;
        }
        scanned = std::max(scanTo, lineStart) - lineStart;
        std::memmove(buffer.get(), buffer.get() + lineStart, have - lineStart);
        have -= lineStart;
        lineStart = 0;
    }
}

} // namespace

bool rereadListFile(const std::string& path, LineList& lines, const LineList& earlier)
{
    LinesLikeEarlier read(earlier);
    {
        SystemFile file = namesAFile(path) ? openForReading(path) : SystemFile();
        if (!file.valid() || !rereadLines(file, path, read))
            throw ListFileError("Cannot open file " + path);
    }
    auto [reread, same] = read.finish();
    lines.swap(reread);
    return same;
}

namespace {

// Writes start, then the lines, through a modest buffer instead of joining
// the whole list first: a large list is not held twice in memory while saving.
// Lines that lie one after the other in memory with a CR LF between them, as
// the lines of a file read do, are written as one run of bytes, straight
// from where they are when the run is long.
bool writeLines(SystemFile& file, std::string_view start, const LineList& lines)
{
    constexpr std::size_t bufferSize = 1 << 20;
    constexpr std::size_t longRun = 64 * 1024;
    std::string buffer;
    buffer.reserve(bufferSize);
    buffer += start;
    const auto writeRun = [&](std::string_view run) {
        const bool direct = run.size() >= longRun;
        // What the buffer holds goes first.
        if (direct || buffer.size() + run.size() + 2 > bufferSize) {
            if (!writeAll(file, buffer.data(), buffer.size()))
                return false;
            buffer.clear();
        }
        if (direct) {
            if (!writeAll(file, run.data(), run.size()))
                return false;
        } else {
            buffer += run;
        }
        buffer += "\r\n";
        return true;
    };
    const char* runStart = nullptr;
    const char* runEnd = nullptr;
    bool inRun = false;
    for (std::string_view line : lines) {
        const bool follows = inRun && runEnd != nullptr && line.data() != nullptr
            && reinterpret_cast<std::uintptr_t>(line.data()) == reinterpret_cast<std::uintptr_t>(runEnd) + 2
            && std::memcmp(runEnd, "\r\n", 2) == 0;
        if (follows) {
            runEnd = line.data() + line.size();
            continue;
        }
        if (inRun && !writeRun(std::string_view(runStart, static_cast<std::size_t>(runEnd - runStart))))
            return false;
        runStart = line.data();
        runEnd = line.data() + line.size();
        inRun = true;
    }
    if (inRun && !writeRun(std::string_view(runStart, static_cast<std::size_t>(runEnd - runStart))))
        return false;
    return writeAll(file, buffer.data(), buffer.size());
}

} // namespace

void saveListFile(const std::string& path, const LineList& lines)
{
    saveListFileIf(path, lines, nullptr);
}

bool saveListFileIf(const std::string& path, const LineList& lines, const std::function<bool()>& mayReplace)
{
    const ListFileError failure("Cannot create file " + path);
    if (!namesAFile(path))
        throw failure;
    // A link is followed, so that the link stays and its target gets the new content.
    const std::string target = linkTarget(path);
    // Whatever was loaded, wide text on disk now is never replaced.
    const std::string head = firstBytesOf(target);
    refuseWideText(path, head);
    // A byte-order mark stays where the file has it.
    const std::string_view start =
        startOfFile(lines, head.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0);

    const FileKind existing = statusOfPath(target, true).kind;
    const bool exists = existing != FileKind::missing && existing != FileKind::unreadable;
    // Only a plain file is replaced. A file the user may not write stays
    // protected even though its folder would allow replacing it.
    if (exists && (existing != FileKind::plain || !mayWrite(target)))
        throw failure;

    // What a save killed half way left is cleared first: on a nearly full
    // disk it may be the very room this save needs.
    removeStaleSaveTemporaries(target);
    SaveTemporary temporary(target);
    if (!temporary.valid())
        throw failure;

    if (exists)
        keepOwnerAndPermissions(temporary.file(), target);

    if (!writeLines(temporary.file(), start, lines) || !temporary.finishWriting())
        throw failure;
    // Asked as late as possible: the file may have been replaced while the
    // temporary one was written.
    if (mayReplace && !mayReplace())
        return false;
    if (!temporary.renameOnto(target))
        throw failure;
    return true;
}

namespace {

// Whether the file holds lines [first, last) of lines, each followed by CR
// LF, from offset on. Lines that lie one after the other in memory with a CR
// LF between them, as the lines of a file read do, are compared as one run
// of bytes.
bool holdsLinesAt(const SystemFile& file, std::uint64_t offset, const LineList& lines, std::size_t first,
                  std::size_t last)
{
    // Small enough to stay in the processor's cache between read and compare.
    constexpr std::size_t pieceSize = std::size_t(256) << 10;
    std::unique_ptr<char[]> piece(new char[pieceSize]);
    std::size_t have = 0;  // bytes read and not compared yet
    std::size_t at = 0;
    // The next bytes of the file, compared with expected.
    const auto matches = [&](std::string_view expected) {
        while (!expected.empty()) {
            if (at == have) {
                const long long got = readAt(file, piece.get(), pieceSize, offset);
                if (got <= 0)
                    return false;
                have = std::size_t(got);
                offset += have;
                at = 0;
            }
            const std::size_t n = std::min(expected.size(), have - at);
            if (std::memcmp(piece.get() + at, expected.data(), n) != 0)
                return false;
            at += n;
            expected.remove_prefix(n);
        }
        return true;
    };
    for (std::size_t i = first; i < last;) {
        const char* const runStart = lines[i].data();
        const char* runEnd = runStart + lines[i].size();
        const auto followsWithLineEnd = [&runEnd](std::string_view next) {
            return runEnd != nullptr
                && reinterpret_cast<std::uintptr_t>(next.data()) == reinterpret_cast<std::uintptr_t>(runEnd) + 2
                && std::memcmp(runEnd, "\r\n", 2) == 0;
        };
        for (++i; i < last && followsWithLineEnd(lines[i]); ++i)
            runEnd = lines[i].data() + lines[i].size();
        if (!matches(std::string_view(runStart, static_cast<std::size_t>(runEnd - runStart))) || !matches("\r\n"))
            return false;
    }
    return true;
}

} // namespace

bool listFileHolds(const std::string& path, const LineList& lines)
{
    SystemFile file = namesAFile(path) ? openForReading(path) : SystemFile();
    if (!file.valid())
        return false;
    const FileStatus status = statusOf(file);
    if (status.kind != FileKind::plain)
        return false;
    // A leading byte-order mark is the file's, not the lines'.
    char mark[3];
    const std::uint64_t start = readAt(file, mark, sizeof mark, 0) == static_cast<long long>(sizeof mark)
            && std::string_view(mark, sizeof mark) == utf8ByteOrderMark
        ? sizeof mark
        : 0;
    // The bytes each half of the lines is saved as: a file of another size
    // holds something else, and the second half's bytes begin after the first's.
    const auto bytesOf = [&lines](std::size_t first, std::size_t last) {
        std::uint64_t bytes = 0;
        for (std::size_t i = first; i < last; ++i)
            bytes += lines[i].size() + 2;
        return bytes;
    };
    const auto halfBytes = inTwoHalves(lines.size(), bytesOf);
    const std::uint64_t firstHalfBytes = halfBytes.first;
    const std::uint64_t end = start + firstHalfBytes + halfBytes.second;
    if (status.size != end)
        return false;
    const auto [firstHolds, secondHolds] = inTwoHalves(lines.size(), [&](std::size_t first, std::size_t last) {
        return holdsLinesAt(file, first == 0 ? start : start + firstHalfBytes, lines, first, last);
    });
    // Nothing more than that, even if the file grew meanwhile.
    char extra = 0;
    return firstHolds && secondHolds && readAt(file, &extra, 1, end) == 0;
}
