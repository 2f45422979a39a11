// Saves that cannot finish lose nothing: on a full file system the old list
// stays byte for byte and no temporary file is left. Temporary files left by
// a save that was killed are cleared by the next save of the same list before
// it writes, but never one that a running save still holds, and nothing else:
// the user's files beside the list are kept whatever their names.
#include "listfile/fittedfilename.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/savetemporary.h"
#include "listfile/systemfile.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>


namespace fs = std::filesystem;
using Lines = LineList;

namespace {

Lines listOfSize(std::size_t bytes, char letter)
{
    Lines lines;
    for (std::size_t size = 0; size < bytes; size += 40)
        lines.push_back("001     " + std::string(30, letter));
    return lines;
}

// The child reports the first check that failed by its number.
#define CHILD_CHECK(number, condition)                                   \
    do {                                                                 \
        if (!(condition)) {                                              \
            std::fprintf(stderr, "check %d failed: %s\n", number, #condition); \
            return number;                                               \
        }                                                                \
    } while (false)

} // namespace

class FullFileSystem : public ListFileIo {
protected:
    void expectInChild(const char* size, const std::function<int()>& body)
    {
        const fs::path mountPoint = folder / "disk";
        fs::create_directory(mountPoint);
        const int result = onSmallFileSystem(mountPoint, size, body);
        if (result == cannotMount)
            GTEST_SKIP() << "cannot mount a small tmpfs here";
        EXPECT_EQ(result, 0);
    }
    std::string listPath() const { return (folder / "disk" / "Projects.txt").string(); }
};

TEST_F(FullFileSystem, NewListLargerThanTheFreeSpace)
{
    expectInChild("256k", [&] {
        const std::string path = listPath();
        const std::string old = joinListText(listOfSize(2000, 'o'));
        writeBytes(path, old);
        CHILD_CHECK(1, expectListFileError("Cannot create file " + path,
                                           [&] { saveListFile(path, listOfSize(1 << 20, 'n')); })
                           == childThrewExpected);
        CHILD_CHECK(2, readBytes(path) == old);
        CHILD_CHECK(3, entriesOf(fs::path(path).parent_path()) == std::vector<std::string>{"Projects.txt"});
        return 0;
    });
}

// Replacing a file atomically needs room for the old and the new list at once.
TEST_F(FullFileSystem, RoomForOneListButNotForTwo)
{
    expectInChild("256k", [&] {
        const std::string path = listPath();
        const std::string old = joinListText(listOfSize(150 << 10, 'o'));
        writeBytes(path, old);
        CHILD_CHECK(1, expectListFileError("Cannot create file " + path,
                                           [&] { saveListFile(path, listOfSize(150 << 10, 'n')); })
                           == childThrewExpected);
        CHILD_CHECK(2, readBytes(path) == old);
        CHILD_CHECK(3, entriesOf(fs::path(path).parent_path()) == std::vector<std::string>{"Projects.txt"});
        // A list that fits beside the old one is saved.
        const Lines small = listOfSize(40 << 10, 's');
        saveListFile(path, small);
        CHILD_CHECK(4, readBytes(path) == joinListText(small));
        return 0;
    });
}

TEST_F(FullFileSystem, NoRoomAtAll)
{
    expectInChild("64k", [&] {
        const std::string path = listPath();
        const std::string old = "001     Alpha\r\n002     Beta";
        writeBytes(path, old);
        const std::string filler = (fs::path(path).parent_path() / "filler").string();
        fill(filler);
        CHILD_CHECK(1, expectListFileError("Cannot create file " + path,
                                           [&] { saveListFile(path, {"003     Gamma"}); })
                           == childThrewExpected);
        CHILD_CHECK(2, readBytes(path) == old);
        CHILD_CHECK(3, entriesOf(fs::path(path).parent_path()) == (std::vector<std::string>{"Projects.txt", "filler"}));
        // Once there is room again, saving works.
        fs::remove(filler);
        saveListFile(path, {"003     Gamma"});
        CHILD_CHECK(4, readBytes(path) == "003     Gamma\r\n");
        return 0;
    });
}

// Leftovers of killed saves are cleared before the new save writes, so they
// do not take the room it needs.
TEST_F(FullFileSystem, LeftoversOfKilledSavesMakeRoomFirst)
{
    expectInChild("256k", [&] {
        const std::string path = listPath();
        const std::string old = joinListText(listOfSize(60 << 10, 'o'));
        writeBytes(path, old);
        const fs::path disk = fs::path(path).parent_path();
        writeBytes(disk / ".Projects.txt.quindle-save.Killed01", std::string(70 << 10, 'k'));
        writeBytes(disk / ".Projects.txt.quindle-save.Killed02", std::string(70 << 10, 'k'));
        const Lines fresh = listOfSize(60 << 10, 'n');
        saveListFile(path, fresh);
        CHILD_CHECK(1, readBytes(path) == joinListText(fresh));
        CHILD_CHECK(2, entriesOf(disk) == std::vector<std::string>{"Projects.txt"});
        return 0;
    });
}

TEST(SaveTemporaryName, OnlyOurOwnPattern)
{
    EXPECT_TRUE(isSaveTemporaryName(".Projects.txt.quindle-save.AbCd1234", "Projects.txt"));
    EXPECT_TRUE(isSaveTemporaryName(".Projects.txt.quindle-save.00000000", "Projects.txt"));
    for (const char* other :
         {"Projects.txt", ".Projects.txt", ".Projects.txt.bak", ".Projects.txt.AbCd1234", ".Projects.txt.20241231",
          ".Projects.txt.ORIGINAL", ".Projects.txt.quindle-save.", ".Projects.txt.quindle-save.AbCd123",
          ".Projects.txt.quindle-save.AbCd12345", ".Projects.txt.quindle-save.AbCd-123",
          "Projects.txt.quindle-save.AbCd1234", ".Other.txt.quindle-save.AbCd1234",
          ".projects.txt.quindle-save.AbCd1234", ".Projects.txt.Quindle-Save.AbCd1234"})
        EXPECT_FALSE(isSaveTemporaryName(other, "Projects.txt")) << other;
    // A very long list name is shortened in the temporary name, with a hash
    // of the whole: another list whose name begins alike has names of its own.
    const std::string longName(250, 'L');
    const std::string ours = fittedFileName(".", longName, ".quindle-save.", 247) + "AbCd1234";
    EXPECT_EQ(ours.size(), 255u);
    EXPECT_TRUE(isSaveTemporaryName(ours, longName));
    EXPECT_FALSE(isSaveTemporaryName(ours, std::string(249, 'L') + "M"));
    EXPECT_FALSE(isSaveTemporaryName("." + longName.substr(0, 200) + ".quindle-save.AbCd1234", longName));
    EXPECT_FALSE(isSaveTemporaryName("." + longName + ".quindle-save.AbCd1234", longName));
}

// What a save killed half way leaves is cleared by the next save, and only that.
TEST_F(ListFileIo, NextSaveClearsWhatAKilledSaveLeft)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "old\r\n");
    writeBytes(pathOf(".Projects.txt.quindle-save.AbCd1234"), "half a list");
    writeBytes(pathOf(".Projects.txt.quindle-save.zzzzzzzz"), "");
    // The user's own files beside the list, however much they look like ours.
    const std::vector<std::string> others = {".Other.txt.quindle-save.AbCd1234", ".Projects.txt.bak",
                                             ".Projects.txt.20241231", ".Projects.txt.ORIGINAL",
                                             ".Projects.txt.AbCd1234", ".Projects.txt.quindle-save.abc",
                                             ".Projects.txt.quindle-save.abcdefghi", "Projects.txt.abcdefgh"};
    for (const std::string& name : others)
        writeBytes(pathOf(name), "not ours");
    saveListFile(path, {"new"});
    EXPECT_EQ(readBytes(path), "new\r\n");
    std::vector<std::string> expected = others;
    expected.push_back("Projects.txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entriesOf(folder), expected);
    for (const std::string& name : others)
        EXPECT_EQ(readBytes(pathOf(name)), "not ours");
}

