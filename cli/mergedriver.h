#pragma once
// git's merge driver for list files (merge.quindle.driver = quindle-cli
// merge-driver %O %A %B %L %P): the three versions are merged by project
// number with the rules of the shared-list save. Changes to different
// projects combine; two new projects under one number both stay, the other
// branch's taking the next free number; a project the two branches changed
// differently is written between git's conflict markers, this branch's line
// first, and only that project.
//
// The merged list is the current branch's with the other's changes put onto
// it: lines nobody changed keep their bytes and their order, and the file
// keeps the line ends (and byte-order mark) the current branch's file has.
#include <cstddef>
#include <string>
#include <vector>

#include "listfile/linelist.h"

struct DriverMerge {
    // What git is to find in the current branch's file.
    std::string bytes;
    // What the merge decided on its own, one text each.
    std::vector<std::string> notices;
    // Projects written between conflict markers.
    std::size_t conflicts = 0;
};

// The line end a file's bytes use (that of its first line), CR LF for a
// file without one.
std::string lineEndOf(std::string_view bytes);

// Merges other's changes since base onto current. markerLength: git's %L.
// withByteOrderMark: the merged file begins with a UTF-8 byte-order mark.
DriverMerge mergeForGit(const LineList& base, const LineList& current, const LineList& other,
                        std::size_t markerLength, const std::string& lineEnd, bool withByteOrderMark = false);
