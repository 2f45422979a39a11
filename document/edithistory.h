#pragma once
// The history of the changes applied to the lines in memory, for undo and
// redo: each step is an operation (or a batch of them) as it was applied,
// with what taking it back exactly needs, and the step itself applies it and
// takes it back. The history knows which steps are in effect: a new step
// drops those taken back, and clear forgets every step (another list read,
// the list repaired, others' changes merged in). Each operation applied,
// taken back or put back is told to the unsaved changes, which decide what
// it means there (a step taken back past a save is a change of its own).
#include <cstddef>
#include <optional>
#include <vector>

#include "document/historystep.h"
#include "listfile/linelist.h"
#include "listfile/listedit.h"
#include "listfile/listoperation.h"

#include <string>
#include <string_view>

class UnsavedChanges;

// An operation as it was applied to the lines: where its line was put or
// taken from, and where the order moved it. Only an operation that had to
// sort a list read out of order keeps the lines as they were before it. A
// batch is applied in one pass and keeps the lines before it.
struct AppliedOperation {
    static constexpr int notLookedUp = -2;

    // The Put of line as project numberText's line onto lines (insertAt:
    // where a new project goes), and the Remove of its first line (which
    // must be there: else ListFileError "List index out of bounds (-1)");
    // found is set to the index of the project's line, or -1.
    static AppliedOperation put(const LineList& lines, std::string_view numberText, std::string_view line,
                                std::optional<std::size_t> insertAt, bool numberProposed, int& found);
    static AppliedOperation remove(const LineList& lines, std::string_view numberText, int& found);
    // ops as one batch on lines as they are: each op's replaced line is set
    // from them, and a Remove whose project is not there is left out.
    // differing gets the numbers whose line was not what the op said it
    // replaced.
    static AppliedOperation batchOf(std::vector<ListOperation> ops, const LineList& lines, HistoryStep::Kind kind,
                                    std::vector<std::string>& differing);

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
    // Applies a new step to lines and tells unsaved; then drops the steps
    // taken back and adds it as the latest in effect. knownSorted and found
    // as AppliedOperation::applyTo takes them.
    AppliedOperation& apply(AppliedOperation applied, LineList& lines, bool& knownSorted, int found,
                            UnsavedChanges& unsaved);
    // Takes back the latest step in effect, or puts back the latest taken
    // back; none when there is none.
    std::optional<HistoryStep> undo(LineList& lines, bool& knownSorted, UnsavedChanges& unsaved);
    std::optional<HistoryStep> redo(LineList& lines, bool& knownSorted, UnsavedChanges& unsaved);
    void clear();
    bool canUndo() const { return inEffect_ > 0; }
    bool canRedo() const { return inEffect_ < steps_.size(); }
    // What an undo would take back and a redo put back.
    std::optional<HistoryStep> undoStep() const;
    std::optional<HistoryStep> redoStep() const;

private:
    std::vector<AppliedOperation> steps_;
    std::size_t inEffect_ = 0;
};
