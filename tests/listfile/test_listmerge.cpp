// Saving onto a list someone else changed: the three-way merge by project
// number, its notices and conflicts, the answers to them, and where merged
// lines land. Collation is the C locale's.
#include "listfile/listmerge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <ostream>
#include <string>
#include <vector>

using namespace std::string_view_literals;

namespace {

using Lines = LineList;
using Kind = MergeNotice::Kind;
using Numbers = std::vector<std::string>;
constexpr auto keepTheirs = ConflictChoice::KeepTheirs;
constexpr auto keepMine = ConflictChoice::KeepMine;
constexpr auto keepBoth = ConflictChoice::KeepBoth;

struct MergeCase {
    const char* name;
    std::optional<Lines> base;
    Lines ours;
    Lines theirs;
    // The numbers our changes touched; none for a merge of every number.
    std::optional<Numbers> touched;
    std::vector<ConflictChoice> choices;
    std::vector<MergeConflict> conflicts;
    std::vector<MergeNotice> notices;
    Lines merged;
};

bool holdsANumberTwice(const Lines& lines)
{
    std::map<std::string, int> seen;
    for (std::string_view line : lines) {
        std::size_t digits = 0;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
            ++digits;
        if (digits >= 3 && ++seen[std::string(line.substr(0, digits))] > 1)
            return true;
    }
    return false;
}

const MergeCase mergeCases[] = {
    // One side's change
    {"our edit replaces theirs in place, their addition stays",
     Lines {"001     A", "002     B", "003     C"}, Lines {"001     A", "002     Bee", "003     C"},
     Lines {"001     A", "002     B", "003     C", "004     D"}, Numbers {"002"}, {}, {}, {},
     Lines {"001     A", "002     Bee", "003     C", "004     D"}},
    {"numbers we touched and left as they were take theirs, edited or removed",
     Lines {"001     A", "002     B", "003     C"}, Lines {"001     A", "002     B", "003     C"},
     Lines {"001     A", "002     Theirs"}, Numbers {"003", "002"}, {}, {}, {},
     Lines {"001     A", "002     Theirs"}},
    {"the same change on both sides counts once",
     Lines {"001     A", "003     C"}, Lines {"001     A", "002     New", "003     Cee"},
     Lines {"001     A", "002     New", "003     Cee"}, Numbers {"002", "003", "002"}, {}, {}, {},
     Lines {"001     A", "002     New", "003     Cee"}},
    {"our removal of a project they left alone",
     Lines {"001     A", "002     B", "003     C"}, Lines {"001     A", "003     C"},
     Lines {"001     A", "002     B", "003     C", "005     E"}, Numbers {"002"}, {}, {}, {},
     Lines {"001     A", "003     C", "005     E"}},
    {"our additions go where a binary search puts them",
     Lines {"001     A", "005     E"}, Lines {"001     A", "003     C", "005     E", "009     I"},
     Lines {"001     A", "004     D", "005     E", "007     G"}, Numbers {"009", "003"}, {}, {}, {},
     Lines {"001     A", "003     C", "004     D", "005     E", "007     G", "009     I"}},
    // Edit against removal
    {"their edit kept over our removal",
     Lines {"001     A", "002     B"}, Lines {"001     A"}, Lines {"001     A", "002     Bee"}, Numbers {"002"},
     {}, {}, {{Kind::TheirEditKeptOverOurRemoval, "002", ""}},
     Lines {"001     A", "002     Bee"}},
    {"our edit kept over their removal",
     Lines {"001     A", "002     B", "003     C"}, Lines {"001     A", "002     Bee", "003     C"},
     Lines {"001     A", "003     C"}, Numbers {"002"}, {}, {}, {{Kind::OurEditKeptOverTheirRemoval, "002", ""}},
     Lines {"001     A", "002     Bee", "003     C"}},
    // Both added under one number
    {"both added under one number: ours takes the next free one",
     Lines {"001     A", "003     C"}, Lines {"001     A", "002     Mine", "003     C"},
     Lines {"001     A", "002     Theirs", "003     C", "004     D"}, Numbers {"002"}, {}, {},
     {{Kind::Renumbered, "002", "005"}},
     Lines {"001     A", "002     Theirs", "003     C", "004     D", "005     Mine"}},
    {"renumbering takes a number our removal freed and never hands one out twice",
     Lines {"001     A", "004     D", "005     E"},
     Lines {"001     A", "002     Mine two", "003     Mine three", "004     D"},
     Lines {"001     A", "002     Their two", "003     Their three", "004     D", "005     E", "007     G"},
     Numbers {"005", "003", "002"}, {}, {}, {{Kind::Renumbered, "002", "005"}, {Kind::Renumbered, "003", "006"}},
     Lines {"001     A", "002     Their two", "003     Their three", "004     D", "005     Mine two",
            "006     Mine three", "007     G"}},
    {"renumbering from 999 goes on to 1000",
     Lines {"998     A"}, Lines {"998     A", "999     Mine"}, Lines {"998     A", "999     Theirs"}, Numbers {"999"},
     {}, {}, {{Kind::Renumbered, "999", "1000"}},
     Lines {"998     A", "999     Theirs", "1000     Mine"}},
    {"a touched 100 is not the 1000 theirs holds first, and an edit of 1000 goes after 999",
     Lines {"100     Hut", "999     Barn", "1000     Shed"}, Lines {"100     New hut", "999     Barn", "1000     New shed"},
     Lines {"1000     Shed", "100     Hut", "999     Barn"}, Numbers {"100", "1000"}, {}, {}, {},
     Lines {"100     New hut", "999     Barn", "1000     New shed"}},
    {"both added 1000 past 999: ours takes the next free number",
     Lines {"998     A", "999     B"}, Lines {"998     A", "999     B", "1000     Added by A"},
     Lines {"998     A", "999     B", "1000     Added by B"}, Numbers {"1000"}, {}, {},
     {{Kind::Renumbered, "1000", "1001"}},
     Lines {"998     A", "999     B", "1000     Added by B", "1001     Added by A"}},
    {"both added 20001 on a five-digit list, and a full merge does the same",
     Lines {"19999     A", "20000     B"}, Lines {"19999     A", "20000     B", "20001     Mine"},
     Lines {"19999     A", "20000     B", "20001     Theirs", "20002     C"}, std::nullopt, {}, {},
     {{Kind::Renumbered, "20001", "20003"}},
     Lines {"19999     A", "20000     B", "20001     Theirs", "20002     C", "20003     Mine"}},
    {"both edited 1500 differently is a conflict, not two lines",
     Lines {"1499     A", "1500     B"}, Lines {"1499     A", "1500     Mine"}, Lines {"1499     A", "1500     Theirs"},
     Numbers {"1500"}, {keepTheirs}, {{"1500", "1500     B", "1500     Mine", "1500     Theirs", 1}}, {},
     Lines {"1499     A", "1500     Theirs"}},
    {"a removal of 1000 they edited keeps their edit",
     Lines {"999     A", "1000     B"}, Lines {"999     A"}, Lines {"999     A", "1000     Bee"}, Numbers {"1000"},
     {}, {}, {{Kind::TheirEditKeptOverOurRemoval, "1000", ""}},
     Lines {"999     A", "1000     Bee"}},
    // Both edited
    {"both edited: the answers keep theirs, mine, or both",
     Lines {"001     A", "002     B", "003     C"}, Lines {"001     Mine A", "002     Mine B", "003     Mine C"},
     Lines {"001     Their A", "002     Their B", "003     Their C", "004     D"}, Numbers {"001", "002", "003"},
     {keepTheirs, keepMine, keepBoth},
     {{"001", "001     A", "001     Mine A", "001     Their A", 0},
      {"002", "002     B", "002     Mine B", "002     Their B", 1},
      {"003", "003     C", "003     Mine C", "003     Their C", 2}},
     {{Kind::Renumbered, "003", "005", true}},
     Lines {"001     Their A", "002     Mine B", "003     Their C", "004     D", "005     Mine C"}},
    // A number held twice
    {"an edit out of order with a second line of its number moves past it",
     Lines {"005     a", "006     f"}, Lines {"005     z", "006     f"}, Lines {"005     a", "005     c", "006     f"},
     Numbers {"005"}, {}, {}, {},
     Lines {"005     c", "005     z", "006     f"}},
    {"removing the first of two lines of a number keeps the second once",
     Lines {"005     a", "005     b", "006     f"}, Lines {"005     b", "006     f"},
     Lines {"005     a", "005     b", "006     f"}, Numbers {"005"}, {}, {}, {},
     Lines {"005     b", "006     f"}},
    // Lines and bytes
    {"bad and blank lines stay where theirs has them, every byte kept",
     Lines {"", "001     A", "  bad line", "003     caf\xE9"},
     Lines {"", "001     A", "002     Cr\xE8me\0br\xFBl\xE9" "e"sv, "  bad line", "003     caf\xE9 \xFF"},
     Lines {"", "001     A", "  bad line", "003     caf\xE9", "0a7  stray", "004     x\0y"sv}, Numbers {"003", "002"},
     {}, {}, {},
     Lines {"", "001     A", "  bad line", "002     Cr\xE8me\0br\xFBl\xE9" "e"sv, "003     caf\xE9 \xFF", "0a7  stray",
            "004     x\0y"sv}},
    {"an unsorted theirs keeps its order; our lines go where a binary search puts them",
     Lines {"003     C", "001     A", "002     B"}, Lines {"001     A", "002     Bee", "003     C", "004     D"},
     Lines {"003     C", "001     A", "002     B", "000     Z"}, Numbers {"002", "004"}, {}, {}, {},
     Lines {"003     C", "001     A", "000     Z", "002     Bee", "004     D"}},
    {"merging onto the list an earlier merge wrote changes nothing",
     Lines {"001     A", "002     B", "003     C"}, Lines {"001     A", "002     Bee", "004     D"},
     Lines {"001     A", "002     Bee", "004     D", "005     E"}, Numbers {"002", "003", "004"}, {}, {}, {},
     Lines {"001     A", "002     Bee", "004     D", "005     E"}},
    // Every number
    {"a full merge takes a repair of ours and a project of four digits",
     Lines {"001     A", "002     B", "7     Seven"},
     Lines {"001     A", "002     Bee", "007     Seven", "1000     Big"},
     Lines {"001     Aye", "002     B", "7     Seven", "003     C"}, std::nullopt, {}, {}, {},
     Lines {"001     Aye", "002     Bee", "003     C", "007     Seven", "1000     Big"}},
    {"a full merge tells number texts apart by their digits, however many",
     Lines {"007     A", "0007     B", "12345678901234567890123     Long"},
     Lines {"007     A", "0007     Bee", "12345678901234567890123     Long", "12345678901234567890124     Longer"},
     Lines {"007     Aye", "0007     B", "12345678901234567890123     Lung"}, std::nullopt, {}, {}, {},
     Lines {"007     Aye", "0007     Bee", "12345678901234567890123     Lung", "12345678901234567890124     Longer"}},
    {"without a base lines of either list stay and differing texts are conflicts",
     std::nullopt, Lines {"001     A", "002     Mine", "  note", ""},
     Lines {"001     A", "002     Theirs", "003     C"},
     std::nullopt, {keepBoth}, {{"002", std::nullopt, "002     Mine", "002     Theirs", 1}},
     {{Kind::Renumbered, "002", "004", true}},
     Lines {"  note", "001     A", "002     Theirs", "003     C", "004     Mine"}},
};

MergePlan planOnto(const MergeCase& c, const Lines& theirs)
{
    return c.touched ? planMerge(*c.base, c.ours, theirs, *c.touched) : planFullMerge(c.base, c.ours, theirs);
}

class MergeTable : public ::testing::TestWithParam<MergeCase> {};

} // namespace

