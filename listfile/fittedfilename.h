#pragma once
// File names made from a list's own name (its lock, a save's temporary
// file, a numbered copy): the list's name may already be as long as the
// file system allows, and more added to it would make a name it refuses.
#include <cstddef>
#include <string>
#include <string_view>

// The longest file name the usual file systems take, in bytes.
inline constexpr std::size_t longestFileName = 255;

// prefix + name + suffix when that fits in room bytes. Else name is cut, at
// the start of a UTF-8 character, to make room for "~" and 16 hex digits of
// a hash of the whole name: two names that begin alike never come out the
// same. room must leave at least 17 bytes beside prefix and suffix.
std::string fittedFileName(std::string_view prefix, std::string_view name, std::string_view suffix,
                           std::size_t room = longestFileName);
