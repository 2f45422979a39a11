// The integer conversion: whole numbers, hexadecimal forms, where reading
// stops and with which value, 32-bit limits, and safety on arbitrary bytes.
#include "listfile/intconversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>

namespace {

struct Case {
    std::string text;
    int32_t value;
    int stopPosition;
};

void expectConversions(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        IntConversion result = convertInteger(c.text);
        EXPECT_EQ(result.value, c.value) << "text '" << c.text << "'";
        EXPECT_EQ(result.stopPosition, c.stopPosition) << "text '" << c.text << "'";
        EXPECT_EQ(result.ok(), c.stopPosition == 0) << "text '" << c.text << "'";
    }
}

} // namespace

TEST(IntConversion, ReadsWholeDecimalNumbers)
{
    expectConversions({
        {"0", 0, 0},
        {"7", 7, 0},
        {"042", 42, 0},
        {"+42", 42, 0},
        {"-42", -42, 0},
        {"   12", 12, 0},
        {"-0", 0, 0},
        {"0000000000000000000042", 42, 0},
    });
}

TEST(IntConversion, ReadsEveryHexadecimalPrefix)
{
    expectConversions({
        {"$1F", 31, 0},
        {"x1f", 31, 0},
        {"X1F", 31, 0},
        {"0x1F", 31, 0},
        {"0X1f", 31, 0},
        {"-$10", -16, 0},
        {"+0x10", 16, 0},
        {"  $a", 10, 0},
        {"$00000000000000ff", 255, 0},
    });
}

TEST(IntConversion, StopsAtTheFirstCharacterItCannotRead)
{
    expectConversions({
        {"12a", 12, 3},
        {"a12", 0, 1},
        {"1a2", 1, 2},
        {"-12a", -12, 4},
        {"12.5", 12, 3},
        {"12 G", 12, 3},
        {"- 5", 0, 2},
        {"+-5", 0, 2},
        {"$g", 0, 2},
        {"0xg", 0, 3},
        {"$1g", 1, 3},
        {"$-5", 0, 2},
    });
}

TEST(IntConversion, OnlyLeadingBlanksAreSkipped)
{
    expectConversions({
        {"12 ", 12, 3},     // a trailing blank is not read
        {" 12 ", 12, 4},
        {"\t12", 0, 1},     // a tab is not a blank
        {"1 2", 1, 2},
    });
}

// Texts that run out before any digit report the column past their end, so a
// caller that deletes the offending character and tries again knows to stop.
TEST(IntConversion, TextWithoutDigitsStopsPastItsEnd)
{
    expectConversions({
        {"", 0, 1},
        {"   ", 0, 4},
        {"-", 0, 2},
        {"+", 0, 2},
        {"$", 0, 2},
        {"x", 0, 2},
        {"X", 0, 2},
        {"0x", 0, 3},
        {"-0X", 0, 4},
        {"  -$", 0, 5},
    });
}

TEST(IntConversion, DecimalNumbersMustFitSigned32Bits)
{
    expectConversions({
        {"2147483647", std::numeric_limits<int32_t>::max(), 0},
        {"-2147483648", std::numeric_limits<int32_t>::min(), 0},
        {"2147483648", 214748364, 10},
        {"-2147483649", -214748364, 11},
        {"99999999999", 999999999, 10},
        {"+21474836470", 2147483647, 12},
    });
}

TEST(IntConversion, HexadecimalNumbersAre32BitPatterns)
{
    expectConversions({
        {"$7FFFFFFF", std::numeric_limits<int32_t>::max(), 0},
        {"$80000000", std::numeric_limits<int32_t>::min(), 0},
        {"$FFFFFFFF", -1, 0},
        {"-$80000000", std::numeric_limits<int32_t>::min(), 0},
        {"$100000000", 0x10000000, 10},
        {"0xFFFFFFFFF", -1, 11},
    });
}

// Wherever reading stops inside the text, the value reported is what the
// text before that column reads as, and that shorter text has nothing left
// that stops reading before its end.
TEST(IntConversion, StopValueIsTheValueOfTheTextBeforeIt)
{
    const std::string alphabet = " -+$xX0179aFg";
    std::string text;
    std::function<void(std::size_t)> visit = [&](std::size_t depth) {
        IntConversion whole = convertInteger(text);
        ASSERT_GE(whole.stopPosition, 0);
        ASSERT_LE(whole.stopPosition, static_cast<int>(text.size()) + 1) << "'" << text << "'";
        if (whole.stopPosition >= 1 && whole.stopPosition <= static_cast<int>(text.size())) {
            std::string before = text.substr(0, static_cast<std::size_t>(whole.stopPosition - 1));
            IntConversion prefix = convertInteger(before);
            EXPECT_EQ(prefix.value, whole.value) << "'" << text << "'";
            EXPECT_TRUE(prefix.ok() || prefix.stopPosition == static_cast<int>(before.size()) + 1)
                << "'" << text << "'";
        }
        if (depth == 0)
            return;
        for (char c : alphabet) {
            text.push_back(c);
            visit(depth - 1);
            text.pop_back();
        }
    };
    visit(4);
}

TEST(IntConversion, ArbitraryBytesStayWithinTheText)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 20000; ++round) {
        std::string text(random() % 24, '\0');
        for (char& c : text)
            c = static_cast<char>(random() % 256);
        // A view into a larger buffer: reading past the view would see 'Z'.
        std::string padded = text + "ZZZZ";
        IntConversion result = convertInteger(std::string_view(padded.data(), text.size()));
        ASSERT_GE(result.stopPosition, 0);
        ASSERT_LE(result.stopPosition, static_cast<int>(text.size()) + 1);
    }
}
