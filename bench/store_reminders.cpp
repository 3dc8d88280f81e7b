// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "store/records/IndexedTasks.h"
#include "store/records/Reminders.h"

#include <benchmark/benchmark.h>

namespace {

// Tasks of which none is due at 46000, every fourth one done and half with the reminder on.
std::vector<TMyRec2> NoneDue(int count) {
    auto tasks = RandomTasks(count);
    for (TMyRec2& t : tasks)
        t.datetimeReminder += 100000;
    return tasks;
}

} // namespace

// The reminder scan as a walk over every task, when none is due: what every 10 s cost before
// the index.
static void BM_ReminderScanNoneDue(benchmark::State& state) {
    const auto tasks = NoneDue(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(FindDueTask(tasks, 0, 46000));
}
BENCHMARK(BM_ReminderScanNoneDue)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// The scan the program makes every 10 s: through the index of reminder times, when none is due.
static void BM_IndexedReminderScanNoneDue(benchmark::State& state) {
    TIndexedTasks tasks;
    tasks.Assign(NoneDue(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(tasks.FindDue(0, 46000));
}
BENCHMARK(BM_IndexedReminderScanNoneDue)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// One scan of a pass over a few due reminders among 1,000,000 tasks: each scan goes on after
// the task announced last, and a pass ends with a scan that finds none.
static void BM_IndexedReminderScanPass(benchmark::State& state) {
    auto all = NoneDue(1000000);
    for (size_t k = 0; k < all.size(); k += 99991) {
        all[k].intDone = 0;
        all[k].intReminder = 1;
        all[k].datetimeReminder = 45000;
    }
    TIndexedTasks tasks;
    tasks.Assign(std::move(all));
    int position = -1;
    for (auto _ : state) {
        position = tasks.FindDue(position + 1, 46000);
        benchmark::DoNotOptimize(position);
    }
}
BENCHMARK(BM_IndexedReminderScanPass)->Unit(benchmark::kMicrosecond);
