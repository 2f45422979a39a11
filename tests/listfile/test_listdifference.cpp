// The changes by number that turn one list into another: applied to the first
// list they give the second (as far as changes by number reach), and they
// name what they replaced.
#include "listfile/listdifference.h"

#include <gtest/gtest.h>

namespace {

using Kind = ListOperation::Kind;

ListOperation put(const char* number, const char* line, std::optional<std::string> replaced = std::nullopt)
{
    ListOperation op;
    op.numberText = number;
    op.line = line;
    op.replaced = std::move(replaced);
    return op;
}

ListOperation removal(const char* number, const char* replaced)
{
    ListOperation op;
    op.kind = Kind::Remove;
    op.numberText = number;
    op.replaced = std::string(replaced);
    return op;
}

struct DifferenceCase {
    const char* name;
    LineList from;
    LineList to;
    std::vector<ListOperation> ops;
    // What applying ops to from gives; to itself when not set.
    std::optional<LineList> applied;
};

const DifferenceCase differenceCases[] = {
    {"same lists", {"001     A", "002     B"}, {"001     A", "002     B"}, {}, std::nullopt},
    {"added project", {"001     A"}, {"001     A", "002     B"}, {put("002", "002     B")}, std::nullopt},
    {"changed project", {"001     A", "002     B"}, {"001     A", "002     Bee"},
     {put("002", "002     Bee", "002     B")}, std::nullopt},
    {"removed project", {"001     A", "002     B"}, {"002     B"}, {removal("001", "001     A")}, std::nullopt},
    {"all at once", {"001     A", "002     B", "003     C"}, {"002     Bee", "003     C", "004     D"},
     {removal("001", "001     A"), put("002", "002     Bee", "002     B"), put("004", "004     D")}, std::nullopt},
    {"a number held twice gains its second line", {"001     A"}, {"001     A", "001     A again"},
     {put("", "001     A again")}, std::nullopt},
    {"a further line already held is not added again", {"001     A", "001     A again"},
     {"001     A", "001     A again"}, {}, std::nullopt},
    {"a short line is added as it stands", {"001     A"}, {"", "001     A"}, {put("", "")}, std::nullopt},
    {"a further line only from holds stays", {"001     A", "x"}, {"001     A"}, {},
     LineList {"001     A", "x"}},
};

class Difference : public ::testing::TestWithParam<DifferenceCase> {};

TEST_P(Difference, NamesTheChangesAndReachesTheOtherList)
{
    const DifferenceCase& c = GetParam();
    const std::vector<ListOperation> ops = operationsBetweenLists(c.from, c.to);
    EXPECT_EQ(ops, c.ops);
    LineList lines = c.from;
    applyOperations(lines, ops);
    EXPECT_EQ(lines, c.applied.value_or(c.to));
}

INSTANTIATE_TEST_SUITE_P(ListDifference, Difference, ::testing::ValuesIn(differenceCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
