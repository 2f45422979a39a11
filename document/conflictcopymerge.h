#pragma once
// Merging a sync tool's conflict copy of the list into the list in memory,
// by project number: the copy is read, the merge planned against the list
// as it is in memory (the copy's side is "ours" of the plan, the list in
// memory the "theirs" the plan applies to), and once the conflicts are
// answered the result goes into the document as one step of unsaved changes.
// To the user the copy is someone else's: its conflicts and choices are told
// and taken the other way round, theirs being the copy's and mine the list
// in memory's, as a save's are.
//
// The kept base (MergeBase) is the common ancestor only when it differs
// from both sides: a base equal to one side is that side's own last save,
// which would make every project the other side lacks look removed. Without
// a base every project found on one side only is kept and differing texts
// are conflicts.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "listfile/linelist.h"
#include "listfile/listmerge.h"

class ProjectListDocument;

struct CopyMergeCounts {
    std::size_t added = 0;
    std::size_t changed = 0;
    std::size_t removed = 0;
    std::vector<MergeNotice> notices;
    bool changedNothing() const { return added == 0 && changed == 0 && removed == 0; }
};

class ConflictCopyMerge {
public:
    // Reads copyPath (ListFileError when it cannot be read) and plans its
    // merge into the document's lines.
    ConflictCopyMerge(const ProjectListDocument& document, const std::string& copyPath,
                      std::optional<LineList> base);

    bool usesBase() const { return usesBase_; }
    // Projects the copy and the list in memory hold differently: theirs is
    // the copy's line, ours the list in memory's (theirsIndex is not told).
    const std::vector<MergeConflict>& conflicts() const { return conflicts_; }

    // Puts the merge into the document, one choice a conflict (KeepTheirs
    // takes the copy's line, KeepMine keeps the list in memory's, KeepBoth
    // gives the copy's the next free number). Throws std::invalid_argument
    // when the choices do not match the conflicts.
    CopyMergeCounts applyTo(ProjectListDocument& document, const std::vector<ConflictChoice>& choices) const;

private:
    LineList inMemory_;
    MergePlan plan_;
    std::vector<MergeConflict> conflicts_;
    bool usesBase_ = false;
};
