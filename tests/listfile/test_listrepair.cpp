// The list repair as an algorithm: the blank and layout tests, how a bad line
// is taken apart and rebuilt, that digit extraction always ends, and what the
// observer hears (bad lines last to first, keep-alive now and then, cancel).
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/listrepair.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace std::string_literals;
namespace fs = std::filesystem;

using Lines = LineList;

namespace {

// Records what the repair reports and cancels when told to.
class RecordingObserver : public RepairObserver {
public:
    bool showBad = false;
    std::chrono::milliseconds interval{100};
    std::size_t cancelAfterBadLines = 0;  // 0: never
    std::size_t cancelAfterKeepAlives = 0;
    Lines badLines;
    std::vector<std::size_t> keepAliveDone;

    bool showsBadLines() const override { return showBad; }
    void showBadLine(std::string_view line) override { badLines.push_back(line); }
    void keepAlive(std::size_t done, std::size_t) override { keepAliveDone.push_back(done); }
    std::chrono::milliseconds keepAliveInterval() const override { return interval; }
    bool cancelled() const override
    {
        return (cancelAfterBadLines && badLines.size() >= cancelAfterBadLines)
            || (cancelAfterKeepAlives && keepAliveDone.size() >= cancelAfterKeepAlives);
    }
};

RepairCounts repair(Lines& lines, RecordingObserver& observer)
{
    return repairLines(lines, observer);
}

RepairCounts repair(Lines& lines)
{
    RecordingObserver quiet;
    return repairLines(lines, quiet);
}

} // namespace

TEST(LayoutTest, LinesAsTheProgramWritesThemPass)
{
    EXPECT_TRUE(isWellFormedLine("007     Garden shed"));
    EXPECT_TRUE(isWellFormedLine("999     x"));
    EXPECT_TRUE(isWellFormedLine("000     "));
    EXPECT_TRUE(isWellFormedLine("0-5     Shed"));
    EXPECT_TRUE(isWellFormedLine("\xE9\xE9\xE9     bytes above 127"));
    // A run of six blanks later in the description is not the separator's.
    EXPECT_TRUE(isWellFormedLine("007     Garden      shed"));
    // Five blanks then a tab: the separator has five blanks and no sixth.
    EXPECT_TRUE(isWellFormedLine("007     \tGarden"));
}

TEST(LayoutTest, DriftedLinesFail)
{
    EXPECT_FALSE(isWellFormedLine("7     Garden shed"));      // first blank in column 2
    EXPECT_FALSE(isWellFormedLine("007  Garden shed"));      // no run of five blanks
    EXPECT_FALSE(isWellFormedLine("007      Garden shed"));  // six blanks from column 4
    EXPECT_FALSE(isWellFormedLine("007       Garden shed")); // seven
    EXPECT_FALSE(isWellFormedLine("  021     Leading"));     // leading blanks
    EXPECT_FALSE(isWellFormedLine("0x1F  Shed"));
    EXPECT_FALSE(isWellFormedLine("007\tGarden shed"));
    EXPECT_FALSE(isWellFormedLine("007\t\t\t\t\tGarden shed"));  // tabs are not blanks
    EXPECT_FALSE(isWellFormedLine("007 \t   Garden"));
    EXPECT_FALSE(isWellFormedLine("007"));
    EXPECT_FALSE(isWellFormedLine("007    "));
    EXPECT_FALSE(isWellFormedLine("Misc notes"));
    // Four or more characters of number never pass.
    EXPECT_FALSE(isWellFormedLine("1000     Shed"));
    EXPECT_FALSE(isWellFormedLine("-100     Shed"));
}

TEST(LayoutTest, FiveBlanksOnlyInsideTheDescription)
{
    // The first blank in column 4 and a run of five anywhere is enough.
    EXPECT_TRUE(isWellFormedLine("007 Garden     shed"));
    EXPECT_TRUE(isWellFormedLine("007  Garden     shed"));
    // Not when the first blank stands anywhere else.
    EXPECT_FALSE(isWellFormedLine("Garden     shed"));
    EXPECT_FALSE(isWellFormedLine("07 Garden     shed"));
    EXPECT_FALSE(isWellFormedLine("0007 Garden     shed"));
}

TEST(RebuildLine, DecidedExamples)
{
    EXPECT_EQ(rebuildLine("12 Garden shed"), "012     Garden shed");
    EXPECT_EQ(rebuildLine("Misc notes"), "000     Misc notes");
    EXPECT_EQ(rebuildLine("Phase2-north     Works"), "000     Phase2-north     Works");
    EXPECT_EQ(rebuildLine("  021     Leading"), "021     Leading");
    EXPECT_EQ(rebuildLine("7     Garden shed"), "007     Garden shed");
    EXPECT_EQ(rebuildLine("007  Garden shed"), "007     Garden shed");
    EXPECT_EQ(rebuildLine("007      Garden shed"), "007     Garden shed");
    EXPECT_EQ(rebuildLine("0x1F  Shed"), "031     Shed");
    EXPECT_EQ(rebuildLine("-5      Shed"), "0-5     Shed");
    EXPECT_EQ(rebuildLine("1000     Shed"), "1000     Shed");
}

