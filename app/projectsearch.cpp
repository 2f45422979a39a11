#include "projectsearch.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "projectlistmodel.h"

#include <algorithm>

namespace {

constexpr char upperCased(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
}

// Case-blind search for a needle that is already upper-cased. The first byte
// is looked for in both its cases with memchr-speed scans, so the common
// miss costs little more than reading the description once.
bool containsFolded(std::string_view haystack, std::string_view upperNeedle)
{
    const char first = upperNeedle.front();
    const char firstLower = (first >= 'A' && first <= 'Z') ? char(first + ('a' - 'A')) : first;
    const std::size_t last = haystack.size() - upperNeedle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        const char c = haystack[i];
        if (c != first && c != firstLower)
            continue;
        std::size_t k = 1;
        while (k < upperNeedle.size() && upperCased(haystack[i + k]) == upperNeedle[k])
            ++k;
        if (k == upperNeedle.size())
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
        if (caption.substr(0, findText.size()) == findText) {
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

int searchProjectText(const ProjectListModel& rows, std::string_view findText, bool matchCase,
                      bool wholeWord)
{
    if (findText.empty())
        return -1;
    const std::string needle = matchCase ? std::string(findText) : upperCaseAtoZ(findText);
    const int count = rows.count();
    for (int row = 0; row < count; ++row) {
        const std::string_view description = trimmedView(rows.description(row));
        if (description.size() < needle.size())
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