// A temporary file that a running save holds is left to it.
TEST_F(ListFileIo, TemporaryOfARunningSaveIsKept)
{
    const std::string path = pathOf("Projects.txt");
    const std::string running = pathOf(".Projects.txt.quindle-save.Running1");
    writeBytes(running, "being written");
    SystemFile held = openWithoutFollowing(running, true);
    ASSERT_EQ(tryLock(held, true), LockResult::locked);
    saveListFile(path, {"first"});
    EXPECT_EQ(readBytes(running), "being written");
    held.close();  // that save was killed
    saveListFile(path, {"second"});
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
    EXPECT_EQ(readBytes(path), "second\r\n");
}

// A folder or a link that happens to bear such a name is not touched, nor
// what the link points at.
TEST_F(ListFileIo, FolderAndLinkNamedLikeATemporaryAreKept)
{
    const std::string path = pathOf("Projects.txt");
    fs::create_directory(folder / ".Projects.txt.quindle-save.Folder12");
    fs::create_directory(folder / "elsewhere");
    writeBytes(folder / "elsewhere" / "precious.txt", "precious");
    const bool linked = makeSymbolicLink("elsewhere/precious.txt", folder / ".Projects.txt.quindle-save.Linked12");
    saveListFile(path, {"new"});
    EXPECT_TRUE(fs::is_directory(folder / ".Projects.txt.quindle-save.Folder12"));
    EXPECT_EQ(fs::is_symlink(folder / ".Projects.txt.quindle-save.Linked12"), linked);
    EXPECT_EQ(readBytes(folder / "elsewhere" / "precious.txt"), "precious");
}

// Hundreds of leftovers neither stop a save nor outlive it.
TEST_F(ListFileIo, ManyLeftoversDoNotStopASave)
{
    const std::string path = pathOf("Projects.txt");
    for (int i = 0; i < 300; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, ".Projects.txt.quindle-save.left%04d", i);
        writeBytes(pathOf(name), "x");
    }
    saveListFile(path, {"001     Alpha"});
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
}
