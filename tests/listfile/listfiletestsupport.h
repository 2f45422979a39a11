#pragma once
// Helpers of the list-file tests: a private folder per test, raw file bytes,
// and child processes for limits and for running as an ordinary user.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, const std::string& bytes);
// The names in a folder, sorted.
std::vector<std::string> entriesOf(const std::filesystem::path& folder);

enum ChildResult { childThrewExpected = 0, childDidNotThrow = 1, childWrongMessage = 2, childCannotDropRoot = 99 };

// Runs body in a child process, so that limits, mounts and identity changes
// end with it; the child's exit code is body's result. Root ignores
// permission bits, so the tests that need a folder or file we may not write
// ask to run as "nobody" (childCannotDropRoot when that is impossible).
int inChild(const std::function<int()>& body, bool asOrdinaryUser);
int inUnprivilegedChild(const std::function<int()>& body);

// Runs body in a child with its own mount table, where a small tmpfs of the
// given size ("256k") is mounted on folder: the mount goes with the child,
// whatever happens. cannotMount where that is not allowed.
constexpr int cannotMount = 97;
int onSmallFileSystem(const std::filesystem::path& folder, const char* size, const std::function<int()>& body);
// Fills the file system until a write fails.
void fill(const std::string& path);

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
