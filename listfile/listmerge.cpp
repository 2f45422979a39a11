#include "listfile/listmerge.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listoperation.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace {

constexpr std::size_t keyLength = 3;
constexpr std::size_t noLine = std::numeric_limits<std::size_t>::max();
using Line = std::optional<std::string_view>;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t leadingDigits(std::string_view line)
{
    std::size_t digits = 0;
    while (digits < line.size() && isDigit(line[digits]))
        ++digits;
    return digits;
}

// The value of a project line's number, for finding free numbers; none for a
// line that does not begin with three digits or whose number is too large to
// meet one handed out.
std::optional<std::int64_t> projectNumberOf(std::string_view line)
{
    constexpr std::int64_t largest = std::int64_t(1) << 50;
    const std::size_t digits = leadingDigits(line);
    if (digits < keyLength)
        return std::nullopt;
    std::int64_t value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        value = value * 10 + (line[i] - '0');
        if (value > largest)
            return std::nullopt;
    }
    return value;
}

// The number renumbering counts up from: a number text of digits alone, small
// enough that the numbers above it fit zeroPadNumber.
std::optional<std::int64_t> renumberableNumber(std::string_view numberText)
{
    constexpr std::int64_t largest = std::int64_t(1) << 30;
    const auto number = projectNumberOf(numberText);
    if (!number || leadingDigits(numberText) != numberText.size() || *number > largest)
        return std::nullopt;
    return number;
}

// The slots of whole number texts, found by the value and the count of their
// digits: one look into a flat table, as a merge of every number of a
// million-line list looks up three million of them. Texts of more digits
// than a 64-bit value holds go to a map.
class NumberTextSlots {
public:
    void reserve(std::size_t count)
    {
        // A list numbers its projects from 1 up, mostly: their numbers index
        // an array, which a sorted list walks in order. The table, for the
        // others, grows as they come.
        const std::size_t directSize = std::min<std::size_t>(2 * count + 1024, std::size_t(1) << 26);
        if (directSize > direct_.size())
            direct_.resize(directSize, 0);
    }

    // The slot of digits, or next when digits are new (second: added).
    std::pair<std::size_t, bool> slotFor(std::string_view digits, std::size_t next)
    {
        constexpr std::size_t longest = 19;
        if (digits.size() > longest) {
            const auto [at, added] = long_.try_emplace(digits, next);
            return {at->second, added};
        }
        std::uint64_t value = 0;
        for (const char digit : digits)
            value = value * 10 + std::uint64_t(digit - '0');
        // A number written as the list writes it ("007", "1000", not "0007")
        // is told by its value alone.
        if (value < direct_.size() && digits.size() == writtenLength(value) && next < 0xFFFFFFFFu) {
            std::uint32_t& slot = direct_[value];
            if (slot != 0)
                return {slot - 1, false};
            slot = std::uint32_t(next + 1);
            return {next, true};
        }
        if (2 * (used_ + 1) > table_.size())
            rehash(std::max<std::size_t>(16, 2 * table_.size()));
        const std::size_t mask = table_.size() - 1;
        for (std::size_t i = indexOf(value, digits.size()) & mask;; i = (i + 1) & mask) {
            Entry& entry = table_[i];
            if (entry.slotPlusOne == 0) {
                entry = {value, digits.size(), next + 1};
                ++used_;
                return {next, true};
            }
            if (entry.value == value && entry.length == digits.size())
                return {entry.slotPlusOne - 1, false};
        }
    }

private:
    // The digits zeroPadNumber writes for value: at least three.
    static std::size_t writtenLength(std::uint64_t value)
    {
        std::size_t length = 1;
        for (; value >= 10; value /= 10)
            ++length;
        return std::max<std::size_t>(length, 3);
    }

    struct Entry {
        std::uint64_t value = 0;
        std::size_t length = 0;
        std::size_t slotPlusOne = 0;  // 0: empty
    };

    static std::size_t indexOf(std::uint64_t value, std::size_t length)
    {
        return std::size_t((value * 0x9E3779B97F4A7C15ull + length) >> 17 ^ (value * 0x9E3779B97F4A7C15ull));
    }

    void rehash(std::size_t size)
    {
        std::vector<Entry> old(size);
        old.swap(table_);
        const std::size_t mask = size - 1;
        for (const Entry& entry : old) {
            if (entry.slotPlusOne == 0)
                continue;
            std::size_t i = indexOf(entry.value, entry.length) & mask;
            while (table_[i].slotPlusOne != 0)
                i = (i + 1) & mask;
            table_[i] = entry;
        }
    }

