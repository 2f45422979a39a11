#pragma once
// Reading and writing a list file whole. Bytes are kept as they are (8-bit
// text, a NUL is a byte like any other); CR, LF and CR LF end a line on
// reading; every written line ends in CR LF. A UTF-8 byte-order mark at the
// start of a file (as older editors write it) belongs to the file, not to
// line 1: it is read past, and a save keeps it where the file had it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "listfile/linelist.h"

inline constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// Splits file bytes into lines (a leading UTF-8 byte-order mark is no part
// of line 1).
LineList splitListText(std::string_view bytes);
// The bytes a list is saved as to a file without a byte-order mark: one is
// written only when line 1 begins with the mark's bytes, which would else
// be read as the mark.
std::string joinListText(const LineList& lines);

// The name of the wide encoding ("UTF-16", "UTF-32") whose byte-order mark
// begins bytes, or whose pattern of NULs the first bytes show (text without
// a mark: a NUL in every second, or three of every four, bytes), or, for
// UTF-16 text of characters outside Latin, whose line ends they show (CR LF
// as 16-bit units); empty for anything else.
std::string_view wideTextEncoding(std::string_view bytes);

// The biggest list file read: 2 GiB. Fifty million projects are a tenth of
// it; anything bigger is some other file, and reading it would take minutes
// and more memory than most machines have.
inline constexpr std::uint64_t largestListFile = std::uint64_t(2) << 30;

// Told how far a load is (done of total, in its own units) a few times a
// second at most; returns false to stop the load.
using ReadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Replaces lines by the content of the file, read whole; throws ListFileError
// "Cannot open file <path>" and leaves lines alone when it cannot be read,
// ListFileTooBig at once when it is bigger than largestListFile or the
// machine's memory, UneditableListFile when it is wide text, and
// ListFileReadCancelled when progress said stop.
void loadListFile(const std::string& path, LineList& lines, const ReadProgress& progress = {});

// Reads the list file at path in pieces of a megabyte, with the checks and
// failures of loadListFile, handing its text (after a byte-order mark) to
// take in order, for a reader that goes through it once without building
// lines. A piece may end anywhere, even between the CR and LF of a line end.
void readListFileText(const std::string& path, const std::function<void(std::string_view)>& take);

// loadListFile for a file read before: lines that are the same as those of
// earlier, in the same order, share earlier's bytes instead of being copied.
// Returns whether the file holds exactly earlier's lines.
bool rereadListFile(const std::string& path, LineList& lines, const LineList& earlier);

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
