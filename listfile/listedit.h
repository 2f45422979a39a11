#pragma once
// Editing the list in memory one project at a time: the duplicate test,
// putting a project's line in place or taking it out, and the order the list
// is kept in after each change.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "listfile/linelist.h"

// Whether text occurs anywhere inside a line, byte for byte and case
// sensitive, the number field included. An empty text never does.
bool listContainsText(const LineList& lines, std::string_view text);

// The description a line holds: what follows its three-character number,
// without the blanks (at most five) that separate the two. For a well laid-out
// line that is everything from column 9; a line whose separator has drifted
// still gives its whole description.
std::string_view storedDescription(std::string_view line);

// Number text, exactly five blanks, description.
std::string projectLine(std::string_view numberText, std::string_view description);

// Puts line into lines for the project numberText (matched on the line's
// number key, as findProjectLine does): the first line of that project is
// replaced; otherwise the line is inserted at insertAt, or at the end when
// insertAt is beyond it or not given. Returns the line's index.
std::size_t putProjectLine(LineList& lines, std::string_view numberText, std::string_view line,
                           std::optional<std::size_t> insertAt = std::nullopt);

// Deletes the first line of the project numberText. Throws ListFileError
// "List index out of bounds (-1)" when the list has no such line.
void removeProjectLine(LineList& lines, std::string_view numberText);

// The digits a line begins with.
std::size_t numberDigits(std::string_view line);

// The width numbers are compared at (see compareLines): the number of digits
// of the longest number of three or more digits, at least 3.
std::size_t numberWidthOf(std::string_view line);
std::size_t numberWidthOf(const LineList& lines);

// The order of the list: project numbers by value, then whole lines compared
// without regard to letter case, in the collation of the current locale
// (LC_COLLATE and LC_CTYPE of the C library, which the program takes from the
// environment at start). A line beginning with three or more digits is
// compared as if they were padded with "0" to numberWidth digits, the
// numberWidthOf the list the lines are ordered in; other lines as they stand.
// At width 3 this is the plain text order. Returns a negative number, 0 or a
// positive number.
int compareLines(std::string_view a, std::string_view b, std::size_t numberWidth = 3);

class LineOrder;

// compareLines for many comparisons in a row (a binary search, a merge): the
// locale's tables are set up once rather than for every pair.
class LineComparison {
public:
    explicit LineComparison(std::size_t numberWidth = 3);
    ~LineComparison();
    LineComparison(const LineComparison&) = delete;
    LineComparison& operator=(const LineComparison&) = delete;

    int operator()(std::string_view a, std::string_view b) const;
    bool less(std::string_view a, std::string_view b) const { return (*this)(a, b) < 0; }

private:
    std::unique_ptr<const LineOrder> order_;
};

// Sorts the whole list at its own numberWidthOf; lines that compare equal
// keep their order.
void sortLines(LineList& lines);

// Where keepSorted left the changed line: its new index, or sortedAll when
// the other lines were out of order and the whole list was sorted.
struct SortedPlace {
    std::size_t at = 0;
    bool sortedAll = false;
};

// Restores the order after lines[changed] alone was replaced or added. When
// every other line is in order (one cheap pass), only that line moves, to the
// place a binary search finds; otherwise the whole list is sorted.
SortedPlace keepSorted(LineList& lines, std::size_t changed);
// The same for a list known to have been in order before lines[changed]
// changed: no comparing pass over the list, only the binary search (and a
// glance at each line's start for the width numbers are compared at).
SortedPlace keepSortedInOrderedList(LineList& lines, std::size_t changed);
