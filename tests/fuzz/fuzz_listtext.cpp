// Reading a list file from any bytes: the lines match a plain byte-by-byte
// reading, and saving them gives bytes that read back as the same lines.
#include "fuzzcheck.h"

#include "listfile/listfileio.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The reading rules spelt out one byte at a time: CR, LF and CR LF end a
// line, a NUL is an ordinary byte, a last line without an end still counts.
std::vector<std::string> plainReading(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            continue;
        }
        line += c;
        open = true;
    }
    if (open)
        lines.push_back(line);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const LineList lines = splitListText(bytes);
    // A leading UTF-8 byte-order mark is the file's, not line 1's.
    const bool marked = bytes.substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark;
    const std::vector<std::string> plain = plainReading(marked ? bytes.substr(utf8ByteOrderMark.size()) : bytes);
    FUZZ_CHECK(lines == LineList(plain.begin(), plain.end()));

    // Saved, a line 1 that begins as the mark does gets a mark before it.
    std::size_t joinedSize =
        !lines.empty() && lines.front().substr(0, utf8ByteOrderMark.size()) == utf8ByteOrderMark ? utf8ByteOrderMark.size() : 0;
    for (std::string_view line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
        joinedSize += line.size() + 2;
    }

    const std::string joined = joinListText(lines);
    FUZZ_CHECK(joined.size() == joinedSize);
    FUZZ_CHECK(splitListText(joined) == lines);
    // A list saved and read back saves to the same bytes.
    FUZZ_CHECK(joinListText(splitListText(joined)) == joined);
    return 0;
}
