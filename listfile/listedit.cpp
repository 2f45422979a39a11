#include "listfile/listedit.h"

#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <langinfo.h>

bool listContainsText(const LineList& lines, std::string_view text)
{
    if (text.empty())
        return false;
    return std::any_of(lines.begin(), lines.end(),
                       [text](std::string_view line) { return line.find(text) != std::string_view::npos; });
}

std::string_view storedDescription(std::string_view line)
{
    constexpr std::size_t numberLength = 3;
    constexpr std::size_t separatorLength = 5;
    if (line.size() <= numberLength)
        return {};
    std::string_view rest = line.substr(numberLength);
    std::size_t blanks = 0;
    while (blanks < separatorLength && blanks < rest.size() && rest[blanks] == ' ')
        ++blanks;
    return rest.substr(blanks);
}

std::string projectLine(std::string_view numberText, std::string_view description)
{
    std::string line;
    line.reserve(numberText.size() + 5 + description.size());
    line.append(numberText).append(5, ' ').append(description);
    return line;
}

std::size_t putProjectLine(LineList& lines, std::string_view numberText, std::string_view line,
                           std::optional<std::size_t> insertAt)
{
    const int found = findProjectLine(lines, numberText);
    if (found >= 0) {
        lines.set(static_cast<std::size_t>(found), line);
        return static_cast<std::size_t>(found);
    }
    const std::size_t at = std::min(insertAt.value_or(lines.size()), lines.size());
    lines.insert(at, line);
    return at;
}

void removeProjectLine(LineList& lines, std::string_view numberText)
{
    const int found = findProjectLine(lines, numberText);
    if (found < 0)
        throw ListFileError("List index out of bounds (-1)");
    lines.erase(static_cast<std::size_t>(found));
}

namespace {

// Compares lines as compareLines describes. The full comparison turns both
// lines into wide text, lower-cases every character (towlower, so the
// locale's own case rules apply) and collates with wcscoll. That costs about
// a microsecond a pair, so a pair is first looked at byte by byte: when two
// lines are equal up to a place where both hold an ASCII digit, those digits
// decide. Collation compares character weights from the left, digits have
// their own ascending, never-ignored weights in every locale, and an equal
// start gives equal weights; so the shortcut gives the answer wcscoll would.
// It matters because project lines nearly always differ first in the number.
// The shortcut needs an encoding in which a digit byte is always a whole
// character: UTF-8 or a single-byte code page (not, say, GB18030).
class LineOrder {
public:
    LineOrder()
        : digitsDecide_(MB_CUR_MAX == 1 || std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
    {
        // towlower through the library for every character is most of the
        // cost of a full comparison; ASCII is looked up instead (still the
        // locale's own rule: Turkish lowers 'I' to a dotless i).
        for (int c = 0; c < 0x80; ++c)
            asciiLower_[c] = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }

    // aIsPreviousB: a is the very line given as b to the previous call,
    // unchanged since, so its wide text may be reused (a pass over the list).
    int operator()(std::string_view a, std::string_view b, bool aIsPreviousB = false) const
    {
        const std::size_t common = std::min(a.size(), b.size());
        std::size_t p = 0;
        while (p < common && a[p] == b[p])
            ++p;
        const bool bWasFolded = bFolded_;
        bFolded_ = false;
        if (p == common && a.size() == b.size())
            return 0;
        if (digitsDecide_ && p < common && isDigit(a[p]) && isDigit(b[p]))
            return a[p] < b[p] ? -1 : 1;
        if (aIsPreviousB && bWasFolded)
            wideA_.swap(wideB_);
        else
            foldedWide(a, wideA_);
        foldedWide(b, wideB_);
        bFolded_ = true;
        return collate(wideA_, wideB_);
    }

    bool less(std::string_view a, std::string_view b) const { return (*this)(a, b) < 0; }

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    // The library collates up to a NUL only; a line may hold NULs, so the
    // pieces between them are collated one after the other, the line with
    // fewer pieces first when all of its pieces collate equal.
    static int collate(const std::wstring& a, const std::wstring& b)
    {
        std::size_t i = 0;
        std::size_t j = 0;
        for (;;) {
            if (const int order = std::wcscoll(a.c_str() + i, b.c_str() + j); order != 0)
                return order;
            const std::size_t endA = a.find(L'\0', i);
            const std::size_t endB = b.find(L'\0', j);
            if (endA == std::wstring::npos || endB == std::wstring::npos)
                return endA == endB ? 0 : (endA == std::wstring::npos ? -1 : 1);
            i = endA + 1;
            j = endB + 1;
        }
    }

    // A byte that is no character of the locale's encoding (a Latin-1 letter
    // in a UTF-8 list, say) stands for the character of the same code, so
    // every line has a place in the order.
    void foldedWide(std::string_view s, std::wstring& out) const
    {
        out.clear();
        std::mbstate_t state {};
        std::size_t i = 0;
        while (i < s.size()) {
            const auto byte = static_cast<unsigned char>(s[i]);
            if (byte < 0x80) {
                out.push_back(asciiLower_[byte]);
                ++i;
                continue;
            }
            wchar_t c = byte;
            const std::size_t used = std::mbrtowc(&c, s.data() + i, s.size() - i, &state);
            if (used == 0 || used > s.size() - i) {
                c = byte;
                state = std::mbstate_t {};
                ++i;
            } else {
                i += used;
            }
            out.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))));
        }
    }

    bool digitsDecide_;
    wchar_t asciiLower_[0x80];
    mutable std::wstring wideA_;
    mutable std::wstring wideB_;
    mutable bool bFolded_ = false;  // wideB_ holds the b of the last call
};

