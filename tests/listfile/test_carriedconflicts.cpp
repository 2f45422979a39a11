// Conflicts a merge into memory kept our text of, carried to the save: which
// are still conflicts when the save reads the list again, what each choice
// makes of the merged list, and which earlier answer a conflict takes.
#include "listfile/listmerge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = LineList;

struct CarriedCase {
    const char* name;
    std::vector<WaitingConflict> waiting;
    Lines ours;
    Lines current;
    std::vector<MergeConflict> planned;
    std::vector<MergeConflict> carried;
};

MergeConflict conflict(const std::string& number, const std::string& base, const std::string& ours,
                       const std::string& theirs, std::size_t theirsIndex)
{
    return {number, base, ours, theirs, theirsIndex};
}

const CarriedCase carriedCases[] = {
    {"still differing: carried, its base the text kept waiting",
     {{"002", "002     Theirs then"}},
     Lines {"001     A", "002     Ours"},
     Lines {"001     A", "002     Theirs now"},
     {},
     {conflict("002", "002     Theirs then", "002     Ours", "002     Theirs now", 1)}},
    {"both texts agree by now: nothing to ask",
     {{"002", "002     Theirs"}}, Lines {"001     A", "002     Same"}, Lines {"001     A", "002     Same"}, {}, {}},
    {"found in conflict anew by the merge: asked once, as the merge found it",
     {{"002", "002     Theirs"}},
     Lines {"002     Ours"},
     Lines {"002     Other"},
     {conflict("002", "002     B", "002     Ours", "002     Other", 0)},
     {}},
    {"gone from either side: nothing to ask",
     {{"002", "002     T"}, {"003", "003     T"}},
     Lines {"001     A", "002     Ours"},
     Lines {"001     A", "003     Theirs"},
     {},
     {}},
    {"a number waiting twice is asked once",
     {{"002", "002     First"}, {"002", "002     Second"}},
     Lines {"002     Ours"},
     Lines {"002     Theirs"},
     {},
     {conflict("002", "002     First", "002     Ours", "002     Theirs", 0)}},
    {"a number past 999 is not the project of its first three digits",
     {{"1000", "1000    Then"}},
     Lines {"100     Hundred", "1000    Ours"},
     Lines {"100     Hundred", "1000    Theirs", "10000   Big"},
     {},
     {conflict("1000", "1000    Then", "1000    Ours", "1000    Theirs", 1)}},
    {"the first line of a number held twice is the project",
     {{"005", "005     T"}},
     Lines {"005     Ours", "005     Second"},
     Lines {"001     A", "005     Theirs", "005     Second"},
     {},
     {conflict("005", "005     T", "005     Ours", "005     Theirs", 1)}},
};

class CarriedTable : public ::testing::TestWithParam<CarriedCase> {};

TEST_P(CarriedTable, CarriesWhatStillDiffers)
{
    const CarriedCase& c = GetParam();
    EXPECT_EQ(carriedConflicts(c.waiting, c.ours, c.current, c.planned), c.carried);
}

INSTANTIATE_TEST_SUITE_P(CarriedConflicts, CarriedTable, ::testing::ValuesIn(carriedCases),
                         [](const ::testing::TestParamInfo<CarriedCase>& info) { return "case" + std::to_string(info.index); });

struct ChoiceCase {
    const char* name;
    ConflictChoice choice;
    Lines merged;
    std::vector<MergeNotice> notices;
};

const ChoiceCase choiceCases[] = {
    {"keep mine: our text stays", ConflictChoice::KeepMine, Lines {"001     A", "002     Ours", "004     D"}, {}},
    {"keep theirs: their text replaces ours", ConflictChoice::KeepTheirs,
     Lines {"001     A", "002     Theirs", "004     D"}, {}},
    {"keep both: ours moves to the next free number, told", ConflictChoice::KeepBoth,
     Lines {"001     A", "002     Theirs", "003     Ours", "004     D"},
     {{MergeNotice::Kind::Renumbered, "002", "003", true}}},
};

class ChoiceTable : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChoiceTable, AnswersTheCarriedConflict)
{
    const ChoiceCase& c = GetParam();
    Lines merged {"001     A", "002     Ours", "004     D"};
    std::vector<MergeNotice> notices;
    applyCarriedChoice(merged, conflict("002", "002     B", "002     Ours", "002     Theirs", 1), c.choice, notices);
    EXPECT_EQ(merged, c.merged);
    EXPECT_EQ(notices, c.notices);
}

INSTANTIATE_TEST_SUITE_P(CarriedConflicts, ChoiceTable, ::testing::ValuesIn(choiceCases),
                         [](const ::testing::TestParamInfo<ChoiceCase>& info) { return "case" + std::to_string(info.index); });

TEST(CarriedConflicts, KeptBothPastNineHundredNinetyNineTakesAWholeNumber)
{
    Lines merged {"999     Ours", "1000    Taken"};
    std::vector<MergeNotice> notices;
    applyCarriedChoice(merged, conflict("999", "999     B", "999     Ours", "999     Theirs", 0),
                       ConflictChoice::KeepBoth, notices);
    // The rest of the line keeps its bytes after the longer number.
    EXPECT_EQ(merged, (Lines {"999     Theirs", "1000    Taken", "1001     Ours"}));
    EXPECT_EQ(notices, (std::vector<MergeNotice> {{MergeNotice::Kind::Renumbered, "999", "1001", true}}));
}

TEST(CarriedConflicts, AnAnswerHoldsForTheSameTextsOnly)
{
    const MergeConflict asked = conflict("002", "002     B", "002     Ours", "002     Theirs", 1);
    const std::vector<ConflictAnswered> answers {{conflict("001", "001     B", "001     O", "001     T", 0),
                                                  ConflictChoice::KeepMine},
                                                 {asked, ConflictChoice::KeepBoth}};
    EXPECT_EQ(answerFor(answers, asked), ConflictChoice::KeepBoth);
    // Where it stands and what it came from do not matter.
    EXPECT_EQ(answerFor(answers, conflict("002", "002     Other base", "002     Ours", "002     Theirs", 7)),
              ConflictChoice::KeepBoth);
    // Either text changed since: asked again.
    EXPECT_EQ(answerFor(answers, conflict("002", "002     B", "002     Ours", "002     Newer", 1)), std::nullopt);
    EXPECT_EQ(answerFor(answers, conflict("002", "002     B", "002     Mine now", "002     Theirs", 1)), std::nullopt);
    EXPECT_EQ(answerFor(answers, conflict("003", "002     B", "002     Ours", "002     Theirs", 1)), std::nullopt);
    EXPECT_EQ(answerFor({}, asked), std::nullopt);
}

TEST(CarriedConflicts, TouchedNumbersFollowRenumbering)
{
    const std::vector<MergeNotice> notices {{MergeNotice::Kind::Renumbered, "004", "006", false},
                                            {MergeNotice::Kind::OurEditKeptOverTheirRemoval, "002", "", false},
                                            {MergeNotice::Kind::Renumbered, "1000", "1001", true}};
    EXPECT_EQ(touchedAfterMerge({"002", "004"}, notices), (std::vector<std::string> {"002", "004", "006", "1001"}));
    EXPECT_EQ(touchedAfterMerge({}, {}), std::vector<std::string> {});
}

} // namespace
