#pragma once
// The history of the changes applied to the lines in memory, for undo and
// redo: each step is an operation (or a batch of them) as it was applied,
// with what taking it back exactly needs, and the step itself applies it and
// takes it back. The history knows which steps are in effect: a new step
// drops those taken back, and clear forgets every step (another list read,
// the list repaired, others' changes merged in). What is unsaved is not the
// history's concern: a step taken back past a save is a change of its own.
#include <cstddef>
#include <optional>
#include <vector>

#include "document/historystep.h"
#include "listfile/linelist.h"
#include "listfile/listedit.h"
#include "listfile/listoperation.h"

// An operation as it was applied to the lines: where its line was put or
// taken from, and where the order moved it. Only an operation that had to
// sort a list read out of order keeps the lines as they were before it. A
// batch is applied in one pass and keeps the lines before it.
struct AppliedOperation {
    static constexpr int notLookedUp = -2;

    ListOperation operation;
    std::vector<ListOperation> batch;
    HistoryStep::Kind batchKind = HistoryStep::Kind::Recovery;
    std::size_t placedAt = 0;
    SortedPlace sorted;
    std::optional<LineList> linesBefore;
    bool listWasSorted = false;

    // Applies the step to lines; knownSorted tells (and is left telling)
    // whether the lines are in the list's order, so that the step need not
    // keep them as they were. found is the index of the operation's project
    // line when the caller looked it up. A Remove of a project lines lack
    // throws ListFileError "List index out of bounds (-1)".
    void applyTo(LineList& lines, bool& knownSorted, int found = notLookedUp);
    // Takes the step back exactly, lines as they were right after it.
    void takeBackFrom(LineList& lines, bool& knownSorted) const;
    HistoryStep step() const;
};

class EditHistory {
public:
    // Drops the steps taken back, then adds applied as the latest in effect.
    void push(AppliedOperation applied);
    void clear();
    bool canUndo() const { return inEffect_ > 0; }
    bool canRedo() const { return inEffect_ < steps_.size(); }
    // The step an undo takes back, and the one a redo puts back.
    AppliedOperation& toUndo() { return steps_[inEffect_ - 1]; }
    AppliedOperation& toRedo() { return steps_[inEffect_]; }
    const AppliedOperation& toUndo() const { return steps_[inEffect_ - 1]; }
    const AppliedOperation& toRedo() const { return steps_[inEffect_]; }
    void undone() { --inEffect_; }
    void redone() { ++inEffect_; }

private:
    std::vector<AppliedOperation> steps_;
    std::size_t inEffect_ = 0;
};
