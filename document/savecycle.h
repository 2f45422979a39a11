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

// A project whose merge into memory kept our text over theirs for now: the
// save asks about it unless both texts agree by then.
struct WaitingConflict {
    std::string numberText;
    std::string theirs;
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
    std::vector<std::pair<MergeConflict, ConflictChoice>> answers;
};

struct SaveOutcome {
    enum class Status { Saved, Cancelled, ReadOnlyFolder, Conflicts, StaleLock, Deleted, WrittenOver };
    Status status = Status::Cancelled;
    // Saved: the list written and the stamp of the file holding it.
    LineList written;
    ListFileStamp stamp;
    std::vector<MergeNotice> notices;
    // The list written is not ours as it was: others' changes came in.
    bool mergedOthers = false;
    // The file on disk was not what was last read or written.
    bool merged = false;
    // Writes made (more than one when another writer's list replaced ours).
    std::size_t writes = 0;
    // WrittenOver after a write: the list ours was merged onto.
    LineList mergedOnto;
    std::vector<MergeConflict> conflicts;  // Conflicts
    LockHolder holder;                     // StaleLock
};

// Runs the whole cycle, asking through questions between runs; throws
// ListFileError when the file cannot be read or written, or no lock made.
SaveOutcome runSaveCycle(SaveJob job, SaveQuestions& questions);
