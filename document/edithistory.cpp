#include "document/edithistory.h"

#include "listfile/lineformat.h"
#include "document/unsavedchanges.h"
#include "listfile/listfileerror.h"

#include <algorithm>

void AppliedOperation::applyTo(LineList& lines, bool& knownSorted, int found)
{
    const ListOperation& op = operation;
    listWasSorted = knownSorted;
    linesBefore.reset();
    if (!batch.empty()) {
        linesBefore = lines;
        applyOperations(lines, batch);
        // Only a Put sorts a list read out of order.
        knownSorted = knownSorted
            || std::any_of(batch.begin(), batch.end(),
                           [](const ListOperation& op) { return op.kind == ListOperation::Kind::Put; });
        return;
    }
    if (found == notLookedUp)
        found = findProjectLine(lines, op.numberText);
    if (op.kind == ListOperation::Kind::Remove) {
        if (found < 0)
            throw ListFileError("List index out of bounds (-1)");
        placedAt = std::size_t(found);
        lines.erase(placedAt);
        return;
    }
    // A list read out of order is sorted whole by its first change; only
    // then is the order before it kept, sharing the lines read.
    std::optional<LineList> before;
    if (!knownSorted)
        before = lines;
    if (found >= 0) {
        placedAt = std::size_t(found);
        lines.set(placedAt, op.line);
    } else {
        placedAt = std::min(op.insertAt ? std::size_t(*op.insertAt) : lines.size(), lines.size());
        lines.insert(placedAt, op.line);
    }
    sorted = knownSorted ? keepSortedInOrderedList(lines, placedAt) : keepSorted(lines, placedAt);
    if (sorted.sortedAll)
        linesBefore = std::move(before);
    knownSorted = true;
}

void AppliedOperation::takeBackFrom(LineList& lines, bool& knownSorted) const
{
    const ListOperation& op = operation;
    if (!batch.empty()) {
        lines = *linesBefore;
    } else if (op.kind == ListOperation::Kind::Remove) {
        lines.insert(placedAt, op.replaced.value_or(std::string()));
    } else if (linesBefore) {
        lines = *linesBefore;
    } else if (op.replaced) {
        lines.moveLine(sorted.at, placedAt);
        lines.set(placedAt, *op.replaced);
    } else {
        lines.erase(sorted.at);
    }
    knownSorted = listWasSorted;
}

HistoryStep AppliedOperation::step() const
{
    if (!batch.empty())
        return {batchKind, {}};
    return {operation.kind == ListOperation::Kind::Remove ? HistoryStep::Kind::Remove : HistoryStep::Kind::Put,
            operation.numberText};
}

AppliedOperation AppliedOperation::put(const LineList& lines, std::string_view numberText, std::string_view line,
                                       std::optional<std::size_t> insertAt, bool numberProposed, int& found)
{
    AppliedOperation applied;
    ListOperation& op = applied.operation;
    op.kind = ListOperation::Kind::Put;
    op.numberText = std::string(numberText);
    op.line = std::string(line);
    found = findProjectLine(lines, numberText);
    if (found >= 0) {
        op.replaced = std::string(lines[std::size_t(found)]);
    } else {
        if (insertAt)
            op.insertAt = std::uint64_t(*insertAt);
        op.numberProposed = numberProposed;
    }
    return applied;
}

AppliedOperation AppliedOperation::remove(const LineList& lines, std::string_view numberText, int& found)
{
    AppliedOperation applied;
    ListOperation& op = applied.operation;
    op.kind = ListOperation::Kind::Remove;
    op.numberText = std::string(numberText);
    found = findProjectLine(lines, numberText);
    if (found < 0)
        throw ListFileError("List index out of bounds (-1)");
    op.replaced = std::string(lines[std::size_t(found)]);
    return applied;
}

AppliedOperation AppliedOperation::batchOf(std::vector<ListOperation> ops, const LineList& lines,
                                           HistoryStep::Kind kind, std::vector<std::string>& differing)
{
    // The line each change meets now, to tell which changes meet a line
    // other than the one they replaced.
    const std::vector<std::optional<std::string>> met = linesMet(lines, ops);
    AppliedOperation applied;
    applied.batchKind = kind;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        ListOperation op = std::move(ops[i]);
        if (met[i] != op.replaced && std::find(differing.begin(), differing.end(), op.numberText) == differing.end())
            differing.push_back(op.numberText);
        // Already gone: nothing left to take out.
        if (op.kind == ListOperation::Kind::Remove && !met[i])
            continue;
        op.replaced = met[i];
        if (op.kind == ListOperation::Kind::Put && op.replaced)
            op.insertAt.reset();
        applied.batch.push_back(std::move(op));
    }
    return applied;
}

AppliedOperation& EditHistory::apply(AppliedOperation applied, LineList& lines, bool& knownSorted, int found,
                                     UnsavedChanges& unsaved)
{
    applied.applyTo(lines, knownSorted, found);
    if (applied.batch.empty())
        unsaved.record(applied.operation);
    for (const ListOperation& op : applied.batch)
        unsaved.record(op);
    steps_.erase(steps_.begin() + std::ptrdiff_t(inEffect_), steps_.end());
    steps_.push_back(std::move(applied));
    ++inEffect_;
    return steps_.back();
}

std::optional<HistoryStep> EditHistory::undo(LineList& lines, bool& knownSorted, UnsavedChanges& unsaved)
{
    if (!canUndo())
        return std::nullopt;
    const AppliedOperation& applied = steps_[inEffect_ - 1];
    applied.takeBackFrom(lines, knownSorted);
    --inEffect_;
    if (applied.batch.empty())
        unsaved.undone(applied.operation);
    for (auto op = applied.batch.rbegin(); op != applied.batch.rend(); ++op)
        unsaved.undone(*op);
    return applied.step();
}

std::optional<HistoryStep> EditHistory::redo(LineList& lines, bool& knownSorted, UnsavedChanges& unsaved)
{
    if (!canRedo())
        return std::nullopt;
    AppliedOperation& applied = steps_[inEffect_];
    applied.applyTo(lines, knownSorted);
    ++inEffect_;
    if (applied.batch.empty())
        unsaved.redone(applied.operation);
    for (const ListOperation& op : applied.batch)
        unsaved.redone(op);
    return applied.step();
}

std::optional<HistoryStep> EditHistory::undoStep() const
{
    return canUndo() ? std::optional(steps_[inEffect_ - 1].step()) : std::nullopt;
}

std::optional<HistoryStep> EditHistory::redoStep() const
{
    return canRedo() ? std::optional(steps_[inEffect_].step()) : std::nullopt;
}

void EditHistory::clear()
{
    steps_.clear();
    inEffect_ = 0;
}
