#pragma once
// The text search of the list: whether a project's description holds a find
// text. Only the letters a to z are folded when case does not matter; every
// other byte is compared as it is.
#include <cstddef>
#include <string>
#include <string_view>

std::string upperCaseAtoZ(std::string_view text);

// Whether description, trimmed at both ends, holds needle (equals it, with
// wholeWord). Without matchCase, needle is upper-cased already and the
// description is compared upper-cased. An empty needle is found nowhere.
bool descriptionMatches(std::string_view description, std::string_view needle, bool matchCase, bool wholeWord);

// Where needle first occurs in haystack, or npos; without matchCase, needle
// is upper-cased already and haystack is compared upper-cased.
std::size_t findText(std::string_view haystack, std::string_view needle, bool matchCase);
