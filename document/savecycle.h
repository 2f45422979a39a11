#pragma once
// Saving a list that others may change too. A save takes the lock beside the
// list only to read the file, merge our changes onto it and write it back,
// on a thread of its own: a network share may block for seconds. It then
// reads back what it wrote; a list on disk that is not the one written (a lock
// that locks nothing, as on some network mounts) makes it run again.
//
// Questions (a lock held by someone else, a stale lock, a deleted file,
// projects both sides changed differently) are asked with no lock held, and
// the cycle runs again with the answers: the file may change meanwhile.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/listfilelock.h"
#include "document/listfilestamp.h"
#include "listfile/linelist.h"
#include "listfile/listmerge.h"

// What a save asks of the user. Each wait shows until finished() holds and
// returns false when the user cancelled first.
class SaveQuestions {
public:
    virtual ~SaveQuestions() = default;
    // Someone else holds the lock; it is tried again every 200 ms.
    virtual bool waitForLock(const LockHolder& holder, const std::function<bool()>& finished) = 0;
    // The save takes long (a slow share). Cancelling stops it before it
    // writes; once it writes, it ends.
    virtual bool waitForSave(const std::function<bool()>& finished) = 0;
    // A lock from another machine, older than any save takes: take it over?
    virtual bool takeOverStaleLock(const LockHolder& holder) = 0;
    // The list file was deleted since it was read: write it again?
    virtual bool createDeletedFile() = 0;
    // The list file has become a symbolic link to target, another file,
    // since it was last read or written: save into target? Never, unless
    // the user says so.
    virtual bool writeThroughNewLink(const std::string& target)
    {
        (void)target;
        return false;
    }
    // One choice for each conflict, or nothing when the user cancels.
    virtual std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) = 0;
};

// What a save works from: a copy of the document as the save began.
struct SaveJob {
    std::string path;
    LineList base;
    LineList ours;
    std::vector<std::string> touched;
    // Ours is a rewrite of the whole list (a repair), not operations on the
    // touched numbers: every project is merged.
    bool wholeList = false;
    std::vector<WaitingConflict> waitingConflicts;
    ListFileStamp stamp;
    // base is the list file's lines as stamp knows them; else (a list begun
    // anew over a file) the file is judged by the stamp's hash of its lines.
    bool baseIsFile = true;
    std::optional<std::uint64_t> stampedHash;
    // The lock is known to keep out other writers (a local file system):
    // else a save looks again a moment after its read-back.
    bool lockTrusted = true;
    // The list file was there when it was last read or written.
    bool baseExisted = false;
    // Answers so far.
    bool createIfMissing = false;
    bool takeOverStale = false;
    std::vector<ConflictAnswered> answers;
};

// How a save through the cycle of read, merge, write and read-back ended.
struct SaveResult {
    enum class Status {
        Saved,
        // The user cancelled a question or a wait: nothing written, the
        // changes stay unsaved.
        Cancelled,
        // No lock can be made beside the list (a read-only folder or share):
        // the list is read-only here; the changes and their journal stay.
        ReadOnlyFolder,
    };
    Status status = Status::Cancelled;
    // What the merge decided on its own, for the user.
    std::vector<MergeNotice> notices;
    // The file had changed on disk since it was last read or written.
    bool merged = false;
    // The list saved holds changes of others: the undo history went.
    bool mergedOthers = false;
    // Writes made: more than one when another writer replaced ours.
    std::size_t writes = 0;
    // Saved: the list written and the stamp of the file holding it.
    LineList written;
    ListFileStamp stamp;
};

// Runs the whole cycle, asking through questions between runs; throws
// ListFileError when the file cannot be read or written, or no lock made.
SaveResult runSaveCycle(SaveJob job, SaveQuestions& questions);
