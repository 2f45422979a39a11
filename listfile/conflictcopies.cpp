#include "listfile/conflictcopies.h"
#include "listfile/fittedfilename.h"

#include "listfile/listfileerror.h"
#include "listfile/systemfile.h"

#include <algorithm>

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

// name with " (number)" before its extension, the stem shortened where
// that would pass the file system's limit.
std::string numberedName(std::string_view name, int number)
{
    const NameParts parts = splitExtension(name, false);
    return fittedFileName({}, parts.stem, " (" + std::to_string(number) + ")" + std::string(parts.extension));
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
    forEachEntry(folderOf(listPath), [&](const std::string& name, FileKind kind) {
        if (kind == FileKind::plain && isConflictCopyOf(name, listName))
            copies.push_back(folderPart + name);
    });
    std::sort(copies.begin(), copies.end());
    return copies;
}

std::string moveIntoBackupFolder(const std::string& copyPath, const std::string& folderName)
{
    const std::string backupFolder = pathInFolder(folderOf(copyPath), folderName);
    const auto failure = [&](const std::string& reason) {
        return ListFileError("Cannot move " + copyPath + " into " + backupFolder + ": " + reason);
    };
    const FileKind copy = statusOfPath(copyPath, false).kind;
    if (copy == FileKind::missing)
        throw failure(missingFileReason);
    if (copy == FileKind::unreadable)
        throw failure(deniedReason);
    const SystemFailure made = makePrivateFolder(backupFolder);
    if (made.failed()
        && !(made.kind == SystemFailure::Kind::nameTaken && statusOfPath(backupFolder, true).kind == FileKind::folder))
        throw ListFileError("Cannot create folder " + backupFolder + ": " + made.reason);

    const std::string_view name = fileNameOf(copyPath);
    for (int number = 1; number <= mostNumberedNames; ++number) {
        const std::string target = pathInFolder(backupFolder, number == 1 ? std::string(name) : numberedName(name, number));
        const SystemFailure moved = moveWithoutReplacing(copyPath, target);
        if (!moved.failed())
            return target;
        if (moved.kind != SystemFailure::Kind::nameTaken)
            throw failure(moved.reason);
    }
    throw failure(takenNameReason);
}
