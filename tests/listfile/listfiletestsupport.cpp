#include "listfiletestsupport.h"

#include "listfile/listfileerror.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> entriesOf(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool makeSymbolicLink(const fs::path& target, const fs::path& link)
{
    std::error_code error;
    fs::create_symlink(target, link, error);
    return !error;
}

void shortenFolderChain(const fs::path& top, int levels)
{
    fs::path at = top;
    for (int level = 0; level < levels; ++level) {
        fs::path below;
        for (const auto& entry : fs::directory_iterator(at))
            if (entry.is_directory() && entry.path().filename().native().size() > below.filename().native().size())
                below = entry.path();
        const fs::path shorter = at / std::string(1, char('a' + level));
        fs::rename(below, shorter);
        at = shorter;
    }
}

fs::path makeTemporaryFolder(const std::string& prefix)
{
    static std::mt19937_64 random(std::random_device {}());
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (;;) {
        std::string name = prefix;
        for (int i = 0; i < 8; ++i)
            name += letters[random() % (sizeof letters - 1)];
        const fs::path folder = fs::temp_directory_path() / name;
        if (fs::create_directory(folder))
            return folder;
    }
}

void fill(const std::string& path)
{
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    const std::string block(4096, 'f');
    while (out.write(block.data(), block.size()) && out.flush()) {
    }
}

int expectListFileError(const std::string& message, const std::function<void()>& action)
{
    try {
        action();
    } catch (const ListFileError& error) {
        return error.what() == message ? childThrewExpected : childWrongMessage;
    }
    return childDidNotThrow;
}

void ListFileIo::SetUp()
{
    folder = makeTemporaryFolder("quindle-listfile-");
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec
                        | fs::perms::others_read | fs::perms::others_exec);
}

void ListFileIo::TearDown()
{
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder, ignored);
}
