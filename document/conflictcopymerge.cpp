#include "document/conflictcopymerge.h"

#include "document/listfilestamp.h"
#include "document/projectlistdocument.h"
#include "listfile/listdifference.h"
#include "listfile/listfileio.h"

ConflictCopyMerge::ConflictCopyMerge(const ProjectListDocument& document, const std::string& copyPath,
                                     std::optional<LineList> base)
    : inMemory_(document.lines())
{
    LineList copy;
    loadListFile(copyPath, copy);
    if (base) {
        const std::uint64_t baseHash = hashOfLines(*base);
        usesBase_ = baseHash != hashOfLines(copy) && baseHash != hashOfLines(inMemory_);
    }
    plan_ = planFullMerge(usesBase_ ? base : std::nullopt, copy, inMemory_);
    for (const MergeConflict& conflict : plan_.conflicts)
        conflicts_.push_back({conflict.numberText, conflict.base, conflict.theirs, conflict.ours, 0});
}

CopyMergeCounts ConflictCopyMerge::applyTo(ProjectListDocument& document,
                                           const std::vector<ConflictChoice>& choices) const
{
    CopyMergeCounts counts;
    counts.notices = plan_.notices;
    // The plan's ours is the copy: the user's theirs.
    std::vector<ConflictChoice> planChoices;
    for (ConflictChoice choice : choices)
        planChoices.push_back(choice == ConflictChoice::KeepTheirs ? ConflictChoice::KeepMine
                              : choice == ConflictChoice::KeepMine ? ConflictChoice::KeepTheirs
                                                                   : ConflictChoice::KeepBoth);
    const LineList merged = applyMerge(inMemory_, plan_, planChoices, counts.notices);
    // Changes by number against the lines as they are now, which the plan
    // was made on; the document names what each replaced.
    std::vector<ListOperation> ops = operationsBetweenLists(inMemory_, merged);
    for (const ListOperation& op : ops) {
        if (op.kind == ListOperation::Kind::Remove)
            ++counts.removed;
        else if (op.replaced)
            ++counts.changed;
        else
            ++counts.added;
    }
    document.applyChanges(std::move(ops), HistoryStep::Kind::ConflictCopy);
    return counts;
}
