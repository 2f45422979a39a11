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
// The kept base (MergeBase) is our last read or save. Differing from both
// sides, it is the common ancestor. Equal to the copy, the copy holds no
// change of its own. Equal to the list in memory, whatever the copy holds
// differently is the copy's change and comes in without a question, as a
// shared list's save takes the other writer's; only a project the copy lacks
// is kept, since the copy may have split off before it was added. Without a
// base every project found on one side only is kept and differing texts are
// conflicts.
//
// A copy that is no project list (binary, or mostly other lines than
// projects) is not planned at all: nothing of it may be merged.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "listfile/linelist.h"
#include "listfile/listfileio.h"
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
    // Reads copyPath (ListFileError when it cannot be read, ListFileTooBig at
    // once when it is bigger than a list may be, ListFileReadCancelled when
    // progress said stop) and plans its merge into the document's lines.
    ConflictCopyMerge(const ProjectListDocument& document, const std::string& copyPath,
                      std::optional<LineList> base, const ReadProgress& progress = {});

    // False for a copy that is no project list: it has no conflicts, and
    // applyTo refuses it.
    bool copyIsProjectList() const { return copyIsProjectList_; }
    // Whether the kept base is the common ancestor of both sides.
    bool usesBase() const { return usesBase_; }
    // Projects the copy and the list in memory hold differently: theirs is
    // the copy's line, ours the list in memory's (theirsIndex is not told).
    const std::vector<MergeConflict>& conflicts() const { return conflicts_; }

    // Puts the merge into the document, one choice a conflict (KeepTheirs
    // takes the copy's line, KeepMine keeps the list in memory's, KeepBoth
    // gives the copy's the next free number). Throws std::invalid_argument
    // when the choices do not match the conflicts, std::logic_error for a
    // copy that is no project list.
    CopyMergeCounts applyTo(ProjectListDocument& document, const std::vector<ConflictChoice>& choices) const;

private:
    LineList inMemory_;
    MergePlan plan_;
    std::vector<MergeConflict> conflicts_;
    bool usesBase_ = false;
    bool copyIsProjectList_ = false;
};
