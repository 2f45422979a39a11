#pragma once
// The start of a list file's first line, for telling whether a file is a
// project list without reading all of it.
#include <cstddef>
#include <string>

// At most count characters of the file's first line, as loading would give
// it (a CR, LF or NUL ends it; a leading UTF-8 byte-order mark is read past); empty for an empty file. Throws ListFileError
// "Cannot open file <path>" when the file cannot be read.
std::string firstLineStart(const std::string& path, std::size_t count);
