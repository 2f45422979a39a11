// Project numbers of three to six digits: every lookup finds a project by its
// whole number, "Add project" proposes one more than the highest, and the
// list is kept in the order of the numbers. Collation is the C locale's.
#include "listfile/lineformat.h"
#include "listfile/listdifference.h"
#include "listfile/listedit.h"
#include "listfile/listoperation.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct NumbersCase {
    const char* name;
    // Read from the file as it stands, in no particular order.
    LineList lines;
    // Number text looked up, and the line it finds (-1: none).
    std::vector<std::pair<std::string, int>> lookups;
    // The number "Add project" proposes, one more than the highest.
    std::optional<int32_t> proposed;
    // The list as "Apply Changes" orders it.
    LineList ordered;
};

const NumbersCase numbersCases[] = {
    {"three digits: the text order, prefixes of three characters as always",
     LineList {"012     B", "007     A", "100     C", "0-5     Minus", "Misc notes"},
     {{"007", 1}, {"100", 2}, {"0-5", 3}, {"010", -1}, {"07", -1}, {"Mis", 4}},
     101,
     LineList {"0-5     Minus", "007     A", "012     B", "100     C", "Misc notes"}},
    {"001 to 1000 saved as text: 1000 is its own project, 1001 comes next",
     LineList {"100     Hut", "1000     Shed", "101     Mill", "999     Barn"},
     {{"100", 0}, {"1000", 1}, {"999", 3}, {"0100", -1}, {"10000", -1}},
     1001,
     LineList {"100     Hut", "101     Mill", "999     Barn", "1000     Shed"}},
    {"five and six digits among short ones",
     LineList {"10000     Five", "100000     Six", "99999     Nines", "001     One", "1000     Four"},
     {{"10000", 0}, {"100000", 1}, {"99999", 2}, {"001", 3}, {"1000", 4}, {"100", -1}, {"10", -1}},
     100001,
     LineList {"001     One", "1000     Four", "10000     Five", "99999     Nines", "100000     Six"}},
    {"lines without a number go where the text order puts them",
     LineList {"Misc notes", "1000     X", "050     Y", "  "},
     {{"050", 2}, {"1000", 1}, {"Mis", 0}},
     1001,
     LineList {"  ", "050     Y", "1000     X", "Misc notes"}},
    {"a number past any project number is no highest number",
     LineList {"99999999999     Huge", "004     Small"},
     {{"004", 1}, {"99999999999", 0}},
     5,
     LineList {"004     Small", "99999999999     Huge"}},
    {"no number at all: nothing to propose from",
     LineList {"Misc notes", "-12     Minus"},
     {{"-12", 1}},
     std::nullopt,
     LineList {"-12     Minus", "Misc notes"}},
};

class ProjectNumbers : public ::testing::TestWithParam<NumbersCase> {};

TEST_P(ProjectNumbers, AreFoundWholeProposedAboveTheHighestAndKeptInOrder)
{
    const NumbersCase& c = GetParam();
    for (const auto& [number, index] : c.lookups)
        EXPECT_EQ(findProjectLine(c.lines, number), index) << number;

    const std::optional<int32_t> highest = highestProjectNumber(c.lines);
    EXPECT_EQ(highest ? std::optional<int32_t>(*highest + 1) : std::nullopt, c.proposed);

    LineList sorted = c.lines;
    sortLines(sorted);
    EXPECT_EQ(sorted, c.ordered);

    // The line of each number found reads back as that number's caption.
    for (const auto& [number, index] : c.lookups)
        if (index >= 0 && number.find_first_not_of("0123456789") == std::string::npos && number.size() <= 9)
            EXPECT_EQ(captionProjectNumber(captionField(c.lines[std::size_t(index)])), std::stoi(number)) << number;

    // Putting a line for each number found, one by one or in one batch,
    // replaces that project's line and no other.
    std::vector<ListOperation> puts;
    for (const auto& [number, index] : c.lookups) {
        if (index < 0)
            continue;
        ListOperation put;
        put.numberText = number;
        put.line = projectLine(number, "Edited");
        puts.push_back(put);
    }
    LineList oneByOne = c.ordered;
    for (const ListOperation& put : puts)
        applyOperation(oneByOne, put);
    LineList batch = c.ordered;
    applyOperations(batch, puts);
    EXPECT_EQ(oneByOne.size(), c.lines.size());
    EXPECT_EQ(batch, oneByOne);
    for (const ListOperation& put : puts)
        EXPECT_EQ(oneByOne[std::size_t(findProjectLine(oneByOne, put.numberText))], put.line);
    // And the changes between the lists name exactly those projects.
    EXPECT_EQ(operationsBetweenLists(c.ordered, oneByOne).size(), puts.size());
}

INSTANTIATE_TEST_SUITE_P(Table, ProjectNumbers, ::testing::ValuesIn(numbersCases),
                         [](const ::testing::TestParamInfo<NumbersCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A new longest number changes the width numbers are compared at: keeping
// the list in order after that one change still gives the numbers' order.
TEST(ProjectNumbers, AFirstFourDigitNumberGoesAfter999)
{
    LineList lines = {"001     A", "100     B", "999     C"};
    lines.push_back("1000     D");
    keepSortedInOrderedList(lines, 3);
    EXPECT_EQ(lines, (LineList {"001     A", "100     B", "999     C", "1000     D"}));
    lines.insert(0, "1001     E");
    keepSorted(lines, 0);
    EXPECT_EQ(lines.back(), "1001     E");
}

} // namespace
