#include "document/conflictcopymerge.h"

#include "document/listfilestamp.h"
#include "document/projectlistdocument.h"
#include "listfile/listdifference.h"
#include "listfile/lineformat.h"
#include "listfile/listfileio.h"

#include <stdexcept>
#include <string_view>
#include <unordered_set>

namespace {

// The lines of base that copy holds too, by number or, for other lines, as
// they stand: a base without the projects the copy may never have had.
LineList baseOfWhatCopyHolds(const LineList& base, const LineList& copy)
{
    std::unordered_set<std::string_view> numbers;
    std::unordered_set<std::string_view> lines;
    for (std::string_view line : copy) {
        lines.insert(line);
        if (beginsWithProjectNumber(line))
            numbers.insert(numberKey(line));
    }
    LineList kept;
    for (std::string_view line : base)
        if (lines.count(line) != 0 || (beginsWithProjectNumber(line) && numbers.count(numberKey(line)) != 0))
            kept.push_back(line);
    return kept;
}

} // namespace

ConflictCopyMerge::ConflictCopyMerge(const ProjectListDocument& document, const std::string& copyPath,
                                     std::optional<LineList> base, const ReadProgress& progress)
    : inMemory_(document.lines())
{
    LineList copy;
    loadListFile(copyPath, copy, progress);
    copyIsProjectList_ = isProjectList(copy);
    if (!copyIsProjectList_)
        return;
    if (base) {
        const std::uint64_t baseHash = hashOfLines(*base);
        const bool baseIsInMemory = baseHash == hashOfLines(inMemory_);
        usesBase_ = !baseIsInMemory && baseHash != hashOfLines(copy);
        if (baseIsInMemory)
            base = baseOfWhatCopyHolds(*base, copy);
    }
    plan_ = planFullMerge(base, copy, inMemory_);
    for (const MergeConflict& conflict : plan_.conflicts)
        conflicts_.push_back({conflict.numberText, conflict.base, conflict.theirs, conflict.ours, 0});
}

CopyMergeCounts ConflictCopyMerge::applyTo(ProjectListDocument& document,
                                           const std::vector<ConflictChoice>& choices) const
{
    if (!copyIsProjectList_)
        throw std::logic_error("a file that is no project list is never merged");
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