    std::vector<Entry> table_;
    std::size_t used_ = 0;
    // Slots plus one by value, 0 for none.
    std::vector<std::uint32_t> direct_;
    std::unordered_map<std::string_view, std::size_t> long_;
};

// The projects compared by their first line, each in a slot of its own. For
// the numbers our changes touched a project is what findProjectLine matches,
// a line's number key: keys of exactly three digits have fixed slots, other
// keys ("1000", "0-5") follow. For a merge of every number a project is a whole number
// text ("1000" apart from "100"), given a slot when first seen.
class KeySlots {
public:
    static constexpr std::size_t digitSlots = 1000;

    static KeySlots byNumberText()
    {
        KeySlots slots;
        slots.byNumberText_ = true;
        return slots;
    }

    void addKey(std::string_view key)
    {
        if (const std::size_t slot = digitSlot(key); slot != noLine)
            digitKeyed_[slot] = true;
        else
            others_.emplace_back(key);
    }

    void finish()
    {
        std::sort(others_.begin(), others_.end());
        others_.erase(std::unique(others_.begin(), others_.end()), others_.end());
    }

    std::size_t size() const { return byNumberText_ ? numbers_.size() : digitSlots + others_.size(); }

    // Room for the numbers of a list of that many lines.
    void expect(std::size_t lines)
    {
        if (byNumberText_ && numbers_.size() < lines) {
            numberSlots_.reserve(lines);
            numbers_.reserve(lines);
        }
    }

    // The compared projects by number.
    std::vector<std::size_t> inOrder() const
    {
        std::vector<std::size_t> slots;
        for (std::size_t slot = 0; slot < size(); ++slot)
            if (byNumberText_ || slot >= digitSlots || digitKeyed_[slot])
                slots.push_back(slot);
        if (byNumberText_)
            std::sort(slots.begin(), slots.end(), [this](std::size_t a, std::size_t b) {
                const std::string_view x = numbers_[a], y = numbers_[b];
                return x.size() != y.size() ? x.size() < y.size() : x < y;
            });
        return slots;
    }

    std::string keyOf(std::size_t slot) const
    {
        if (byNumberText_)
            return std::string(numbers_[slot]);
        return slot < digitSlots ? zeroPadNumber(static_cast<std::int32_t>(slot)) : others_[slot - digitSlots];
    }

    // The slot of the project a line belongs to, or noLine when it belongs
    // to none compared. The number texts of a merge of every number point
    // into the lines, which outlive the slots.
    std::size_t slotOf(std::string_view line)
    {
        if (byNumberText_) {
            const std::size_t digits = leadingDigits(line);
            if (digits < keyLength)
                return noLine;
            const std::string_view number = line.substr(0, digits);
            const auto [slot, added] = numberSlots_.slotFor(number, numbers_.size());
            if (added)
                numbers_.push_back(number);
            return slot;
        }
        if (line.size() < keyLength)
            return noLine;
        // A fourth digit makes a longer number: no three-digit slot, and a
        // key to look for only when there are other keys.
        const bool longer = line.size() > keyLength && isDigit(line[keyLength - 1]) && isDigit(line[keyLength]);
        if (!longer)
            if (const std::size_t slot = digitSlot(line.substr(0, keyLength)); slot != noLine)
                return digitKeyed_[slot] ? slot : noLine;
        if (others_.empty())
            return noLine;
        const std::string_view key = numberKey(line);
        const auto found = std::lower_bound(others_.begin(), others_.end(), key);
        return found != others_.end() && *found == key ? digitSlots + static_cast<std::size_t>(found - others_.begin())
                                                       : noLine;
    }

private:
    static std::size_t digitSlot(std::string_view text)
    {
        if (text.size() != keyLength || !isDigit(text[0]) || !isDigit(text[1]) || !isDigit(text[2]))
            return noLine;
        return static_cast<std::size_t>((text[0] - '0') * 100 + (text[1] - '0') * 10 + (text[2] - '0'));
    }

    bool byNumberText_ = false;
    std::vector<bool> digitKeyed_ = std::vector<bool>(digitSlots, false);
    std::vector<std::string> others_;
    NumberTextSlots numberSlots_;
    std::vector<std::string_view> numbers_;
};

