// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "bench/HandWrittenLoad.h"
#include "store/records/TaskTable.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

struct TArrays {
    std::vector<TMyRec2> all, shown;
};

template <typename Load> double TimedLoad(Load load) {
    // Fresh arrays, as at start-up; freeing them is left out of the time.
    auto arrays = std::make_unique<TArrays>();
    const auto start = std::chrono::steady_clock::now();
    load(*arrays);
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    benchmark::DoNotOptimize(arrays->shown.data());
    arrays.reset();
    return taken.count();
}

} // namespace

// Start-up and category changes read every task, note and category into both arrays. Each
// iteration loads with the store and with the hand-written read, in turns, so that both meet
// the same load of the machine; the time is the store's, "ratio" the store's time over the
// hand-written read's.
static void BM_LoadAgainstHandWritten(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    double store = 0, handWritten = 0;
    bool storeFirst = true;
    for (auto _ : state) {
        const auto storeLoad = [&] {
            return TimedLoad([&](TArrays& a) { LoadTaskArrays(dm, 0, -1, 0, a.all, a.shown); });
        };
        const auto handLoad = [&] {
            return TimedLoad([&](TArrays& a) { LoadDirectly(dm.DatabasePath(), a.all, a.shown); });
        };
        double storeTime = 0;
        if (storeFirst) {
            storeTime = storeLoad();
            handWritten += handLoad();
        } else {
            handWritten += handLoad();
            storeTime = storeLoad();
        }
        storeFirst = !storeFirst;
        store += storeTime;
        state.SetIterationTime(storeTime);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["handWritten_ms"] = handWritten / iterations * 1e3;
    state.counters["ratio"] = store / handWritten;
}
BENCHMARK(BM_LoadAgainstHandWritten)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
