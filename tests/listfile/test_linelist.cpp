// The compact line store: edits, sharing between copies (a copy stays as it
// was when the original changes), garbage collection and memory per line.
#include "listfile/linelist.h"
#include "listfile/listfileio.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_view_literals;

TEST(LineList, EditsKeepEveryByte)
{
    LineList lines {"b", "d"};
    lines.insert(0, "a");
    lines.insert(2, "c\0c"sv);
    lines.push_back("");
    lines.set(4, "e\xFF");
    EXPECT_EQ(lines, (LineList {"a", "b", "c\0c"sv, "d", "e\xFF"}));
    lines.erase(1);
    EXPECT_EQ(lines, (LineList {"a", "c\0c"sv, "d", "e\xFF"}));
    lines.moveLine(0, 3);
    EXPECT_EQ(lines, (LineList {"c\0c"sv, "d", "e\xFF", "a"}));
    lines.moveLine(3, 1);
    EXPECT_EQ(lines, (LineList {"c\0c"sv, "a", "d", "e\xFF"}));
    EXPECT_EQ(lines.eraseIf([](std::string_view line) { return line.size() == 1; }), 2u);
    EXPECT_EQ(lines, (LineList {"c\0c"sv, "e\xFF"}));
    lines.clear();
    EXPECT_TRUE(lines.empty());
}

TEST(LineList, StableSortKeepsEqualLinesInOrder)
{
    LineList lines {"2b", "1a", "2a", "1b", "0"};
    lines.stableSort([](std::string_view a, std::string_view b) { return a[0] < b[0]; });
    EXPECT_EQ(lines, (LineList {"0", "1a", "1b", "2b", "2a"}));
}

// A copy is a snapshot: it shares the lines until either side changes, and
// then only the side that changed sees the change.
TEST(LineList, CopiesShareUntilOneOfThemChanges)
{
    LineList original = splitListText("001     Alpha\r\n002     Beta\r\n003     Gamma\r\n");
    LineList snapshot = original;
    EXPECT_TRUE(snapshot.sharesLinesWith(original));

    original.set(1, "002     Changed");
    original.erase(0);
    original.push_back("004     Delta");
    EXPECT_FALSE(snapshot.sharesLinesWith(original));
    EXPECT_EQ(snapshot, (LineList {"001     Alpha", "002     Beta", "003     Gamma"}));
    EXPECT_EQ(original, (LineList {"002     Changed", "003     Gamma", "004     Delta"}));

    // Both append after the split: neither overwrites the other's new bytes.
    snapshot.push_back("005     Snapshot");
    original.push_back("005     Original");
    EXPECT_EQ(snapshot.back(), "005     Snapshot");
    EXPECT_EQ(original.back(), "005     Original");
    EXPECT_EQ(original[2], "004     Delta");
}

// Replacing every line of a large list many times over leaves garbage that
// is collected: what is held stays near the live bytes, and a snapshot taken
// before keeps its own lines whole.
TEST(LineList, ReplacedBytesAreCollected)
{
    constexpr std::size_t count = 20000;
    LineList lines;
    for (std::size_t i = 0; i < count; ++i)
        lines.push_back("001     first round " + std::to_string(i));
    const LineList snapshot = lines;
    for (int round = 0; round < 10; ++round)
        for (std::size_t i = 0; i < count; ++i)
            lines.set(i, "002     round " + std::to_string(round) + " line " + std::to_string(i));
    std::size_t live = 0;
    for (std::string_view line : lines)
        live += line.size();
    EXPECT_LE(lines.bytesHeld(), 2 * live + count * 16 + (1 << 20) + 128 * 1024);
    EXPECT_EQ(lines[count - 1], "002     round 9 line " + std::to_string(count - 1));
    EXPECT_EQ(snapshot[count - 1], "001     first round " + std::to_string(count - 1));
}

// A loaded list costs its file's bytes and 9 bytes a line, even when every
// line is empty.
TEST(LineList, LoadedListCostsFileSizeAndNineBytesALine)
{
    const std::string lineFeeds(1 << 20, '\n');
    const LineList empties = splitListText(lineFeeds);
    ASSERT_EQ(empties.size(), lineFeeds.size());
    EXPECT_LE(empties.bytesHeld(), lineFeeds.size() + 9 * (lineFeeds.size() + 1));

    std::string text;
    for (int i = 0; i < 50000; ++i)
        text += "001     A project of about forty bytes..\r\n";
    const LineList projects = splitListText(text);
    EXPECT_LE(projects.bytesHeld(), text.size() + 9 * (projects.size() + 1));
}

// Lines around the length where a line's length moves out of its entry keep
// every byte through each way a line comes in: read, put, set, inserted,
// adopted from another list, and moved by a garbage collection.
TEST(LineList, LinesOfEveryLengthAroundTheLongOnesKeepTheirBytes)
{
    std::vector<std::string> expected;
    std::string text;
    for (std::size_t size : {0u, 1u, 253u, 254u, 255u, 256u, 300u, 65536u, 3u << 20}) {
        std::string line(size, 'x');
        for (std::size_t i = 0; i < size; ++i)
            line[i] = static_cast<char>('a' + (i * 7 + size) % 26);
        expected.push_back(line);
        text += line + "\r\n";
    }
    const LineList read = splitListText(text);
    EXPECT_EQ(read, LineList(expected.begin(), expected.end()));

    LineList inserted;
    for (auto line = expected.rbegin(); line != expected.rend(); ++line)
        inserted.insert(0, *line);
    EXPECT_EQ(inserted, read);

    LineList adopted = LineList::sharingBytesOf(read);
    for (std::string_view line : read)
        adopted.appendAdopted(line);
    EXPECT_EQ(adopted, read);

    // Set over and over: the garbage is collected, the lines move, and a
    // snapshot keeps the old ones.
    LineList set(expected.size(), "");
    const LineList before = set;
    for (int round = 0; round < 8; ++round)
        for (std::size_t i = 0; i < expected.size(); ++i)
            set.set(i, expected[(i + std::size_t(round)) % expected.size()]);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(set[i], expected[(i + 7) % expected.size()]) << i;
    EXPECT_EQ(before, LineList(expected.size(), ""));
    EXPECT_LE(set.bytesHeld(), 3 * text.size() + (1 << 20));
}

// A list built from another's lines shares their bytes rather than copying
// them, and keeps them alive after the other list lets go.
TEST(LineList, BuildsOnTheBytesOfAnotherList)
{
    LineList source = splitListText("001     Alpha\r\n002     Beta\r\n");
    const char* betaBytes = source[1].data();
    LineList built = LineList::sharingBytesOf(source);
    built.appendAdopted(source[1]);
    built.push_back("003     Gamma");
    built.appendAdopted(source[0]);
    source.clear();
    EXPECT_EQ(built, (LineList {"002     Beta", "003     Gamma", "001     Alpha"}));
    EXPECT_EQ(built[0].data(), betaBytes);
    built.set(0, "002     Changed");
    EXPECT_EQ(built, (LineList {"002     Changed", "003     Gamma", "001     Alpha"}));
}
