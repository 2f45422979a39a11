// Editing the list one project at a time: the duplicate test, replacing,
// inserting and appending a project's line, removing it, and the order the
// list is kept in (case-blind, in the locale's collation).
#include "listfile/listedit.h"
#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <random>
#include <string>
#include <vector>

namespace {

using Lines = LineList;

// Switches LC_ALL for one test and back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : previous_(std::setlocale(LC_ALL, nullptr))
    {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

// The order written out plainly, for valid multi-byte text only: the whole
// line widened, lower-cased and collated, with no shortcut.
int plainOrder(const std::string& a, const std::string& b)
{
    auto folded = [](const std::string& s) {
        std::wstring wide(s.size() + 1, L'\0');
        const std::size_t n = std::mbstowcs(&wide[0], s.c_str(), wide.size());
        wide.resize(n == static_cast<std::size_t>(-1) ? 0 : n);
        for (wchar_t& c : wide)
            c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
        return wide;
    };
    return std::wcscoll(folded(a).c_str(), folded(b).c_str());
}

int sign(int v) { return (v > 0) - (v < 0); }

} // namespace

TEST(DuplicateTest, FindsTheTextAnywhereInAnyLine)
{
    const Lines lines {"005     Bridge repair", "007     Harbour wall"};
    EXPECT_TRUE(listContainsText(lines, "Bridge"));
    EXPECT_TRUE(listContainsText(lines, "0"));              // the number field counts
    EXPECT_TRUE(listContainsText(lines, "7     Harbour"));
    EXPECT_TRUE(listContainsText(lines, "Harbour wall"));   // an unchanged description
    EXPECT_FALSE(listContainsText(lines, "bridge"));        // case counts
    EXPECT_FALSE(listContainsText(lines, "Harbour wall "));
    EXPECT_FALSE(listContainsText(lines, ""));
    EXPECT_FALSE(listContainsText({}, "x"));
}

TEST(StoredDescription, TakesAllThatFollowsTheNumber)
{
    EXPECT_EQ(storedDescription("012     Old pier"), "Old pier");
    EXPECT_EQ(storedDescription("012      Indented"), " Indented");
    const std::string longText(200, 'x');
    EXPECT_EQ(storedDescription("012     " + longText), longText);
    // A drifted separator loses nothing of the description.
    EXPECT_EQ(storedDescription("012 Foo bar"), "Foo bar");
    EXPECT_EQ(storedDescription("012Foo"), "Foo");
    EXPECT_EQ(storedDescription("012  "), "");
    EXPECT_EQ(storedDescription("01"), "");
}

TEST(PutProjectLine, ReplacesInsertsOrAppends)
{
    Lines lines {"003     C", "005     E", "005     E2"};
    // An existing number is overwritten in place, first line only.
    EXPECT_EQ(putProjectLine(lines, "005", projectLine("005", "New"), 1), 1u);
    EXPECT_EQ(lines, (Lines {"003     C", "005     New", "005     E2"}));
    // An unknown number goes where asked, or at the end.
    EXPECT_EQ(putProjectLine(lines, "004", projectLine("004", "D"), 1), 1u);
    EXPECT_EQ(lines[1], "004     D");
    EXPECT_EQ(putProjectLine(lines, "009", projectLine("009", "I")), 4u);
    EXPECT_EQ(lines.back(), "009     I");
    // Beyond the end appends instead of failing.
    EXPECT_EQ(putProjectLine(lines, "100", projectLine("100", "X"), 100), 5u);
    EXPECT_EQ(lines.back(), "100     X");
    EXPECT_EQ(projectLine("007", ""), "007     ");
}

TEST(RemoveProjectLine, DeletesTheFirstLineOrFails)
{
    Lines lines {"001     A", "002     B", "002     C"};
    removeProjectLine(lines, "002");
    EXPECT_EQ(lines, (Lines {"001     A", "002     C"}));
    try {
        removeProjectLine(lines, "009");
        FAIL() << "no line to remove";
    } catch (const ListFileError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (-1)");
    }
    EXPECT_EQ(lines.size(), 2u);
}

TEST(LineOrder, IgnoresCaseAndOrdersNumbersAsText)
{
    LocaleScope c("C");
    EXPECT_EQ(compareLines("005     apple", "005     APPLE"), 0);
    EXPECT_LT(compareLines("005     apple", "005     Banana"), 0);
    EXPECT_LT(compareLines("004     Z", "005     a"), 0);
    EXPECT_LT(compareLines("1000     x", "999     x"), 0);
    EXPECT_LT(compareLines("005", "005     a"), 0);
    EXPECT_GT(compareLines("006", "005     a"), 0);
}

TEST(LineOrder, UsesTheLocalesCollation)
{
    LocaleScope german("de_DE.UTF-8");
    if (!german.active())
        GTEST_SKIP() << "de_DE.UTF-8 not installed";
    // Byte order would put the accented letter after z.
    EXPECT_LT(compareLines("001     \xC3\xA4pfel", "001     zwiebel"), 0);
    EXPECT_EQ(compareLines("001     \xC3\x84PFEL", "001     \xC3\xA4pfel"), 0);
}

// The digit shortcut must agree with the full collation in every locale at
// hand, or a binary search over a list sorted one way would go wrong.
TEST(LineOrder, ShortcutAgreesWithFullCollation)
{
    const char* const locales[] = {"C",           "C.UTF-8",     "en_US.UTF-8",     "de_DE.UTF-8",
                                   "tr_TR.UTF-8", "cs_CZ.UTF-8", "da_DK.UTF-8",     "fr_FR.UTF-8"};
    const std::vector<std::string> pieces {"0", "1", "5", "9", "a", "A", "ch", "C", "h", "I", "i",
                                           "z", " ", "  ", "-", ".", "/", "\xC3\xA9", "\xC3\x89", "aa"};
    std::mt19937 random(7);
    int checkedLocales = 0;
    for (const char* name : locales) {
        LocaleScope scope(name);
        if (!scope.active())
            continue;
        ++checkedLocales;
        auto randomText = [&] {
            std::string s;
            const int n = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < n; ++i)
                s += pieces[random() % pieces.size()];
            return s;
        };
        auto representable = [](const std::string& s) {
            return std::mbstowcs(nullptr, s.c_str(), 0) != static_cast<std::size_t>(-1);
        };
        for (int round = 0; round < 3000; ++round) {
            // A shared start followed by two digits is the case the shortcut takes.
            const std::string start = randomText();
            const std::string a = start + char('0' + random() % 10) + randomText();
            const std::string b = start + char('0' + random() % 10) + randomText();
            const std::string c = randomText();
            if (!representable(a) || !representable(b) || !representable(c))
                continue;
            ASSERT_EQ(sign(compareLines(a, b)), sign(plainOrder(a, b))) << name << ": '" << a << "' '" << b << "'";
            ASSERT_EQ(sign(compareLines(a, c)), sign(plainOrder(a, c))) << name << ": '" << a << "' '" << c << "'";
        }
    }
    EXPECT_GE(checkedLocales, 1);
}