// Which lines besides the first of each compared project are merged as
// lines: all of them (a full merge), or those of the numbers we touched,
// which are exactly the lines that belong to a compared project.
class LooseScope {
public:
    static LooseScope everything()
    {
        LooseScope scope;
        scope.everything_ = true;
        return scope;
    }

    bool includes(std::size_t slot) const { return everything_ || slot != noLine; }

private:
    bool everything_ = false;
};

// Where a list holds the lines a merge compares.
struct ScannedList {
    std::vector<std::size_t> first;  // by slot: the project's first line, or noLine
    std::vector<std::size_t> loose;  // the other lines in scope, ascending
};

ScannedList scan(const LineList& lines, KeySlots& slots, const LooseScope& scope)
{
    slots.expect(lines.size());
    ScannedList scanned;
    scanned.first.assign(slots.size(), noLine);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t slot = slots.slotOf(line);
        if (slot != noLine && slot >= scanned.first.size())
            scanned.first.resize(slots.size(), noLine);
        if (slot != noLine && scanned.first[slot] == noLine)
            scanned.first[slot] = i;
        else if (scope.includes(slot))
            scanned.loose.push_back(i);
    }
    return scanned;
}

Line lineAt(const LineList& lines, std::size_t index)
{
    if (index == noLine)
        return std::nullopt;
    return lines[index];
}

// The numbers project lines use, and the free ones handed out above them.
class FreeNumbers {
public:
    // The numbers above floor that the lines of theirs (but those at the
    // ascending indices skipped) and the extra lines use.
    FreeNumbers(const LineList& theirs, const std::vector<std::size_t>& skipped,
                const std::vector<std::string_view>& extra, std::int64_t floor)
    {
        const auto note = [this, floor](std::string_view line) {
            if (const auto number = projectNumberOf(line); number && *number > floor)
                used_.push_back(*number);
        };
        auto skip = skipped.begin();
        for (std::size_t i = 0; i < theirs.size(); ++i) {
            if (skip != skipped.end() && *skip == i) {
                ++skip;
                continue;
            }
            note(theirs[i]);
        }
        for (std::string_view line : extra)
            note(line);
        std::sort(used_.begin(), used_.end());
        used_.erase(std::unique(used_.begin(), used_.end()), used_.end());
    }

    // The smallest number above `above` used by no line and not handed out
    // yet. Calls come with `above` ascending: every number between `above`
    // and the last one handed out is then known to be taken, so one sweep
    // over the used numbers serves them all.
    std::int64_t take(std::int64_t above)
    {
        std::int64_t candidate = std::max(above, lastTaken_) + 1;
        while (cursor_ < used_.size() && used_[cursor_] < candidate)
            ++cursor_;
        while (cursor_ < used_.size() && used_[cursor_] == candidate) {
            ++candidate;
            ++cursor_;
        }
        lastTaken_ = candidate;
        return candidate;
    }

private:
    std::vector<std::int64_t> used_;
    std::size_t cursor_ = 0;
    std::int64_t lastTaken_ = -1;
};

void sortByIndex(std::vector<MergePlan::Replacement>& replacements)
{
    std::sort(replacements.begin(), replacements.end(),
              [](const MergePlan::Replacement& a, const MergePlan::Replacement& b) { return a.index < b.index; });
}

// Our line of a project under another number.
struct Renumbering {
    std::int64_t above;
    std::string line;     // our line as it was
    std::string* notice;  // newNumberText of its notice, filled in when numbered
};

// Hands out the numbers and returns the renumbered lines.
std::vector<std::string> renumber(std::vector<Renumbering>& renumberings, const LineList& theirs,
                                  const std::vector<std::size_t>& removed,
                                  const std::vector<MergePlan::Replacement>& replaced,
                                  const std::vector<std::string_view>& otherLines)
{
    std::vector<std::string> lines;
    if (renumberings.empty())
        return lines;
    std::stable_sort(renumberings.begin(), renumberings.end(),
                     [](const Renumbering& a, const Renumbering& b) { return a.above < b.above; });
    std::vector<std::size_t> skipped = removed;
    std::vector<std::string_view> extra = otherLines;
    for (const MergePlan::Replacement& replacement : replaced) {
        skipped.push_back(replacement.index);
        extra.push_back(replacement.line);
    }
    std::sort(skipped.begin(), skipped.end());
    FreeNumbers numbers(theirs, skipped, extra, renumberings.front().above);
    for (const Renumbering& renumbering : renumberings) {
        // At most 2^30 plus the lines and the numbers handed out: an int32.
        const auto number = static_cast<std::int32_t>(numbers.take(renumbering.above));
        *renumbering.notice = zeroPadNumber(number);
        lines.push_back(projectLine(*renumbering.notice, storedDescription(renumbering.line)));
    }
    return lines;
}