std::ostream& operator<<(std::ostream& out, const MergeNotice& notice)
{
    return out << '{' << static_cast<int>(notice.kind) << ", " << notice.numberText << ", " << notice.newNumberText
               << '}';
}

std::ostream& operator<<(std::ostream& out, const MergeConflict& conflict)
{
    return out << '{' << conflict.numberText << ", " << conflict.base.value_or("(none)") << ", " << conflict.ours
               << ", " << conflict.theirs << ", " << conflict.theirsIndex << '}';
}

TEST_P(MergeTable, MergesAsTheRulesSay)
{
    const MergeCase& c = GetParam();
    const MergePlan plan = planOnto(c, c.theirs);
    EXPECT_EQ(plan.conflicts, c.conflicts);
    std::vector<MergeNotice> notices = plan.notices;
    const Lines merged = applyMerge(c.theirs, plan, c.choices, notices);
    EXPECT_EQ(merged, c.merged);
    EXPECT_EQ(notices, c.notices);
    if (merged == c.theirs && plan.conflicts.empty()) {
        EXPECT_FALSE(plan.changesTheirs());
    }

    // Merging the same changes onto the merged list changes nothing, unless a
    // choice or a new number left ours out or a number stands there twice.
    const auto renumbered = [](const MergeNotice& n) { return n.kind == Kind::Renumbered; };
    const auto mine = [](ConflictChoice x) { return x == keepMine; };
    const bool oursKept = std::all_of(c.choices.begin(), c.choices.end(), mine)
        && std::none_of(notices.begin(), notices.end(), renumbered);
    if (oursKept && !holdsANumberTwice(merged)) {
        EXPECT_FALSE(planOnto(c, merged).changesTheirs());
    }
}

INSTANTIATE_TEST_SUITE_P(ListMerge, MergeTable, ::testing::ValuesIn(mergeCases),
                         [](const ::testing::TestParamInfo<MergeCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(ListMerge, RefusesAnswersThatDoNotFitThePlan)
{
    const Lines base {"001     A"};
    const Lines theirs {"001     Theirs"};
    const MergePlan plan = planMerge(base, Lines {"001     Mine"}, theirs, {"001"});
    ASSERT_EQ(plan.conflicts.size(), 1u);
    std::vector<MergeNotice> notices;
    EXPECT_THROW(applyMerge(theirs, plan, {}, notices), std::invalid_argument);
    EXPECT_THROW(applyMerge(Lines {"001     Theirs", "002     B"}, plan, {keepMine}, notices), std::invalid_argument);
    EXPECT_EQ(applyMerge(theirs, plan, {keepMine}, notices), (Lines {"001     Mine"}));
}
