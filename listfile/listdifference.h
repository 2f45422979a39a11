#pragma once
// The changes by project number that turn one list into another: how a
// merged list goes into memory as unsaved changes (one undo step, journalled)
// rather than replacing the lines whole.
//
// A project is its first line under its number key, as findProjectLine
// matches it. A project only in `to` is a Put, one only in
// `from` a Remove, one whose first line differs a Put that replaces it.
// Further lines (a number held twice, lines of fewer than three characters)
// that `to` holds more often than `from` are Puts under an empty number,
// which adds them as they stand; further lines only `from` holds stay, since
// changes by number cannot name them.
#include <vector>

#include "listfile/linelist.h"
#include "listfile/listoperation.h"

// In the order of `to` for Puts, Removes first. One pass over each list.
std::vector<ListOperation> operationsBetweenLists(const LineList& from, const LineList& to);
