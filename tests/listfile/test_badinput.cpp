// Bad list files read straight through the list store: junk bytes, a NUL
// late in a big file, CRs only, a 10 MB line, invalid UTF-8, two million
// lines, and things that are no plain file (socket, device, a file of /proc).
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>


using Lines = LineList;
using namespace std::string_literals;
using namespace std::string_view_literals;

namespace {

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

// The text a list holds once its line ends are gone.
std::string withoutLineEnds(const std::string& bytes)
{
    std::string text;
    for (char c : bytes) {
        if (c == '\0')
            break;
        if (c != '\r' && c != '\n')
            text += c;
    }
    return text;
}

} // namespace

TEST_F(ListFileIo, JunkLoadsAsItsLinesAndSavesBack)
{
    std::string junk = randomBytes(3 << 20, 21);  // three read pieces
    for (char& c : junk)
        if (c == '\0')
            c = '\x01';
    const std::string path = pathOf("Junk.txt");
    writeBytes(path, junk);
    Lines lines;
    loadListFile(path, lines);
    EXPECT_EQ(lines, splitListText(junk));
    std::string joined;
    for (std::string_view line : lines)
        joined += line;
    EXPECT_EQ(joined, withoutLineEnds(junk));

    saveListFile(path, lines);
    Lines again;
    loadListFile(path, again);
    EXPECT_EQ(again, lines);
}

TEST_F(ListFileIo, NulLateInABigFileKeepsWhatFollows)
{
    std::string bytes;
    while (bytes.size() < (5u << 19))
        bytes += "001     Project line\r\n";
    const std::size_t lineCount = bytes.size() / 22;
    bytes += "002     cut\0 here\r\n003     never read\r\n"s;
    const std::string path = pathOf("LateNul.txt");
    writeBytes(path, bytes);
    Lines lines;
    loadListFile(path, lines);
    ASSERT_EQ(lines.size(), lineCount + 2);
    EXPECT_EQ(lines[lineCount], "002     cut\0 here"sv);
    EXPECT_EQ(lines.back(), "003     never read");
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(ListFileIo, CarriageReturnsOnly)
{
    const std::string path = pathOf("Returns.txt");
    writeBytes(path, std::string(100000, '\r'));
    Lines lines;
    loadListFile(path, lines);
    EXPECT_EQ(lines, Lines(100000, ""));
    saveListFile(path, lines);
    std::string expected;
    for (int i = 0; i < 100000; ++i)
        expected += "\r\n";
    EXPECT_EQ(readBytes(path), expected);
    // A LF before a CR does not pair with it.
    writeBytes(path, "\n\r\n\r");
    loadListFile(path, lines);
    EXPECT_EQ(lines, Lines(3, ""));
}

TEST_F(ListFileIo, TenMegabyteLine)
{
    const std::string huge = "042     " + std::string(10 << 20, 'y');
    const std::string path = pathOf("Huge.txt");
    for (const std::string& bytes : {huge, huge + "\r\n", "001     A\r" + huge + "\n002     B"}) {
        writeBytes(path, bytes);
        Lines lines;
        loadListFile(path, lines);
        EXPECT_EQ(lines, splitListText(bytes));
        saveListFile(path, lines);
        EXPECT_EQ(readBytes(path), joinListText(lines));
    }
}

TEST_F(ListFileIo, InvalidUtf8IsKeptByteForByte)
{
    const std::string bytes = "001     \xC0\xAF overlong\r\n002     \xED\xA0\x80 surrogate\r\n"
                              "003     \xF4\x90\x80\x80 above\r\n004     \x80\xBF stray\r\n\xFF\xFE\xFD\r\n"
                              "005     cut \xE2\x82\r\n";
    const std::string path = pathOf("Bytes.txt");
    writeBytes(path, bytes);
    Lines lines;
    loadListFile(path, lines);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[4], "\xFF\xFE\xFD");
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(ListFileIo, TwoMillionLines)
{
    std::string bytes;
    bytes.reserve(2000000 * 30);
    char line[64];
    for (int i = 1; i <= 2000000; ++i)
        bytes.append(line, static_cast<std::size_t>(std::snprintf(line, sizeof line, "%03d     Project %d\r\n", i, i)));
    const std::string path = pathOf("Big.txt");
    writeBytes(path, bytes);
    Lines lines;
    loadListFile(path, lines);
    ASSERT_EQ(lines.size(), 2000000u);
    EXPECT_EQ(lines.front(), "001     Project 1");
    EXPECT_EQ(lines.back(), "2000000     Project 2000000");
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), bytes);
}

