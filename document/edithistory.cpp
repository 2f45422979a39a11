#include "document/edithistory.h"

#include "listfile/lineformat.h"
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

void EditHistory::push(AppliedOperation applied)
{
    steps_.erase(steps_.begin() + std::ptrdiff_t(inEffect_), steps_.end());
    steps_.push_back(std::move(applied));
    ++inEffect_;
}

void EditHistory::clear()
{
    steps_.clear();
    inEffect_ = 0;
}
