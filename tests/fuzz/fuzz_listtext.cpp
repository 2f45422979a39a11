// Reading a list file from any bytes: the lines match a plain byte-by-byte
// reading, come out the same however the bytes are split into pieces, and
// saving them gives bytes that read back as the same lines.
#include "fuzzcheck.h"

#include "listfile/listfileio.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The reading rules spelt out one byte at a time: CR, LF and CR LF end a
// line, the first NUL ends the text, a last line without an end still counts.
std::vector<std::string> plainReading(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0')
            break;
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
    const std::vector<std::string> lines = splitListText(bytes);
    FUZZ_CHECK(lines == plainReading(bytes));

    std::size_t joinedSize = 0;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        joinedSize += line.size() + 2;
    }

    // The first bytes choose a piece size, so borders fall everywhere.
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 17;
    FUZZ_CHECK(splitListTextInPieces(bytes, pieceSize) == lines);

    const std::string joined = joinListText(lines);
    FUZZ_CHECK(joined.size() == joinedSize);
    FUZZ_CHECK(splitListText(joined) == lines);
    // A list saved and read back saves to the same bytes.
    FUZZ_CHECK(joinListText(splitListText(joined)) == joined);
    return 0;
}
