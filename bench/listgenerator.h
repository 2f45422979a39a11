#pragma once
// Project lists made up for benchmarks and trials: numbers zero padded from
// 001 upward, five blanks, a description of a few plausible words. A chosen
// share of the lines is badly laid out the way hand-edited lists drift.
// The same seed gives the same list on every machine.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "listfile/linelist.h"

struct ListGeneratorOptions {
    std::size_t lines = 1000;   // lines in the list, blank ones included
    int badPercent = 0;         // share of badly laid-out lines, 0 to 100
    std::uint64_t seed = 1;
};

// Produces the lines one at a time, so a huge list need not be held whole.
class ListGenerator {
public:
    explicit ListGenerator(const ListGeneratorOptions& options);

    bool atEnd() const { return produced_ >= options_.lines; }
    // The next line, without its line end.
    std::string nextLine();

private:
    std::uint64_t nextRandom();
    std::size_t randomBelow(std::size_t bound);
    std::string description();
    std::string badLine(int kind, std::int64_t number, const std::string& description);

    ListGeneratorOptions options_;
    std::uint64_t state_;
    std::size_t produced_ = 0;
    std::int64_t nextNumber_ = 1;
};

// All lines of a generated list.
LineList generateListLines(const ListGeneratorOptions& options);

// Writes a generated list with CR LF line ends. Returns the number of bytes
// written, or -1 when the file could not be written.
long long writeGeneratedList(const std::string& path, const ListGeneratorOptions& options);
