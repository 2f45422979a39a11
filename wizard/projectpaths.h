#pragma once
// Paths as the wizard builds them: "/" between folder and name, a folder
// held without a trailing separator except the root, which keeps its own.
#include <string>

// The folder of path ("" when it has none, "/" for a file in the root).
std::string directoryPart(const std::string& path);
// What follows the last separator.
std::string namePart(const std::string& path);
// folder + "/" + name; no separator is added when folder already ends in one,
// and a name without a folder stays as it is.
std::string joinedPath(const std::string& folder, const std::string& name);
// folder without trailing separators (the root stays "/").
std::string withoutTrailingSeparator(std::string folder);