// A socket and a device are neither read nor replaced; a file of /proc,
// whose size reads as 0, is read to its end all the same.
TEST_F(ListFileIo, ThingsThatAreNoPlainFile)
{
    const std::string socketPath = pathOf("Socket.txt");
    const SocketFile socket(socketPath);
    std::vector<std::string> noPlainFiles = deviceFiles();
    if (socket.made())
        noPlainFiles.push_back(socketPath);
    for (const std::string& path : noPlainFiles) {
        Lines lines = {"kept"};
        EXPECT_EQ(expectListFileError("Cannot open file " + path, [&] { loadListFile(path, lines); }),
                  childThrewExpected)
            << path;
        EXPECT_EQ(lines, Lines{"kept"});
    }
    if (socket.made()) {
        EXPECT_EQ(expectListFileError("Cannot create file " + socketPath, [&] { saveListFile(socketPath, {"x"}); }),
                  childThrewExpected);
        EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Socket.txt"});
    }

    if (textFileSizedZero().empty())
        return;
    Lines status;
    loadListFile(textFileSizedZero(), status);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.front().substr(0, 5), "Name:");
}

// Odd files met as the list: wide text with or without its mark is refused
// and never replaced; a UTF-8 mark is read past and written back where it
// was; a file past the size of any list is refused before it is read; 8-bit
// lines with a few NULs are no wide text.
struct OddFile {
    const char* name;
    std::string bytes;
    // Made sparse to this size after writing bytes; 0 keeps it as written.
    std::uint64_t sparseSize;
    enum Outcome { Loads, WideText, TooBig } outcome;
    // Loads: the lines read; else the encoding or the size in the message.
    std::vector<std::string> lines;
    std::string told;
    // Loads: the bytes the lines are saved as over the file; none: the file's own.
    std::optional<std::string> saved = std::nullopt;
};

std::ostream& operator<<(std::ostream& out, const OddFile& odd) { return out << odd.name; }

class OddFiles : public ListFileIo, public ::testing::WithParamInterface<OddFile> {};

// Two projects in UTF-16 without a mark, their descriptions of CJK
// characters (U+6E2F, U+53E3, U+4E0A, U+4E0D: one holds the byte 0D, one 0A).
std::string cjkUtf16(bool bigEndian)
{
    std::string bytes;
    const auto unit = [&](char16_t c) {
        const char low = char(c & 0xFF);
        const char high = char(c >> 8);
        bytes += bigEndian ? std::string {high, low} : std::string {low, high};
    };
    for (const char* number : {"001", "002"}) {
        for (const char* c = number; *c; ++c)
            unit(char16_t(*c));
        for (int blank = 0; blank < 5; ++blank)
            unit(u' ');
        for (int i = 0; i < 6; ++i)
            for (char16_t c : {u'\u6E2F', u'\u53E3', u'\u4E0A', u'\u4E0D'})
                unit(c);
        unit(u'\r');
        unit(u'\n');
    }
    return bytes;
}

