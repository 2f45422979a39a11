// Reading and writing list files: line ends, NUL bytes, round trips, and
// that a failed load or save leaves both the list and the old file alone.
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>


using namespace std::string_literals;
using namespace std::string_view_literals;
namespace fs = std::filesystem;

using Lines = LineList;

TEST(SplitListText, EveryKindOfLineEndEndsALine)
{
    EXPECT_EQ(splitListText(""), Lines{});
    EXPECT_EQ(splitListText("a"), Lines{"a"});
    EXPECT_EQ(splitListText("a\r\nb"), (Lines{"a", "b"}));
    EXPECT_EQ(splitListText("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitListText("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitListText("a\rb\r"), (Lines{"a", "b"}));
    EXPECT_EQ(splitListText("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
}

TEST(SplitListText, EmptyLinesBetweenLineEnds)
{
    EXPECT_EQ(splitListText("a\r\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitListText("\r\n"), Lines{""});
    EXPECT_EQ(splitListText("\n\r"), (Lines{"", ""}));  // LF then CR is two line ends
    EXPECT_EQ(splitListText("a\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitListText("a\r\n\r\n\r\nb"), (Lines{"a", "", "", "b"}));
    EXPECT_EQ(splitListText(" \t \r\n"), Lines{" \t "});
}

// A NUL is a byte like any other: cutting the text there would lose the rest
// of the file at the next save.
TEST(SplitListText, NulIsAnOrdinaryByte)
{
    EXPECT_EQ(splitListText("001     Alpha\r\n002  \0  Beta\r\n003     Gamma"s),
              (Lines{"001     Alpha", "002  \0  Beta"sv, "003     Gamma"}));
    EXPECT_EQ(splitListText("\0abc"s), Lines{"\0abc"sv});
    EXPECT_EQ(splitListText("a\r\n\0"s), (Lines{"a", "\0"sv}));
    EXPECT_EQ(splitListText("a\r\0\nb"s), (Lines{"a", "\0"sv, "b"}));
}

namespace {

// The lines of a text by the rule spelled out one byte at a time.
Lines byteByByte(std::string_view text)
{
    Lines lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

// Line ends on both sides of the 64-byte steps the text is cut in, against
// the rule spelled out one byte at a time.
TEST(SplitListText, LongTextsSplitAsByteByByte)
{
    std::mt19937 random(7);
    const std::string alphabet = "ab\r\n\0"s;
    for (int round = 0; round < 2000; ++round) {
        std::string text(random() % 300, 'a');
        for (char& c : text)
            c = alphabet[random() % (random() % 2 ? 2 : alphabet.size())];
        ASSERT_EQ(splitListText(text), byteByByte(text)) << ::testing::PrintToString(text);
    }
}

// A text of several MiB is cut into lines in two halves, at the first line
// end after its middle: whatever lies there (a CR LF torn in two, a CR alone,
// empty lines, a line too long for the short form, the end of the text) the
// halves together are the lines of the whole.
TEST(SplitListText, HalvesOfALargeTextJoinUp)
{
    const std::string filler = "001     Alpha\r\n0002     Beta\n003 Gamma\r";
    const auto fillerOf = [&filler](std::size_t size) {
        std::string text;
        while (text.size() < size)
            text += filler;
        text.resize(size);
        return text;
    };
    const std::string longLine(300, 'x');
    const std::string middles[] = {"\r\n", "\r", "\n", "\r\r\n", "\n\r", "\r\n\r\n", "a\r\nb", longLine + "\r\n" + longLine};
    const std::size_t firstPart = std::size_t(9) << 19;
    for (const std::string& middle : middles) {
        // The text's middle falls on each byte of middle and just after it.
        for (std::size_t at = 0; at <= middle.size(); at += middle.size() > 8 ? 150 : 1) {
            const std::string text = fillerOf(firstPart) + middle + fillerOf(firstPart + 2 * at - middle.size());
            ASSERT_EQ(text.size() / 2, firstPart + at);
            ASSERT_EQ(splitListText(text), byteByByte(text)) << ::testing::PrintToString(middle) << " at " << at;
        }
    }
    // No line end after the middle at all: the text is one half.
    const std::string noEnd = fillerOf(firstPart) + std::string(firstPart + 10, 'y');
    EXPECT_EQ(splitListText(noEnd), byteByByte(noEnd));
}

TEST(JoinListText, EveryLineEndsInCrLf)
{
    EXPECT_EQ(joinListText({}), "");
    EXPECT_EQ(joinListText({"a"}), "a\r\n");
    EXPECT_EQ(joinListText({"", ""}), "\r\n\r\n");
    EXPECT_EQ(joinListText({"001     Alpha", "002     Beta"}), "001     Alpha\r\n002     Beta\r\n");
}

TEST(JoinListText, SplitGivesBackWhatWasJoined)
{
    std::mt19937 random(7);
    const std::string characters = "0123456789 abcXYZ\t\x01\x7f\xA0\xFF-$";
    for (int round = 0; round < 500; ++round) {
        Lines lines;
        for (std::size_t count = random() % 8; count > 0; --count) {
            std::string line(random() % 12, ' ');
            for (char& c : line)
                c = characters[random() % characters.size()];
            lines.push_back(line);
        }
        ASSERT_EQ(splitListText(joinListText(lines)), lines);
    }
}

namespace {

unsigned permissionsOf(const fs::path& path)
{
    return static_cast<unsigned>(fs::status(path).permissions() & fs::perms::mask);
}

void setPermissions(const fs::path& path, unsigned bits)
{
    fs::permissions(path, static_cast<fs::perms>(bits));
}

} // namespace

TEST_F(ListFileIo, LastLineWithoutLineEndLoadsAndIsSavedWithOne)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "001     Alpha\r\n002     Beta");
    Lines lines;
    loadListFile(path, lines);
    EXPECT_EQ(lines, (Lines{"001     Alpha", "002     Beta"}));
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), "001     Alpha\r\n002     Beta\r\n");
}

TEST_F(ListFileIo, SavingTurnsEveryLineEndIntoCrLf)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "001     Alpha\n002     Beta\n\n003     Gamma\r004     Delta\r\n");
    Lines lines;
    loadListFile(path, lines);
    EXPECT_EQ(lines, (Lines{"001     Alpha", "002     Beta", "", "003     Gamma", "004     Delta"}));
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), "001     Alpha\r\n002     Beta\r\n\r\n003     Gamma\r\n004     Delta\r\n");
}

TEST_F(ListFileIo, NulBytesLoadAndSaveUnchanged)
{
    const std::string path = pathOf("Projects.txt");
    const std::string bytes = "001     Alpha\r\n002     Be\0ta\r\n003     Gamma\r\n"s;
    writeBytes(path, bytes);
    Lines lines;
    loadListFile(path, lines);
    EXPECT_EQ(lines, (Lines{"001     Alpha", "002     Be\0ta"sv, "003     Gamma"}));
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(ListFileIo, EmptyFileAndEmptyList)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "");
    Lines lines = {"old"};
    loadListFile(path, lines);
    EXPECT_TRUE(lines.empty());

    writeBytes(path, "001     Alpha\r\n");
    saveListFile(path, {});
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(ListFileIo, BytesAreKeptAsTheyAre)
{
    const std::string path = pathOf("Projects.txt");
    const std::string bytes = "\xEF\xBB\xBF" "001     Caf\xE9\r\n002     \t\x01\xFF  \r\n";
    writeBytes(path, bytes);
    Lines lines;
    loadListFile(path, lines);
    EXPECT_EQ(lines, (Lines{"001     Caf\xE9", "002     \t\x01\xFF  "}));
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), bytes);
}

