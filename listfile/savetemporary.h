#pragma once
// The hidden file a save writes before it takes the list's place:
// ".<list name>.quindle-save.<8 letters>" in the list's own folder, so that
// the rename is atomic. The fixed infix is a name no user would give a file,
// so files such as ".Projects.txt.20241231" beside the list are never taken
// for ours. While a save runs, its temporary file is locked; a process
// killed half way leaves an unlocked one behind, which the next save of the
// same list removes before it writes. The lock goes with the process however
// it ends, so a temporary file that another running save is still writing is
// never taken.
#include <string>
#include <string_view>

#include "listfile/systemfile.h"

class SaveTemporary {
public:
    // Creates and locks a new temporary file beside target; check valid().
    explicit SaveTemporary(const std::string& target);
    // Removes the file unless it was renamed into place.
    ~SaveTemporary();
    SaveTemporary(const SaveTemporary&) = delete;
    SaveTemporary& operator=(const SaveTemporary&) = delete;

    bool valid() const { return file_.valid(); }
    SystemFile& file() { return file_; }
    const std::string& path() const { return path_; }

    // Flushes the content to the disk and ends writing; false when either
    // reports an error. The lock stays until the rename is done.
    bool finishWriting();
    // Puts the file in target's place.
    bool renameOnto(const std::string& target);

private:
    SystemFile file_;  // holds the lock until the rename is done
    std::string path_;
};

// Whether fileName is a temporary file name of a save of listFileName.
bool isSaveTemporaryName(std::string_view fileName, std::string_view listFileName);

// count letters and digits, different each time it is called.
std::string randomLetters(std::size_t count);

// Removes the temporary files of target that no running save holds.
void removeStaleSaveTemporaries(const std::string& target);