// Decides project by project what becomes of theirs.
class Planner {
public:
    Planner(const LineList* base, const LineList& ours, const LineList& theirs)
        : base_(base), ours_(ours), theirs_(theirs)
    {
        plan_.theirsLines = theirs.size();
    }

    void decide(const std::string& key, Line b, Line o, Line t, std::size_t theirsIndex)
    {
        if (!base_) {
            if (o && !t)
                add(*o);
            else if (o && t && *o != *t)
                conflict(key, std::nullopt, *o, *t, theirsIndex);
            return;
        }
        if (o == b || o == t)
            return;
        if (t == b) {
            if (!o)
                plan_.removals.push_back(theirsIndex);
            else if (t)
                plan_.replacements.push_back({theirsIndex, std::string(*o)});
            else
                add(*o);
            return;
        }
        if (!b) {
            const auto number = renumberableNumber(key);
            if (!number) {
                conflict(key, std::nullopt, *o, *t, theirsIndex);
                return;
            }
            plan_.notices.push_back({MergeNotice::Kind::Renumbered, key, {}});
            renumberings_.push_back({*number, std::string(*o), nullptr});
        } else if (!o) {
            plan_.notices.push_back({MergeNotice::Kind::TheirEditKeptOverOurRemoval, key, {}});
        } else if (!t) {
            add(*o);
            plan_.notices.push_back({MergeNotice::Kind::OurEditKeptOverTheirRemoval, key, {}});
        } else {
            conflict(key, std::string(*b), *o, *t, theirsIndex);
        }
    }

    // The lines merged as lines, by their bytes: a line is kept as often as
    // theirs holds it, changed by as many copies as ours added or removed
    // beyond what theirs did the same.
    void mergeLoose(const ScannedList* base, const ScannedList& ours, const ScannedList& theirs)
    {
        struct Counts {
            std::int64_t base = 0, ours = 0, theirs = 0;
        };
        std::unordered_map<std::string_view, Counts> counts;
        counts.reserve(ours.loose.size() + theirs.loose.size());
        if (base)
            for (std::size_t i : base->loose)
                ++counts[(*base_)[i]].base;
        for (std::size_t i : ours.loose)
            ++counts[ours_[i]].ours;
        for (std::size_t i : theirs.loose)
            ++counts[theirs_[i]].theirs;
        const auto merged = [this](std::string_view line, const Counts& c) {
            if (!base_)
                return trimmedView(line).empty() ? c.theirs : std::max(c.ours, c.theirs);
            const std::int64_t ourChange = c.ours - c.base;
            const std::int64_t theirChange = c.theirs - c.base;
            if (ourChange == 0 || theirChange == 0 || (ourChange > 0) != (theirChange > 0))
                return std::max<std::int64_t>(0, c.base + ourChange + theirChange);
            // Both added or both removed: the same change counts once.
            return c.base + (ourChange > 0 ? std::max(ourChange, theirChange) : std::min(ourChange, theirChange));
        };
        // Lines are added in the order ours holds them.
        std::unordered_map<std::string_view, std::int64_t> toRemove;
        const auto settle = [&](std::string_view line, const Counts& c) {
            const std::int64_t change = merged(line, c) - c.theirs;
            for (std::int64_t n = 0; n < change; ++n)
                add(line);
            if (change < 0)
                toRemove[line] = -change;
        };
        for (std::size_t i : ours.loose) {
            const auto found = counts.find(ours_[i]);
            if (found != counts.end()) {
                settle(found->first, found->second);
                counts.erase(found);
            }
        }
        for (const auto& [line, c] : counts)
            settle(line, c);
        if (toRemove.empty())
            return;
        for (std::size_t i : theirs.loose) {
            auto found = toRemove.find(theirs_[i]);
            if (found != toRemove.end() && found->second > 0) {
                --found->second;
                plan_.removals.push_back(i);
            }
        }
    }

