#pragma once
// What the verbs that only read the list print: the lines as the file holds
// them, the projects as JSON, the hits of the window's text search, and what
// the repair would do. Plain functions over the lines, built whole in one
// buffer, so that printing a million lines is one write.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "listfile/linelist.h"

// ls: the lines of a list file's text, handed over in pieces as it is read
// (see readListFileText), each followed by a line feed, bytes as stored. The
// lines are cut as a read cuts them: at CR, LF or CR LF. Each piece is
// written once turned into lines, a block of bytes at a time.
class LineLister {
public:
    using Writer = std::function<void(std::string_view bytes)>;
    explicit LineLister(Writer write) : write_(std::move(write)) {}
    void take(std::string_view piece);
    // A last line without a line end is still a line.
    void finish();

private:
    Writer write_;
    std::string buffer_;
    // The last piece ended in CR: whether it ends the line alone depends on
    // what comes next.
    bool afterCarriageReturn_ = false;
    bool lineOpen_ = false;
};

// find: every line of a list file's text whose description, as the list
// view shows it, holds wanted as the window's text search finds it, written
// as LineLister writes lines. The text is searched as a whole, and only the
// lines where wanted occurs are looked at.
class HitFinder {
public:
    HitFinder(std::string_view wanted, bool matchCase, bool wholeWord, std::ostream& out);
    void take(std::string_view piece);
    void finish();
    bool found() const { return found_; }

private:
    // text begins where a line begins (or with a line end) and ends with a line end.
    void search(std::string_view text);

    std::string needle_;
    bool matchCase_;
    bool wholeWord_;
    std::ostream& out_;
    // The start of a line the last piece did not end.
    std::string carry_;
    bool found_ = false;
};

// The lines at indexes, in that order, each with a line feed after it.
std::string listedLines(const LineList& lines, const std::vector<std::size_t>& indexes);

// A JSON array with one object a line that is not blank: "number" (the
// list view's column "Num", trimmed), "description" (what follows the
// number and its blanks) and "line" (counted from 1). Bytes that are no UTF-8
// are written as the characters of the same code (\u00XX).
std::string listedJson(const LineList& lines);

// A line the repair would change: deleted as blank, or rebuilt.
struct LineFault {
    std::size_t line = 0;  // counted from 1, as the file holds it
    bool blank = false;
    std::string rebuilt;
};
// What "Fix Errors" would do to lines, in the order of the file.
std::vector<LineFault> listFaults(const LineList& lines);
// One line of text a fault.
std::string faultReport(const LineList& lines, const std::vector<LineFault>& faults);
