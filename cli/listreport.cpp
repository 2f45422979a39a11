#include "cli/listreport.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listrepair.h"
#include "listfile/textsearch.h"

#include <algorithm>
#include <cstring>
#include <ostream>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// A wider path for processors that have AVX2, chosen when the program runs.
#if defined(__GNUC__) && defined(__x86_64__)
#define LIST_LINES_WITH_AVX2 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

// Length of the UTF-8 sequence at text[at], or 0 when none begins there.
std::size_t utf8Sequence(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    unsigned least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    unsigned code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code >= least && code <= 0x10FFFF && !surrogate ? length : 0;
}

void appendJsonString(std::string& out, std::string_view text)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += char(byte);
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += char(byte);
        } else if (const std::size_t length = byte >= 0x80 ? utf8Sequence(text, i) : 0; length > 0) {
            out.append(text.substr(i, length));
            i += length - 1;
        } else {
            // A control code, or a byte of 8-bit text: the character of that code.
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    out += '"';
}

#if defined(LIST_LINES_WITH_AVX2)
// The lines of in, 32 bytes a step: every CR becomes an LF, and a CR that
// an LF follows is dropped. Stops where fewer than 64 bytes are left and
// returns how far it came. A step that drops at most one CR always stores
// the bytes before and after it, so blocks with and without a line end take
// the same path and lines of any length cost no mispredicted jumps. out
// never runs ahead of in: the blocks stored whole stay within size bytes.
__attribute__((target("avx2,bmi"))) std::size_t listBlocksWithAvx2(const char* in, std::size_t size, char*& out)
{
    const __m256i carriageReturn = _mm256_set1_epi8('\r');
    const __m256i lineFeed = _mm256_set1_epi8('\n');
    const __m256i crToLf = _mm256_set1_epi8('\r' ^ '\n');
    char* to = out;
    std::size_t i = 0;
    // The 32 bytes at in + from, every CR made an LF, stored at to.
    const auto store = [&](std::size_t from) __attribute__((always_inline, target("avx2"))) {
        __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + from));
        block = _mm256_xor_si256(block, _mm256_and_si256(_mm256_cmpeq_epi8(block, carriageReturn), crToLf));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), block);
    };
    for (; i + 64 <= size; i += 32) {
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i + 1));
        // The CRs of a CR LF, one bit a byte.
        unsigned dropped = unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(block, carriageReturn)))
            & unsigned(_mm256_movemask_epi8(_mm256_cmpeq_epi8(next, lineFeed)));
        if ((dropped & (dropped - 1)) == 0) {
            // The bytes before the CR, then those after it; 32 when none.
            const std::size_t at = _tzcnt_u32(dropped);
            const std::size_t after = std::min<std::size_t>(at + 1, 32);
            store(i);
            to += at;
            store(i + after);
            to += 32 - after;
            continue;
        }
        std::size_t from = i;
        for (; dropped != 0; dropped &= dropped - 1) {
            const std::size_t at = i + std::size_t(__builtin_ctz(dropped));
            store(from);
            to += at - from;
            from = at + 1;
        }
        store(from);
        to += i + 32 - from;
    }
    out = to;
    return i;
}

// Asked of the processor the first time only: the compiler's own check
// would ask it for everything it knows at every start of the program.
bool hasAvx2()
{
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_OSXSAVE) || !(c & bit_AVX))
            return false;
        // The system saves the wide registers between programs.
        unsigned savedLow = 0, savedHigh = 0;
        __asm__("xgetbv" : "=a"(savedLow), "=d"(savedHigh) : "c"(0));
        if ((savedLow & 6) != 6)
            return false;
        return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_AVX2) && (b & bit_BMI);
    }();
    return has;
}
#endif

} // namespace

void LineLister::take(std::string_view piece)
{
    if (piece.empty())
        return;
    // A CR that ended the last piece ends its line alone unless an LF follows.
    if (afterCarriageReturn_ && piece.front() != '\n')
        write_("\n");
    afterCarriageReturn_ = false;
    // Lines never grow: a CR LF becomes an LF, a CR alone an LF. The room
    // past the piece's size takes whole blocks stored near its end.
    buffer_.resize(piece.size() + 16);
    const char* const in = piece.data();
    const std::size_t size = piece.size();
    char* const begin = buffer_.data();
    char* out = begin;
    std::size_t i = 0;
    const auto endLine = [&](std::size_t carriageReturn) {
        // CR LF: the CR goes and the LF stays. A CR alone becomes an LF.
        i = carriageReturn + 1;
        if (i == size)
            afterCarriageReturn_ = true;
        else if (in[i] != '\n')
            *out++ = '\n';
    };
#if defined(LIST_LINES_WITH_AVX2)
    if (hasAvx2())
        i = listBlocksWithAvx2(in, size, out);
#endif
#if defined(__SSE2__)
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    // Each block is stored whole; only the bytes before a CR count.
    while (i + 32 <= size) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, carriageReturn)));
        if (mask == 0) {
            out += 16;
            i += 16;
            continue;
        }
        const std::size_t at = static_cast<std::size_t>(__builtin_ctz(mask));
        out += at;
        endLine(i + at);
    }
