// The line layout helpers on any line: trimming, fixed columns, the number
// read from a caption, zero padding and the lookup of a project's line.
#include "fuzzcheck.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "listfile/listfileio.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    const std::string_view trimmedLine = trimmedView(line);
    FUZZ_CHECK(line.find(trimmedLine) != std::string_view::npos);
    FUZZ_CHECK(trimmedLine.empty() || static_cast<unsigned char>(trimmedLine.front()) > 32);
    FUZZ_CHECK(trimmedLine.empty() || static_cast<unsigned char>(trimmedLine.back()) > 32);
    FUZZ_CHECK(trimmed(line) == trimmedLine);

    const std::size_t first = size == 0 ? 0 : data[0] % 64;
    const std::size_t count = size < 2 ? 0 : data[1] % 64;
    const std::string_view columns = columnsOf(line, first, count);
    FUZZ_CHECK(columns.size() <= count);
    FUZZ_CHECK(columns.empty() || line.substr(first == 0 ? 0 : first - 1).substr(0, count) == columns);
    // Columns move along behind a number of more than three digits.
    const std::size_t overhang = numberOverhang(line);
    FUZZ_CHECK(captionField(line) == line.substr(0, 5 + overhang));
    FUZZ_CHECK(descriptionField(line) == (size < 8 + overhang ? std::string_view() : line.substr(7 + overhang, 40)));

    const std::string_view caption = captionField(line);
    FUZZ_CHECK(captionProjectNumber(caption) == convertInteger(trimmed(caption)).value);

    int32_t number = 0;
    std::memcpy(&number, data, size < 4 ? size : 4);
    const std::string padded = zeroPadNumber(number);
    FUZZ_CHECK(padded.size() >= 3);
    if (number >= 0)
        FUZZ_CHECK(convertInteger(padded).ok() && convertInteger(padded).value == number);

    // The lines of the input, looked up by the number key of each: the first
    // line with that very key, never one whose number only begins with it.
    const LineList lines = splitListText(line);
    for (std::size_t i = 0; i < lines.size() && i < 64; ++i) {
        const std::string_view code = numberKey(lines[i]);
        const int found = findProjectLine(lines, code);
        if (code.size() < 3) {
            FUZZ_CHECK(found == -1);  // a short code never matches
            continue;
        }
        FUZZ_CHECK(found >= 0 && static_cast<std::size_t>(found) <= i);
        FUZZ_CHECK(numberKey(lines[static_cast<std::size_t>(found)]) == code);
        for (int earlier = 0; earlier < found; ++earlier)
            FUZZ_CHECK(numberKey(lines[static_cast<std::size_t>(earlier)]) != code);
    }
    return 0;
}
