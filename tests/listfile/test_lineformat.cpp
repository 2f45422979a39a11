// The project line layout: trimming, fixed columns, number padding, finding a
// line by its number code, the number shown in a caption, and whether lines
// make a project list at all.
#include "listfile/lineformat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace std::string_literals;

TEST(Trimming, RemovesControlCodesAndBlanksAtBothEndsOnly)
{
    EXPECT_EQ(trimmed("  007  "), "007");
    EXPECT_EQ(trimmed("\t\r\n Garden  shed \x01\x1f"), "Garden  shed");
    EXPECT_EQ(trimmed("\0\0a\0"s), "a");
    EXPECT_EQ(trimmed(" \t \t "), "");
    EXPECT_EQ(trimmed(""), "");
}

TEST(Trimming, KeepsBytesAboveCode127)
{
    // 0xA0 is a non-breaking space in Latin-1 and 0xE9 an accented letter:
    // as signed chars both are negative and must not be taken for control codes.
    EXPECT_EQ(trimmed("\xA0x\xE9"), "\xA0x\xE9");
    EXPECT_EQ(trimmedView(" \xFF "), "\xFF");
}

TEST(Columns, YieldOnlyWhatTheLineHolds)
{
    EXPECT_EQ(columnsOf("abcdefgh", 3, 4), "cdef");
    EXPECT_EQ(columnsOf("abcdefgh", 6, 10), "fgh");
    EXPECT_EQ(columnsOf("abc", 4, 2), "");
    EXPECT_EQ(columnsOf("abc", 9, 2), "");
    EXPECT_EQ(columnsOf("", 1, 5), "");
    EXPECT_EQ(columnsOf("abc", 1, std::string::npos), "abc");
}

TEST(Columns, ListViewFieldsOfAWellFormedLine)
{
    EXPECT_EQ(captionField("007     Garden shed"), "007  ");
    EXPECT_EQ(descriptionField("007     Garden shed"), " Garden shed");

    const std::string longDescription(60, 'd');
    EXPECT_EQ(descriptionField("123     " + longDescription), " " + std::string(39, 'd'));
    EXPECT_EQ(captionField("7"), "7");
    EXPECT_EQ(descriptionField("007  "), "");
    // A longer number moves the columns along with it.
    EXPECT_EQ(captionField("1000     Shed"), "1000  ");
    EXPECT_EQ(captionField("100000     Shed"), "100000  ");
    EXPECT_EQ(descriptionField("1000     Shed"), " Shed");
    EXPECT_EQ(descriptionField("100000     Shed"), " Shed");
}

TEST(ZeroPadNumber, PadsToThreeCharactersWithTheSignInside)
{
    EXPECT_EQ(zeroPadNumber(0), "000");
    EXPECT_EQ(zeroPadNumber(5), "005");
    EXPECT_EQ(zeroPadNumber(42), "042");
    EXPECT_EQ(zeroPadNumber(123), "123");
    EXPECT_EQ(zeroPadNumber(999), "999");
    EXPECT_EQ(zeroPadNumber(1000), "1000");
    EXPECT_EQ(zeroPadNumber(1234), "1234");
    EXPECT_EQ(zeroPadNumber(-5), "0-5");
    EXPECT_EQ(zeroPadNumber(-42), "-42");
    EXPECT_EQ(zeroPadNumber(std::numeric_limits<int32_t>::max()), "2147483647");
    EXPECT_EQ(zeroPadNumber(std::numeric_limits<int32_t>::min()), "-2147483648");
}

TEST(FindProjectLine, ComparesTheFirstThreeCharactersExactly)
{
    const LineList lines = {
        "007     A", "007     B", "1000     Shed", "ab", "abc     lower", "0-5     Minus"};
    EXPECT_EQ(findProjectLine(lines, "007"), 0);
    EXPECT_EQ(findProjectLine(lines, "0-5"), 5);
    EXPECT_EQ(findProjectLine(lines, "ABC"), -1);
    EXPECT_EQ(findProjectLine(lines, "abc"), 4);
    EXPECT_EQ(findProjectLine(lines, "008"), -1);
}