    MergePlan finish()
    {
        std::sort(plan_.removals.begin(), plan_.removals.end());
        sortByIndex(plan_.replacements);
        // Notices no longer move: their numbers can be filled in.
        std::size_t next = 0;
        for (MergeNotice& notice : plan_.notices)
            if (notice.kind == MergeNotice::Kind::Renumbered)
                renumberings_[next++].notice = &notice.newNumberText;
        // Until the conflicts are answered, our side of each counts as used.
        std::vector<std::string_view> placed(plan_.additions.begin(), plan_.additions.end());
        for (const MergeConflict& conflict : plan_.conflicts)
            placed.push_back(conflict.ours);
        for (std::string& line : renumber(renumberings_, theirs_, plan_.removals, plan_.replacements, placed))
            plan_.additions.push_back(std::move(line));
        return std::move(plan_);
    }

private:
    void add(std::string_view line) { plan_.additions.emplace_back(line); }

    void conflict(const std::string& key, std::optional<std::string> b, std::string_view o, std::string_view t,
                  std::size_t theirsIndex)
    {
        plan_.conflicts.push_back({key, std::move(b), std::string(o), std::string(t), theirsIndex});
    }

    const LineList* base_;
    const LineList& ours_;
    const LineList& theirs_;
    MergePlan plan_;
    std::vector<Renumbering> renumberings_;
};

// What base and ours hold of the projects compared.
struct ScannedSides {
    std::optional<ScannedList> base;
    ScannedList ours;
};

ScannedSides scanSides(const LineList* base, const LineList& ours, KeySlots& slots, const LooseScope& scope)
{
    ScannedSides sides;
    if (base)
        sides.base = scan(*base, slots, scope);
    sides.ours = scan(ours, slots, scope);
    return sides;
}

MergePlan planOver(const LineList* base, const LineList& ours, const LineList& theirs, KeySlots& slots,
                   const LooseScope& scope, ScannedSides sides)
{
    std::optional<ScannedList>& scannedBase = sides.base;
    ScannedList& scannedOurs = sides.ours;
    ScannedList scannedTheirs = scan(theirs, slots, scope);
    // Slots that a later list added are empty in the earlier ones.
    for (ScannedList* scanned : {scannedBase ? &*scannedBase : nullptr, &scannedOurs, &scannedTheirs})
        if (scanned)
            scanned->first.resize(slots.size(), noLine);
    Planner planner(base, ours, theirs);
    for (const std::size_t slot : slots.inOrder()) {
        const Line b = base ? lineAt(*base, scannedBase->first[slot]) : std::nullopt;
        const Line o = lineAt(ours, scannedOurs.first[slot]);
        const std::size_t theirsIndex = scannedTheirs.first[slot];
        const Line t = lineAt(theirs, theirsIndex);
        if (b || o || t)
            planner.decide(slots.keyOf(slot), b, o, t, theirsIndex);
    }
    planner.mergeLoose(scannedBase ? &*scannedBase : nullptr, scannedOurs, scannedTheirs);
    return planner.finish();
}

MergePlan planOver(const LineList* base, const LineList& ours, const LineList& theirs, KeySlots& slots,
                   const LooseScope& scope)
{
    ScannedSides sides = scanSides(base, ours, slots, scope);
    return planOver(base, ours, theirs, slots, scope, std::move(sides));
}

// Puts removals, replacements and additions onto theirs in one pass, placing
// new and changed lines as "Apply Changes" places them: a replaced line stays
// where it is while it is in order with the kept lines around it, otherwise
// it goes where a binary search over the kept lines finds its place, as an
// added line does. The kept lines never move relative to each other.
class Placement {
public:
    // numberWidth: that of the merged list, as its order compares numbers.
    Placement(const LineList& theirs, const std::vector<std::size_t>& removals,
              const std::vector<MergePlan::Replacement>& replacements, std::size_t numberWidth)
        : theirs_(theirs), order_(numberWidth)
    {
        holes_.reserve(removals.size() + replacements.size());
        auto replacement = replacements.begin();
        for (std::size_t index : removals) {
            for (; replacement != replacements.end() && replacement->index < index; ++replacement)
                holes_.push_back({replacement->index, &replacement->line});
            holes_.push_back({index, nullptr});
        }
        for (; replacement != replacements.end(); ++replacement)
            holes_.push_back({replacement->index, &replacement->line});
        decideWhichMove();
    }

