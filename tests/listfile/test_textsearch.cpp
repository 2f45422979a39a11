// The text search: where a find text first stands in a text, with and
// without case (letters a to z only), at every place a block of sixteen
// bytes can put it; and whether a description holds it or is it.
#include "listfile/textsearch.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct FindCase {
    const char* name;
    std::string haystack;
    std::string needle;  // as typed
    bool matchCase;
    std::size_t expected;
};

constexpr std::size_t none = std::string_view::npos;

const FindCase findCases[] = {
    {"plain", "Ring Road survey", "road", false, 5},
    {"case kept", "Ring Road survey", "road", true, none},
    {"case kept, found", "Ring road survey", "road", true, 5},
    {"first of several", "road Road ROAD", "ROAD", false, 0},
    {"one letter", "xxxxxxxxxxxxxxxxxxxxq", "Q", false, 20},
    {"first and last letter match, middle not", "tunxel tunnel", "tunnel", false, 7},
    {"needle longer than the text", "tun", "tunnel", false, none},
    {"needle as long as the text", "TUNNEL", "tunnel", false, 0},
    {"ends the text", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaatunnel", "tunnel", false, 39},
    {"across a block of sixteen", "aaaaaaaaaaaaaaTunnel", "tunnel", false, 14},
    {"only a to z fold", "caf\xC3\xA9 CAF\xC3\x89", "CAF\xC3\x89", false, 6},
    {"accented letter found only as typed", "CAF\xC3\xA9", "caf\xC3\x89", false, none},
    {"symbols next to letters", "[@`{", "@", false, 1},
    {"NUL bytes", std::string("a\0b\0c", 5), std::string("\0c", 2), false, 3},
    {"empty needle", "anything", "", false, none},
};

} // namespace

TEST(TextSearch, FindsTheFirstPlace)
{
    for (const FindCase& c : findCases) {
        const std::string needle = c.matchCase ? c.needle : upperCaseAtoZ(c.needle);
        EXPECT_EQ(findText(c.haystack, needle, c.matchCase), c.expected) << c.name;
    }
}

TEST(TextSearch, FindsANeedleAtEveryPlaceOfALongText)
{
    // Every offset against every block boundary, in both cases.
    for (std::size_t at = 0; at < 70; ++at) {
        std::string text(80, 'n');
        text.replace(at, 6, at % 2 ? "TuNnEl" : "tunnel");
        EXPECT_EQ(findText(text, "TUNNEL", false), at) << at;
        EXPECT_EQ(findText(text, "tunnel", true), at % 2 ? none : at) << at;
    }
}

TEST(TextSearch, DescriptionMatches)
{
    EXPECT_TRUE(descriptionMatches("  Bridge ", "BRIDGE", false, true));
    EXPECT_FALSE(descriptionMatches("Bridge repairs", "BRIDGE", false, true));
    EXPECT_TRUE(descriptionMatches("Bridge repairs", "BRIDGE", false, false));
    EXPECT_FALSE(descriptionMatches("Bridge repairs", "bridge", true, false));
    EXPECT_FALSE(descriptionMatches("Bridge", "BRIDGE ", false, true));
    EXPECT_FALSE(descriptionMatches("Bridge", "", true, false));
    EXPECT_EQ(upperCaseAtoZ("road \xC3\xA9 az{}`@[ 09"), "ROAD \xC3\xA9 AZ{}`@[ 09");
}
