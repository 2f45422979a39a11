#pragma once
// One round of a save, run with the list's lock held: the list file is read
// unless it is known unchanged, ours is merged onto it (or what the user
// must answer first is found), the merged list is written in its place and
// read back. A round that finds its list not on disk afterwards, or the file
// being replaced as it is opened, asks for another round.
#include <cstddef>
#include <functional>
#include <vector>

#include "document/savecycle.h"

// What one round under the lock came to: the save's end, or what it needs
// before the cycle can go on.
struct SaveRound {
    enum class Needs {
        Nothing,
        // Projects both sides changed differently: the user's choices.
        Answers,
        // A lock from another machine, older than any save takes.
        StaleLockAnswer,
        // The list file was deleted since it was read.
        DeletedAnswer,
        // Another writer replaced the file meanwhile (or it could not be
        // opened as it was replaced): the round runs again.
        AnotherRound,
    };
    Needs needs = Needs::Nothing;
    SaveResult result;
    std::vector<MergeConflict> conflicts;  // Answers
    LockHolder holder;                     // StaleLockAnswer
    // AnotherRound after a write: the list ours was merged onto.
    LineList mergedOnto;
};

inline SaveRound needing(SaveRound::Needs needs)
{
    SaveRound round;
    round.needs = needs;
    return round;
}

// One round; cancelled() is asked before anything is written.
SaveRound lockedRound(const SaveJob& job, const ListFileStamp& stamp, const std::function<bool()>& cancelled,
                      std::size_t& failedReads);
