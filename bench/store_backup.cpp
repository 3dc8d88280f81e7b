// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"
#include "store/db/Backup.h"

#include <benchmark/benchmark.h>
#include <filesystem>

// The daily copy that runs once the window is up.
static void BM_DailyBackup(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::filesystem::remove_all(BackupFolder(dm.DatabasePath()));
        benchmark::DoNotOptimize(TakeDailyBackup(dm.DatabasePath(), "2026-12-09"));
    }
    std::filesystem::remove_all(BackupFolder(dm.DatabasePath()));
}
BENCHMARK(BM_DailyBackup)->Arg(100000)->Unit(benchmark::kMillisecond);
