// Conflict copies that sync tools leave beside a list: which names are the
// list's copies and which only look alike, finding them in the list's folder
// alone, and moving them into a backup folder without ever replacing a file.
#include "listfile/conflictcopies.h"
#include "listfile/listfileerror.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct NameCase {
    const char* list;
    const char* candidate;
    bool isCopy;
};

const NameCase nameCases[] = {
    // Syncthing
    {"Projects.txt", "Projects.sync-conflict-20240315-142233-ABCDEF7.txt", true},
    {"Projects.txt", "Projects.sync-conflict-20240315-142233-x9Z.txt", true},
    {"Projects.txt", "Projects.sync-conflict-20240315-142233.txt", true},
    {"Projects", "Projects.sync-conflict-20240315-142233-ABCDEF7", true},
    {".projects", ".sync-conflict-20240315-142233-ABCDEF7.projects", true},
    {"archive.tar.gz", "archive.tar.sync-conflict-20240315-142233-ABCDEF7.gz", true},
    {"Team Projects 2024.txt", "Team Projects 2024.sync-conflict-20240315-142233-ABCDEF7.txt", true},
    {"Projects.txt", "Projects.sync-conflict-2024315-142233-ABCDEF7.txt", false},
    {"Projects.txt", "Projects.sync-conflict-20240315-1422-ABCDEF7.txt", false},
    {"Projects.txt", "Projects.sync-conflict-20240315-142233-.txt", false},
    {"Projects.txt", "Projects.sync-conflict-20240315-142233-ABC DEF.txt", false},
    {"Projects.txt", "Projects.sync-conflict-20240315-142233-ABC-DEF.txt", false},
    {"Projects", "Projects.sync-conflict-20240315-142233-ABCDEF7.txt", false},
    // Nextcloud and ownCloud
    {"Projects.txt", "Projects (conflicted copy 2024-03-15 142233).txt", true},
    {"Projects.txt", "Projects (conflicted copy Anna Berg 2024-03-15 142233).txt", true},
    {"Projects", "Projects (conflicted copy 2024-03-15 142233)", true},
    {".projects", ".projects (conflicted copy 2024-03-15 142233)", true},
    {"Projects.txt", "Projects_conflict-20240315-142233.txt", true},
    {"Projects.txt", "Projects (conflicted copy 2024-03-15 14:22:33).txt", false},
    {"Projects.txt", "Projects (conflicted copy 2024-3-15 142233).txt", false},
    {"Projects.txt", "Projects (conflicted copy Anna2024-03-15 142233).txt", false},
    {"Projects.txt", "Projects (conflicted copy (Anna) 2024-03-15 142233).txt", false},
    {"Projects.txt", "Projects_conflict-2024-03-15-142233.txt", false},
    // Dropbox
    {"Projects.txt", "Projects (Anna Berg's conflicted copy 2024-03-15).txt", true},
    {"Projects.txt", "Projects (Anna\xE2\x80\x99s conflicted copy 2024-03-15).txt", true},
    {"Projects.txt", "Projects ('s conflicted copy 2024-03-15).txt", false},
    {"Projects.txt", "Projects (Anna conflicted copy 2024-03-15).txt", false},
    {"Projects.txt", "Projects (Anna's conflicted copy 15.03.2024).txt", false},
    // Names of 8-bit bytes match byte for byte.
    {"Projekte \xE4\xFC.txt", "Projekte \xE4\xFC (conflicted copy 2024-03-15 142233).txt", true},
    {"Projects.txt", "Projects (J\xF6rg's conflicted copy 2024-03-15).txt", true},
    {"Projekte \xE4\xFC.txt", "Projekte \xE4\xFD (conflicted copy 2024-03-15 142233).txt", false},
    // The list itself, other lists and names that hold a tag elsewhere
    {"Projects.txt", "Projects.txt", false},
    {"Projects.txt", "Other.sync-conflict-20240315-142233-ABCDEF7.txt", false},
    {"Projects.txt", "Old Projects (conflicted copy 2024-03-15 142233).txt", false},
    {"Projects.txt", "Projects.sync-conflict-20240315-142233-ABCDEF7.txt.bak", false},
    {"Projects.txt", "Projects (conflicted copy 2024-03-15 142233).txt (conflicted copy 2024-03-16 090000)", false},
    {"Projects.txt", "Projects (conflicted copy 2024-03-15 142233).TXT", false},
    {"Projects.txt", "Projects.txt.sync-conflict-20240315-142233-ABCDEF7", false},
    {"", " (conflicted copy 2024-03-15 142233)", false},
};

std::vector<std::string> pathsIn(const fs::path& folder, const std::vector<std::string>& names)
{
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back((folder / name).string());
    return paths;
}

} // namespace

