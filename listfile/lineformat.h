#pragma once
// The layout of a project line: number (zero padded to at least three
// characters), exactly five blanks, description. Readers take fixed columns.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "listfile/linelist.h"

// Characters of code 32 or below removed at both ends.
std::string_view trimmedView(std::string_view text);
std::string trimmed(std::string_view text);

// Columns first..first+count-1 (1-based); past the end yields only what is
// there. Inline: the list view and its searches take it for every row.
inline std::string_view columnsOf(std::string_view line, std::size_t first, std::size_t count)
{
    // Column 0 does not exist; reading starts at column 1 as for any copy
    // that begins before the text.
    const std::size_t start = first == 0 ? 0 : first - 1;
    if (start >= line.size())
        return {};
    return line.substr(start, count);
}

// How many characters of a line make up its project number as lookups take
// it: the first three, and when the third is a digit, every digit that
// follows too, so that "1000" is a number of its own and not project "100".
// 0 for a line shorter than three characters.
inline std::size_t numberKeyLength(std::string_view line)
{
    constexpr std::size_t shortest = 3;
    if (line.size() < shortest)
        return 0;
    std::size_t end = shortest;
    if (line[end - 1] >= '0' && line[end - 1] <= '9')
        while (end < line.size() && line[end] >= '0' && line[end] <= '9')
            ++end;
    return end;
}

inline std::string_view numberKey(std::string_view line)
{
    return line.substr(0, numberKeyLength(line));
}

// Characters a number of more than three digits shifts the rest of its line
// by, against the layout of a three-digit one.
inline std::size_t numberOverhang(std::string_view line)
{
    const std::size_t length = numberKeyLength(line);
    return length > 3 ? length - 3 : 0;
}

// Column "Num" of the list view: columns 1 to 5, or the whole number when
// it is longer.
inline std::string_view captionField(std::string_view line)
{
    return columnsOf(line, 1, 5 + numberOverhang(line));
}

// Where column "Discription" of the list view starts: column 8 behind a
// three-digit number, as much further as a longer number reaches.
inline std::size_t descriptionColumn(std::string_view line)
{
    return 8 + numberOverhang(line);
}

// Column "Discription" of the list view: 40 characters from descriptionColumn.
inline std::string_view descriptionField(std::string_view line)
{
    return columnsOf(line, descriptionColumn(line), 40);
}

// Decimal text padded on the left with "0" to at least three characters
// (-5 gives "0-5").
std::string zeroPadNumber(int32_t number);

// Index of the first line whose number key (numberKeyLength) equals code, or
// -1. A code shorter than three characters never matches.
int findProjectLine(const LineList& lines, std::string_view code);

// Number read from the caption's first five characters (its whole number
// when longer), trimmed; the value the integer conversion reports whether or
// not it read the whole text.
int32_t captionProjectNumber(std::string_view caption);

// The highest project number of the list: the largest value among lines
// whose number key is all digits and fits a project number. None when no
// line has one.
std::optional<int32_t> highestProjectNumber(const LineList& lines);

// Whether a line begins as the wizard expects a project list's first line
// to: its first three characters read as a whole number.
bool beginsWithProjectNumber(std::string_view line);

// Whether lines make a project list, judged line by line as the wizard
// judges a list file by its first: some lines begin with a project number,
// and no fewer than the other lines that are not blank. A binary file or a
// text of another kind is none.
bool isProjectList(const LineList& lines);
