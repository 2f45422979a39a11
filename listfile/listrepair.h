#pragma once
// The repair of a list file whose lines have drifted from the layout: blank
// lines are deleted and badly laid-out lines rebuilt as zero-padded number,
// five blanks, description. Plain C++; whoever runs it hears about its
// progress through a RepairObserver.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "listfile/linelist.h"

// Nothing left once characters of code 32 or below are removed at both ends.
bool isBlankLine(std::string_view line);

// The layout test: a run of five blanks somewhere, the first run of six
// blanks (if any) not in column 4, and the first blank in column 4.
bool isWellFormedLine(std::string_view line);

// The number and description a badly laid-out line is rebuilt from.
struct LineFields {
    int32_t number = 0;
    std::string_view description;  // trimmed, borrowed from the line
};

// The number field is columns 1 to 5, cut short before the first control
// code or blank that follows a visible character; digits going on past
// column 5 belong to it when the whole field then reads as one number. A field without a digit
// gives 0 and leaves the whole trimmed line as description; otherwise the
// description is whatever follows the field, trimmed.
LineFields extractLineFields(std::string_view line);

// Reads text with the integer conversion, dropping the character that stops
// it each time, until it reads as a whole number or nothing is left to drop.
int32_t extractDigits(std::string text);

// Number text, five blanks, description.
std::string rebuildLine(std::string_view line);

class RepairObserver {
public:
    virtual ~RepairObserver() = default;
    // Asked at every bad line, so an option changed meanwhile takes effect.
    virtual bool showsBadLines() const { return false; }
    // The bad line as it stands, before it is rebuilt.
    virtual void showBadLine(std::string_view line) { (void)line; }
    // Called now and then during the rebuilding pass (at most once per
    // keepAliveInterval, and never more often than once per block of lines),
    // done of total lines checked so far.
    virtual void keepAlive(std::size_t done, std::size_t total) { (void)done, (void)total; }
    virtual std::chrono::milliseconds keepAliveInterval() const { return std::chrono::milliseconds(100); }
    // True once the repair is to stop without changing anything.
    virtual bool cancelled() const { return false; }
};

struct RepairCounts {
    std::size_t blankLines = 0;
    std::size_t rebuiltLines = 0;
    bool cancelled = false;  // the counts are partial and nothing was changed
    bool anyFault() const { return blankLines != 0 || rebuiltLines != 0; }
};

// Deletes blank lines, then rebuilds bad lines from the last to the first. A
// line that fails the layout test but that the rebuild would leave byte for
// byte as it is, is not bad: neither counted, shown nor rewritten.
// When the observer cancels, lines are left partly repaired.
RepairCounts repairLines(LineList& lines, RepairObserver& observer);

// Reads path afresh and repairs what it held. lines gets the repaired list
// only when the repair ran to its end; when the file cannot be read
// (ListFileError "Cannot open file <path>") or the observer cancels, lines
// keep their previous content.
RepairCounts repairListFile(const std::string& path, LineList& lines, RepairObserver& observer);
