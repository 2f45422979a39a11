// Refilling the list view's model from a list of 1,000,000 lines.
#include "listgenerator.h"
#include "app/projectlistmodel.h"

#include <benchmark/benchmark.h>

static void ViewRefill(benchmark::State& state)
{
    ListGeneratorOptions options;
    options.lines = static_cast<std::size_t>(state.range(0));
    const LineList lines = generateListLines(options);
    ProjectListModel model;
    for (auto _ : state) {
        model.fill(lines);
        benchmark::DoNotOptimize(model.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ViewRefill)->Arg(1000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
