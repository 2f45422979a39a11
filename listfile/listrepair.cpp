#include "listfile/listrepair.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "listfile/listfileio.h"

#include <algorithm>

namespace {

constexpr std::size_t numberFieldWidth = 5;
constexpr std::string_view separator = "     ";
constexpr std::string_view sixBlanks = "      ";
constexpr std::size_t separatorColumn = 4;  // where the separator of a 3-digit number starts
// Lines checked between two looks at the clock: the clock is cheap, but not
// as cheap as a line.
constexpr std::size_t linesPerClockCheck = 1024;

bool isControlOrBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Three non-blanks, five blanks and then no sixth blank: the shape of nearly
// every line of a kept list, decided without searching the line.
bool hasPlainThreeDigitLayout(std::string_view line)
{
    if (line.size() < 8 || line[0] == ' ' || line[1] == ' ' || line[2] == ' ')
        return false;
    if (line.compare(3, separator.size(), separator) != 0)
        return false;
    return line.size() == 8 || line[8] != ' ';
}

// Says when the observer is due to hear that the repair is still going.
class KeepAliveClock {
public:
    explicit KeepAliveClock(std::chrono::milliseconds interval)
        : interval_(interval), next_(std::chrono::steady_clock::now() + interval)
    {
    }
    bool due(std::size_t linesDone)
    {
        if (linesDone % linesPerClockCheck != 0)
            return false;
        const auto now = std::chrono::steady_clock::now();
        if (now < next_)
            return false;
        next_ = now + interval_;
        return true;
    }

private:
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point next_;
};

} // namespace

bool isBlankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), isControlOrBlank);
}

bool isWellFormedLine(std::string_view line)
{
    if (hasPlainThreeDigitLayout(line))
        return true;
    if (line.find(separator) == std::string_view::npos)
        return false;
    if (line.find(sixBlanks) == separatorColumn - 1)
        return false;
    return line.find(' ') == separatorColumn - 1;
}

int32_t extractDigits(std::string text)
{
    // Every turn either ends or makes the text one character shorter, so the
    // loop ends even on a text that never reads as a number.
    for (;;) {
        const IntConversion read = convertInteger(text);
        if (read.ok())
            return read.value;
        const std::size_t stop = static_cast<std::size_t>(read.stopPosition) - 1;
        if (stop >= text.size())
            return read.value;
        text.erase(stop, 1);
    }
}

LineFields extractLineFields(std::string_view line)
{
    const std::size_t limit = std::min(line.size(), numberFieldWidth);
    std::size_t end = 0;
    bool seenVisible = false;
    bool hasDigit = false;
    for (; end < limit; ++end) {
        const char c = line[end];
        if (isControlOrBlank(c)) {
            if (seenVisible)
                break;
            continue;
        }
        seenVisible = true;
        hasDigit = hasDigit || isDigit(c);
    }

    // A number longer than the field takes all of its digits, as long as
    // they read as one number: '100000   Alpha' is project 100000, not 10000
    // with a description starting '0'.
    if (end == numberFieldWidth && hasDigit && isDigit(line[end - 1])) {
        std::size_t digitsEnd = end;
        while (digitsEnd < line.size() && isDigit(line[digitsEnd]))
            ++digitsEnd;
        if (digitsEnd > end && convertInteger(trimmedView(line.substr(0, digitsEnd))).ok())
            end = digitsEnd;
    }

    LineFields fields;
    if (!hasDigit) {
        // A word is not a number: keep all of it as the description.
        fields.description = trimmedView(line);
        return fields;
    }
    fields.number = extractDigits(std::string(trimmedView(line.substr(0, end))));
    fields.description = trimmedView(line.substr(end));
    return fields;
}

namespace {

// Writes the rebuilt line into out, reusing what out has allocated.
void rebuildLineInto(std::string_view line, std::string& out)
{
    const LineFields fields = extractLineFields(line);
    out = zeroPadNumber(fields.number);
    out += separator;
    out += fields.description;
}

} // namespace

std::string rebuildLine(std::string_view line)
{
    std::string rebuilt;
    rebuildLineInto(line, rebuilt);
    return rebuilt;
}

RepairCounts repairLines(LineList& lines, RepairObserver& observer)
{
    RepairCounts counts;

    // Deleting blank lines one by one from the end is quadratic on a big
    // list; one stable compaction gives the same result.
    counts.blankLines = lines.eraseIf(isBlankLine);

    // From the last line to the first, so bad lines are shown in that order.
    KeepAliveClock clock(observer.keepAliveInterval());
    // Every rebuilt line is made in one reused buffer before it is stored, so
    // that a list with many bad lines is not one allocation per line.
    std::string scratch;
    const std::size_t total = lines.size();
    for (std::size_t done = 1; done <= total; ++done) {
        const std::size_t index = total - done;
        const std::string_view line = lines[index];
        // A line the rebuild leaves as it is (a number of four or more
        // digits, laid out right) is not a fault.
        if (!isWellFormedLine(line) && (rebuildLineInto(line, scratch), scratch != line)) {
            ++counts.rebuiltLines;
            if (observer.showsBadLines()) {
                observer.showBadLine(line);
                if (observer.cancelled()) {
                    counts.cancelled = true;
                    return counts;
                }
            }
            lines.set(index, scratch);
        }
        if (clock.due(done)) {
            observer.keepAlive(done, total);
            if (observer.cancelled()) {
                counts.cancelled = true;
                return counts;
            }
        }
    }
    return counts;
}

RepairCounts repairListFile(const std::string& path, LineList& lines, RepairObserver& observer)
{
    // Repaired aside, so that a failed read or a cancelled repair leaves the
    // caller's list as it was.
    LineList reloaded;
    loadListFile(path, reloaded);
    RepairCounts counts = repairLines(reloaded, observer);
    if (!counts.cancelled)
        lines.swap(reloaded);
    return counts;
}
