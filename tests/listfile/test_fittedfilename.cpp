// Names made from a list's name: kept as they are while they fit the file
// system's limit, else shortened to exactly the room given, at a character
// boundary, with a hash of the whole name, so that two long names that begin
// alike still give two names.
#include "listfile/fittedfilename.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NameCase {
    const char* name;
    std::string prefix;
    std::string listName;
    std::string suffix;
    std::size_t room;
    // Empty: the name is shortened; else the name expected.
    std::string expected;
};

std::ostream& operator<<(std::ostream& out, const NameCase& c) { return out << c.name; }

const std::string longName = std::string(250, 'a') + ".txt";
// 2-byte UTF-8 characters with the cut falling inside one of them.
const std::string wideName = std::string(1, 'x') + [] {
    std::string name;
    for (int i = 0; i < 130; ++i)
        name += "\xC3\xA9";
    return name;
}();

const NameCase nameCases[] = {
    {"short_name_kept", ".", "Projects.txt", ".quindle-lock", 255, ".Projects.txt.quindle-lock"},
    {"exactly_at_the_limit_kept", ".", std::string(241, 'b'), ".quindle-lock", 255,
     "." + std::string(241, 'b') + ".quindle-lock"},
    {"one_byte_over_shortened", ".", std::string(242, 'b'), ".quindle-lock", 255, {}},
    {"name_of_250_bytes_for_a_lock", ".", longName, ".quindle-lock", 248, {}},
    {"name_of_250_bytes_for_a_temporary_file", ".", longName, ".quindle-save.", 247, {}},
    {"cut_inside_a_character_moves_before_it", ".", wideName, ".quindle-lock", 255, {}},
    {"no_prefix", "", longName, " (2).txt", 255, {}},
};

class FittedNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(FittedNames, FitTheRoomGiven)
{
    const NameCase& c = GetParam();
    const std::string fitted = fittedFileName(c.prefix, c.listName, c.suffix, c.room);
    if (!c.expected.empty()) {
        EXPECT_EQ(fitted, c.expected);
        return;
    }
    EXPECT_LE(fitted.size(), c.room);
    EXPECT_GE(fitted.size(), c.room - 1);  // at most one byte of a character given up
    EXPECT_EQ(fitted.substr(0, c.prefix.size()), c.prefix);
    EXPECT_EQ(fitted.substr(fitted.size() - c.suffix.size()), c.suffix);
    // What is kept of the name is its start, whole characters, then the hash.
    const std::string stem = fitted.substr(c.prefix.size(), fitted.size() - c.prefix.size() - c.suffix.size());
    ASSERT_GT(stem.size(), 17u);
    const std::string kept = stem.substr(0, stem.size() - 17);
    EXPECT_EQ(c.listName.substr(0, kept.size()), kept);
    EXPECT_NE(static_cast<unsigned char>(c.listName[kept.size()]) & 0xC0u, 0x80u);
    EXPECT_EQ(stem[kept.size()], '~');
    EXPECT_EQ(stem.substr(kept.size() + 1).find_first_not_of("0123456789abcdef"), std::string::npos);
    // The same name gives the same result; one byte more or less another.
    EXPECT_EQ(fittedFileName(c.prefix, c.listName, c.suffix, c.room), fitted);
    std::string other = c.listName;
    other.back() = other.back() == 'z' ? 'y' : 'z';
    EXPECT_NE(fittedFileName(c.prefix, other, c.suffix, c.room), fitted);
    EXPECT_NE(fittedFileName(c.prefix, c.listName + "t", c.suffix, c.room), fitted);
}

INSTANTIATE_TEST_SUITE_P(Names, FittedNames, ::testing::ValuesIn(nameCases),
                         [](const ::testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

} // namespace