#endif
    while (i < size) {
        if (in[i] == '\r') {
            endLine(i);
            continue;
        }
        *out++ = in[i++];
    }
    write_(std::string_view(begin, std::size_t(out - begin)));
    lineOpen_ = piece.back() != '\r' && piece.back() != '\n';
}

void LineLister::finish()
{
    if (afterCarriageReturn_ || lineOpen_)
        write_("\n");
    afterCarriageReturn_ = false;
    lineOpen_ = false;
}

std::string listedLines(const LineList& lines, const std::vector<std::size_t>& indexes)
{
    std::string out;
    for (std::size_t index : indexes) {
        out += lines[index];
        out += '\n';
    }
    return out;
}

std::string listedJson(const LineList& lines)
{
    std::string out = "[";
    bool first = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (isBlankLine(line))
            continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "{\"number\": ";
        appendJsonString(out, trimmedView(captionField(line)));
        out += ", \"description\": ";
        appendJsonString(out, storedDescription(line));
        out += ", \"line\": ";
        out += std::to_string(i + 1);
        out += '}';
    }
    out += first ? "]\n" : "\n]\n";
    return out;
}

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Where the last line end of text is, or npos.
std::size_t lastLineEnd(std::string_view text)
{
    const std::size_t cr = text.rfind('\r');
    const std::size_t lf = text.rfind('\n');
    if (cr == std::string_view::npos)
        return lf;
    return lf == std::string_view::npos ? cr : std::max(cr, lf);
}

} // namespace

HitFinder::HitFinder(std::string_view wanted, bool matchCase, bool wholeWord, std::ostream& out)
    : needle_(matchCase ? std::string(wanted) : upperCaseAtoZ(wanted)), matchCase_(matchCase), wholeWord_(wholeWord),
      out_(out)
{
    // A line holds no line break; the empty text is found nowhere.
    if (needle_.find_first_of("\r\n") != std::string::npos)
        needle_.clear();
}

void HitFinder::take(std::string_view piece)
{
    if (needle_.empty())
        return;
    if (!carry_.empty()) {
        // The line the last piece began ends in this one.
        const std::size_t end = std::find_if(piece.begin(), piece.end(), isLineEnd) - piece.begin();
        carry_.append(piece.substr(0, end));
        if (end == piece.size())
            return;
        carry_ += piece[end];
        search(carry_);
        carry_.clear();
        piece.remove_prefix(end + 1);
    }
    const std::size_t end = lastLineEnd(piece);
    if (end == std::string_view::npos) {
        carry_.assign(piece);
        return;
    }
    search(piece.substr(0, end + 1));
    carry_.assign(piece.substr(end + 1));
}

void HitFinder::finish()
{
    if (!carry_.empty()) {
        carry_ += '\n';
        search(carry_);
        carry_.clear();
    }
}

void HitFinder::search(std::string_view text)
{
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t found = findText(text.substr(from), needle_, matchCase_);
        if (found == std::string_view::npos)
            return;
        std::size_t start = from + found;
        while (start > from && !isLineEnd(text[start - 1]))
            --start;
        std::size_t end = from + found + needle_.size();
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        // Found somewhere in the line; a hit only where the window looks.
        const std::string_view line = text.substr(start, end - start);
        if (descriptionMatches(descriptionField(line), needle_, matchCase_, wholeWord_)) {
            out_.write(line.data(), std::streamsize(line.size()));
            out_ << '\n';
            found_ = true;
        }
        from = end + 1;
    }
}

std::vector<LineFault> listFaults(const LineList& lines)
{
    std::vector<LineFault> faults;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (isBlankLine(line)) {
            faults.push_back({i + 1, true, {}});
            continue;
        }
        // As the repair judges it: a line it would leave as it is is no fault.
        if (isWellFormedLine(line))
            continue;
        std::string rebuilt = rebuildLine(line);
        if (rebuilt != line)
            faults.push_back({i + 1, false, std::move(rebuilt)});
    }
    return faults;
}

std::string faultReport(const LineList& lines, const std::vector<LineFault>& faults)
{
    std::string out;
    for (const LineFault& fault : faults) {
        out += "line " + std::to_string(fault.line) + ": ";
        if (fault.blank) {
            out += "blank, to be deleted\n";
            continue;
        }
        out += "'";
        out += lines[fault.line - 1];
        out += "' to be rebuilt as '" + fault.rebuilt + "'\n";
    }
    return out;
}