const OddFile oddFiles[] = {
    {"utf16le_without_mark", "0\0" "0\0" "1\0" " \0" "A\0" "\r\0\n\0" "0\0" "0\0" "2\0" " \0" "\xE9\0" "\r\0\n\0"s, 0,
     OddFile::WideText, {}, "UTF-16"},
    {"utf16be_without_mark", "\0" "0" "\0" "0" "\0" "1" "\0" " " "\0" "A" "\0\r\0\n"s, 0, OddFile::WideText, {}, "UTF-16"},
    {"utf32le_without_mark", "0\0\0\0" "1\0\0\0" "\r\0\0\0" "\n\0\0\0"s, 0, OddFile::WideText, {}, "UTF-32"},
    {"utf32be_without_mark", "\0\0\0" "0" "\0\0\0" "1" "\0\0\0\r" "\0\0\0\n"s, 0, OddFile::WideText, {}, "UTF-32"},
    {"utf16le_longer_than_the_sample", [] {
         std::string wide;
         for (char c : std::string(5000, '7') + "\r\n")
             wide += std::string {c, '\0'};
         return wide;
     }(), 0, OddFile::WideText, {}, "UTF-16"},
    // Text mostly outside Latin: both bytes of most units set, told by its line ends.
    {"utf16le_cjk_without_mark", cjkUtf16(false), 0, OddFile::WideText, {}, "UTF-16"},
    {"utf16be_cjk_without_mark", cjkUtf16(true), 0, OddFile::WideText, {}, "UTF-16"},
    {"utf8_cjk", "001     \xE6\xB8\xAF\xE5\x8F\xA3\r\n002     \xE4\xB8\x8A\xE4\xB8\x8D\r\n", 0, OddFile::Loads,
     {"001     \xE6\xB8\xAF\xE5\x8F\xA3", "002     \xE4\xB8\x8A\xE4\xB8\x8D"}, ""},
    {"eight_bit_lines_with_nuls", "001     A\0b\r\n002     \0\0\r\n003     C\r\n"s, 0, OddFile::Loads,
     {"001     A\0b"s, "002     \0\0"s, "003     C"}, ""},
    {"nothing_but_nuls", std::string(64, '\0'), 0, OddFile::Loads, {std::string(64, '\0')}, "",
     std::string(64, '\0') + "\r\n"},
    {"one_character_of_wide_text_is_too_little_to_tell", "0\0"s, 0, OddFile::Loads, {"0\0"s}, "", "0\0\r\n"s},
    {"utf8_mark", "\xEF\xBB\xBF" "001     Alpha\r\n002     Beta\r\n", 0, OddFile::Loads, {"001     Alpha", "002     Beta"}, ""},
    {"two_utf8_marks", "\xEF\xBB\xBF\xEF\xBB\xBF" "001     A\r\n", 0, OddFile::Loads, {"\xEF\xBB\xBF" "001     A"}, ""},
    {"utf8_mark_alone", "\xEF\xBB\xBF", 0, OddFile::Loads, {}, ""},
    {"utf8_mark_not_at_the_start", "001     \xEF\xBB\xBF" "A\r\n", 0, OddFile::Loads, {"001     \xEF\xBB\xBF" "A"}, ""},
    {"sparse_just_past_2_gb", "001     Alpha\r\n", (std::uint64_t(2) << 30) + 1, OddFile::TooBig, {}, "2049 MB"},
    {"sparse_10_gb", "001     Alpha\r\n", std::uint64_t(10) << 30, OddFile::TooBig, {}, "10240 MB"},
    {"sparse_8_tb", "001     Alpha\r\n", std::uint64_t(8) << 40, OddFile::TooBig, {}, "8388608 MB"},
};

TEST_P(OddFiles, AreReadOrRefusedAsTheirKind)
{
    const OddFile& odd = GetParam();
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, odd.bytes);
    if (odd.sparseSize > 0) {
        std::error_code error;
        std::filesystem::resize_file(path, odd.sparseSize, error);
        if (error)
            GTEST_SKIP() << "no file of " << odd.sparseSize << " bytes here: " << error.message();
    }
    Lines lines = {"kept"};
    switch (odd.outcome) {
    case OddFile::Loads: {
        loadListFile(path, lines);
        EXPECT_EQ(lines, Lines(odd.lines.begin(), odd.lines.end()));
        // Saved unchanged, every byte stays, a leading mark included.
        saveListFile(path, lines);
        EXPECT_EQ(readBytes(path), odd.saved.value_or(odd.bytes));
        EXPECT_TRUE(listFileHolds(path, lines));
        break;
    }
    case OddFile::WideText: {
        const std::string message = "The file " + path + " is " + odd.told
            + " text, not a list this program can edit. It is left as it is.";
        EXPECT_EQ(expectListFileError(message, [&] { loadListFile(path, lines); }), childThrewExpected);
        EXPECT_THROW(loadListFile(path, lines), UneditableListFile);
        EXPECT_EQ(expectListFileError(message, [&] { saveListFile(path, {"001     New"}); }), childThrewExpected);
        EXPECT_EQ(readBytes(path), odd.bytes);
        break;
    }
    case OddFile::TooBig: {
        // The most is 2 GB, or the machine's memory where that is less.
        const std::string prefix = "The file " + path + " is " + odd.told + ", too big for a project list (at most ";
        try {
            loadListFile(path, lines);
            ADD_FAILURE() << "loaded";
        } catch (const ListFileTooBig& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, prefix.size()), prefix);
        }
        break;
    }
    }
    if (odd.outcome != OddFile::Loads)
        EXPECT_EQ(lines, Lines{"kept"});
}

