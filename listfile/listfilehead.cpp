#include "listfile/listfilehead.h"

#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string firstLineStart(const std::string& path, std::size_t count)
{
    // Non-blocking, and plain files only, so a pipe or device cannot hang us.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        throw ListFileError("Cannot open file " + path);
    }
    // Room for a byte-order mark, which is no part of the line.
    std::string head(count + utf8ByteOrderMark.size(), '\0');
    std::size_t filled = 0;
    while (filled < head.size()) {
        const ssize_t got = ::read(fd, &head[filled], head.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            throw ListFileError("Cannot open file " + path);
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    ::close(fd);
    head.resize(filled);
    if (head.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0)
        head.erase(0, utf8ByteOrderMark.size());
    head.resize(std::min(head.size(), count));
    const std::size_t end = head.find_first_of(std::string("\r\n\0", 3));
    if (end != std::string::npos)
        head.resize(end);
    return head;
}
