#include "testsystem.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// No fork, no second user to become, no mounts, no file-size limit: the
// tests that need them are skipped here.
int inChild(const std::function<int()>&, bool asOrdinaryUser)
{
    return asOrdinaryUser ? childCannotDropRoot : childCannotStart;
}

int inUnprivilegedChild(const std::function<int()>& body)
{
    return inChild(body, true);
}

int onSmallFileSystem(const std::filesystem::path&, const char*, const std::function<int()>&)
{
    return cannotMount;
}

bool limitFileSize(std::uint64_t)
{
    return false;
}

bool hasUnixPermissions()
{
    return false;
}

unsigned currentUmask()
{
    return 0;
}

bool makeNamedPipe(const std::string&)
{
    return false;
}

SocketFile::SocketFile(const std::string&) {}

SocketFile::~SocketFile() {}

std::vector<std::string> deviceFiles()
{
    return {"NUL"};
}

std::string textFileSizedZero()
{
    return {};
}

std::int64_t thisProcessId()
{
    return static_cast<std::int64_t>(::GetCurrentProcessId());
}