INSTANTIATE_TEST_SUITE_P(ListFileIo, OddFiles, ::testing::ValuesIn(oddFiles),
                         [](const ::testing::TestParamInfo<OddFile>& info) { return std::string(info.param.name); });

// A line 1 that begins with the mark's bytes (sorted there, say) keeps them
// through a save to a file without a mark, which then gets one.
TEST_F(ListFileIo, LineOneBeginningAsTheMarkKeepsItsBytes)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "001     Alpha\r\n");
    const Lines lines = {"\xEF\xBB\xBF" "junk", "001     Alpha"};
    saveListFile(path, lines);
    EXPECT_EQ(readBytes(path), "\xEF\xBB\xBF\xEF\xBB\xBF" "junk\r\n001     Alpha\r\n");
    EXPECT_TRUE(listFileHolds(path, lines));
    Lines loaded;
    loadListFile(path, loaded);
    EXPECT_EQ(loaded, lines);
    EXPECT_EQ(splitListText(joinListText(lines)), lines);
}

// A load tells how far it is, in steps, and stops with nothing changed when
// told to.
TEST_F(ListFileIo, LoadReportsProgressAndCanBeCancelled)
{
    const std::string path = pathOf("Long.txt");
    writeBytes(path, std::string(std::size_t(20) << 20, '\n'));
    std::vector<std::pair<std::uint64_t, std::uint64_t>> told;
    Lines lines;
    loadListFile(path, lines, [&](std::uint64_t done, std::uint64_t total) {
        told.emplace_back(done, total);
        return true;
    });
    EXPECT_EQ(lines.size(), std::size_t(20) << 20);
    ASSERT_GE(told.size(), 4u);
    for (std::size_t i = 1; i < told.size(); ++i) {
        EXPECT_GT(told[i].first, told[i - 1].first);
        EXPECT_LE(told[i].first, told[i].second);
    }
    for (int stopAt : {1, 3, 5}) {
        Lines kept = {"kept"};
        int calls = 0;
        EXPECT_THROW(loadListFile(path, kept, [&](std::uint64_t, std::uint64_t) { return ++calls < stopAt; }),
                     ListFileReadCancelled);
        EXPECT_EQ(calls, stopAt);
        EXPECT_EQ(kept, Lines{"kept"});
    }
}

// A path with a NUL byte in it (a settings value can hold one) names no file;
// the file named by the part before the NUL is neither read nor replaced.
TEST_F(ListFileIo, PathWithNulNamesNoFile)
{
    const std::string real = pathOf("Projects.txt");
    writeBytes(real, "001     Alpha\r\n");
    const std::string path = real + '\0' + ".bak";
    Lines lines = {"kept"};
    // The message, a C string, shows the path as far as the NUL.
    EXPECT_EQ(expectListFileError("Cannot open file " + real, [&] { loadListFile(path, lines); }), childThrewExpected);
    EXPECT_EQ(lines, Lines{"kept"});
    EXPECT_EQ(expectListFileError("Cannot create file " + real, [&] { saveListFile(path, {"002     Beta"}); }),
              childThrewExpected);
    EXPECT_EQ(readBytes(real), "001     Alpha\r\n");
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
}
