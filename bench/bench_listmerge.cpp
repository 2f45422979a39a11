// The merging save on a sorted list of a million lines: someone else saved
// 1,000 changes while we made 1,000 of our own (edits, removals, an addition;
// the same change on both sides, conflicts, edits against removals among
// them). Planning and applying the merge must cost no more than the plain
// save it comes before: joining the lines and writing the file, measured
// here in the same run. The merge of every number (a sync tool's conflict
// copy) is measured for comparison.
#include "benchmain.h"
#include "listgenerator.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"
#include "listfile/listmerge.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t benchmarkLines = 1000000;
constexpr int projectCount = 1000;  // the three-digit numbers 000 to 999

struct MergeLists {
    LineList base;
    LineList ours;
    LineList theirs;
    std::vector<std::string> touched;
};

std::string savePath;

// Where each three-digit number has its first line.
std::array<std::size_t, projectCount> firstLines(const LineList& lines)
{
    std::array<std::size_t, projectCount> first;
    first.fill(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const auto digit = [](char c) { return c >= '0' && c <= '9'; };
        if (line.size() < 3 || !digit(line[0]) || !digit(line[1]) || !digit(line[2]))
            continue;
        const auto number = static_cast<std::size_t>((line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0'));
        if (first[number] == lines.size())
            first[number] = i;
    }
    return first;
}

// Ours: 000 added, 001 to 899 edited, 900 to 999 removed. Theirs: the same
// edits of 001 to 040, other edits of 041 to 080 (conflicts), 081 to 100
// removed (our edits kept), and 900 changes among the lines of four and more
// digits: edits, removals, and new projects at their sorted places.
MergeLists makeLists()
{
    MergeLists lists;
    lists.base = generateListLines({benchmarkLines, 0, 1});
    sortLines(lists.base);
    const auto first = firstLines(lists.base);

    std::vector<bool> ourRemoval(lists.base.size(), false);
    lists.ours = lists.base;
    for (int number = 1; number < projectCount; ++number) {
        const std::string text = zeroPadNumber(number);
        lists.touched.push_back(text);
        if (number < 900)
            lists.ours.set(first[number], projectLine(text, "Ours edit " + text));
        else
            ourRemoval[first[number]] = true;
    }
    std::size_t index = 0;
    lists.ours.eraseIf([&](std::string_view) { return ourRemoval[index++]; });
    lists.ours.insert(0, projectLine("000", "Ours new"));  // before 001, its sorted place
    lists.touched.push_back("000");

    std::vector<bool> theirRemoval(lists.base.size(), false);
    std::vector<std::string> theirEdit(lists.base.size());
    for (int number = 1; number <= 100; ++number) {
        const std::string text = zeroPadNumber(number);
        if (number <= 40)
            theirEdit[first[number]] = projectLine(text, "Ours edit " + text);
        else if (number <= 80)
            theirEdit[first[number]] = projectLine(text, "Their edit " + text);
        else
            theirRemoval[first[number]] = true;
    }
    std::mt19937 random(11);
    std::vector<std::string> theirNew;
    for (int change = 0; change < 900; ++change) {
        const std::size_t at = random() % lists.base.size();
        if (lists.base[at].size() > 3 && lists.base[at][3] >= '0' && lists.base[at][3] <= '9') {
            if (change % 3 == 0)
                theirRemoval[at] = true;
            else if (change % 3 == 1)
                theirEdit[at] = std::string(lists.base[at]) + " (revised)";
        }
        if (change % 3 == 2)
            theirNew.push_back(projectLine(std::to_string(2000000 + change), "Their new project"));
    }
    const LineComparison order;
    std::sort(theirNew.begin(), theirNew.end(),
              [&order](const std::string& a, const std::string& b) { return order.less(a, b); });
    LineList theirs;
    theirs.reserve(lists.base.size() + theirNew.size());
    auto next = theirNew.begin();
    for (std::size_t i = 0; i < lists.base.size(); ++i) {
        for (; next != theirNew.end() && order.less(*next, lists.base[i]); ++next)
            theirs.push_back(*next);
        if (!theirRemoval[i])
            theirs.push_back(theirEdit[i].empty() ? lists.base[i] : std::string_view(theirEdit[i]));
    }
    for (; next != theirNew.end(); ++next)
        theirs.push_back(*next);
    lists.theirs = std::move(theirs);
    return lists;
}

const MergeLists& lists()
{
    static const MergeLists made = makeLists();
    return made;
}

// Plans and applies a merge, every conflict answered with our line.
template <typename Plan>
void runMerge(benchmark::State& state, Plan plan)
{
    MergePlan planned;
    LineList merged;
    for (auto _ : state) {
        planned = plan(lists());
        std::vector<MergeNotice> notices = planned.notices;
        const std::vector<ConflictChoice> choices(planned.conflicts.size(), ConflictChoice::KeepMine);
        merged = applyMerge(lists().theirs, planned, choices, notices);
        benchmark::DoNotOptimize(merged.size());
    }
    state.counters["lines"] = static_cast<double>(merged.size());
    state.counters["conflicts"] = static_cast<double>(planned.conflicts.size());
    state.counters["notices"] = static_cast<double>(planned.notices.size());
}

// Our changes onto theirs.
void BM_MergeOurChanges(benchmark::State& state)
{
    runMerge(state, [](const MergeLists& l) { return planMerge(l.base, l.ours, l.theirs, l.touched); });
}
BENCHMARK(BM_MergeOurChanges)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plain save of the same list: its bytes, then the file written whole.
void BM_PlainSave(benchmark::State& state)
{
    const MergeLists& l = lists();
    for (auto _ : state) {
        const std::string bytes = joinListText(l.theirs);
        benchmark::DoNotOptimize(bytes.data());
        saveListFile(savePath, l.theirs);
    }
    state.counters["lines"] = static_cast<double>(l.theirs.size());
}
BENCHMARK(BM_PlainSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every number of both lists at once, with the base.
void BM_MergeEveryNumber(benchmark::State& state)
{
    runMerge(state, [](const MergeLists& l) { return planFullMerge(l.base, l.ours, l.theirs); });
}
BENCHMARK(BM_MergeEveryNumber)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    const BenchFolder folder("bench_listmerge");
    if (!folder.made())
        return 1;
    savePath = folder.file("Projects.txt");
    return runBenchmarks(argc, argv, [] {
        lists();  // made before any clock runs
        return true;
    });
}