// Large enough to be read in two halves at once.
TEST_F(ListFileIo, LargeListRoundTrips)
{
    Lines lines;
    for (int i = 0; i < 300000; ++i)
        lines.push_back(std::to_string(i) + "     " + std::string(static_cast<std::size_t>(i % 97), 'a' + i % 26));
    lines.push_back(std::string(3 << 20, 'L'));  // one line longer than any write buffer
    lines.push_back("last");
    const std::string path = pathOf("Big.txt");
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), joinListText(lines));
    Lines loaded;
    loadListFile(path, loaded);
    EXPECT_EQ(loaded, lines);
}

TEST_F(ListFileIo, LoadFailureLeavesTheListAlone)
{
    const Lines before = {"001     Alpha", "002     Beta"};
    const std::string missing = pathOf("Missing.txt");
    const std::string folderPath = folder.string();
    for (const std::string& path : {missing, folderPath, std::string()}) {
        Lines lines = before;
        EXPECT_EQ(expectListFileError("Cannot open file " + path, [&] { loadListFile(path, lines); }),
                  childThrewExpected)
            << path;
        EXPECT_EQ(lines, before);
    }
}

// A named pipe is neither read (which would wait for a writer for ever) nor
// replaced by a save.
TEST_F(ListFileIo, NamedPipeIsNeitherLoadedNorReplaced)
{
    const std::string path = pathOf("Pipe.txt");
    if (!makeNamedPipe(path))
        GTEST_SKIP() << "no named pipes here";
    Lines lines = {"kept"};
    EXPECT_EQ(expectListFileError("Cannot open file " + path, [&] { loadListFile(path, lines); }),
              childThrewExpected);
    EXPECT_EQ(lines, Lines{"kept"});
    EXPECT_EQ(expectListFileError("Cannot create file " + path, [&] { saveListFile(path, lines); }),
              childThrewExpected);
    EXPECT_TRUE(fs::is_fifo(path));
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Pipe.txt"});
}