TEST(FindProjectLine, CodesShorterThanThreeCharactersNeverMatch)
{
    const LineList lines = {"7", "1000     Shed", "ab", ""};
    EXPECT_EQ(findProjectLine(lines, "7"), -1);
    EXPECT_EQ(findProjectLine(lines, "ab"), -1);
    EXPECT_EQ(findProjectLine(lines, ""), -1);
    EXPECT_EQ(findProjectLine({}, "007"), -1);
}

TEST(CaptionProjectNumber, ReadsWhateverNumberTheCaptionBeginsWith)
{
    EXPECT_EQ(captionProjectNumber("012  "), 12);
    EXPECT_EQ(captionProjectNumber("042  "), 42);
    EXPECT_EQ(captionProjectNumber("12a"), 12);
    EXPECT_EQ(captionProjectNumber("  7  "), 7);
    EXPECT_EQ(captionProjectNumber("0-5  "), 0);
    EXPECT_EQ(captionProjectNumber("-5   "), -5);
    EXPECT_EQ(captionProjectNumber("0x1F "), 31);
    EXPECT_EQ(captionProjectNumber("Misc "), 0);
    EXPECT_EQ(captionProjectNumber(""), 0);
    EXPECT_EQ(captionProjectNumber("     "), 0);
}

TEST(CaptionProjectNumber, LooksAtTheFirstFiveCharactersOrTheWholeNumber)
{
    EXPECT_EQ(captionProjectNumber("123456"), 123456);
    EXPECT_EQ(captionProjectNumber("1000 "), 1000);
    EXPECT_EQ(captionProjectNumber("12   9"), 12);
}

// What the program writes, it reads back: the caption of a written line
// gives its number for every number of up to five characters (but -1 to -9,
// written '0-1' to '0-9', read as 0), and a line is found again by its
// padded code for every three-character number.
TEST(LineLayout, WrittenNumbersReadBack)
{
    for (int32_t number = -99; number <= 99999; ++number) {
        const std::string line = zeroPadNumber(number) + "     Garden shed";
        ASSERT_EQ(captionProjectNumber(captionField(line)), (number < 0 && number > -10) ? 0 : number)
            << "number " << number;
    }
    LineList lines;
    for (int32_t number = 0; number <= 999; ++number)
        lines.push_back(zeroPadNumber(number) + "     Project " + std::to_string(number));
    for (int32_t number = 0; number <= 999; ++number)
        ASSERT_EQ(findProjectLine(lines, zeroPadNumber(number)), number);
}

TEST(IsProjectList, JudgesEveryLineAsTheWizardJudgesTheFirst)
{
    std::string randomBytes;
    std::uint32_t state = 7;
    for (int i = 0; i < 64 * 1024; ++i) {
        state = state * 1664525u + 1013904223u;
        randomBytes += static_cast<char>(state >> 24);
    }
    LineList binary;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= randomBytes.size(); ++i) {
        if (i == randomBytes.size() || randomBytes[i] == '\n') {
            binary.push_back(std::string_view(randomBytes).substr(start, i - start));
            start = i + 1;
        }
    }
    struct Case {
        const char* name;
        LineList lines;
        bool list;
    };
    const std::vector<Case> cases = {
        {"projects", {"001     A", "002     B"}, true},
        {"numbers past 999 and 8-bit text", {"1000     Caf\xe9", "1001     \x80"}, true},
        {"blank lines do not count", {"", "001     A", "   ", "\t", ""}, true},
        {"a heading and a note among projects", {"Projects of 2026", "001     A", "002     B", "note"}, true},
        {"as many notes as projects", {"note", "001     A"}, true},
        {"a number the conversion reads with blanks before it", {"  7     A"}, true},
        {"mostly notes", {"001     A", "note", "another note"}, false},
        {"prose", {"Dear Ann,", "the list is attached.", "Bob"}, false},
        {"a number not in the first three characters", {"No 001     A", "No 002     B"}, false},
        {"empty", {}, false},
        {"only blank lines", {"", "  ", ""}, false},
        {"random bytes", binary, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isProjectList(c.lines), c.list) << c.name;
}
