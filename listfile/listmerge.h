#pragma once
// Saving onto a list that someone else changed since we read it: a three-way
// merge by project number. base is the list as we last read or wrote it,
// ours is base with our unsaved changes, theirs is the file as it is now.
//
// A project we touched is matched on its line's number key, as
// findProjectLine matches it ("1000" is not project "100"), and each list is compared by the first line
// of each number. The merged list is theirs with our changes put onto it: lines
// that our changes do not touch keep their bytes and their order, lines that
// are no project lines stay where theirs has them, and our new and changed
// lines go where "Apply Changes" would put them in a sorted list.
//
// - Changed on one side only: that side's line. The same change on both
//   sides counts once.
// - Removed on one side, unchanged on the other: removed. Edited on one side,
//   removed on the other: the edit stays, with a notice.
// - Added on both sides under one number with different texts: theirs keeps
//   the number, ours takes the next free one, with a notice.
// - Edited on both sides differently: a conflict the caller answers.
//
// Further lines of a number we touched (a number the list holds twice) are
// merged as lines: one that either side added is kept, one that either side
// took out goes.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "listfile/linelist.h"

// Both sides changed one project differently.
struct MergeConflict {
    std::string numberText;
    // None when the lists have no common ancestor, or when both added a
    // project under a number that is no decimal number.
    std::optional<std::string> base;
    std::string ours;
    std::string theirs;
    // Where theirs holds its line.
    std::size_t theirsIndex = 0;

    friend bool operator==(const MergeConflict& a, const MergeConflict& b)
    {
        return a.numberText == b.numberText && a.base == b.base && a.ours == b.ours && a.theirs == b.theirs
            && a.theirsIndex == b.theirsIndex;
    }
};

enum class ConflictChoice {
    KeepTheirs,
    KeepMine,
    // Theirs keeps the number, mine takes the next free one (a Renumbered
    // notice). Under a number that is no decimal number mine is added as it
    // stands.
    KeepBoth,
};

// Something the merge decided on its own that the user should hear about.
struct MergeNotice {
    enum class Kind { TheirEditKeptOverOurRemoval, OurEditKeptOverTheirRemoval, Renumbered };
    Kind kind = Kind::Renumbered;
    std::string numberText;
    // Renumbered: the number our project now has.
    std::string newNumberText;
    // Renumbered because the user chose to keep both texts of a conflict,
    // not because someone else added a project under the number.
    bool keptBoth = false;

    friend bool operator==(const MergeNotice& a, const MergeNotice& b)
    {
        return a.kind == b.kind && a.numberText == b.numberText && a.newNumberText == b.newNumberText
            && a.keptBoth == b.keptBoth;
    }
};

// What the merge does to theirs, before the conflicts are answered.
struct MergePlan {
    struct Replacement {
        std::size_t index;
        std::string line;
    };

    // The number of lines of the theirs planned on.
    std::size_t theirsLines = 0;
    // Lines of theirs taken out, by index, ascending.
    std::vector<std::size_t> removals;
    // Lines of theirs replaced, ascending by index.
    std::vector<Replacement> replacements;
    // New lines, ours renumbered ones included.
    std::vector<std::string> additions;
    // By number; each needs a ConflictChoice.
    std::vector<MergeConflict> conflicts;
    std::vector<MergeNotice> notices;

    // Whether applying the plan may change theirs (a conflict may).
    bool changesTheirs() const
    {
        return !removals.empty() || !replacements.empty() || !additions.empty() || !conflicts.empty();
    }
};

// Merges our changes to the numbers we touched (repeats allowed, any order)
// onto theirs. A number of three characters is a project as findProjectLine
// matches it; a longer one ("1000") is matched on its whole number text.
// Single passes over the lists: fit for a million lines.
MergePlan planMerge(const LineList& base, const LineList& ours, const LineList& theirs,
                    const std::vector<std::string>& touchedNumbers);

// The part of planMerge that looks at base and ours only, done while the
// list on disk is still being read. Keeps its own copies of both lists.
class PreparedMerge {
public:
    struct State;
    explicit PreparedMerge(std::unique_ptr<State> state);
    PreparedMerge(PreparedMerge&&) noexcept;
    PreparedMerge& operator=(PreparedMerge&&) noexcept;
    ~PreparedMerge();

    std::unique_ptr<State> state;
};

PreparedMerge prepareMerge(const LineList& base, const LineList& ours, const std::vector<std::string>& touchedNumbers);
// planMerge with base and ours already looked at. The prepared merge serves
// one plan.
MergePlan planMerge(PreparedMerge&& prepared, const LineList& theirs);

// Merges every project number of the lists, each whole number text a project
// ("1000" apart from "100"); the other lines (no project line, or a further
// line of a number) are merged as lines. Without a base (a sync tool's
// conflict copy with no common ancestor) a project or line present in only
// one list is kept, blank lines excepted, and differing texts under one
// number are conflicts.
MergePlan planFullMerge(const std::optional<LineList>& base, const LineList& ours, const LineList& theirs);

// The merged list: theirs (the list given to plan) with the plan put onto it
// and each conflict answered by the choice at its index. Adds a Renumbered
// notice to notices for each KeepBoth that renumbered. A renumbered project
// takes the smallest number above its own that no project line of the result
// uses, so handed-out numbers never collide. Throws std::invalid_argument
// when theirs is not the size planned on or the choices do not match the
// conflicts.
LineList applyMerge(const LineList& theirs, const MergePlan& plan, const std::vector<ConflictChoice>& choices,
                    std::vector<MergeNotice>& notices);

// The number text of the smallest number above numberText's that no project
// line of lines uses ("007" above "006" when 007 is free), padded as the list
// writes numbers; numberText itself when it is no decimal number.
std::string nextFreeNumber(const LineList& lines, std::string_view numberText);

// A project whose merge into memory kept our text over theirs for now: the
// save asks about it unless both texts agree by then.
struct WaitingConflict {
    std::string numberText;
    std::string theirs;
};

// The waiting conflicts still in conflict with current (the list on disk
// now) and not among planned (those the merge found anew): where ours and
// current still hold different first lines for the project. Each names the
// text theirs had when it was kept waiting as its base.
std::vector<MergeConflict> carriedConflicts(const std::vector<WaitingConflict>& waiting, const LineList& ours,
                                            const LineList& current, const std::vector<MergeConflict>& planned);
// Answers a carried conflict in merged, which holds our text of it: theirs
// replaces it, or (KeepBoth) ours moves on to the next free number, with a
// Renumbered notice.
void applyCarriedChoice(LineList& merged, const MergeConflict& conflict, ConflictChoice choice,
                        std::vector<MergeNotice>& notices);

// A conflict and the user's choice for it.
using ConflictAnswered = std::pair<MergeConflict, ConflictChoice>;
// The choice given for the same project with the same texts on both sides;
// none when it was not answered, or answered for texts that changed since.
std::optional<ConflictChoice> answerFor(const std::vector<ConflictAnswered>& answers, const MergeConflict& conflict);

// The numbers our changes touch once a merge put them onto theirs: touched,
// and the number each project of ours the merge renumbered now has.
std::vector<std::string> touchedAfterMerge(std::vector<std::string> touched, const std::vector<MergeNotice>& notices);
