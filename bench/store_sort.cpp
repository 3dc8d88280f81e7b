// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "store/funUnit.h"
#include "store/records/TaskArrays.h"
#include "tests/store/ReferenceSort.h"

#include <benchmark/benchmark.h>

static auto CompareKind(int kind) {
    return [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); };
}

// A sort with a comparator, as the command-line companion's list makes it, for each of the
// five columns.
static void BM_SortTasks(benchmark::State& state) {
    const auto tasks = RandomTasks(100000);
    DoneBottom = 1;
    SortOrder = -1;
    const auto compare = CompareKind(static_cast<int>(state.range(0)));
    std::vector<TMyRec2> copy;
    for (auto _ : state) {
        state.PauseTiming();
        copy = tasks;
        state.ResumeTiming();
        SortTasks(copy, compare);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_SortTasks)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

// A click on a column header of a list of 100,000 or 1,000,000 tasks just loaded, for each of
// the five columns: the rows are sorted and the focused task found again.
static void BM_HeaderClick(benchmark::State& state) {
    const int column = static_cast<int>(state.range(0));
    TTaskArrays tasks(BenchDatabase(static_cast<int>(state.range(1))));
    DoneBottom = 1;
    for (auto _ : state) {
        state.PauseTiming();
        tasks.Load(0, -1, -1);
        const int32_t focused = tasks.ShownTasks().front().id;
        state.ResumeTiming();
        benchmark::DoNotOptimize(tasks.SortByColumn(column, -1, focused));
    }
}
BENCHMARK(BM_HeaderClick)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 4, 1), {100000, 1000000}})
    ->Unit(benchmark::kMillisecond);

// The quadratic exchange sort the order is defined by, on a tenth of the tasks.
static void BM_ReferenceExchangeSort(benchmark::State& state) {
    const auto tasks = RandomTasks(10000);
    DoneBottom = 1;
    SortOrder = -1;
    const auto compare = CompareKind(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto copy = tasks;
        ReferenceExchangeSort(copy, compare);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_ReferenceExchangeSort)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(1);
