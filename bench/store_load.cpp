// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "store/records/TaskTable.h"

#include <benchmark/benchmark.h>

// Start-up and category changes read every task, note and category into both arrays.
static void BM_LoadTasks(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    std::vector<TMyRec2> all, shown;
    for (auto _ : state) {
        LoadTaskArrays(dm, 0, -1, 0, all, shown);
        benchmark::DoNotOptimize(shown.data());
    }
    state.counters["tasks"] = static_cast<double>(all.size());
}
BENCHMARK(BM_LoadTasks)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A single-row change on a large table: the done mark.
static void BM_WriteDoneMark(benchmark::State& state) {
    TDM& dm = BenchDatabase(100000);
    int id = 1;
    for (auto _ : state) {
        TTableCursor& table = dm.ADOTable1;
        table.Close();
        table.SetTableName("t_task");
        table.Open();
        table.Locate("id", id);
        table.Edit();
        table.SetInteger("intDone", 1 - table.AsInteger("intDone"));
        table.Post();
        table.Close();
        id = id % 100000 + 7919;
    }
}
BENCHMARK(BM_WriteDoneMark)->Unit(benchmark::kMillisecond);
