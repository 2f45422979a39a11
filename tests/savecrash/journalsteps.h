#pragma once
// The random changes the journal-loop helper makes to its list and the
// kill-during-journal test makes again to know what the helper had: the same
// seed and the same lines give the same steps. Lines are unique even
// ignoring case, so the list's order never depends on how ties are broken.
#include <cstdint>
#include <random>
#include <string>

#include "listfile/lineformat.h"
#include "listfile/linelist.h"
#include "listfile/listoperation.h"

struct JournalStep {
    // Takes back the latest change not taken back; else applies operation.
    bool undo = false;
    ListOperation operation;
};

// The list the helper loads, one line per project: some with NUL and 8-bit
// bytes, numbers of four digits beside those of three, and out of order
// when asked (the first change then sorts it).
inline LineList journalKillList(std::uint64_t seed, bool outOfOrder)
{
    std::mt19937_64 random(seed);
    LineList lines;
    for (int number = 1; number < 3000; ++number) {
        if (random() % 3 != 0)
            continue;
        std::string line = zeroPadNumber(number) + "     Project " + std::to_string(number);
        if (number % 7 == 0)
            line += std::string("\0\xe9", 2);
        lines.push_back(line);
    }
    if (outOfOrder)
        for (int swaps = 0; swaps < 5; ++swaps)
            lines.moveLine(std::size_t(random() % lines.size()), std::size_t(random() % lines.size()));
    return lines;
}

// Step number stepNumber (from 1) on lines, with undoable changes that can be taken back.
inline JournalStep nextJournalStep(std::mt19937_64& random, const LineList& lines, std::size_t undoable,
                                   std::uint64_t stepNumber)
{
    JournalStep step;
    if (undoable > 0 && random() % 6 == 0) {
        step.undo = true;
        return step;
    }
    ListOperation& op = step.operation;
    std::string description = "Step " + std::to_string(stepNumber);
    if (random() % 4 == 0)
        description += std::string("\x80\0\xff", 3);
    const unsigned choice = unsigned(random() % 10);
    if (choice < 6 && !lines.empty()) {
        // An existing project's number: its line replaced or taken out.
        const std::string_view line = lines[std::size_t(random() % lines.size())];
        op.numberText = std::string(numberKey(line));
        if (choice < 2) {
            op.kind = ListOperation::Kind::Remove;
            return step;
        }
    } else if (choice < 9) {
        // A number the list does not hold, perhaps to go in at a place.
        do
            op.numberText = zeroPadNumber(int(random() % 1000));
        while (findProjectLine(lines, op.numberText) >= 0);
        if (random() % 2 == 0)
            op.insertAt = random() % (lines.size() + 5);
    } else {
        // A four-digit number, one the list may hold or not.
        op.numberText = zeroPadNumber(1000 + int(random() % 2000));
    }
    op.line = op.numberText + "     " + description;
    return step;
}
