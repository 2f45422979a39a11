#pragma once
// Helpers of the list-file tests: a private folder per test, raw file bytes,
// links where the system lets us make them; child processes and the like
// come from the system's side (system/testsystem.h).
#include "system/testsystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> entriesOf(const std::filesystem::path& folder);

// Fills the file system until a write fails.
void fill(const std::string& path);

// A symbolic link at link to target; false where the system or the user
// may not make one (the test then goes without).
bool makeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link);
// Renames each folder of the chain of levels folders below top to one
// letter, so that paths longer than some libraries take get short again.
void shortenFolderChain(const std::filesystem::path& top, int levels);
// A new folder of its own under the system's temporary folder.
std::filesystem::path makeTemporaryFolder(const std::string& prefix);

// childThrewExpected when action throws ListFileError with exactly message.
int expectListFileError(const std::string& message, const std::function<void()>& action);

// A fresh folder for each test, traversable by the unprivileged child.
class ListFileIo : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string pathOf(const std::string& name) const { return (folder / name).string(); }

    std::filesystem::path folder;
};
