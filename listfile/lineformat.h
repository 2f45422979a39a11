#pragma once
// The layout of a project line: number (zero padded to at least three
// characters), exactly five blanks, description. Readers take fixed columns.
#include <cstdint>
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

// Column "Num" of the list view: columns 1 to 5.
inline std::string_view captionField(std::string_view line)
{
    return columnsOf(line, 1, 5);
}

// Column "Discription" of the list view: columns 8 to 47.
inline std::string_view descriptionField(std::string_view line)
{
    return columnsOf(line, 8, 40);
}

// Decimal text padded on the left with "0" to at least three characters
// (-5 gives "0-5").
std::string zeroPadNumber(int32_t number);

// Index of the first line whose first three characters equal code, or -1.
int findProjectLine(const LineList& lines, std::string_view code);

// Number read from the first five characters of a caption, trimmed; the value
// the integer conversion reports whether or not it read the whole text.
int32_t captionProjectNumber(std::string_view caption);