TEST(RebuildLine, StrayCharactersInTheNumberFieldAreExtracted)
{
    EXPECT_EQ(rebuildLine("1a6  Shed"), "016     Shed");
    EXPECT_EQ(rebuildLine("a12  Shed"), "012     Shed");
    EXPECT_EQ(rebuildLine("0.7  Shed"), "007     Shed");
    EXPECT_EQ(rebuildLine("$1F  Shed"), "031     Shed");
    // Digits going on past column 5 belong to the number...
    EXPECT_EQ(rebuildLine("12345678 Shed"), "12345678     Shed");
    EXPECT_EQ(rebuildLine("100000   Alpha"), "100000     Alpha");
    EXPECT_EQ(rebuildLine("-10000000 Minus"), "-10000000     Minus");
    // ...but only the first five columns when more would not read as one
    // number: nothing is dropped to make it fit.
    EXPECT_EQ(rebuildLine("12345678901 Shed"), "12345     678901 Shed");
    EXPECT_EQ(rebuildLine("1a345678 Shed"), "1345     678 Shed");
    EXPECT_EQ(rebuildLine("0x1F2345 Hex"), "2040645     Hex");
    EXPECT_EQ(rebuildLine("007\tGarden shed"), "007     Garden shed");
    EXPECT_EQ(rebuildLine("007 \t Garden shed \t"), "007     Garden shed");
}

TEST(RebuildLine, NoDescriptionTextIsLost)
{
    const std::string description(120, 'd');
    EXPECT_EQ(rebuildLine("7 " + description + "e"), "007     " + description + "e");
    EXPECT_EQ(rebuildLine("42"), "042     ");
    EXPECT_EQ(rebuildLine("x"), "000     x");
    EXPECT_EQ(rebuildLine("-"), "000     -");
    EXPECT_EQ(rebuildLine("\xE9t\xE9 2020"), "000     \xE9t\xE9 2020");
}

TEST(RebuildLine, RebuiltLinesPassTheNextTimeUpToThreeCharacters)
{
    Lines lines = {"7     a", "12 b", "Misc notes", "-5 c", "0x1F d", "  021     e", "999 f"};
    EXPECT_EQ(repair(lines).rebuiltLines, 7u);
    const Lines repaired = lines;
    for (std::string_view line : repaired)
        EXPECT_TRUE(isWellFormedLine(line)) << line;
    EXPECT_EQ(repair(lines).rebuiltLines, 0u);
    EXPECT_EQ(lines, repaired);
}

TEST(ExtractDigits, EndsWhenNothingIsLeftToDrop)
{
    EXPECT_EQ(extractDigits(""), 0);
    EXPECT_EQ(extractDigits("   "), 0);
    EXPECT_EQ(extractDigits("-"), 0);
    EXPECT_EQ(extractDigits("+"), 0);
    EXPECT_EQ(extractDigits("0x"), 0);
    EXPECT_EQ(extractDigits("$"), 0);
    EXPECT_EQ(extractDigits("-x"), 0);
    EXPECT_EQ(extractDigits("abc"), 0);
}

TEST(ExtractDigits, DropsOneStoppingCharacterAtATime)
{
    EXPECT_EQ(extractDigits("1a2"), 12);
    EXPECT_EQ(extractDigits("a12"), 12);
    EXPECT_EQ(extractDigits("12 G"), 12);
    EXPECT_EQ(extractDigits("12 Ga"), 12);
    EXPECT_EQ(extractDigits("1-"), 1);
    EXPECT_EQ(extractDigits("-5"), -5);
    EXPECT_EQ(extractDigits("0x1F"), 31);
    // Digits that would overflow are dropped until the rest fits.
    EXPECT_EQ(extractDigits("99999999999"), 999999999);
}

TEST(RepairLines, BlankLinesAreDeletedAndCounted)
{
    EXPECT_TRUE(isBlankLine("\t \t\x01\x1f "));
    EXPECT_FALSE(isBlankLine("\xA0"));  // a letter of the 8-bit code page, not a control code
    Lines lines = {"", "001     Alpha", " \t ", "002     Beta", "\t", "   "};
    const RepairCounts counts = repair(lines);
    EXPECT_EQ(counts.blankLines, 4u);
    EXPECT_EQ(counts.rebuiltLines, 0u);
    EXPECT_TRUE(counts.anyFault());
    EXPECT_EQ(lines, (Lines{"001     Alpha", "002     Beta"}));
}

TEST(RepairLines, BadLinesAreRebuiltInPlace)
{
    Lines lines = {"001     Alpha", "", "2 Beta", "003     Gamma", "4     Delta", "1000     Shed", "100000   Big"};
    const RepairCounts counts = repair(lines);
    EXPECT_EQ(counts.blankLines, 1u);
    EXPECT_EQ(counts.rebuiltLines, 3u);
    EXPECT_EQ(lines, (Lines{"001     Alpha", "002     Beta", "003     Gamma", "004     Delta", "1000     Shed",
                            "100000     Big"}));

    const RepairCounts again = repair(lines);
    EXPECT_FALSE(again.anyFault());
    EXPECT_FALSE(RepairCounts{}.anyFault());
}

