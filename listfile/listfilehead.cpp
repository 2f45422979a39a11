#include "listfile/listfilehead.h"

#include "listfile/listfileerror.h"
#include "listfile/listfileio.h"
#include "listfile/systemfile.h"

#include <algorithm>

std::string firstLineStart(const std::string& path, std::size_t count)
{
    // Plain files only, so a pipe or device cannot hang us.
    SystemFile file = openForReading(path);
    if (!file.valid() || statusOf(file).kind != FileKind::plain)
        throw ListFileError("Cannot open file " + path);
    // Room for a byte-order mark, which is no part of the line.
    std::string head(count + utf8ByteOrderMark.size(), '\0');
    std::size_t filled = 0;
    while (filled < head.size()) {
        const long long got = readSome(file, &head[filled], head.size() - filled);
        if (got < 0)
            throw ListFileError("Cannot open file " + path);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    head.resize(filled);
    if (head.compare(0, utf8ByteOrderMark.size(), utf8ByteOrderMark) == 0)
        head.erase(0, utf8ByteOrderMark.size());
    head.resize(std::min(head.size(), count));
    const std::size_t end = head.find_first_of(std::string("\r\n\0", 3));
    if (end != std::string::npos)
        head.resize(end);
    return head;
}
