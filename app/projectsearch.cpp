#include "app/projectsearch.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "app/projectlistmodel.h"
#include "listfile/textsearch.h"

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

namespace {

// The text search over the rows, each row matched against the needle
// needleFor(row) gives (already upper-cased without "Match case").
template <typename NeedleFor>
int searchRows(const ProjectListModel& rows, NeedleFor needleFor, bool matchCase, bool wholeWord)
{
    const int count = rows.count();
    for (int row = 0; row < count; ++row) {
        if (descriptionMatches(rows.description(row), needleFor(row), matchCase, wholeWord))
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
