// The repair on any list: blank lines go, well laid-out lines stay as they
// are, every other line is rebuilt as number, five blanks, description; the
// bad lines are shown last first; and a second repair finds nothing more to
// do on lines whose number text is three characters.
#include "fuzzcheck.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "listfile/listfileio.h"
#include "listfile/listrepair.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

class Recorder : public RepairObserver {
public:
    bool showsBadLines() const override { return true; }
    void showBadLine(std::string_view line) override { shown.emplace_back(line); }
    void keepAlive(std::size_t done, std::size_t total) override { FUZZ_CHECK(done <= total); }
    std::vector<std::string> shown;
};

std::string_view numberTextOf(std::string_view rebuilt)
{
    return rebuilt.substr(0, rebuilt.find("     "));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const LineList original = splitListText(std::string_view(reinterpret_cast<const char*>(data), size));
    LineList lines = original;
    Recorder recorder;
    const RepairCounts counts = repairLines(lines, recorder);
    FUZZ_CHECK(!counts.cancelled);

    std::vector<std::string> kept;
    std::vector<std::string> bad;
    for (std::string_view line : original) {
        if (isBlankLine(line))
            continue;
        kept.emplace_back(line);
        // A line the rebuild leaves as it is is no fault.
        if (!isWellFormedLine(line) && rebuildLine(line) != line)
            bad.emplace(bad.begin(), line);  // shown from the last to the first
    }
    FUZZ_CHECK(counts.blankLines == original.size() - kept.size());
    FUZZ_CHECK(counts.rebuiltLines == bad.size());
    FUZZ_CHECK(recorder.shown == bad);
    FUZZ_CHECK(lines.size() == kept.size());

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (isWellFormedLine(kept[i]) || rebuildLine(kept[i]) == kept[i]) {
            FUZZ_CHECK(line == kept[i]);
            continue;
        }
        FUZZ_CHECK(line == rebuildLine(kept[i]));
        const LineFields fields = extractLineFields(kept[i]);
        const std::string number = zeroPadNumber(fields.number);
        FUZZ_CHECK(line.compare(0, number.size() + 5, number + "     ") == 0);
        const std::string_view description = line.substr(number.size() + 5);
        FUZZ_CHECK(description == trimmedView(description));
        FUZZ_CHECK(!isBlankLine(line));
        // A three-character number makes a line the next repair leaves alone.
        if (numberTextOf(line).size() == 3)
            FUZZ_CHECK(isWellFormedLine(line));
    }

    // A repaired list has nothing left to repair, whatever its numbers.
    LineList again = lines;
    Recorder quiet;
    FUZZ_CHECK(!repairLines(again, quiet).anyFault());
    FUZZ_CHECK(again == lines);

    // Whatever the number field holds, the extraction ends and, for a text
    // that reads whole, gives its value.
    const std::string field(reinterpret_cast<const char*>(data), size < 16 ? size : 16);
    const int32_t extracted = extractDigits(field);
    const IntConversion read = convertInteger(field);
    if (read.ok())
        FUZZ_CHECK(extracted == read.value);
    return 0;
}