TEST_F(ListFileIo, UnreadableFileIsNotLoaded)
{
    const std::string path = pathOf("Locked.txt");
    writeBytes(path, "001     Alpha\r\n");
    fs::permissions(path, fs::perms::owner_write);
    int result = inUnprivilegedChild([&] {
        Lines lines = {"kept"};
        int thrown = expectListFileError("Cannot open file " + path, [&] { loadListFile(path, lines); });
        return thrown == childThrewExpected && lines != Lines{"kept"} ? 3 : thrown;
    });
    if (result == childCannotDropRoot)
        GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(result, childThrewExpected);
}

TEST_F(ListFileIo, SaveLeavesNoTemporaryFileBehind)
{
    const std::string path = pathOf("Projects.txt");
    saveListFile(path, {"001     Alpha"});
    saveListFile(path, {"001     Alpha", "002     Beta"});
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
    EXPECT_EQ(readBytes(path), "001     Alpha\r\n002     Beta\r\n");
}

TEST_F(ListFileIo, SaveKeepsPermissionBitsOfTheOldFile)
{
    const std::string path = pathOf("Projects.txt");
    if (!hasUnixPermissions())
        GTEST_SKIP() << "no Unix permission bits here";
    writeBytes(path, "old\r\n");
    setPermissions(path, 0640);
    saveListFile(path, {"new"});
    EXPECT_EQ(permissionsOf(path), 0640u);

    const std::string fresh = pathOf("Fresh.txt");
    saveListFile(fresh, {"new"});
    EXPECT_EQ(permissionsOf(fresh), 0666u & ~currentUmask());
}

TEST_F(ListFileIo, SaveThroughSymbolicLinkReplacesItsTarget)
{
    const std::string target = pathOf("Real.txt");
    const std::string link = pathOf("Link.txt");
    writeBytes(target, "old\r\n");
    if (!makeSymbolicLink("Real.txt", link))
        GTEST_SKIP() << "cannot make a symbolic link here";
    saveListFile(link, {"new"});
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), "new\r\n");
    EXPECT_EQ(entriesOf(folder), (std::vector<std::string>{"Link.txt", "Real.txt"}));
}

TEST_F(ListFileIo, SaveOntoAFolderFailsAndLeavesItAlone)
{
    const fs::path target = folder / "Projects.txt";
    fs::create_directory(target);
    writeBytes(target / "inside.txt", "keep");
    EXPECT_EQ(expectListFileError("Cannot create file " + target.string(),
                                  [&] { saveListFile(target.string(), {"001     Alpha"}); }),
              childThrewExpected);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(readBytes(target / "inside.txt"), "keep");
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
}

