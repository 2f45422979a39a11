#pragma once
// The folder and the name of a path as the list-file code takes them apart.
#include <string>
#include <string_view>

// The folder of path: "." when it names none, "/" for a file in the root.
std::string folderOf(const std::string& path);
// What follows the last "/".
std::string_view fileNameOf(std::string_view path);
