#include "app/projectsearch.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "app/projectlistmodel.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr char upperCased(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

bool foldedMatchAt(const char* at, std::string_view upperNeedle)
{
    for (std::size_t k = 1; k < upperNeedle.size(); ++k)
        if (upperCased(at[k]) != upperNeedle[k])
            return false;
    return true;
}

// Case-blind search for a needle that is already upper-cased. Places where
// the first byte stands in either case are found sixteen at a time, so the
// common miss costs little more than reading the description once.
bool containsFolded(std::string_view haystack, std::string_view upperNeedle)
{
    const char first = upperNeedle.front();
    const char firstLower = (first >= 'A' && first <= 'Z') ? char(first + ('a' - 'A')) : first;
    const char* text = haystack.data();
    const std::size_t starts = haystack.size() - upperNeedle.size() + 1;
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i upper = _mm_set1_epi8(first);
    const __m128i lower = _mm_set1_epi8(firstLower);
    for (; i + 16 <= starts; i += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, upper), _mm_cmpeq_epi8(block, lower))));
        while (mask) {
            if (foldedMatchAt(text + i + static_cast<std::size_t>(__builtin_ctz(mask)), upperNeedle))
                return true;
            mask &= mask - 1;
        }
    }
#endif
    for (; i < starts; ++i) {
        const char c = text[i];
        if ((c == first || c == firstLower) && foldedMatchAt(text + i, upperNeedle))
            return true;
    }
    return false;
}

bool equalsFolded(std::string_view text, std::string_view upperNeedle)
{
    return text.size() == upperNeedle.size()
        && std::equal(text.begin(), text.end(), upperNeedle.begin(),
                      [](char a, char b) { return upperCased(a) == b; });
}

} // namespace

NumberSearchResult searchProjectNumber(const ProjectListModel& rows, std::string_view findText)
{
    NumberSearchResult result;
    const IntConversion number = convertInteger(findText);
    result.value = number.value;
    result.validNumber = number.ok();
    if (!result.validNumber)
        return result;

    // The walk starts after row 1 and wraps round to it.
    const int count = rows.count();
    constexpr int firstRow = 2;
    for (int step = 0; step < count; ++step) {
        const int row = (firstRow + step) % count;
        const std::string_view caption = rows.caption(row);
        // A number of more than three digits is found by all of it, never by
        // a part: 100 does not find 1000.
        const std::size_t numberLength = numberKeyLength(caption);
        if (caption.substr(0, findText.size()) == findText && (numberLength <= 3 || findText.size() >= numberLength)) {
            result.row = row;
            break;
        }
    }
    return result;
}

std::string upperCaseAtoZ(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = upperCased(c);
    return out;
}

namespace {

// The text search over the rows, each row matched against the needle
// needleFor(row) gives (already upper-cased without "Match case").
template <typename NeedleFor>
int searchRows(const ProjectListModel& rows, NeedleFor needleFor, bool matchCase, bool wholeWord)
{
    const int count = rows.count();
    for (int row = 0; row < count; ++row) {
        const std::string& needle = needleFor(row);
        const std::string_view description = trimmedView(rows.description(row));
        if (needle.empty() || description.size() < needle.size())
            continue;
        bool hit;
        if (wholeWord)
            hit = matchCase ? description == needle : equalsFolded(description, needle);
        else
            hit = matchCase ? description.find(needle) != std::string_view::npos
                            : containsFolded(description, needle);
        if (hit)
            return row;
    }
    return -1;
}

} // namespace

int searchProjectText(const ProjectListModel& rows, std::string_view findText, bool matchCase,
                      bool wholeWord)
{
    if (findText.empty())
        return -1;
    const std::string needle = matchCase ? std::string(findText) : upperCaseAtoZ(findText);
    return searchRows(rows, [&needle](int) -> const std::string& { return needle; }, matchCase, wholeWord);
}

int searchTypedText(const ProjectListModel& rows, const QString& findText, bool matchCase, bool wholeWord)
{
    if (findText.isEmpty())
        return -1;
    // The find text as each coding of a line stores it: indexed by
    // eightBit * 2 + holdsNul.
    std::string needles[4];
    for (int kind = 0; kind < 4; ++kind) {
        LineCoding coding;
        coding.eightBit = kind >= 2;
        coding.holdsNul = kind % 2 == 1;
        const std::string stored = storedBytes(findText, coding);
        needles[kind] = matchCase ? stored : upperCaseAtoZ(stored);
    }
    return searchRows(
        rows,
        [&](int row) -> const std::string& {
            const LineCoding coding = rows.coding(row);
            return needles[(coding.eightBit ? 2 : 0) + (coding.holdsNul ? 1 : 0)];
        },
        matchCase, wholeWord);
}
