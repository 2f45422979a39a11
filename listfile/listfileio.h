#pragma once
// Reading and writing a list file whole. Bytes are kept as they are (8-bit
// text, no byte-order-mark handling, a NUL is a byte like any other); CR, LF
// and CR LF end a line on reading; every written line ends in CR LF.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "listfile/linelist.h"

// Splits file bytes into lines.
LineList splitListText(std::string_view bytes);
// The bytes a list is saved as.
std::string joinListText(const LineList& lines);

// The name of the wide encoding whose byte-order mark begins bytes
// ("UTF-16", "UTF-32"), or empty when they begin with none.
std::string_view wideTextEncoding(std::string_view bytes);

// Replaces lines by the content of the file, read whole; throws ListFileError
// "Cannot open file <path>" and leaves lines alone when it cannot be read
// (also when it is bigger than the machine's memory), UneditableListFile
// when it is wide text.
void loadListFile(const std::string& path, LineList& lines);

// Writes lines to path, replacing the file atomically: a failed or
// interrupted save leaves the previous file whole and no temporary file
// behind. Throws ListFileError "Cannot create file <path>", and
// UneditableListFile when the file there now is wide text.
void saveListFile(const std::string& path, const LineList& lines);

// saveListFile, but mayReplace is asked right before the written file takes
// the list's place; when it says no, nothing is replaced and false returned.
bool saveListFileIf(const std::string& path, const LineList& lines, const std::function<bool()>& mayReplace);

// Whether the file at path holds exactly the bytes lines are saved as; false
// when it cannot be read. Reads in pieces, building no list.
bool listFileHolds(const std::string& path, const LineList& lines);