// Whether every line but the one at skip is in order.
bool othersInOrder(const LineList& lines, std::size_t skip, const LineOrder& order)
{
    std::string_view previous;
    bool hasPrevious = false;
    bool chained = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == skip)
            continue;
        if (hasPrevious && order(previous, lines[i], chained) > 0)
            return false;
        chained = hasPrevious;
        hasPrevious = true;
        previous = lines[i];
    }
    return true;
}

} // namespace

int compareLines(std::string_view a, std::string_view b)
{
    return LineOrder()(a, b);
}

struct LineComparison::Order {
    LineOrder order;
};

LineComparison::LineComparison() : order_(std::make_shared<const Order>()) {}

int LineComparison::operator()(std::string_view a, std::string_view b) const
{
    return order_->order(a, b);
}

void sortLines(LineList& lines)
{
    const LineOrder order;
    lines.stableSort([&order](std::string_view a, std::string_view b) { return order.less(a, b); });
}

SortedPlace keepSorted(LineList& lines, std::size_t changed)
{
    if (changed >= lines.size() || lines.size() < 2)
        return {changed, false};
    const LineOrder order;
    if (!othersInOrder(lines, changed, order)) {
        sortLines(lines);
        return {0, true};
    }
    const auto at = lines.begin() + static_cast<std::ptrdiff_t>(changed);
    const auto less = [&order](std::string_view a, std::string_view b) { return order.less(a, b); };
    const auto indexOf = [&lines](LineList::const_iterator it) { return static_cast<std::size_t>(it - lines.begin()); };
    std::size_t to = changed;
    if (changed > 0 && less(*at, *(at - 1))) {
        // Goes up, after the lines equal to it.
        to = indexOf(std::upper_bound(lines.begin(), at, *at, less));
    } else if (changed + 1 < lines.size() && less(*(at + 1), *at)) {
        // Goes down, before the lines equal to it.
        to = indexOf(std::lower_bound(at + 1, lines.end(), *at, less)) - 1;
    }
    if (to != changed)
        lines.moveLine(changed, to);
    return {to, false};
}