TEST(LineOrder, BytesOutsideTheEncodingStillHaveAPlace)
{
    LocaleScope utf8("C.UTF-8");
    // A Latin-1 byte in a UTF-8 locale: ordered, not lumped with everything.
    EXPECT_NE(compareLines("001     \xE9t\xE9", "001     abc"), 0);
    EXPECT_EQ(compareLines("001     \xE9", "001     \xE9"), 0);
    Lines lines {"002     \xFF", "001     \xE9", "001     a"};
    sortLines(lines);
    EXPECT_EQ(lines.front(), "001     a");
}

TEST(SortLines, SortsAndKeepsEqualLinesInOrder)
{
    LocaleScope c("C");
    Lines lines {"010     b", "002     X", "002     x", "001     a", "", "002     A"};
    sortLines(lines);
    EXPECT_EQ(lines, (Lines {"", "001     a", "002     A", "002     X", "002     x", "010     b"}));
}

TEST(KeepSorted, MovesOnlyTheChangedLine)
{
    LocaleScope c("C");
    Lines lines {"001     a", "003     c", "005     e", "007     g"};
    // Appended at the end, belongs in the middle.
    lines.push_back("004     d");
    keepSorted(lines, 4);
    EXPECT_EQ(lines, (Lines {"001     a", "003     c", "004     d", "005     e", "007     g"}));
    // Replaced with text that sorts later.
    lines.set(0, "006     f");
    keepSorted(lines, 0);
    EXPECT_EQ(lines, (Lines {"003     c", "004     d", "005     e", "006     f", "007     g"}));
    // Inserted at a position given by its number, already right.
    lines.insert(0, "002     b");
    keepSorted(lines, 0);
    EXPECT_EQ(lines.front(), "002     b");
    // Equal lines: a line moving up stays after its equals.
    lines.push_back("004     D");
    keepSorted(lines, lines.size() - 1);
    EXPECT_EQ(lines[2], "004     d");
    EXPECT_EQ(lines[3], "004     D");
}

