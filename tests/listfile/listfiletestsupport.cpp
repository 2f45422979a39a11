#include "listfiletestsupport.h"

#include "listfile/listfileerror.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

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

int inChild(const std::function<int()>& body, bool asOrdinaryUser)
{
    pid_t child = ::fork();
    if (child == 0) {
        if (asOrdinaryUser && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(childCannotDropRoot);
        }
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int inUnprivilegedChild(const std::function<int()>& body)
{
    return inChild(body, true);
}

int onSmallFileSystem(const fs::path& folder, const char* size, const std::function<int()>& body)
{
    return inChild([&] {
        const std::string options = std::string("size=") + size + ",mode=0755";
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("quindle-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
            return cannotMount;
        return body();
    }, false);
}

void fill(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
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
    std::string pattern = (fs::temp_directory_path() / "quindle-listfile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
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