    // The gap of the kept lines an added line goes into.
    void add(std::string_view line) { insertions_.push_back({upperBound(0, keptCount_, line), line}); }

    LineList build()
    {
        std::stable_sort(insertions_.begin(), insertions_.end(), [this](const Insertion& a, const Insertion& b) {
            return a.gap < b.gap || (a.gap == b.gap && order_.less(a.line, b.line));
        });
        LineList result = LineList::sharingBytesOf(theirs_);
        result.reserve(keptCount_ + insertions_.size());
        auto insertion = insertions_.begin();
        const auto insertBefore = [&](std::size_t gap) {
            for (; insertion != insertions_.end() && insertion->gap == gap; ++insertion)
                result.push_back(insertion->line);
        };
        // Kept lines of theirs between two holes and between two insertions
        // go over in one step.
        auto hole = holes_.begin();
        std::size_t gap = 0;
        for (std::size_t i = 0; i < theirs_.size();) {
            if (hole != holes_.end() && hole->index == i) {
                const Hole& here = *hole++;
                ++i;
                if (!here.line || here.moved)
                    continue;
                insertBefore(gap++);
                result.push_back(*here.line);
                continue;
            }
            insertBefore(gap);
            std::size_t runEnd = hole != holes_.end() ? hole->index : theirs_.size();
            if (insertion != insertions_.end())
                runEnd = std::min(runEnd, i + (insertion->gap - gap));
            runEnd = std::max(runEnd, i + 1);
            result.appendAdopted(theirs_, i, runEnd);
            gap += runEnd - i;
            i = runEnd;
        }
        insertBefore(gap);
        return result;
    }

private:
    struct Hole {
        std::size_t index;
        const std::string* line;  // the replacement, or none for a removal
        bool moved = false;
    };
    struct Insertion {
        std::size_t gap;
        std::string_view line;
    };

    void decideWhichMove()
    {
        // Each hole's nearest untouched lines lie at the ends of its run of
        // neighbouring holes.
        std::vector<std::size_t> runEnd(holes_.size());
        for (std::size_t j = holes_.size(); j-- > 0;)
            runEnd[j] = j + 1 < holes_.size() && holes_[j + 1].index == holes_[j].index + 1 ? runEnd[j + 1] : j;
        std::size_t runStart = 0;
        Line lastInPlace;
        std::size_t lastInPlaceIndex = 0;
        for (std::size_t j = 0; j < holes_.size(); ++j) {
            Hole& hole = holes_[j];
            if (j == 0 || holes_[j - 1].index + 1 != hole.index)
                runStart = j;
            if (!hole.line)
                continue;
            Line previous;
            if (holes_[runStart].index > 0)
                previous = theirs_[holes_[runStart].index - 1];
            if (lastInPlace && (!previous || lastInPlaceIndex >= holes_[runStart].index))
                previous = lastInPlace;
            const std::size_t nextIndex = holes_[runEnd[j]].index + 1;
            const Line next = nextIndex < theirs_.size() ? Line(theirs_[nextIndex]) : std::nullopt;
            const std::string_view line = *hole.line;
            hole.moved = (previous && order_.less(line, *previous)) || (next && order_.less(*next, line));
            if (!hole.moved) {
                lastInPlace = line;
                lastInPlaceIndex = hole.index;
            }
        }
        // The kept lines: theirs without the removed and moved ones. dropped
        // holds their indices; keptBefore[j] how many kept lines precede
        // dropped[j], which maps a kept line's rank to its index in theirs.
        for (const Hole& hole : holes_)
            if (!hole.line || hole.moved)
                dropped_.push_back(hole.index);
        for (std::size_t j = 0; j < dropped_.size(); ++j)
            keptBefore_.push_back(dropped_[j] - j);
        keptCount_ = theirs_.size() - dropped_.size();
        for (const Hole& hole : holes_)
            if (hole.moved)
                insertions_.push_back({gapOfMoved(hole), *hole.line});
    }

    std::size_t gapOfMoved(const Hole& hole) const
    {
        const std::string_view line = *hole.line;
        const auto droppedBefore = std::lower_bound(dropped_.begin(), dropped_.end(), hole.index) - dropped_.begin();
        const std::size_t gap = hole.index - static_cast<std::size_t>(droppedBefore);
        // Up after the lines equal to it, or down before them, as keepSorted.
        if (gap > 0 && order_.less(line, kept(gap - 1)))
            return upperBound(0, gap, line);
        if (gap < keptCount_ && order_.less(kept(gap), line))
            return lowerBound(gap, keptCount_, line);
        return gap;
    }