TEST_F(ListFileIo, SaveIntoMissingFolderFails)
{
    const std::string path = pathOf("NoSuchFolder/Projects.txt");
    EXPECT_EQ(expectListFileError("Cannot create file " + path, [&] { saveListFile(path, {"x"}); }),
              childThrewExpected);
    EXPECT_FALSE(fs::exists(folder / "NoSuchFolder"));
}

// Failures that only an ordinary user meets: each must leave the old file
// byte for byte and nothing else in its folder.
class ListFileSaveFailure : public ListFileIo {
protected:
    const std::string oldBytes = "001     Alpha\r\n002     Beta";  // no final line end, so a rewrite would show

    void expectSaveFailsUnprivileged(const fs::path& listFolder, const std::string& path)
    {
        const std::vector<std::string> entriesBefore = entriesOf(listFolder);
        int result = inUnprivilegedChild([&] {
            return expectListFileError("Cannot create file " + path,
                                       [&] { saveListFile(path, {"003     Gamma", "004     Delta"}); });
        });
        if (result == childCannotDropRoot)
            GTEST_SKIP() << "cannot run as an ordinary user";
        EXPECT_EQ(result, childThrewExpected);
        EXPECT_EQ(readBytes(path), oldBytes);
        EXPECT_EQ(entriesOf(listFolder), entriesBefore);
    }
};

TEST_F(ListFileSaveFailure, ReadOnlyFolder)
{
    const fs::path listFolder = folder / "ReadOnly";
    fs::create_directory(listFolder);
    const std::string path = (listFolder / "Projects.txt").string();
    writeBytes(path, oldBytes);
    setPermissions(path, 0666);  // the file itself could be written
    setPermissions(listFolder, 0555);
    expectSaveFailsUnprivileged(listFolder, path);
}

TEST_F(ListFileSaveFailure, ReadOnlyFileInWritableFolder)
{
    const fs::path listFolder = folder / "Open";
    fs::create_directory(listFolder);
    setPermissions(listFolder, 0777);
    const std::string path = (listFolder / "Projects.txt").string();
    writeBytes(path, oldBytes);
    setPermissions(path, 0444);
    expectSaveFailsUnprivileged(listFolder, path);
}

// A write that fails half way (here the file-size limit; a full disk acts
// alike) must not reach the list file.
TEST_F(ListFileSaveFailure, WriteFailingHalfWay)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, oldBytes);
    Lines big(100000, std::string(60, 'x'));
    int result = inChild([&] {
        if (!limitFileSize(64 * 1024))
            return 98;
        return expectListFileError("Cannot create file " + path, [&] { saveListFile(path, big); });
    }, false);
    if (result == childCannotStart)
        GTEST_SKIP() << "no child processes or file-size limits here";
    EXPECT_EQ(result, childThrewExpected);
    EXPECT_EQ(readBytes(path), oldBytes);
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
}

// Around the first MiB (where the reader once switched pieces) a line end, a
// CR LF pair or a NUL reads as anywhere else.
TEST_F(ListFileIo, LineEndsAroundTheFirstMebibyteReadAsAnywhere)
{
    constexpr std::size_t piece = 1 << 20;
    const std::string path = pathOf("Border.txt");
    for (std::size_t shift : {0u, 1u, 2u}) {
        for (const std::string& tail : {"\r\nB\r\n"s, "\rB\r\n"s, "\n\nB"s, "\r\r\nB"s, "\0B\r\n"s}) {
            std::string bytes(piece - shift, 'a');
            bytes[100] = '\r';
            bytes += tail;
            writeBytes(path, bytes);
            Lines loaded;
            loadListFile(path, loaded);
            EXPECT_EQ(loaded, splitListText(bytes)) << "shift " << shift << " tail " << tail.size();
        }
    }
}

