// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "store/exchange/IcalExchange.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {

// 10,000 to-dos with notes, due dates, alarms and sounds, as the export writes them.
const std::string& TenThousandTodos() {
    static const std::string text = ExportIcal(BenchDatabase(10000), 0);
    return text;
}

} // namespace

// Dropping a large file: libical reads it, then one transaction writes every task, note and
// new category into a database that had none of them.
static void BM_ImportIcal(benchmark::State& state) {
    const std::string& text = TenThousandTodos();
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tolvek-bench-import-" + std::to_string(::getpid()));
    size_t imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        TDM dm(folder.string());
        dm.DataModuleCreate();
        state.ResumeTiming();
        imported = ImportTasks(dm, ReadIcalText(text, "bench.ics"), 0).taskIds.size();
    }
    std::filesystem::remove_all(folder);
    state.counters["todos"] = static_cast<double>(imported);
}
BENCHMARK(BM_ImportIcal)->Unit(benchmark::kMillisecond);

// The reading alone, without the database.
static void BM_ReadIcal(benchmark::State& state) {
    const std::string& text = TenThousandTodos();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadIcalText(text, "bench.ics").size());
}
BENCHMARK(BM_ReadIcal)->Unit(benchmark::kMillisecond);

static void BM_ExportIcal(benchmark::State& state) {
    TDM& dm = BenchDatabase(10000);
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportIcal(dm, 0).size());
}
BENCHMARK(BM_ExportIcal)->Unit(benchmark::kMillisecond);