    // The kept line of that rank.
    std::string_view kept(std::size_t rank) const
    {
        const auto droppedBefore = std::upper_bound(keptBefore_.begin(), keptBefore_.end(), rank) - keptBefore_.begin();
        const std::size_t index = rank + static_cast<std::size_t>(droppedBefore);
        const auto hole = std::lower_bound(holes_.begin(), holes_.end(), index,
                                           [](const Hole& h, std::size_t i) { return h.index < i; });
        if (hole != holes_.end() && hole->index == index)
            return *hole->line;  // a replacement kept in place
        return theirs_[index];
    }

    std::size_t upperBound(std::size_t first, std::size_t last, std::string_view line) const
    {
        while (first < last) {
            const std::size_t middle = first + (last - first) / 2;
            if (order_.less(line, kept(middle)))
                last = middle;
            else
                first = middle + 1;
        }
        return first;
    }

    std::size_t lowerBound(std::size_t first, std::size_t last, std::string_view line) const
    {
        while (first < last) {
            const std::size_t middle = first + (last - first) / 2;
            if (order_.less(kept(middle), line))
                first = middle + 1;
            else
                last = middle;
        }
        return first;
    }

    const LineList& theirs_;
    const LineComparison order_;
    std::vector<Hole> holes_;
    std::vector<std::size_t> dropped_;
    std::vector<std::size_t> keptBefore_;
    std::size_t keptCount_ = 0;
    std::vector<Insertion> insertions_;
};

} // namespace

struct PreparedMerge::State {
    LineList base;
    LineList ours;
    KeySlots slots;
    LooseScope scope;
    ScannedSides sides;
};

PreparedMerge::PreparedMerge(std::unique_ptr<State> prepared) : state(std::move(prepared)) {}
PreparedMerge::PreparedMerge(PreparedMerge&&) noexcept = default;
PreparedMerge& PreparedMerge::operator=(PreparedMerge&&) noexcept = default;
PreparedMerge::~PreparedMerge() = default;

PreparedMerge prepareMerge(const LineList& base, const LineList& ours, const std::vector<std::string>& touchedNumbers)
{
    auto state = std::make_unique<PreparedMerge::State>();
    state->base = base;
    state->ours = ours;
    // A touched number of any length is a project of its own: two adds of
    // 1000 are compared as one project, as two adds of 100 are.
    for (const std::string& number : touchedNumbers)
        if (number.size() >= keyLength)
            state->slots.addKey(number);
    state->slots.finish();
    state->sides = scanSides(&state->base, state->ours, state->slots, state->scope);
    return PreparedMerge(std::move(state));
}

MergePlan planMerge(PreparedMerge&& prepared, const LineList& theirs)
{
    const std::unique_ptr<PreparedMerge::State> state = std::move(prepared.state);
    if (!state)
        throw std::invalid_argument("a prepared merge serves one plan");
    return planOver(&state->base, state->ours, theirs, state->slots, state->scope, std::move(state->sides));
}

MergePlan planMerge(const LineList& base, const LineList& ours, const LineList& theirs,
                    const std::vector<std::string>& touchedNumbers)
{
    return planMerge(prepareMerge(base, ours, touchedNumbers), theirs);
}

MergePlan planFullMerge(const std::optional<LineList>& base, const LineList& ours, const LineList& theirs)
{
    KeySlots slots = KeySlots::byNumberText();
    return planOver(base ? &*base : nullptr, ours, theirs, slots, LooseScope::everything());
}