// A list in UTF-16 or UTF-32 read as bytes would be garbled line by line, and
// a save or repair would destroy it: it is neither loaded nor replaced, and
// a list that looks like 8-bit text with such bytes later on is no such file.
TEST(WideTextEncoding, ByteOrderMarksAtTheStartOnly)
{
    EXPECT_EQ(wideTextEncoding("\xFF\xFE" "0\0" "0\0"sv), "UTF-16");
    EXPECT_EQ(wideTextEncoding("\xFE\xFF\0" "0"sv), "UTF-16");
    EXPECT_EQ(wideTextEncoding("\xFF\xFE\0\0" "0\0\0\0"sv), "UTF-32");
    EXPECT_EQ(wideTextEncoding("\0\0\xFE\xFF"sv), "UTF-32");
    EXPECT_EQ(wideTextEncoding("\xFF\xFE"sv), "UTF-16");
    for (std::string_view notWide : {""sv, "\xFF"sv, "\xEF\xBB\xBF" "001"sv, "001     \xFF\xFE"sv, "\0\0\xFF\xFE"sv,
                                     "\xFE"sv, "\0\0\xFE"sv})
        EXPECT_EQ(wideTextEncoding(notWide), "") << notWide.size();
}

TEST_F(ListFileIo, WideTextIsNeitherLoadedNorReplaced)
{
    const std::string path = pathOf("Projects.txt");
    const std::string utf16 = "\xFF\xFE" "0\0" "0\0" "1\0" " \0" "A\0" "\r\0\n\0"s;
    const std::string utf32 = "\0\0\xFE\xFF" "\0\0\0" "0"s;
    for (const auto& [bytes, encoding] : {std::pair{utf16, "UTF-16"s}, std::pair{utf32, "UTF-32"s}}) {
        writeBytes(path, bytes);
        const std::string message =
            "The file " + path + " is " + encoding + " text, not a list this program can edit. It is left as it is.";
        Lines lines = {"001     Kept"};
        EXPECT_THROW(loadListFile(path, lines), UneditableListFile);
        EXPECT_EQ(expectListFileError(message, [&] { loadListFile(path, lines); }), childThrewExpected);
        EXPECT_EQ(lines, Lines{"001     Kept"});
        // Whatever is in memory, a save does not replace it.
        EXPECT_THROW(saveListFile(path, lines), UneditableListFile);
        EXPECT_EQ(expectListFileError(message, [&] { saveListFile(path, lines); }), childThrewExpected);
        EXPECT_EQ(readBytes(path), bytes);
        EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
    }
    // Through a symbolic link the target is what counts.
    const std::string link = pathOf("Link.txt");
    if (makeSymbolicLink(path, link)) {
        EXPECT_THROW(saveListFile(link, {"001     New"}), UneditableListFile);
        EXPECT_EQ(readBytes(path), utf32);
    }
    // Once the file is 8-bit text again, it saves as any other.
    writeBytes(path, "001     Plain\r\n");
    saveListFile(path, {"001     New"});
    EXPECT_EQ(readBytes(path), "001     New\r\n");
}

// A list with NULs, 8-bit bytes and a UTF-8 byte-order mark saves back byte
// for byte, whichever line changed.
TEST_F(ListFileIo, LinesNotChangedSaveAsTheirOwnBytes)
{
    const std::string path = pathOf("Projects.txt");
    const std::string bytes = "\xEF\xBB\xBF" "001     Alpha\r\n002     Be\0ta\r\n003     Caf\xE9 \x81\x8D\x8F\x90\x9D\r\n"
                              "004     Gamma\0\r\n"s;
    writeBytes(path, bytes);
    Lines lines;
    loadListFile(path, lines);
    ASSERT_EQ(lines.size(), 4u);
    lines.set(3, "004     Delta");
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF" "001     Alpha\r\n002     Be\0ta\r\n003     Caf\xE9 \x81\x8D\x8F\x90\x9D\r\n"
                               "004     Delta\r\n"s);
}

