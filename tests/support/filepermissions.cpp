#include "filepermissions.h"

#include <cstdlib>

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr unsigned overridingCapabilities =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool readCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct (&data)[2])
{
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    return ::syscall(SYS_capset, &header, data) == 0;
}

// Tries the real thing: a file only its owner may write cannot be read.
bool permissionBitsApply()
{
    char path[] = "/tmp/quindle-permission-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        return false;
    ::fchmod(fd, 0200);
    ::close(fd);
    const int readable = ::open(path, O_RDONLY | O_CLOEXEC);
    const bool applies = readable < 0;
    if (readable >= 0)
        ::close(readable);
    ::unlink(path);
    return applies;
}

} // namespace

OrdinaryFileAccess::OrdinaryFileAccess()
{
    __user_cap_data_struct data[2] {};
    if (readCapabilities(data) && (data[0].effective & overridingCapabilities) != 0) {
        effective_[0] = data[0].effective;
        effective_[1] = data[1].effective;
        data[0].effective &= ~overridingCapabilities;
        restore_ = writeCapabilities(data);
    }
    active_ = permissionBitsApply();
}

OrdinaryFileAccess::~OrdinaryFileAccess()
{
    if (!restore_)
        return;
    __user_cap_data_struct data[2] {};
    if (readCapabilities(data)) {
        data[0].effective = effective_[0];
        data[1].effective = effective_[1];
        writeCapabilities(data);
    }
}
