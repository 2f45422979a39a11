// "Apply Changes" on a sorted list of a million lines: the duplicate test, the
// line put in place and the order restored, at most 50 ms an apply. Also the
// whole sort that the first apply after loading an unsorted list does.
//
// The list is the file named by QUINDLE_BENCH_LIST (bench/compare_sort.sh
// passes the same file to GNU sort), or a generated one. Collation follows
// the environment's locale, as in the program.
#include "benchmain.h"
#include "listgenerator.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t benchmarkLines = 1000000;

LineList listLines()
{
    LineList lines;
    if (const char* path = std::getenv("QUINDLE_BENCH_LIST"))
        loadListFile(path, lines);
    else
        lines = generateListLines({benchmarkLines, 0, 1});
    return lines;
}

// One apply as the wizard does it: nothing of the description is in the list
// yet, so the duplicate test reads every line to the end.
void applyOnce(LineList& lines, const std::string& number, const std::string& description,
               bool insertMode)
{
    if (listContainsText(lines, description))
        return;
    const std::size_t at = putProjectLine(lines, number, projectLine(number, description),
                                          insertMode ? std::optional<std::size_t>(std::stoul(number)) : std::nullopt);
    keepSorted(lines, at);
}

// Appends a project whose number is new (the Add command): the line lands at
// the end and moves up to its place.
void BM_ApplyAddToSortedList(benchmark::State& state)
{
    LineList lines = listLines();
    sortLines(lines);
    int next = 0;
    for (auto _ : state) {
        const std::string number = zeroPadNumber(2000000 + next++);
        applyOnce(lines, number, "Quay steps no " + std::to_string(next), false);
    }
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ApplyAddToSortedList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// Replaces an existing project's line (the Edit command) in the middle of
// the list; the new description sorts it elsewhere.
void BM_ApplyEditInSortedList(benchmark::State& state)
{
    LineList lines = listLines();
    sortLines(lines);
    std::mt19937 random(3);
    int round = 0;
    for (auto _ : state) {
        const std::string number = zeroPadNumber(1 + static_cast<int>(random() % 999));
        applyOnce(lines, number, "Zz new pier " + std::to_string(round++), false);
    }
}
BENCHMARK(BM_ApplyEditInSortedList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// Inserts a project (the Insert command) whose number is not in the list: the
// line goes in at the position of its number and moves to its place.
void BM_ApplyInsertInSortedList(benchmark::State& state)
{
    LineList lines = listLines();
    sortLines(lines);
    std::mt19937 random(5);
    int round = 0;
    for (auto _ : state) {
        const std::string number = std::to_string(random() % 1000000);
        applyOnce(lines, number, "Inserted " + std::to_string(round++), true);
    }
}
BENCHMARK(BM_ApplyInsertInSortedList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

// The whole sort of a shuffled list: what the first apply costs after loading
// a list that was not in order.
void BM_SortShuffledList(benchmark::State& state)
{
    const LineList original = listLines();
    std::vector<std::string_view> order(original.begin(), original.end());
    std::shuffle(order.begin(), order.end(), std::mt19937(9));
    const LineList shuffled(order.begin(), order.end());
    for (auto _ : state) {
        state.PauseTiming();
        LineList lines = shuffled;
        lines.reserve(lines.size());  // its own table of lines, before the clock runs
        state.ResumeTiming();
        sortLines(lines);
        benchmark::DoNotOptimize(lines.front());
    }
}
BENCHMARK(BM_SortShuffledList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    return runBenchmarks(argc, argv);
}