// The read-back after a save compares lines read from one file in long runs,
// a large list in two halves at once: a difference anywhere, in a run or
// between two, in either half or where they meet, is found.
TEST_F(ListFileIo, ReadBackFindsEveryDifference)
{
    const std::string path = pathOf("Projects.txt");
    for (const int count : {3000, 200000}) {
        std::string text;
        for (int i = 1; i <= count; ++i)
            text += std::to_string(100000 + i) + "     Project " + std::to_string(i) + "\r\n";
        writeBytes(path, text);
        Lines read;
        loadListFile(path, read);
        // The first line of the second half.
        const std::string middle = std::to_string(100000 + count / 2 + 1) + "     Project " + std::to_string(count / 2 + 1);
        Lines edited = read;
        edited.set(std::size_t(count / 2), "Edited");
        std::string editedText = text;
        editedText.replace(editedText.find(middle), middle.size(), "Edited");
        const std::size_t middleAt = text.find(middle);

        const struct {
            const char* what;
            const Lines& lines;
            std::string onDisk;
            bool holds;
        } cases[] = {
            {"as read", read, text, true},
            {"one byte changed in the first half", read, std::string(text).replace(text.size() / 4, 1, "#"), false},
            {"one byte changed in the second half", read, std::string(text).replace(text.size() * 3 / 4, 1, "#"), false},
            {"the first byte of the second half changed", read, std::string(text).replace(middleAt, 1, "#"), false},
            {"a line end changed", read, std::string(text).replace(text.find("\r\n"), 2, "\n"), false},
            {"a line end and a byte changed", read, std::string(text).replace(text.find("\r\n"), 2, "\nX"), false},
            {"the line end before the second half changed", read, std::string(text).replace(middleAt - 2, 2, "\n\n"), false},
            {"a line more", read, text + "9999     More\r\n", false},
            {"the last line end missing", read, text.substr(0, text.size() - 2), false},
            {"a line less", read, text.substr(0, text.rfind(std::to_string(100000 + count))), false},
            {"an edited line against the old file", edited, text, false},
            {"an edited line against the file with it", edited, editedText, true},
        };
        for (const auto& c : cases) {
            writeBytes(path, c.onDisk);
            EXPECT_EQ(listFileHolds(path, c.lines), c.holds) << c.what << ", " << count << " lines";
        }
    }
}

// A list read again against the one read before gives exactly what a load
// gives, whatever the two have in common: texts of several MiB with dense
// line ends of every kind (so pieces of the read end at CR, LF, between CR
// and LF), a byte-order mark, a line longer than a piece, wide text.
TEST_F(ListFileIo, RereadGivesWhatALoadGives)
{
    const std::string path = pathOf("Projects.txt");
    std::mt19937 random(11);
    const auto randomText = [&](std::size_t size) {
        const std::string alphabet = "ab\r\n\0"s;
        std::string text(size, 'a');
        for (char& c : text)
            c = alphabet[random() % (random() % 4 ? 2 : alphabet.size())];
        return text;
    };
    const auto editedLines = [&](const Lines& lines) {
        Lines edited = lines;
        for (int edit = 0; edit < 200 && !edited.empty(); ++edit) {
            const std::size_t at = random() % edited.size();
            switch (random() % 4) {
            case 0: edited.set(at, "edited " + std::to_string(edit)); break;
            case 1: edited.insert(at, "added " + std::to_string(edit)); break;
            case 2: edited.erase(at); break;
            default:
                for (int n = 0; n < 20 && at < edited.size(); ++n)
                    edited.erase(at);
            }
        }
        return edited;
    };
    const std::string big = randomText(3 << 20);
    // Shifted by 0 to 2 bytes, one of these puts a CR last in the first piece.
    std::string crLfLines;
    for (int i = 0; i < 1 << 20; ++i)
        crLfLines += "a\r\n";
    const struct {
        const char* what;
        std::string onDisk;
        std::function<Lines(const Lines&)> earlierOf;
    } cases[] = {
        {"the same lines", big, [](const Lines& lines) { return lines; }},
        {"a few lines differ", big, editedLines},
        {"the earlier list empty", big, [](const Lines&) { return Lines(); }},
        {"nothing in common", big, [&](const Lines&) { return splitListText(randomText(1 << 20)); }},
        {"byte-order mark", "\xEF\xBB\xBF" + big.substr(0, 5000), [](const Lines& lines) { return lines; }},
        {"line longer than a piece", "x\r\n" + std::string(3 << 20, 'y') + "\r\nz", editedLines},
        {"a file of CRs", std::string(2 << 20, '\r'), editedLines},
        {"CR LF lines", crLfLines, editedLines},
        {"CR LF lines shifted by one", "x" + crLfLines, editedLines},
        {"CR LF lines shifted by two", "xx" + crLfLines, editedLines},
        {"an empty file", "", [](const Lines&) { return Lines{"001     Gone"}; }},
    };
    for (const auto& c : cases) {
        writeBytes(path, c.onDisk);
        Lines loaded;
        loadListFile(path, loaded);
        const Lines earlier = c.earlierOf(loaded);
        Lines reread = {"001     Replaced"};
        const bool same = rereadListFile(path, reread, earlier);
        EXPECT_EQ(reread == loaded, true) << c.what;
        EXPECT_EQ(same, earlier == loaded) << c.what;
    }
    // What a load refuses, a read again refuses too, leaving the lines alone.
    Lines kept = {"001     Kept"};
    writeBytes(path, "\xFF\xFE" "0\0" "0\0" "1\0"s);
    EXPECT_THROW(rereadListFile(path, kept, kept), UneditableListFile);
    fs::remove(path);
    EXPECT_THROW(rereadListFile(path, kept, kept), ListFileError);
    EXPECT_EQ(kept, Lines{"001     Kept"});
}

