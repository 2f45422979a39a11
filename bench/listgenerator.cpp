#include "listgenerator.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace {

const char* const words[] = {
    "Ring", "Road", "survey", "Garden", "shed", "Bridge", "repair", "Kitchen", "extension", "Harbour",
    "wall", "School", "roof", "Office", "move", "Library", "catalogue", "Car", "park", "lighting",
    "Church", "tower", "Footpath", "drainage", "Village", "hall", "Barn", "conversion", "Water", "main",
    "River", "bank", "Town", "centre", "plan", "Station", "platform", "Market", "square", "paving",
    "Farm", "fence", "Mill", "pond", "Cottage", "windows", "Sports", "ground", "Playground", "Hospital",
    "wing", "Quarry", "access", "Canal", "lock", "Museum", "display", "Allotment", "gates", "Pier",
    "Lighthouse", "paint", "Bus", "shelter", "Cycle", "lane", "Tree", "planting", "Flood", "defence",
    "Boundary", "Loft", "insulation", "Chapel", "organ", "Estate", "map", "Archive", "boxes", "phase 2",
    "North", "South", "East", "West", "new", "old", "upper", "lower", "stage 1", "review",
};
constexpr std::size_t wordCount = sizeof words / sizeof words[0];

// Descriptions are 10 to 40 characters, longer ones more often, which brings
// a list of a million lines to about 42 MB.
constexpr std::size_t shortestDescription = 10;
constexpr std::size_t longestDescription = 40;

std::string zeroPadded(std::int64_t number)
{
    std::string text = std::to_string(number);
    if (text.size() < 3)
        text.insert(0, 3 - text.size(), '0');
    return text;
}

enum BadKind { bkUnpadded, bkTwoBlanks, bkSixBlanks, bkLeadingBlanks, bkBlankLine, bkTab, bkStrayCharacter, bkCount };

} // namespace

ListGenerator::ListGenerator(const ListGeneratorOptions& options)
    : options_(options), state_(options.seed)
{
    options_.badPercent = std::clamp(options_.badPercent, 0, 100);
}

// splitmix64: tiny, fast and the same everywhere, unlike the standard
// library's distributions.
std::uint64_t ListGenerator::nextRandom()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t ListGenerator::randomBelow(std::size_t bound)
{
    return static_cast<std::size_t>(nextRandom() % bound);
}

std::string ListGenerator::description()
{
    const std::size_t spread = longestDescription - shortestDescription + 1;
    const std::size_t wanted = shortestDescription + std::max(randomBelow(spread), randomBelow(spread) * 2 / 3);
    std::string text = words[randomBelow(wordCount)];
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    while (text.size() < wanted) {
        const char* word = words[randomBelow(wordCount)];
        if (text.size() + 1 + std::char_traits<char>::length(word) > longestDescription)
            break;
        text += ' ';
        text += word;
    }
    return text;
}

std::string ListGenerator::badLine(int kind, std::int64_t number, const std::string& description)
{
    const std::string padded = zeroPadded(number);
    switch (kind) {
    case bkUnpadded:
        // Only numbers below 100 have padding to lose.
        if (number < 100)
            return std::to_string(number) + "     " + description;
        return padded + "  " + description;
    case bkTwoBlanks:
        return padded + "  " + description;
    case bkSixBlanks:
        return padded + "      " + description;
    case bkLeadingBlanks:
        return std::string(1 + randomBelow(3), ' ') + padded + "     " + description;
    case bkTab:
        return padded + (randomBelow(2) ? "\t" : " \t ") + description;
    case bkStrayCharacter: {
        std::string number = padded;
        number.insert(1 + randomBelow(number.size() - 1), 1, "a-x."[randomBelow(4)]);
        return number + "     " + description;
    }
    default:
        return padded + "     " + description;
    }
}

std::string ListGenerator::nextLine()
{
    ++produced_;
    const bool bad = static_cast<int>(randomBelow(100)) < options_.badPercent;
    const int kind = bad ? static_cast<int>(randomBelow(bkCount)) : -1;
    if (kind == bkBlankLine) {
        // A blank line takes no number: the projects stay numbered in a row.
        static const char* const blanks[] = {"", "   ", "\t", " \t  "};
        return blanks[randomBelow(4)];
    }
    const std::int64_t number = nextNumber_++;
    const std::string text = description();
    if (bad)
        return badLine(kind, number, text);
    return zeroPadded(number) + "     " + text;
}

LineList generateListLines(const ListGeneratorOptions& options)
{
    LineList lines;
    lines.reserve(options.lines);
    ListGenerator generator(options);
    while (!generator.atEnd())
        lines.push_back(generator.nextLine());
    return lines;
}

long long writeGeneratedList(const std::string& path, const ListGeneratorOptions& options)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!file)
        return -1;
    long long written = 0;
    ListGenerator generator(options);
    while (!generator.atEnd()) {
        std::string line = generator.nextLine();
        line += "\r\n";
        if (std::fwrite(line.data(), 1, line.size(), file.get()) != line.size())
            return -1;
        written += static_cast<long long>(line.size());
    }
    if (std::fclose(file.release()) != 0)
        return -1;
    return written;
}
