#pragma once
// The changes to a list since it was last read or saved, and what they apply
// to: the base (the lines as then), the operations by project number made on
// it since, oldest first, the projects a merge into memory kept our text of
// for now (waiting conflicts), and the journal that keeps the operations safe
// from a crash. These are kept in step here: each operation recorded, taken
// back or put back is staged for the journal, and commit writes the staged
// records with one flush; a new base (a read, a save, a merge of the file
// into memory) rewrites the journal to the operations on it. Nothing here
// holds the lines themselves, only what makes them differ from the base.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/savecycle.h"
#include "listfile/linelist.h"
#include "listfile/listmerge.h"
#include "listfile/listoperation.h"

class ChangeJournal;

class UnsavedChanges {
public:
    UnsavedChanges();
    ~UnsavedChanges();
    UnsavedChanges(const UnsavedChanges&) = delete;
    UnsavedChanges& operator=(const UnsavedChanges&) = delete;

    bool empty() const { return operations_.empty(); }
    const std::vector<ListOperation>& operations() const { return operations_; }
    const LineList& base() const { return base_; }
    const std::vector<WaitingConflict>& waitingConflicts() const { return waiting_; }
    // The numbers the operations touch, oldest first (repeats kept).
    std::vector<std::string> touchedNumbers() const;
    // The file the base was read from or written to; empty for a list begun
    // anew, whose file is judged by what was read of it.
    const std::string& baseFrom() const { return baseFrom_; }
    void setBaseFrom(const std::string& path) { baseFrom_ = path; }
    // The lines read before a repair not saved yet: the save merges the
    // repaired list as a whole onto the file.
    const std::optional<LineList>& repairedFrom() const { return repairedFrom_; }
    void setRepairedFrom(LineList read) { repairedFrom_ = std::move(read); }

    // An operation applied to the lines.
    void record(const ListOperation& op);
    // op was taken back from the lines: it is no longer unsaved, or, saved
    // meanwhile, its inverse is a change of its own; and the other way round.
    void undone(const ListOperation& op);
    void redone(const ListOperation& op);
    // Writes what was staged to the journal of listPath; with nothing
    // unsaved, the journal goes. The journal's message when it could not be
    // written: the changes are then in memory only.
    std::optional<std::string> commit(const std::string& listPath);
    // A journal anew of the operations, for listPath.
    std::optional<std::string> rewriteJournal(const std::string& listPath);

    // lines are the new base: nothing unsaved, nothing waiting. The journal
    // stays until discarded or rewritten.
    void reset(const LineList& lines);
    // The user let the changes go: they and their journal go; the base stays.
    void drop();
    void discardJournal();
    bool journalFailed() const;
    const ChangeJournal& journal() const { return *journal_; }

    // What a save of lines onto the list file at path works from, but for
    // what the file is known as.
    SaveJob saveJob(const std::string& path, const LineList& lines) const;

    // The list file read again, theirs, comes into memory, whose lines are
    // lines: merged with the operations, our text kept where both sides
    // changed a project (a waiting conflict, asked about by the save).
    // theirs is the new base, the operations are those that make the merged
    // lines of it.
    struct MergedIn {
        LineList lines;
        std::vector<MergeNotice> notices;
        std::size_t conflicts = 0;
    };
    MergedIn mergeIn(const LineList& theirs, const LineList& lines);
    // A save wrote written, holding the first saved operations: written is
    // the new base, and the operations made while the save ran (none while
    // the window waits) stay unsaved on top of it and are returned.
    std::vector<ListOperation> adoptSaved(const LineList& written, std::size_t saved);

private:
    LineList base_;
    std::vector<ListOperation> operations_;
    std::vector<WaitingConflict> waiting_;
    std::string baseFrom_;
    std::optional<LineList> repairedFrom_;
    std::unique_ptr<ChangeJournal> journal_;
};
