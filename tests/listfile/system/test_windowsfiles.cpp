// Windows alone: a list that another program (a virus scanner, an indexer,
// a backup tool) holds open while it is saved, and paths in the system's own
// long form ("\\?\C:\..."), which it takes as they stand.
#include "listfile/conflictcopies.h"
#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/systemfile.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace fs = std::filesystem;
using Lines = LineList;
using Clock = std::chrono::steady_clock;

namespace {

// The file opened as another program opens it: reading, and sharing reading
// only, so that nobody may replace or remove it while it is held.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle_(::CreateFileW(fs::u8path(path).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HeldFile() { release(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void release()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
    }

private:
    HANDLE handle_;
};

// path as the system writes it in full: absolute, backslashes, "\\?\" first.
std::string longForm(const std::string& path)
{
    std::string form = fs::absolute(fs::u8path(path)).u8string();
    std::replace(form.begin(), form.end(), '/', '\\');
    return "\\\\?\\" + form;
}

} // namespace

TEST_F(ListFileIo, SaveWaitsForAFileHeldOpenForAMoment)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "001     Old\r\n");
    HeldFile scanner(path);
    ASSERT_TRUE(scanner.held());
    std::thread letGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        scanner.release();
    });
    saveListFile(path, {"001     New"});
    letGo.join();
    EXPECT_EQ(readBytes(path), "001     New\r\n");
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
}

TEST_F(ListFileIo, SaveGivesUpOnAFileHeldOpenForLong)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "001     Old\r\n");
    HeldFile scanner(path);
    ASSERT_TRUE(scanner.held());
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(expectListFileError("Cannot create file " + path, [&] { saveListFile(path, {"001     New"}); }),
              childThrewExpected);
    // It was tried again meanwhile, not given up at the first refusal.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(500));
    scanner.release();
    EXPECT_EQ(readBytes(path), "001     Old\r\n");
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
    saveListFile(path, {"001     New"});
    EXPECT_EQ(readBytes(path), "001     New\r\n");
}

// Windows lets the owner of a folder replace a read-only file in it; the
// mark is the user's word that the list must stay as it is.
TEST_F(ListFileIo, ReadOnlyFileIsNotReplaced)
{
    const std::string path = pathOf("Projects.txt");
    writeBytes(path, "001     Old\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_NE(::GetFileAttributesW(fs::u8path(path).wstring().c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(expectListFileError("Cannot create file " + path, [&] { saveListFile(path, {"001     New"}); }),
              childThrewExpected);
    EXPECT_EQ(readBytes(path), "001     Old\r\n");
    EXPECT_EQ(entriesOf(folder), std::vector<std::string>{"Projects.txt"});
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(ListFileIo, PathsInTheSystemsLongForm)
{
    std::string deepFolder = folder.string();
    for (int level = 0; level < 5; ++level)
        deepFolder += "\\" + std::string(60, char('k' + level));
    ASSERT_TRUE(fs::create_directories(fs::u8path(deepFolder)));
    for (const std::string& listFolder : {folder.string(), deepFolder}) {
        SCOPED_TRACE(listFolder.size());
        const std::string plain = listFolder + "\\Projects.txt";
        const std::string full = longForm(plain);
        saveListFile(full, {"001     Alpha"});
        Lines loaded;
        loadListFile(plain, loaded);
        EXPECT_EQ(loaded, Lines{"001     Alpha"});
        saveListFile(plain, {"001     Beta"});
        loadListFile(full, loaded);
        EXPECT_EQ(loaded, Lines{"001     Beta"});
        EXPECT_EQ(folderOf(full), longForm(listFolder));

        const std::string copy = longForm(listFolder + "\\Projects.sync-conflict-20240315-142233-ABCDEF7.txt");
        saveListFile(copy, {"001     Theirs"});
        EXPECT_EQ(conflictCopiesBeside(full), std::vector<std::string>{copy});
        EXPECT_EQ(moveIntoBackupFolder(copy, "Merged"),
                  longForm(listFolder + "\\Merged\\Projects.sync-conflict-20240315-142233-ABCDEF7.txt"));
        EXPECT_EQ(readBytes(fs::u8path(listFolder) / "Merged" / "Projects.sync-conflict-20240315-142233-ABCDEF7.txt"),
                  "001     Theirs\r\n");
    }
    shortenFolderChain(folder, 5);
    EXPECT_EQ(entriesOf(folder / "a" / "b" / "c" / "d" / "e"), (std::vector<std::string>{"Merged", "Projects.txt"}));
}
