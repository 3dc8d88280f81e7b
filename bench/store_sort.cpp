// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "store/funUnit.h"
#include "store/records/Reminders.h"
#include "tests/store/ReferenceSort.h"

#include <benchmark/benchmark.h>

static auto CompareKind(int kind) {
    return [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); };
}

// A header click on a list of 100,000 or 1,000,000 tasks, for each of the five columns.
static void BM_SortTasks(benchmark::State& state) {
    const auto tasks = RandomTasks(static_cast<int>(state.range(1)));
    DoneBottom = 1;
    SortOrder = -1;
    const auto compare = CompareKind(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = tasks;
        state.ResumeTiming();
        SortTasks(copy, compare);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_SortTasks)
    ->ArgsProduct({benchmark::CreateDenseRange(1, 5, 1), {100000, 1000000}})
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

// One reminder scan over all tasks when none is due: it runs every 10 s.
static void BM_ReminderScanNoneDue(benchmark::State& state) {
    auto tasks = RandomTasks(static_cast<int>(state.range(0)));
    for (TMyRec2& t : tasks)
        t.datetimeReminder += 100000;
    for (auto _ : state)
        benchmark::DoNotOptimize(FindDueTask(tasks, 0, 46000));
}
BENCHMARK(BM_ReminderScanNoneDue)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