TEST(ConflictCopies, NamesOfEachSyncToolAndNearMisses)
{
    for (const NameCase& c : nameCases)
        EXPECT_EQ(isConflictCopyOf(c.candidate, c.list), c.isCopy) << "list \"" << c.list << "\", candidate \""
                                                                   << c.candidate << "\"";
}

using ConflictCopyFiles = ListFileIo;

TEST_F(ConflictCopyFiles, FoundBesideTheListOnly)
{
    const std::vector<std::string> copies = {
        "Projects (Anna's conflicted copy 2024-03-15).txt",
        "Projects (conflicted copy 2024-03-15 142233).txt",
        "Projects.sync-conflict-20240315-142233-ABCDEF7.txt",
        "Projects_conflict-20240315-142233.txt",
    };
    for (const std::string& name : copies)
        writeBytes(folder / name, "001     Alpha\n");
    writeBytes(folder / "Projects.txt", "001     Alpha\n");
    writeBytes(folder / "Other.sync-conflict-20240315-142233-ABCDEF7.txt", "");
    // A folder of that name is no copy, and the search stays in the list's folder.
    const fs::path lookalike = folder / "Projects.sync-conflict-20240316-101010-ABCDEF7.txt";
    fs::create_directory(lookalike);
    writeBytes(lookalike / "Projects.sync-conflict-20240317-101010-ABCDEF7.txt", "");
    makeSymbolicLink(folder / "Projects.txt", folder / "Projects.sync-conflict-20240318-101010-ABCDEF7.txt");

    EXPECT_EQ(conflictCopiesBeside(pathOf("Projects.txt")), pathsIn(folder, copies));
    EXPECT_TRUE(conflictCopiesBeside(pathOf("missing/Projects.txt")).empty());

    fs::permissions(folder, fs::perms::owner_all);
    const int result = inUnprivilegedChild([&] { return conflictCopiesBeside(pathOf("Projects.txt")).empty() ? 0 : 1; });
    if (result == childCannotDropRoot)
        GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(result, 0) << "an unreadable folder has no copies to offer";
}

TEST_F(ConflictCopyFiles, MoveNeverReplacesAFile)
{
    const std::string name = "Projects.sync-conflict-20240315-142233-ABCDEF7.txt";
    const fs::path backup = folder / "Conflicts";

    writeBytes(folder / name, "first");
    EXPECT_EQ(moveIntoBackupFolder(pathOf(name), "Conflicts"), (backup / name).string());
    if (hasUnixPermissions())
        EXPECT_EQ(fs::status(backup).permissions() & fs::perms::all, fs::perms::owner_all);

    // The same name again, with "(2)" taken by a file of the user's.
    writeBytes(backup / "Projects.sync-conflict-20240315-142233-ABCDEF7 (2).txt", "user's");
    writeBytes(folder / name, "second");
    const fs::path third = backup / "Projects.sync-conflict-20240315-142233-ABCDEF7 (3).txt";
    EXPECT_EQ(moveIntoBackupFolder(pathOf(name), "Conflicts"), third.string());

    EXPECT_FALSE(fs::exists(folder / name));
    EXPECT_EQ(readBytes(backup / name), "first");
    EXPECT_EQ(readBytes(backup / "Projects.sync-conflict-20240315-142233-ABCDEF7 (2).txt"), "user's");
    EXPECT_EQ(readBytes(third), "second");

    // A name without extension is numbered at its end.
    const std::string plain = "Projects (conflicted copy 2024-03-15 142233)";
    writeBytes(folder / plain, "a");
    writeBytes(backup / plain, "b");
    EXPECT_EQ(moveIntoBackupFolder(pathOf(plain), "Conflicts"), (backup / (plain + " (2)")).string());
}

TEST_F(ConflictCopyFiles, FailedMoveSaysWhyAndKeepsTheCopy)
{
    const std::string name = "Projects_conflict-20240315-142233.txt";
    writeBytes(folder / name, "kept");
    writeBytes(folder / "Taken", "user's");
    const std::string copy = pathOf(name);

    EXPECT_EQ(expectListFileError("Cannot create folder " + pathOf("Taken") + ": File exists",
                                  [&] { moveIntoBackupFolder(copy, "Taken"); }),
              childThrewExpected);
    EXPECT_EQ(expectListFileError("Cannot move " + pathOf("gone.txt") + " into " + pathOf("Conflicts")
                                      + ": No such file or directory",
                                  [&] { moveIntoBackupFolder(pathOf("gone.txt"), "Conflicts"); }),
              childThrewExpected);

    fs::permissions(folder, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const int result = inUnprivilegedChild([&] {
        return expectListFileError("Cannot create folder " + pathOf("Conflicts") + ": Permission denied",
                                   [&] { moveIntoBackupFolder(copy, "Conflicts"); });
    });
    if (result == childCannotDropRoot)
        GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(result, childThrewExpected);

    EXPECT_EQ(readBytes(folder / name), "kept");
    EXPECT_EQ(readBytes(folder / "Taken"), "user's");
}
