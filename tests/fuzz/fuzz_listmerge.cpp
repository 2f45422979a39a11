// The merge of our changes with someone else's on random lists: the input
// picks a small base (numbers 000 to 020, some held twice, bad and blank
// lines, any bytes in descriptions), the puts and removes that make ours and
// theirs of it, and the answer to each conflict. Properties:
// - projects that no list holds twice merge as the rules say;
// - nothing is lost: each line either side added is in the result, or a
//   conflict's answer or a new number explains where it went;
// - lines of theirs whose numbers we did not touch are kept byte for byte
//   and in their order;
// - no number, of three digits or more, stands twice unless theirs (or base)
//   held it twice, and each number handed out stands once;
// - a sorted theirs gives a sorted result;
// - merging the same changes onto the result changes nothing.
// A merge of every number, with and without the base, runs on the same
// lists and must lose nothing either.
#include "fuzzcheck.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listmerge.h"
#include "listfile/listoperation.h"

#include <algorithm>
#include <clocale>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    unsigned next() { return at_ < size_ ? data_[at_++] : 0; }
    std::string bytes(std::size_t most)
    {
        std::string text;
        for (std::size_t n = next() % (most + 1); n > 0; --n)
            text.push_back(static_cast<char>(next()));
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// The number a line is the project of: its leading digits when there are at
// least three, else its first three characters.
std::string_view numberTextOf(std::string_view line)
{
    return line.substr(0, std::max<std::size_t>(numberDigits(line), 3));
}

std::string description(Input& in)
{
    using namespace std::string_view_literals;
    static const std::string_view words[] = {"Pier"sv,         "pier"sv,          "Shed"sv,  ""sv,
                                             "\xC3\xA4pfel"sv, "\xE9t\xE9"sv, "a\0b"sv, "Zz"sv};
    return std::string(words[in.next() % 8]) + in.bytes(3);
}

// 000 to 020 mostly, now and then the numbers about 999 and one of four digits.
std::string numberText(Input& in)
{
    const unsigned pick = in.next() % 24;
    return zeroPadNumber(static_cast<std::int32_t>(pick < 21 ? pick : 977 + pick));
}

LineList baseLines(Input& in)
{
    LineList lines;
    for (unsigned n = in.next() % 10; n > 0; --n) {
        switch (in.next() % 8) {
        case 0:
            lines.push_back(in.next() % 2 ? "" : "   ");
            break;
        case 1: {
            static const char* const bad[] = {"  7     Seven", "7     Seven", "0a5     Stray", "\xE9t\xE9"};
            lines.push_back(bad[in.next() % 4]);
            break;
        }
        case 2:  // a drifted separator: still a line of its number
            lines.push_back(zeroPadNumber(static_cast<std::int32_t>(in.next() % 21)) + "  " + description(in));
            break;
        default:
            lines.push_back(projectLine(zeroPadNumber(static_cast<std::int32_t>(in.next() % 21)), description(in)));
        }
    }
    if (in.next() % 2)
        sortLines(lines);
    return lines;
}

// Applies puts and removes to lines; returns the numbers they touched.
std::vector<std::string> change(Input& in, LineList& lines)
{
    std::vector<std::string> touched;
    for (unsigned n = in.next() % 6; n > 0; --n) {
        ListOperation op;
        op.numberText = numberText(in);
        if (in.next() % 3 == 0) {
            op.kind = ListOperation::Kind::Remove;
        } else {
            op.line = projectLine(op.numberText, description(in));
            if (in.next() % 2)
                op.insertAt = in.next() % (lines.size() + 2);
        }
        applyOperation(lines, op);
        touched.push_back(op.numberText);
    }
    return touched;
}

std::vector<std::string_view> linesOf(const LineList& lines, std::string_view number)
{
    std::vector<std::string_view> found;
    for (std::string_view line : lines)
        if (numberTextOf(line) == number)
            found.push_back(line);
    return found;
}

std::multiset<std::string_view> asMultiset(const LineList& lines)
{
    return {lines.begin(), lines.end()};
}

// Lines of `to` that `from` does not hold as often.
std::vector<std::string_view> added(const LineList& from, const LineList& to)
{
    std::multiset<std::string_view> left = asMultiset(from);
    std::vector<std::string_view> result;
    for (std::string_view line : to) {
        const auto found = left.find(line);
        if (found != left.end())
            left.erase(found);
        else
            result.push_back(line);
    }
    return result;
}

bool contains(const LineList& lines, std::string_view line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool holdsANumberTwice(const LineList& lines)
{
    std::map<std::string_view, int> count;
    for (std::string_view line : lines)
        if (numberDigits(line) >= 3 && ++count[numberTextOf(line)] > 1)
            return true;
    return false;
}

bool sorted(const LineList& lines, std::size_t numberWidth)
{
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (compareLines(lines[i - 1], lines[i], numberWidth) > 0)
            return false;
    return true;
}

struct Merge {
    MergePlan plan;
    std::vector<ConflictChoice> choices;
    std::vector<MergeNotice> notices;
    LineList result;
};

Merge merge(Input& in, const LineList& theirs, MergePlan plan)
{
    Merge m {std::move(plan), {}, {}, {}};
    for (std::size_t i = 0; i < m.plan.conflicts.size(); ++i)
        m.choices.push_back(static_cast<ConflictChoice>(in.next() % 3));
    m.notices = m.plan.notices;
    m.result = applyMerge(theirs, m.plan, m.choices, m.notices);
    return m;
}

const MergeNotice* noticeFor(const Merge& m, std::string_view number)
{
    for (const MergeNotice& notice : m.notices)
        if (notice.numberText == number)
            return &notice;
    return nullptr;
}

std::optional<ConflictChoice> choiceFor(const Merge& m, std::string_view number)
{
    for (std::size_t i = 0; i < m.plan.conflicts.size(); ++i)
        if (m.plan.conflicts[i].numberText == number)
            return m.choices[i];
    return std::nullopt;
}

// A line one side added is in the result, or an answer or a new number
// explains its absence.
void checkNothingLost(const Merge& m, const std::vector<std::string_view>& ourLines,
                      const std::vector<std::string_view>& theirLines)
{
    for (std::string_view line : ourLines) {
        if (contains(m.result, line))
            continue;
        const std::string_view key = numberTextOf(line);
        const MergeNotice* notice = noticeFor(m, key);
        const bool renumbered = notice && notice->kind == MergeNotice::Kind::Renumbered
            && contains(m.result, projectLine(notice->newNumberText, storedDescription(line)));
        FUZZ_CHECK(renumbered || choiceFor(m, key) == ConflictChoice::KeepTheirs);
    }
    for (std::string_view line : theirLines)
        FUZZ_CHECK(contains(m.result, line) || choiceFor(m, numberTextOf(line)) == ConflictChoice::KeepMine);
}

// The rules for a project that base, ours and theirs each hold once at most.
void checkRules(const Merge& m, const std::set<std::string>& handedOut, std::string_view number,
                const std::vector<std::string_view>& b, const std::vector<std::string_view>& o,
                const std::vector<std::string_view>& t)
{
    using Kind = MergeNotice::Kind;
    const auto first = [](const std::vector<std::string_view>& lines) {
        return lines.empty() ? std::optional<std::string>() : std::optional<std::string>(lines.front());
    };
    const auto ob = first(b), oo = first(o), ot = first(t);
    std::optional<std::string> kept;  // the line the number holds in the result
    std::optional<Kind> notice;
    bool conflict = false;
    if (oo == ob) {
        kept = ot;
    } else if (ot == ob || oo == ot) {
        kept = oo;
    } else if (!ob) {
        kept = ot;
        notice = Kind::Renumbered;
    } else if (!oo) {
        kept = ot;
        notice = Kind::TheirEditKeptOverOurRemoval;
    } else if (!ot) {
        kept = oo;
        notice = Kind::OurEditKeptOverTheirRemoval;
    } else {
        conflict = true;
        const ConflictChoice choice = *choiceFor(m, number);
        kept = choice == ConflictChoice::KeepMine ? oo : ot;
        if (choice == ConflictChoice::KeepBoth)
            notice = Kind::Renumbered;
    }
    // A number left free may have been handed out to a renumbered project.
    const std::vector<std::string_view> inResult = linesOf(m.result, number);
    if (!handedOut.count(std::string(number))) {
        FUZZ_CHECK(inResult.size() == (kept ? 1u : 0u));
        FUZZ_CHECK(!kept || inResult.front() == *kept);
    } else {
        FUZZ_CHECK(!kept && inResult.size() == 1);
    }
    const MergeNotice* given = noticeFor(m, number);
    FUZZ_CHECK(notice ? given && given->kind == *notice : !given);
    if (notice == Kind::Renumbered)
        FUZZ_CHECK(contains(m.result, projectLine(given->newNumberText, storedDescription(*oo))));
    bool conflictListed = false;
    for (const MergeConflict& c : m.plan.conflicts)
        if (c.numberText == number) {
            conflictListed = true;
            FUZZ_CHECK(c.base == ob && c.ours == *oo && c.theirs == *ot);
        }
    FUZZ_CHECK(conflictListed == conflict);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool locale = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;
    (void)locale;

    Input in(data, size);
    const LineList base = baseLines(in);
    LineList ours = base;
    LineList theirs = base;
    const std::vector<std::string> touched = change(in, ours);
    change(in, theirs);
    const std::set<std::string_view> touchedSet(touched.begin(), touched.end());

    const Merge m = merge(in, theirs, planMerge(base, ours, theirs, touched));
    const LineList& result = m.result;

    std::set<std::string> handedOut;
    for (const MergeNotice& notice : m.notices)
        if (notice.kind == MergeNotice::Kind::Renumbered)
            FUZZ_CHECK(handedOut.insert(notice.newNumberText).second);

    for (const std::string_view number : touchedSet) {
        const auto b = linesOf(base, number), o = linesOf(ours, number), t = linesOf(theirs, number);
        if (b.size() <= 1 && o.size() <= 1 && t.size() <= 1)
            checkRules(m, handedOut, number, b, o, t);
    }
    checkNothingLost(m, added(base, ours), added(base, theirs));

    // Untouched lines of theirs: the same bytes in the same order.
    const auto untouched = [&](const LineList& lines, bool dropHandedOut) {
        std::vector<std::string_view> kept;
        for (std::string_view line : lines) {
            const std::string_view number = numberTextOf(line);
            if (!touchedSet.count(number) && !(dropHandedOut && handedOut.count(std::string(number))))
                kept.push_back(line);
        }
        return kept;
    };
    FUZZ_CHECK(untouched(result, true) == untouched(theirs, false));

    // Numbers held twice.
    std::map<std::string_view, int> inTheirs, inResult;
    for (std::string_view line : theirs)
        ++inTheirs[numberTextOf(line)];
    for (std::string_view line : result)
        if (numberDigits(line) >= 3)
            ++inResult[numberTextOf(line)];
    for (const auto& [number, count] : inResult) {
        if (handedOut.count(std::string(number)))
            FUZZ_CHECK(count == 1);
        else if (count > 1)
            FUZZ_CHECK(inTheirs[number] > 1 || holdsANumberTwice(base));
    }

    // Ordered at the width of the longest number either holds.
    const std::size_t width = std::max(numberWidthOf(theirs), numberWidthOf(result));
    if (sorted(theirs, width))
        FUZZ_CHECK(sorted(result, width));

    const bool oursKept = handedOut.empty()
        && std::all_of(m.choices.begin(), m.choices.end(),
                       [](ConflictChoice c) { return c == ConflictChoice::KeepMine; });
    if (oursKept && !holdsANumberTwice(base) && !holdsANumberTwice(result))
        FUZZ_CHECK(!planMerge(base, ours, result, touched).changesTheirs());

    // Every number at once, with the base and without.
    const Merge full = merge(in, theirs, planFullMerge(base, ours, theirs));
    checkNothingLost(full, added(base, ours), added(base, theirs));
    const Merge noBase = merge(in, theirs, planFullMerge(std::nullopt, ours, theirs));
    std::vector<std::string_view> ourLines;
    for (std::string_view line : ours)
        if (!trimmedView(line).empty())
            ourLines.push_back(line);
    checkNothingLost(noBase, ourLines, std::vector<std::string_view>(theirs.begin(), theirs.end()));
    return 0;
}