// Numbers of four or more digits fail the layout test, but a line that the
// rebuild leaves as it is, is neither counted, shown nor touched.
TEST(RepairLines, LinesTheRebuildWouldNotChangeAreNotFaults)
{
    Lines lines;
    for (int number = 995; number < 1100; ++number)
        lines.push_back(std::to_string(number) + "     Project " + std::to_string(number));
    lines.push_back("123456789     Nine digits");
    lines.push_back("0-5     Minus");
    const Lines before = lines;
    RecordingObserver observer;
    observer.showBad = true;
    EXPECT_FALSE(repair(lines, observer).anyFault());
    EXPECT_TRUE(observer.badLines.empty());
    EXPECT_EQ(lines, before);

    // A four-digit line that is laid out wrong is still one.
    lines = {"1000      Six blanks", "1001     Trailing \t\t", "0999     Padded"};
    observer.badLines.clear();
    EXPECT_EQ(repair(lines, observer).rebuiltLines, 3u);
    EXPECT_EQ(observer.badLines.size(), 3u);
    EXPECT_EQ(lines, (Lines{"1000     Six blanks", "1001     Trailing", "999     Padded"}));
}

TEST(RepairLines, BadLinesAreShownLastToFirstBeforeTheRebuild)
{
    Lines lines = {"001     A", "2 B", "003     C", "", "4  D", "005     E"};
    RecordingObserver observer;
    observer.showBad = true;
    repair(lines, observer);
    EXPECT_EQ(observer.badLines, (Lines{"4  D", "2 B"}));

    RecordingObserver silent;
    Lines more = {"2 B"};
    repair(more, silent);
    EXPECT_TRUE(silent.badLines.empty());
}

TEST(RepairLines, KeepAliveComesInBlocksNotForEveryLine)
{
    Lines lines(5000, "001     Alpha");
    RecordingObserver observer;
    observer.interval = std::chrono::milliseconds(0);
    repair(lines, observer);
    EXPECT_EQ(observer.keepAliveDone, (std::vector<std::size_t>{1024, 2048, 3072, 4096}));

    RecordingObserver patient;
    patient.interval = std::chrono::hours(1);
    repair(lines, patient);
    EXPECT_TRUE(patient.keepAliveDone.empty());
}

TEST(RepairLines, CancelStopsThePass)
{
    Lines lines(3000, "1 Alpha");
    RecordingObserver observer;
    observer.showBad = true;
    observer.cancelAfterBadLines = 2;
    const RepairCounts counts = repair(lines, observer);
    EXPECT_TRUE(counts.cancelled);
    EXPECT_EQ(observer.badLines.size(), 2u);

    RecordingObserver viaKeepAlive;
    viaKeepAlive.interval = std::chrono::milliseconds(0);
    viaKeepAlive.cancelAfterKeepAlives = 1;
    Lines more(3000, "1 Alpha");
    EXPECT_TRUE(repair(more, viaKeepAlive).cancelled);
    EXPECT_EQ(viaKeepAlive.keepAliveDone.size(), 1u);
}

class RepairListFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = makeTemporaryFolder("quindle-repair-");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string pathOf(const std::string& name) const { return (folder / name).string(); }

    fs::path folder;
};

TEST_F(RepairListFile, ReloadsTheFileAndReplacesTheList)
{
    const std::string path = pathOf("Projects.txt");
    saveListFile(path, {"001     Alpha", "", "", "", "2 Beta"});
    Lines lines = {"something else"};
    RecordingObserver observer;
    const RepairCounts counts = repairListFile(path, lines, observer);
    EXPECT_EQ(counts.blankLines, 3u);
    EXPECT_EQ(counts.rebuiltLines, 1u);
    EXPECT_FALSE(counts.cancelled);
    EXPECT_EQ(lines, (Lines{"001     Alpha", "002     Beta"}));
}

TEST_F(RepairListFile, AFailedReloadKeepsThePreviousList)
{
    Lines lines = {"001     Alpha", "2 Beta"};
    RecordingObserver observer;
    EXPECT_THROW(repairListFile(pathOf("missing.txt"), lines, observer), ListFileError);
    EXPECT_EQ(lines, (Lines{"001     Alpha", "2 Beta"}));
    EXPECT_THROW(repairListFile(folder.string(), lines, observer), ListFileError);
    EXPECT_EQ(lines.size(), 2u);
}

TEST_F(RepairListFile, ACancelledRepairKeepsThePreviousList)
{
    const std::string path = pathOf("Projects.txt");
    saveListFile(path, {"1 Alpha", "2 Beta"});
    Lines lines = {"001     Old"};
    RecordingObserver observer;
    observer.showBad = true;
    observer.cancelAfterBadLines = 1;
    EXPECT_TRUE(repairListFile(path, lines, observer).cancelled);
    EXPECT_EQ(lines, Lines{"001     Old"});
}