LineList applyMerge(const LineList& theirs, const MergePlan& plan, const std::vector<ConflictChoice>& choices,
                    std::vector<MergeNotice>& notices)
{
    if (theirs.size() != plan.theirsLines)
        throw std::invalid_argument("the merge was planned for a list of another size");
    if (choices.size() != plan.conflicts.size())
        throw std::invalid_argument("a merge needs one choice for each conflict");

    std::vector<MergePlan::Replacement> replacements = plan.replacements;
    std::vector<std::string_view> additions(plan.additions.begin(), plan.additions.end());
    std::vector<MergeNotice> renumbered;
    std::vector<Renumbering> renumberings;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const MergeConflict& conflict = plan.conflicts[i];
        if (choices[i] == ConflictChoice::KeepMine) {
            replacements.push_back({conflict.theirsIndex, conflict.ours});
        } else if (choices[i] == ConflictChoice::KeepBoth) {
            if (const auto number = renumberableNumber(conflict.numberText)) {
                renumbered.push_back({MergeNotice::Kind::Renumbered, conflict.numberText, {}, true});
                renumberings.push_back({*number, conflict.ours, nullptr});
            } else {
                additions.push_back(conflict.ours);
            }
        }
    }
    sortByIndex(replacements);
    for (std::size_t i = 0; i < renumbered.size(); ++i)
        renumberings[i].notice = &renumbered[i].newNumberText;
    const std::vector<std::string> renumberedLines =
        renumber(renumberings, theirs, plan.removals, replacements, additions);
    notices.insert(notices.end(), renumbered.begin(), renumbered.end());

    std::size_t numberWidth = numberWidthOf(theirs);
    for (const MergePlan::Replacement& replacement : replacements)
        numberWidth = std::max(numberWidth, numberWidthOf(replacement.line));
    for (std::string_view line : additions)
        numberWidth = std::max(numberWidth, numberWidthOf(line));
    for (const std::string& line : renumberedLines)
        numberWidth = std::max(numberWidth, numberWidthOf(line));
    Placement placement(theirs, plan.removals, replacements, numberWidth);
    for (std::string_view line : additions)
        placement.add(line);
    for (const std::string& line : renumberedLines)
        placement.add(line);
    return placement.build();
}

std::string nextFreeNumber(const LineList& lines, std::string_view numberText)
{
    const auto number = renumberableNumber(numberText);
    if (!number)
        return std::string(numberText);
    FreeNumbers free(lines, {}, {}, *number);
    return zeroPadNumber(std::int32_t(free.take(*number)));
}

std::vector<std::string> touchedAfterMerge(std::vector<std::string> touched, const std::vector<MergeNotice>& notices)
{
    for (const MergeNotice& notice : notices)
        if (notice.kind == MergeNotice::Kind::Renumbered)
            touched.push_back(notice.newNumberText);
    return touched;
}

std::vector<MergeConflict> carriedConflicts(const std::vector<WaitingConflict>& waiting, const LineList& ours,
                                            const LineList& current, const std::vector<MergeConflict>& planned)
{
    std::vector<MergeConflict> carried;
    for (const WaitingConflict& conflict : waiting) {
        const auto sameProject = [&](const MergeConflict& c) { return c.numberText == conflict.numberText; };
        if (std::any_of(planned.begin(), planned.end(), sameProject)
            || std::any_of(carried.begin(), carried.end(), sameProject))
            continue;
        const int theirs = findProjectLine(current, conflict.numberText);
        const int mine = findProjectLine(ours, conflict.numberText);
        if (theirs < 0 || mine < 0 || current[std::size_t(theirs)] == ours[std::size_t(mine)])
            continue;
        carried.push_back({conflict.numberText, conflict.theirs, std::string(ours[std::size_t(mine)]),
                           std::string(current[std::size_t(theirs)]), std::size_t(theirs)});
    }
    return carried;
}

void applyCarriedChoice(LineList& merged, const MergeConflict& conflict, ConflictChoice choice,
                        std::vector<MergeNotice>& notices)
{
    if (choice == ConflictChoice::KeepMine)
        return;
    ListOperation theirs;
    theirs.numberText = conflict.numberText;
    theirs.line = conflict.theirs;
    applyOperation(merged, theirs);
    if (choice != ConflictChoice::KeepBoth)
        return;
    ListOperation mine;
    mine.numberText = nextFreeNumber(merged, conflict.numberText);
    mine.line = mine.numberText + conflict.ours.substr(std::min(conflict.ours.size(), conflict.numberText.size()));
    applyOperation(merged, mine);
    notices.push_back({MergeNotice::Kind::Renumbered, conflict.numberText, mine.numberText, true});
}

std::optional<ConflictChoice> answerFor(const std::vector<ConflictAnswered>& answers, const MergeConflict& conflict)
{
    for (const auto& [answered, choice] : answers)
        if (answered.numberText == conflict.numberText && answered.ours == conflict.ours
            && answered.theirs == conflict.theirs)
            return choice;
    return std::nullopt;
}