// Lines nobody changed keep the bytes of the list read before; a file with
// little in common does not keep that list's bytes alive.
TEST_F(ListFileIo, RereadKeepsTheBytesOfLinesNotChanged)
{
    const std::string path = pathOf("Projects.txt");
    std::string text;
    for (int i = 1; i <= 100000; ++i)
        text += std::to_string(1000 + i) + "     Project " + std::to_string(i) + "\r\n";
    writeBytes(path, text);
    Lines earlier;
    loadListFile(path, earlier);
    Lines edited = earlier;
    edited.set(500, "1501     Edited");
    edited.erase(70000);
    saveListFile(path, edited);

    Lines reread;
    EXPECT_FALSE(rereadListFile(path, reread, earlier));
    ASSERT_EQ(reread, edited);
    std::size_t shared = 0;
    for (std::size_t i = 0; i < reread.size(); ++i)
        shared += reread[i].data() == edited[i].data();
    EXPECT_EQ(shared, reread.size() - 1);

    writeBytes(path, "1001     Other\r\n");
    EXPECT_FALSE(rereadListFile(path, reread, earlier));
    EXPECT_EQ(reread, Lines{"1001     Other"});
    EXPECT_LT(reread.bytesHeld(), 1u << 16);
}

// Lines of a file read are written in runs straight from where they lie:
// whatever was edited between them, the file holds the list, in order.
TEST_F(ListFileIo, RunsOfLinesReadSaveInOrder)
{
    const std::string path = pathOf("Projects.txt");
    std::string text;
    for (int i = 1; i <= 30000; ++i)
        text += std::to_string(10000 + i) + "     Project " + std::to_string(i) + (i % 5000 ? "\r\n" : "\n");
    std::mt19937 random(5);
    for (int round = 0; round < 12; ++round) {
        writeBytes(path, text);
        Lines lines;
        loadListFile(path, lines);
        for (int edit = 0; edit < round * 3; ++edit) {
            const std::size_t at = random() % lines.size();
            switch (edit % 4) {
            case 0: lines.set(at, "edited " + std::to_string(edit)); break;
            case 1: lines.insert(at, ""); break;
            case 2: lines.erase(at); break;
            default: lines.moveLine(at, random() % lines.size());
            }
        }
        saveListFile(path, lines);
        ASSERT_EQ(readBytes(path), joinListText(lines)) << "round " << round;
    }
}
