#include "listfile/lineformat.h"

#include "listfile/intconversion.h"
#include "listfile/twohalves.h"

#include <algorithm>
#include <atomic>

namespace {

bool isTrimmedAway(char c)
{
    // Bytes above 127 are letters of the 8-bit code page, not control codes.
    return static_cast<unsigned char>(c) <= 32;
}

constexpr std::size_t numberCodeLength = 3;
constexpr std::size_t minimumNumberWidth = 3;

} // namespace

std::string_view trimmedView(std::string_view text)
{
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && isTrimmedAway(text[first]))
        ++first;
    while (end > first && isTrimmedAway(text[end - 1]))
        --end;
    return text.substr(first, end - first);
}

std::string trimmed(std::string_view text)
{
    return std::string(trimmedView(text));
}

std::string zeroPadNumber(int32_t number)
{
    // Widened first so that the most negative number prints without overflow.
    std::string digits = std::to_string(static_cast<int64_t>(number));
    if (digits.size() < minimumNumberWidth)
        digits.insert(0, minimumNumberWidth - digits.size(), '0');
    return digits;
}

int findProjectLine(const LineList& lines, std::string_view code)
{
    if (code.size() < numberCodeLength)
        return -1;
    // The second half stops once the first has found the line.
    std::atomic<bool> foundInFirstHalf {false};
    const auto findIn = [&](std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            const std::string_view line = lines[i];
            if (line.size() >= code.size() && line.compare(0, code.size(), code) == 0
                && numberKeyLength(line) == code.size()) {
                if (first == 0)
                    foundInFirstHalf = true;
                return static_cast<int>(i);
            }
            if (first != 0 && (i & 0xFFF) == 0 && foundInFirstHalf)
                break;
        }
        return -1;
    };
    const auto [inFirst, inSecond] = inTwoHalves(lines.size(), findIn);
    return inFirst >= 0 ? inFirst : inSecond;
}

int32_t captionProjectNumber(std::string_view caption)
{
    return convertInteger(trimmedView(columnsOf(caption, 1, 5 + numberOverhang(caption)))).value;
}

std::optional<int32_t> highestProjectNumber(const LineList& lines)
{
    const auto highestIn = [&lines](std::size_t first, std::size_t last) {
        constexpr std::size_t longestNumber = 10;
        std::optional<int32_t> highest;
        for (std::size_t i = first; i < last; ++i) {
            const std::string_view line = lines[i];
            const std::size_t length = numberKeyLength(line);
            if (length == 0 || length > longestNumber || line[0] < '0' || line[0] > '9' || line[1] < '0'
                || line[1] > '9' || line[2] < '0' || line[2] > '9')
                continue;
            int64_t value = 0;
            for (std::size_t digit = 0; digit < length; ++digit)
                value = value * 10 + (line[digit] - '0');
            if (value <= INT32_MAX && (!highest || value > *highest))
                highest = static_cast<int32_t>(value);
        }
        return highest;
    };
    const auto [first, second] = inTwoHalves(lines.size(), highestIn);
    if (!first || !second)
        return first ? first : second;
    return std::max(*first, *second);
}

bool beginsWithProjectNumber(std::string_view line)
{
    return convertInteger(columnsOf(line, 1, numberCodeLength)).ok();
}

bool isProjectList(const LineList& lines)
{
    std::size_t projects = 0;
    std::size_t others = 0;
    for (std::string_view line : lines) {
        if (beginsWithProjectNumber(line))
            ++projects;
        else if (!trimmedView(line).empty())
            ++others;
    }
    return projects > 0 && projects >= others;
}
