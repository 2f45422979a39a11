#pragma once
// Reading and writing a list file whole. Bytes are kept as they are (8-bit
// text, no byte-order-mark handling); CR, LF and CR LF end a line on reading,
// the first NUL byte ends the text; every written line ends in CR LF.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Splits file bytes into lines.
std::vector<std::string> splitListText(std::string_view bytes);
// Splits bytes that arrive in pieces of pieceSize, the way a file is read:
// the lines are those of splitListText whatever the size of the pieces.
std::vector<std::string> splitListTextInPieces(std::string_view bytes, std::size_t pieceSize);
// The bytes a list is saved as.
std::string joinListText(const std::vector<std::string>& lines);

// Replaces lines by the content of the file; throws ListFileError
// "Cannot open file <path>" and leaves lines alone when it cannot be read.
void loadListFile(const std::string& path, std::vector<std::string>& lines);

// Writes lines to path, replacing the file atomically: a failed or
// interrupted save leaves the previous file whole and no temporary file
// behind. Throws ListFileError "Cannot create file <path>".
void saveListFile(const std::string& path, const std::vector<std::string>& lines);
