// Lists in folders named in any script, and deeper than the old limit of
// 260 characters a path had on Windows: every operation on the list file,
// its save's temporary files, its journal and its conflict copies reaches
// the right file.
#include "listfile/conflictcopies.h"
#include "listfile/listfilehead.h"
#include "listfile/listfileio.h"
#include "listfile/listjournal.h"
#include "listfile/systemfile.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Lines = LineList;

namespace {

struct PathCase {
    const char* what;
    std::string folder;  // below the test's folder, UTF-8
    int levels;          // of folders in it
    std::string name;
};

std::ostream& operator<<(std::ostream& out, const PathCase& c) { return out << c.what; }

const std::string deep = [] {
    std::string folders;
    for (int level = 0; level < 5; ++level)
        folders += (level ? "/" : "") + std::string(60, char('a' + level));
    return folders;
}();

const PathCase pathCases[] = {
    {"non_ascii", "Projekte \xC3\xBC \xCE\xA9 \xE6\x97\xA5\xE6\x9C\xAC", 1, "Liste \xC3\xA9.txt"},
    {"longer_than_260", deep, 5, "Projects.txt"},
    {"long_and_non_ascii", deep + "/\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD1\x8B", 6, "\xE6\x97\xA5.txt"},
};

class WidePaths : public ListFileIo, public ::testing::WithParamInterface<PathCase> {};

} // namespace

TEST_P(WidePaths, EveryOperationReachesTheFile)
{
    const PathCase& c = GetParam();
    const std::string listFolder = folder.string() + "/" + c.folder;
    ASSERT_TRUE(fs::create_directories(fs::u8path(listFolder)));
    const std::string list = listFolder + "/" + c.name;
    const Lines lines = {"001     Alpha \xC3\xBC", "002     Beta"};
    const std::string bytes = "001     Alpha \xC3\xBC\r\n002     Beta\r\n";

    saveListFile(list, {"001     Old"});
    // What a killed save left beside the list goes with the next save.
    writeBytes(fs::u8path(listFolder + "/." + c.name + ".quindle-save.Killed01"), "half");
    saveListFile(list, lines);
    EXPECT_EQ(readBytes(fs::u8path(list)), bytes);

    Lines loaded;
    loadListFile(list, loaded);
    EXPECT_EQ(loaded, lines);
    Lines reread;
    EXPECT_TRUE(rereadListFile(list, reread, loaded));
    EXPECT_TRUE(listFileHolds(list, lines));
    EXPECT_EQ(firstLineStart(list, 5), "001  ");

    const std::string journal = listFolder + "/" + journalFileName(list);
    JournalHeader header;
    header.listPath = list;
    header.process = currentJournalProcess();
    JournalWriter writer;
    writer.create(journal, header);
    writer.append(JournalRecord::undo());
    EXPECT_TRUE(journalIsHeldByLiveWriter(journal));
    const JournalContents read = readJournal(journal);
    EXPECT_EQ(read.status, JournalStatus::Ok);
    EXPECT_EQ(read.records, std::vector<JournalRecord>{JournalRecord::undo()});
    writer.remove();

    const std::string stem = c.name.substr(0, c.name.rfind('.'));
    const std::string copy = listFolder + "/" + stem + ".sync-conflict-20240315-142233-ABCDEF7.txt";
    writeBytes(fs::u8path(copy), "001     Theirs\r\n");
    EXPECT_EQ(conflictCopiesBeside(list), std::vector<std::string>{copy});
    const std::string moved = moveIntoBackupFolder(copy, "Merged");
    EXPECT_EQ(fs::u8path(moved), fs::u8path(listFolder) / "Merged" / fs::u8path(fileNameOf(copy)));
    EXPECT_EQ(readBytes(fs::u8path(moved)), "001     Theirs\r\n");

    // Not every library reaches so deep a folder: it is looked through once
    // its path is short again. The killed save's file, the journal and the
    // copy are gone from it.
    shortenFolderChain(folder, c.levels);
    fs::path shortFolder = folder;
    for (int level = 0; level < c.levels; ++level)
        shortFolder /= std::string(1, char('a' + level));
    std::vector<std::string> expected = {"Merged", fs::u8path(c.name).string()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entriesOf(shortFolder), expected);
    EXPECT_EQ(readBytes(shortFolder / fs::u8path(c.name)), bytes);
}

INSTANTIATE_TEST_SUITE_P(ListFileIo, WidePaths, ::testing::ValuesIn(pathCases),
                         [](const auto& info) { return std::string(info.param.what); });