TEST(KeepSorted, SortsAListThatWasNotInOrder)
{
    LocaleScope c("C");
    // Loaded from a file in any order: the first apply sorts it whole.
    Lines lines {"009     i", "002     b", "005     e", "001     a"};
    lines.push_back("003     c");
    keepSorted(lines, 4);
    EXPECT_EQ(lines, (Lines {"001     a", "002     b", "003     c", "005     e", "009     i"}));
}

TEST(KeepSorted, AgreesWithAWholeSortOnRandomEdits)
{
    LocaleScope c("C.UTF-8");
    std::mt19937 random(11);
    Lines lines;
    for (int i = 0; i < 300; ++i)
        lines.push_back(std::to_string(random() % 500) + "     " + char('a' + random() % 26));
    sortLines(lines);
    for (int round = 0; round < 200; ++round) {
        const std::string line = std::to_string(random() % 500) + "     " + char('A' + random() % 26);
        std::size_t at;
        if (round % 2) {
            at = random() % lines.size();
            lines.set(at, line);
        } else {
            at = random() % (lines.size() + 1);
            lines.insert(at, line);
        }
        keepSorted(lines, at);
        ASSERT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](std::string_view a, std::string_view b) {
            return plainOrder(std::string(a), std::string(b)) < 0;
        }));
    }
}

// A large list is gone through in two halves at once: what each scan looks
// for is found in either half and where the halves meet, as in a small list.
TEST(WholeListScans, FindInEitherHalfAndWhereTheyMeet)
{
    LocaleScope c("C");
    constexpr std::size_t count = 200000;
    constexpr std::size_t middle = count / 2;  // the first line of the second half
    const auto ordered = [] {
        Lines lines;
        lines.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            lines.push_back(std::to_string(100000 + i) + "     Project");
        return lines;
    };
    const auto with = [&ordered](std::size_t at, const std::string& line) {
        Lines lines = ordered();
        lines.set(at, line);
        return lines;
    };
    const Lines plain = ordered();
    EXPECT_EQ(highestProjectNumber(plain), 100000 + int(count) - 1);
    EXPECT_EQ(highestProjectNumber(with(10, "9000000     Highest")), 9000000);
    EXPECT_EQ(highestProjectNumber(with(middle, "9000000     Highest")), 9000000);
    EXPECT_EQ(numberWidthOf(plain), 6u);
    EXPECT_EQ(numberWidthOf(with(middle - 1, "12345678     Wide")), 8u);
    EXPECT_EQ(numberWidthOf(with(count - 1, "12345678     Wide")), 8u);
    EXPECT_TRUE(listContainsText(with(middle - 1, "150000     Needle"), "Needle"));
    EXPECT_TRUE(listContainsText(with(middle, "150000     Needle"), "Needle"));
    EXPECT_FALSE(listContainsText(plain, "Needle"));
    // The first line of a number, wherever the others are.
    Lines twice = with(middle + 5, "100003     Again");
    EXPECT_EQ(findProjectLine(twice, "100003"), 3);
    EXPECT_EQ(findProjectLine(plain, std::to_string(100000 + middle)), int(middle));
    EXPECT_EQ(findProjectLine(plain, std::to_string(100000 + count - 1)), int(count) - 1);
    EXPECT_EQ(findProjectLine(plain, "999999"), -1);

    // The order check: a pair out of order where the halves meet, and the
    // changed line (left out of the check) on either side of it.
    const struct {
        const char* what;
        std::size_t at;
        std::string line;
        std::size_t changed;
        bool sortedAll;
    } orders[] = {
        {"out of order across the middle", middle, "100000     Early", 5, true},
        {"out of order just before the middle", middle - 1, "999999     Late", 5, true},
        {"the changed line ends the first half", middle - 1, "999999     Late", middle - 1, false},
        {"the changed line begins the second half", middle, "100000     Early", middle, false},
        {"in order", 5, "100005     Project", 7, false},
    };
    for (const auto& o : orders) {
        Lines lines = with(o.at, o.line);
        const SortedPlace place = keepSorted(lines, o.changed);
        EXPECT_EQ(place.sortedAll, o.sortedAll) << o.what;
        Lines sorted = lines;
        sortLines(sorted);
        EXPECT_EQ(lines, sorted) << o.what;
    }
}
