// Repair of a million-line list with about 5% badly laid-out lines, from
// reading the file to the repaired lines in memory, without dialogs. The
// target is at most half the time GNU sed takes for a one-line rewrite of the
// same file (bench/repair_vs_sed.sh runs both in one go).
//
//   bench_repair [benchmark flags]   generated list, Google Benchmark runs
//   bench_repair --once=FILE         one repair of FILE, for whole-process timing
#include "benchmain.h"
#include "listgenerator.h"

#include "listfile/listrepair.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr std::size_t benchmarkLines = 1000000;
constexpr int benchmarkBadPercent = 5;

std::string listPath;

// Hears the repair as the window would, minus the window.
class QuietObserver : public RepairObserver {
public:
    std::size_t keepAlives = 0;
    void keepAlive(std::size_t, std::size_t) override { ++keepAlives; }
};

// Into a list that already holds the file, as in the program, where the
// previous lines are released when the repaired ones take their place.
void BM_RepairListFile(benchmark::State& state)
{
    LineList lines;
    QuietObserver observer;
    RepairCounts counts = repairListFile(listPath, lines, observer);
    for (auto _ : state) {
        counts = repairListFile(listPath, lines, observer);
        benchmark::DoNotOptimize(lines.size());
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["blank"] = static_cast<double>(counts.blankLines);
    state.counters["rebuilt"] = static_cast<double>(counts.rebuiltLines);
}
BENCHMARK(BM_RepairListFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two passes alone, on lines already in memory.
void BM_RepairLines(benchmark::State& state)
{
    const LineList original = generateListLines({benchmarkLines, benchmarkBadPercent, 1});
    QuietObserver observer;
    for (auto _ : state) {
        state.PauseTiming();
        LineList lines = original;
        lines.reserve(lines.size());  // its own table of lines, before the clock runs
        state.ResumeTiming();
        benchmark::DoNotOptimize(repairLines(lines, observer));
        state.PauseTiming();
        lines = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RepairLines)->Unit(benchmark::kMillisecond)->UseRealTime();

int repairOnce(const char* path)
{
    const auto start = std::chrono::steady_clock::now();
    LineList lines;
    QuietObserver observer;
    const RepairCounts counts = repairListFile(path, lines, observer);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::fprintf(stderr, "%zu lines, %zu blank deleted, %zu rebuilt, %.3f s in the repair\n", lines.size(),
                 counts.blankLines, counts.rebuiltLines, took.count());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strncmp(argv[1], "--once=", 7) == 0) {
        try {
            return repairOnce(argv[1] + 7);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_repair: %s\n", e.what());
            return 1;
        }
    }
    const BenchFolder folder("bench_repair");
    if (!folder.made())
        return 1;
    listPath = folder.file("Projects.txt");
    return runBenchmarks(argc, argv, [] {
        const long long bytes = writeGeneratedList(listPath, {benchmarkLines, benchmarkBadPercent, 1});
        if (bytes < 0) {
            std::fprintf(stderr, "bench_repair: cannot write %s\n", listPath.c_str());
            return false;
        }
        benchmark::AddCustomContext("list", std::to_string(benchmarkLines) + " lines, "
                                                + std::to_string(benchmarkBadPercent) + "% bad, "
                                                + std::to_string(bytes) + " bytes");
        return true;
    });
}
