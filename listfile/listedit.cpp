#include "listfile/listedit.h"

#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"
#include "listfile/systemfile.h"
#include "listfile/twohalves.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <optional>

bool listContainsText(const LineList& lines, std::string_view text)
{
    if (text.empty())
        return false;
    const auto containsIn = [&lines, text](std::size_t first, std::size_t last) {
        return std::any_of(lines.begin() + std::ptrdiff_t(first), lines.begin() + std::ptrdiff_t(last),
                           [text](std::string_view line) { return line.find(text) != std::string_view::npos; });
    };
    const auto [first, second] = inTwoHalves(lines.size(), containsIn);
    return first || second;
}

std::string_view storedDescription(std::string_view line)
{
    const std::size_t numberLength = std::max<std::size_t>(3, numberKeyLength(line));
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
//
// Numbers of different lengths are put in the order of their values: every
// line whose number key is a run of three or more digits is compared as if
// its number were padded with "0" to numberWidth digits, the length of the
// longest number in the list. Lines without such a number are compared as
// they stand, so they go where the text order puts them. For a list of
// three-digit numbers nothing is padded and the order is the plain text order.
class LineOrder {
public:
    explicit LineOrder(std::size_t numberWidth)
        : digitsDecide_(MB_CUR_MAX == 1 || localeIsUtf8()),
          numberWidth_(std::min(numberWidth, maximumNumberWidth))
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
        return compare(a, paddingOf(a), b, paddingOf(b), aIsPreviousB);
    }

    bool padsNumbers() const { return numberWidth_ > 3; }

    // The zeros a line's number is padded with, for lines compared many times.
    std::size_t paddingOf(std::string_view line) const
    {
        if (numberWidth_ <= 3)
            return 0;
        const std::size_t digits = numberDigits(line);
        return digits >= 3 && digits < numberWidth_ ? numberWidth_ - digits : 0;
    }

    int compare(std::string_view a, std::size_t padA, std::string_view b, std::size_t padB,
                bool aIsPreviousB = false) const
    {
        std::size_t p = 0;
        std::size_t common = 0;
        char atA = 0;
        char atB = 0;
        if (padA == padB) {
            // The same padding on both sides decides nothing: compare as they stand.
            common = std::min(a.size(), b.size());
            while (p < common && a[p] == b[p])
                ++p;
            if (p < common) {
                atA = a[p];
                atB = b[p];
            }
        } else {
            const PaddedLine x {a, padA};
            const PaddedLine y {b, padB};
            common = std::min(x.size(), y.size());
            while (p < common && x[p] == y[p])
                ++p;
            if (p < common) {
                atA = x[p];
                atB = y[p];
            }
        }
        const bool bWasFolded = bFolded_;
        bFolded_ = false;
        if (p == common && a.size() + padA == b.size() + padB)
            return 0;
        if (digitsDecide_ && p < common && isDigit(atA) && isDigit(atB))
            return atA < atB ? -1 : 1;
        if (aIsPreviousB && bWasFolded)
            wideA_.swap(wideB_);
        else
            foldedWide(a, padA, wideA_);
        foldedWide(b, padB, wideB_);
        bFolded_ = true;
        return collate(wideA_, wideB_);
    }

    bool less(std::string_view a, std::string_view b) const { return (*this)(a, b) < 0; }

    // Past this many digits a number is no project number and is compared as
    // it stands: padding stays cheap whatever a line holds.
    static constexpr std::size_t maximumNumberWidth = 20;

private:
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    // A line as compared: pad zeros, then the line.
    struct PaddedLine {
        std::string_view line;
        std::size_t pad;
        std::size_t size() const { return pad + line.size(); }
        char operator[](std::size_t i) const { return i < pad ? '0' : line[i - pad]; }
    };

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
    void foldedWide(std::string_view s, std::size_t pad, std::wstring& out) const
    {
        out.assign(pad, L'0');
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
    std::size_t numberWidth_;
    wchar_t asciiLower_[0x80];
    mutable std::wstring wideA_;
    mutable std::wstring wideB_;
    mutable bool bFolded_ = false;  // wideB_ holds the b of the last call
};

namespace {

// Whether every line but the one at skip is in order, at numberWidth.
bool othersInOrder(const LineList& lines, std::size_t skip, std::size_t numberWidth)
{
    // Each half compares its lines with the line before them, the first
    // one with the last line of the half before.
    const auto inOrder = [&lines, skip, numberWidth](std::size_t first, std::size_t last) {
        const LineOrder order(numberWidth);
        std::optional<std::size_t> previous;
        if (first > 0 && first - 1 != skip)
            previous = first - 1;
        else if (first > 1)
            previous = first - 2;
        // Each line's padding is found once, for both comparisons it is in.
        std::size_t previousPadding = previous ? order.paddingOf(lines[*previous]) : 0;
        bool chained = false;
        for (std::size_t i = first; i < last; ++i) {
            if (i == skip)
                continue;
            const std::string_view line = lines[i];
            const std::size_t padding = order.paddingOf(line);
            if (previous && order.compare(lines[*previous], previousPadding, line, padding, chained) > 0)
                return false;
            chained = previous.has_value();
            previous = i;
            previousPadding = padding;
        }
        return true;
    };
    const auto [first, second] = inTwoHalves(lines.size(), inOrder);
    return first && second;
}

} // namespace

std::size_t numberDigits(std::string_view line)
{
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    return digits;
}

std::size_t numberWidthOf(std::string_view line)
{
    const std::size_t digits = numberDigits(line);
    return digits > 3 ? std::min(digits, LineOrder::maximumNumberWidth) : 3;
}

std::size_t numberWidthOf(const LineList& lines)
{
    const auto widthIn = [&lines](std::size_t first, std::size_t last) {
        std::size_t width = 3;
        for (std::size_t i = first; i < last; ++i) {
            const std::string_view line = lines[i];
            // Three digits and a fourth: the only lines that can widen it.
            if (line.size() > 3 && line[3] >= '0' && line[3] <= '9')
                width = std::max(width, numberWidthOf(line));
        }
        return width;
    };
    const auto [first, second] = inTwoHalves(lines.size(), widthIn);
    return std::max(first, second);
}

int compareLines(std::string_view a, std::string_view b, std::size_t numberWidth)
{
    return LineOrder(numberWidth)(a, b);
}

LineComparison::LineComparison(std::size_t numberWidth) : order_(std::make_unique<const LineOrder>(numberWidth)) {}

LineComparison::~LineComparison() = default;

int LineComparison::operator()(std::string_view a, std::string_view b) const
{
    return (*order_)(a, b);
}

void sortLines(LineList& lines)
{
    const LineOrder order(numberWidthOf(lines));
    if (!order.padsNumbers()) {
        lines.stableSort([&order](std::string_view a, std::string_view b) { return order.less(a, b); });
        return;
    }
    // Each line's padding found once, not at each of its comparisons.
    lines.stableSortByKey([&order](std::string_view line) { return order.paddingOf(line); },
                          [&order](std::size_t padA, std::string_view a, std::size_t padB, std::string_view b) {
                              return order.compare(a, padA, b, padB) < 0;
                          });
}

namespace {

// Moves lines[changed] to its place among the others, which are in order.
SortedPlace moveIntoPlace(LineList& lines, std::size_t changed, const LineOrder& order)
{
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

} // namespace

SortedPlace keepSorted(LineList& lines, std::size_t changed)
{
    if (changed >= lines.size() || lines.size() < 2)
        return {changed, false};
    const std::size_t numberWidth = numberWidthOf(lines);
    if (!othersInOrder(lines, changed, numberWidth)) {
        sortLines(lines);
        return {0, true};
    }
    return moveIntoPlace(lines, changed, LineOrder(numberWidth));
}

SortedPlace keepSortedInOrderedList(LineList& lines, std::size_t changed)
{
    if (changed >= lines.size() || lines.size() < 2)
        return {changed, false};
    return moveIntoPlace(lines, changed, LineOrder(numberWidthOf(lines)));
}
