#include "listfile/fittedfilename.h"

#include <cstdint>
#include <cstdio>

namespace {

// FNV-1a: the same for a name in every run and build, unlike std::hash.
std::uint64_t hashOfName(std::string_view name)
{
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    return hash;
}

bool continuesCharacter(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

std::string fittedFileName(std::string_view prefix, std::string_view name, std::string_view suffix,
                           std::size_t room)
{
    std::string fitted(prefix);
    if (prefix.size() + name.size() + suffix.size() <= room) {
        fitted += name;
        fitted += suffix;
        return fitted;
    }
    char hash[18];
    std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(hashOfName(name)));
    const std::size_t marked = prefix.size() + suffix.size() + (sizeof hash - 1);
    std::size_t kept = room > marked ? room - marked : 0;
    while (kept > 0 && continuesCharacter(name[kept]))
        --kept;
    fitted += name.substr(0, kept);
    fitted += hash;
    fitted += suffix;
    return fitted;
}
