// The list operations of record editing on any list and any new line: the
// duplicate test, putting and removing a project's line, the line order
// (a consistent total order), sorting and keeping a list sorted after one
// change. The last line of the input is the project to put: its first three
// bytes the number, the rest the description.
#include "fuzzcheck.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"

#include <algorithm>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

bool sortedByLineOrder(const LineList& lines)
{
    const std::size_t width = numberWidthOf(lines);
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (compareLines(lines[i - 1], lines[i], width) > 0)
            return false;
    return true;
}

std::vector<std::string> copyOf(const LineList& lines)
{
    return std::vector<std::string>(lines.begin(), lines.end());
}

bool sameLines(const LineList& list, const LineList& other)
{
    std::vector<std::string> a = copyOf(list);
    std::vector<std::string> b = copyOf(other);
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Multi-byte text, as the program meets it in a UTF-8 session.
    static const bool locale = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;
    (void)locale;

    LineList lines = splitListText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (lines.empty())
        return 0;
    const std::string last(lines.back());
    lines.erase(lines.size() - 1);
    while (lines.size() > 200)
        lines.erase(lines.size() - 1);
    // Every edit below works on a copy; the copies share their lines with
    // this one until they change, and this one must never see their changes.
    const std::vector<std::string> linesBefore = copyOf(lines);
    const std::string code = last.substr(0, 3);
    const std::string description = last.size() > 3 ? last.substr(3) : std::string();

    // The line order at the list's width: reflexive, antisymmetric,
    // transitive on neighbours.
    const std::size_t width = numberWidthOf(lines);
    const auto compare = [width](std::string_view a, std::string_view b) { return compareLines(a, b, width); };
    for (std::size_t i = 0; i + 2 < lines.size() && i < 32; ++i) {
        const std::string_view a = lines[i];
        const std::string_view b = lines[i + 1];
        const std::string_view c = lines[i + 2];
        FUZZ_CHECK(compare(a, a) == 0);
        FUZZ_CHECK(sign(compare(a, b)) == -sign(compare(b, a)));
        if (compare(a, b) <= 0 && compare(b, c) <= 0)
            FUZZ_CHECK(compare(a, c) <= 0);
    }

    LineList sorted = lines;
    sortLines(sorted);
    std::vector<std::string> reference = copyOf(lines);
    std::stable_sort(reference.begin(), reference.end(),
                     [&compare](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
    FUZZ_CHECK(copyOf(sorted) == reference);
    FUZZ_CHECK(sortedByLineOrder(sorted));

    // The duplicate test looks for the text anywhere in any line.
    bool anywhere = false;
    for (std::string_view line : lines)
        anywhere = anywhere || (!description.empty() && line.find(description) != std::string_view::npos);
    FUZZ_CHECK(listContainsText(lines, description) == anywhere);

    const std::string line = projectLine(code, description);
    FUZZ_CHECK(line == code + "     " + description);
    if (code.size() == 3)
        FUZZ_CHECK(storedDescription(line) == description);

    // Putting the line, then keeping the sorted list sorted.
    const int existing = findProjectLine(sorted, code);
    LineList edited = sorted;
    const std::size_t insertAt = data[0] % (edited.size() + 2);
    const std::size_t at = putProjectLine(edited, code, line, insertAt);
    FUZZ_CHECK(at < edited.size() && edited[at] == line);
    if (existing >= 0) {
        FUZZ_CHECK(at == static_cast<std::size_t>(existing));
        FUZZ_CHECK(edited.size() == sorted.size());
    } else {
        FUZZ_CHECK(edited.size() == sorted.size() + 1);
        FUZZ_CHECK(at == std::min(insertAt, sorted.size()));
    }
    LineList kept = edited;
    keepSorted(kept, at);
    FUZZ_CHECK(sortedByLineOrder(kept));
    FUZZ_CHECK(sameLines(kept, edited));

    // Removing a project takes out its first line only, or fails as described.
    LineList removed = kept;
    const int first = findProjectLine(removed, code);
    try {
        removeProjectLine(removed, code);
        FUZZ_CHECK(first >= 0 && removed.size() + 1 == kept.size());
        FUZZ_CHECK(std::equal(removed.begin(), removed.begin() + first, kept.begin()));
        FUZZ_CHECK(std::equal(removed.begin() + first, removed.end(), kept.begin() + first + 1));
    } catch (const ListFileError& error) {
        FUZZ_CHECK(first < 0 && std::string(error.what()) == "List index out of bounds (-1)");
        FUZZ_CHECK(removed == kept);
    }
    FUZZ_CHECK(copyOf(lines) == linesBefore);
    FUZZ_CHECK(edited.size() == kept.size());
    return 0;
}
