#include "listfile/systemfile.h"

// Path names are cut the same way on every system; only the separators differ.

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of(pathSeparators());
    if (slash == std::string::npos)
        return ".";
    // The root, and a drive's root ("C:/"), keep their separator.
    if (slash == 0 || (slash == 2 && path[1] == ':' && pathSeparators().size() > 1))
        return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string pathInFolder(const std::string& folder, std::string_view name)
{
    const std::size_t separator = folder.find_last_of(pathSeparators());
    std::string path = folder;
    if (separator == std::string::npos || separator + 1 < folder.size())
        path += separator == std::string::npos ? '/' : folder[separator];
    path += name;
    return path;
}

std::string_view fileNameOf(std::string_view path)
{
    const std::size_t slash = path.find_last_of(pathSeparators());
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
