// Loading and saving a list file of a million lines (about 42 MB), the size
// the program must handle without the user waiting: well under 0.3 s to load.
// The list is generated into a temporary folder at start and removed at exit.
#include "benchmain.h"
#include "listgenerator.h"

#include "listfile/listfileio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr std::size_t benchmarkLines = 1000000;

std::string listPath;      // the generated list
std::string savePath;      // where the save benchmark writes
std::size_t listBytes = 0;

double peakResidentMegabytes()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Reloads into a list that already holds the file, as the program does when
// it shows the list again: the old lines are released on each run too.
void BM_LoadListFile(benchmark::State& state)
{
    LineList lines;
    loadListFile(listPath, lines);
    for (auto _ : state) {
        loadListFile(listPath, lines);
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * listBytes));
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["peakRSS_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_LoadListFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Splitting bytes already in memory: the share of loading that is ours
// rather than the disk's.
void BM_SplitListText(benchmark::State& state)
{
    std::string bytes = joinListText(generateListLines({benchmarkLines, 0, 1}));
    for (auto _ : state) {
        LineList lines = splitListText(bytes);
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_SplitListText)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole save: temporary file, writes, flush to disk and the rename.
void BM_SaveListFile(benchmark::State& state)
{
    LineList lines;
    loadListFile(listPath, lines);
    for (auto _ : state)
        saveListFile(savePath, lines);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * listBytes));
}
BENCHMARK(BM_SaveListFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    const BenchFolder folder("bench_listfile");
    if (!folder.made())
        return 1;
    listPath = folder.file("Projects.txt");
    savePath = folder.file("Saved.txt");
    return runBenchmarks(argc, argv, [] {
        const long long bytes = writeGeneratedList(listPath, {benchmarkLines, 0, 1});
        if (bytes < 0) {
            std::fprintf(stderr, "bench_listfile: cannot write %s\n", listPath.c_str());
            return false;
        }
        listBytes = static_cast<std::size_t>(bytes);
        benchmark::AddCustomContext("list", std::to_string(benchmarkLines) + " lines, " + std::to_string(bytes) + " bytes");
        return true;
    });
}
