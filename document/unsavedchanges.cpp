#include "document/unsavedchanges.h"

#include "document/changejournal.h"
#include "listfile/listfileerror.h"

#include <algorithm>

UnsavedChanges::UnsavedChanges() : journal_(std::make_unique<ChangeJournal>()) {}

UnsavedChanges::~UnsavedChanges() = default;

std::vector<std::string> UnsavedChanges::touchedNumbers() const
{
    std::vector<std::string> numbers;
    numbers.reserve(operations_.size());
    for (const ListOperation& op : operations_)
        numbers.push_back(op.numberText);
    return numbers;
}

void UnsavedChanges::record(const ListOperation& op)
{
    operations_.push_back(op);
    journal_->stage(op);
}

void UnsavedChanges::undone(const ListOperation& op)
{
    // Taken back since the last save: it simply is no longer unsaved. Saved
    // meanwhile: taking it back is a change of its own.
    if (!operations_.empty() && operations_.back() == op) {
        operations_.pop_back();
        journal_->stageUndo();
    } else {
        record(inverseOperation(op));
    }
}

void UnsavedChanges::redone(const ListOperation& op)
{
    if (!operations_.empty() && operations_.back() == inverseOperation(op)) {
        operations_.pop_back();
        journal_->stageUndo();
    } else {
        record(op);
    }
}

std::optional<std::string> UnsavedChanges::commit(const std::string& listPath)
{
    // Nothing unsaved left: nothing to keep.
    if (operations_.empty()) {
        journal_->discard();
        return std::nullopt;
    }
    try {
        journal_->commit(listPath);
    } catch (const ListFileError& error) {
        return std::string(error.what());
    }
    return std::nullopt;
}

std::optional<std::string> UnsavedChanges::rewriteJournal(const std::string& listPath)
{
    journal_->discard();
    for (const ListOperation& op : operations_)
        journal_->stage(op);
    return commit(listPath);
}

void UnsavedChanges::reset(const LineList& lines)
{
    base_ = lines;
    operations_.clear();
    waiting_.clear();
    repairedFrom_.reset();
}

void UnsavedChanges::drop()
{
    operations_.clear();
    waiting_.clear();
    repairedFrom_.reset();
    journal_->discard();
}

void UnsavedChanges::discardJournal()
{
    journal_->discard();
}

bool UnsavedChanges::journalFailed() const
{
    return journal_->failed();
}

SaveJob UnsavedChanges::saveJob(const std::string& path, const LineList& lines) const
{
    SaveJob job;
    job.path = path;
    job.base = repairedFrom_ ? *repairedFrom_ : base_;
    job.wholeList = repairedFrom_.has_value();
    job.ours = lines;
    job.touched = touchedNumbers();
    job.waitingConflicts = waiting_;
    job.baseIsFile = baseFrom_ == path;
    return job;
}

UnsavedChanges::MergedIn UnsavedChanges::mergeIn(const LineList& theirs, const LineList& lines)
{
    MergedIn out;
    if (operations_.empty()) {
        reset(theirs);
        out.lines = theirs;
        return out;
    }
    const MergePlan plan = planMerge(base_, lines, theirs, touchedNumbers());
    out.notices = plan.notices;
    // Ours stays in memory until the save asks.
    const std::vector<ConflictChoice> keepMine(plan.conflicts.size(), ConflictChoice::KeepMine);
    const LineList merged = applyMerge(theirs, plan, keepMine, out.notices);
    out.conflicts = plan.conflicts.size();
    for (const MergeConflict& conflict : plan.conflicts) {
        auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                 [&](const WaitingConflict& w) { return w.numberText == conflict.numberText; });
        if (same != waiting_.end())
            same->theirs = conflict.theirs;
        else
            waiting_.push_back({conflict.numberText, conflict.theirs});
    }
    std::vector<std::string> proposed;
    for (const ListOperation& op : operations_)
        if (op.numberProposed)
            proposed.push_back(op.numberText);
    proposed = touchedAfterMerge(std::move(proposed), out.notices);
    // The unsaved changes are now those that turn the file read into the
    // merged lines.
    operations_ = operationsBetween(theirs, merged, touchedAfterMerge(touchedNumbers(), out.notices));
    for (ListOperation& op : operations_)
        op.numberProposed = !op.replaced && std::find(proposed.begin(), proposed.end(), op.numberText) != proposed.end();
    base_ = theirs;
    out.lines = theirs;
    applyOperations(out.lines, operations_);
    return out;
}

std::vector<ListOperation> UnsavedChanges::adoptSaved(const LineList& written, std::size_t saved)
{
    std::vector<ListOperation> later(operations_.begin() + std::ptrdiff_t(saved), operations_.end());
    base_ = written;
    operations_ = later;
    waiting_.clear();
    repairedFrom_.reset();
    return later;
}
