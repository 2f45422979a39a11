#include "listfile/conflictcopies.h"

#include "listfile/listfileerror.h"
#include "listfile/posixfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool consumePrefix(std::string_view& text, std::string_view prefix)
{
    if (text.substr(0, prefix.size()) != prefix)
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

bool consumeSuffix(std::string_view& text, std::string_view suffix)
{
    if (text.size() < suffix.size() || text.substr(text.size() - suffix.size()) != suffix)
        return false;
    text.remove_suffix(suffix.size());
    return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isAsciiLetterOrDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether text has the shape given, in which each '9' stands for a digit and
// any other character for itself.
bool hasShape(std::string_view text, std::string_view shape)
{
    if (text.size() != shape.size())
        return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == '9' ? !isDigit(text[i]) : text[i] != shape[i])
            return false;
    return true;
}

// Takes a date or time of the shape given off the end of text.
bool consumeSuffixShaped(std::string_view& text, std::string_view shape)
{
    if (text.size() < shape.size() || !hasShape(text.substr(text.size() - shape.size()), shape))
        return false;
    text.remove_suffix(shape.size());
    return true;
}

// "YYYYMMDD-HHMMSS"
constexpr std::string_view compactTime = "99999999-999999";

// What each tool puts between the list's name and its extension.

bool isSyncthingTag(std::string_view tag)
{
    if (!consumePrefix(tag, ".sync-conflict-") || !hasShape(tag.substr(0, compactTime.size()), compactTime))
        return false;
    tag.remove_prefix(compactTime.size());
    // The device that made the change, added in later versions.
    if (tag.empty())
        return true;
    return consumePrefix(tag, "-") && !tag.empty() && std::all_of(tag.begin(), tag.end(), isAsciiLetterOrDigit);
}

bool isNextcloudTag(std::string_view tag)
{
    if (!consumePrefix(tag, " (conflicted copy ") || !consumeSuffixShaped(tag, "9999-99-99 999999)"))
        return false;
    // What is left is empty or the user's name and a blank; the client takes
    // parentheses out of the name.
    if (tag.empty())
        return true;
    return consumeSuffix(tag, " ") && !tag.empty() && tag.find_first_of("()") == std::string_view::npos;
}

bool isOldNextcloudTag(std::string_view tag)
{
    return consumePrefix(tag, "_conflict-") && hasShape(tag, compactTime);
}

bool isDropboxTag(std::string_view tag)
{
    if (!consumePrefix(tag, " (") || !consumeSuffixShaped(tag, " conflicted copy 9999-99-99)"))
        return false;
    // The user's name with "'s", typed or typographic.
    return (consumeSuffix(tag, "'s") || consumeSuffix(tag, "\xE2\x80\x99s")) && !tag.empty();
}

struct NameParts {
    std::string_view stem;
    std::string_view extension;  // from the last dot, empty when there is none
};

// A leading dot starts the extension for some tools (".list" has the
// extension ".list" in Go) and not for others.
NameParts splitExtension(std::string_view name, bool leadingDotStartsExtension)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (dot == 0 && !leadingDotStartsExtension))
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

struct SyncTool {
    bool (*isTag)(std::string_view);
    bool leadingDotStartsExtension;
};

constexpr SyncTool syncTools[] = {
    {isSyncthingTag, true},
    {isNextcloudTag, false},
    {isOldNextcloudTag, false},
    {isDropboxTag, false},
};

bool isRegularFile(int folderFd, const dirent& entry)
{
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type == DT_REG;
    struct stat info {};
    return ::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

// name with " (number)" before its extension.
std::string numberedName(std::string_view name, int number)
{
    const NameParts parts = splitExtension(name, false);
    std::string numbered(parts.stem);
    numbered += " (" + std::to_string(number) + ")";
    numbered += parts.extension;
    return numbered;
}

// 0, or why from could not be moved to to; EEXIST when to is taken.
int moveWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    // A file system that cannot refuse to replace (several network ones):
    // the name is first claimed by an empty file of ours, which the move
    // then replaces.
    const int claim = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (claim < 0)
        return errno;
    ::close(claim);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return 0;
    const int error = errno;
    ::unlink(to.c_str());
    return error;
}

// Whether a copy is moved again past this many names taken: the folder is
// then no longer a place anyone looks through.
constexpr int mostNumberedNames = 10000;

} // namespace

bool isConflictCopyOf(std::string_view candidate, std::string_view listFileName)
{
    if (listFileName.empty())
        return false;
    for (const SyncTool& tool : syncTools) {
        const NameParts list = splitExtension(listFileName, tool.leadingDotStartsExtension);
        std::string_view tag = candidate;
        if (consumePrefix(tag, list.stem) && consumeSuffix(tag, list.extension) && tool.isTag(tag))
            return true;
    }
    return false;
}

std::vector<std::string> conflictCopiesBeside(const std::string& listPath)
{
    std::vector<std::string> copies;
    const std::string_view listName = fileNameOf(listPath);
    const std::string folderPart = listPath.substr(0, listPath.size() - listName.size());
    DIR* folder = ::opendir(folderOf(listPath).c_str());
    if (!folder)
        return copies;
    while (const dirent* entry = ::readdir(folder))
        if (isConflictCopyOf(entry->d_name, listName) && isRegularFile(::dirfd(folder), *entry))
            copies.push_back(folderPart + entry->d_name);
    ::closedir(folder);
    std::sort(copies.begin(), copies.end());
    return copies;
}

std::string moveIntoBackupFolder(const std::string& copyPath, const std::string& folderName)
{
    const std::string backupFolder = folderOf(copyPath) + "/" + folderName;
    const auto failure = [&](int error) {
        return ListFileError("Cannot move " + copyPath + " into " + backupFolder + ": " + std::strerror(error));
    };
    struct stat info {};
    if (::lstat(copyPath.c_str(), &info) != 0)
        throw failure(errno);
    if (::mkdir(backupFolder.c_str(), 0700) != 0) {
        int error = errno;
        if (error == EEXIST && ::stat(backupFolder.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            error = 0;
        if (error != 0)
            throw ListFileError("Cannot create folder " + backupFolder + ": " + std::strerror(error));
    }

    const std::string_view name = fileNameOf(copyPath);
    for (int number = 1; number <= mostNumberedNames; ++number) {
        const std::string target = backupFolder + "/" + (number == 1 ? std::string(name) : numberedName(name, number));
        const int error = moveWithoutReplacing(copyPath, target);
        if (error == 0)
            return target;
        if (error != EEXIST)
            throw failure(error);
    }
    throw failure(EEXIST);
}
