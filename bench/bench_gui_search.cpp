// A text search that misses, "Match case" clear, over a list view of a
// million items: the slowest search a user can start, since every
// description is read. bench/search_vs_grep.sh sets it beside grep -ci.
//
// bench_gui_search [--list FILE] [--word WORD] [benchmark options]
// Without --list a generated list of a million lines is used.
#include "benchlistview.h"
#include "benchoptions.h"
#include "listgenerator.h"

#include "listfile/listfileio.h"
#include "app/projectlistmodel.h"
#include "app/projectsearch.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

ProjectListModel* listView = nullptr;
std::string missingWord = "tunnel";

void BM_TextSearchMiss(benchmark::State& state)
{
    int row = 0;
    for (auto _ : state) {
        row = searchProjectText(*listView, missingWord, false, false);
        benchmark::DoNotOptimize(row);
    }
    if (row != -1)
        state.SkipWithError("the word was found: choose one the list does not hold");
    state.counters["items"] = listView->count();
}
BENCHMARK(BM_TextSearchMiss)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same miss as the find dialog searches: the typed text in each row's coding.
void BM_TypedTextSearchMiss(benchmark::State& state)
{
    const QString typed = QString::fromStdString(missingWord);
    int row = 0;
    for (auto _ : state) {
        row = searchTypedText(*listView, typed, false, false);
        benchmark::DoNotOptimize(row);
    }
    if (row != -1)
        state.SkipWithError("the word was found: choose one the list does not hold");
    state.counters["items"] = listView->count();
}
BENCHMARK(BM_TypedTextSearchMiss)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_NumberSearchMiss(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(searchProjectNumber(*listView, "0000").row);
}
BENCHMARK(BM_NumberSearchMiss)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    std::string listPath;
    const bool given = takeOption(argc, argv, "--list", listPath);
    takeOption(argc, argv, "--word", missingWord);
    benchmark::Initialize(&argc, argv);

    std::filesystem::path folder;
    if (!given) {
        std::string pattern = (std::filesystem::temp_directory_path() / "quindle-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("bench_gui_search: temporary folder");
            return 1;
        }
        folder = pattern;
        listPath = (folder / "Projects.txt").string();
        if (writeGeneratedList(listPath, {1000000, 0, 1}) < 0) {
            std::fprintf(stderr, "bench_gui_search: cannot write %s\n", listPath.c_str());
            return 1;
        }
    }

    ProjectListModel model;
    fillFromListFile(model, listPath);
    listView = &model;
    if (!folder.empty())
        std::filesystem::remove_all(folder);
    benchmark::AddCustomContext("list", listPath + ", " + std::to_string(model.count()) + " items");
    benchmark::AddCustomContext("word", missingWord);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
