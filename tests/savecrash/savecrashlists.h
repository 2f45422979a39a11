#pragma once
// The two lists the save-loop helper writes in turn. They differ in line
// count, line length and bytes, so that a mix of the two or a cut-off file
// can never pass for either.
#include <cstddef>
#include <cstdio>
#include <string>
#include "listfile/linelist.h"

inline LineList saveCrashList(bool second, std::size_t lines)
{
    LineList list;
    const std::size_t count = second ? lines + lines / 7 : lines;
    list.reserve(count);
    char line[128];
    for (std::size_t i = 1; i <= count; ++i) {
        const int length = second
            ? std::snprintf(line, sizeof line, "%03zu     Second list, project %03zu with a longer description", i, i)
            : std::snprintf(line, sizeof line, "%03zu     First %03zu", i, i);
        list.push_back(std::string_view(line, static_cast<std::size_t>(length)));
    }
    return list;
}
