#include "testsystem.h"

#include <csignal>
#include <cstdio>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

int inChild(const std::function<int()>& body, bool asOrdinaryUser)
{
    pid_t child = ::fork();
    if (child < 0)
        return childCannotStart;
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

int onSmallFileSystem(const std::filesystem::path& folder, const char* size, const std::function<int()>& body)
{
    return inChild([&] {
        const std::string options = std::string("size=") + size + ",mode=0755";
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("quindle-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
            return cannotMount;
        return body();
    }, false);
}

bool limitFileSize(std::uint64_t bytes)
{
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {};
    limit.rlim_cur = limit.rlim_max = bytes;
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

bool hasUnixPermissions()
{
    return true;
}

unsigned currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool makeNamedPipe(const std::string& path)
{
    return ::mkfifo(path.c_str(), 0644) == 0;
}

SocketFile::SocketFile(const std::string& path)
{
    sockaddr_un address {};
    if (path.size() >= sizeof address.sun_path)
        return;
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    if (sock >= 0 && ::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        return;
    }
    handle_ = sock;
}

SocketFile::~SocketFile()
{
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
}

std::vector<std::string> deviceFiles()
{
    return {"/dev/zero", "/dev/null"};
}

std::string textFileSizedZero()
{
    return "/proc/self/status";
}

std::int64_t thisProcessId()
{
    return ::getpid();
}
