// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/InstanceServer.h"
#include "app/ProgramWindows.h"
#include "bench/BenchData.h"
#include "bench/HandWrittenLoad.h"
#include "bench/ProcessMemory.h"
#include "store/dates/dateUnit.h"
#include "store/db/Backup.h"
#include "tasklist/Unit2.h"
#include "tests/ui/WindowControls.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <memory>

namespace {

// Tells when the list's rows were painted for the first time.
class FirstPaint : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// The program as its entry starts it, up to the first paint of the rows: the windows,
// settings, the load of every task, note and category, the category menu, the frame.
std::unique_ptr<TProgramWindows> StartToFirstPaint(TDM& dm, bool withBackup = false) {
    DM = &dm;
    auto windows = std::make_unique<TProgramWindows>(dm, TStartOptions{false, false});
    TForm1& form = windows->MainWindow();
    FirstPaint paint;
    VDT(*form.Form2)->viewport()->installEventFilter(&paint);
    form.ShowAtStartup();
    if (withBackup)
        form.ScheduleDailyBackup();
    while (!paint.painted)
        QCoreApplication::processEvents();
    VDT(*form.Form2)->viewport()->removeEventFilter(&paint);
    benchmark::DoNotOptimize(form.Form2->ShownTasks.size());
    return windows;
}

// Closing the program is left out of the times.
void CloseUntimed(benchmark::State& state, std::unique_ptr<TProgramWindows>& windows) {
    state.PauseTiming();
    windows.reset();
    DM = nullptr;
    state.ResumeTiming();
}

void RunEventsFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto windows = StartToFirstPaint(dm);
        CloseUntimed(state, windows);
    }
}
BENCHMARK(BM_StartupToFirstPaint)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// The first start of a day as the entry makes it: the daily backup, with its integrity check,
// is scheduled right after the window is shown. "backup_ms" is how long the backup took from
// then to its end.
void BM_StartupWithBackupToFirstPaint(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    const std::string backups = BackupFolder(dm.DatabasePath());
    double backupMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(backups);
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        auto windows = StartToFirstPaint(dm, true);
        state.PauseTiming();
        bool finished = false;
        QObject::connect(&windows->MainWindow(), &TForm1::DailyBackupFinished,
                         [&finished] { finished = true; });
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        backupMs += static_cast<double>(clock.elapsed());
        state.ResumeTiming();
        CloseUntimed(state, windows);
    }
    std::filesystem::remove_all(backups);
    state.counters["backup_ms"] = backupMs / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartupWithBackupToFirstPaint)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Memory in one run: the peak of the hand-written read of every task into two fresh arrays,
// then the resident size of the program once it has started and painted its window (both
// include what the process held before, "baseline_MiB"). "ratio" is the second over the first.
// Run it alone (--benchmark_filter=StartupMemory): what a benchmark before it left behind in
// the process would count in both.
void BM_StartupMemory(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ReturnFreedMemory();
        const double baseline = ResidentMiB();
        ResetPeakResident();
        {
            std::vector<TMyRec2> all, shown;
            LoadDirectly(dm.DatabasePath(), all, shown);
            benchmark::DoNotOptimize(shown.data());
        }
        const double handWrittenPeak = PeakResidentMiB();
        ReturnFreedMemory();

        ResetPeakResident();
        auto windows = StartToFirstPaint(dm);
        RunEventsFor(500);
        const double started = ResidentMiB();
        state.counters["baseline_MiB"] = baseline;
        state.counters["handWrittenPeak_MiB"] = handWrittenPeak;
        state.counters["startResident_MiB"] = started;
        state.counters["startPeak_MiB"] = PeakResidentMiB();
        state.counters["ratio"] = started / handWrittenPeak;
        CloseUntimed(state, windows);
    }
}
BENCHMARK(BM_StartupMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A started program left alone for a minute, its window shown and the reminder check running
// with no reminder due, with the entry's listener for a second start (second argument 1) or
// without it (0): the processor time it takes, every thread counted ("cpu_ms_per_min").
void BM_IdleMinute(benchmark::State& state) {
    TDM& dm = BenchDatabase(static_cast<int>(state.range(0)));
    // The listener looks at its socket every second.
    TInstanceServer instanceServer(QString::fromStdString(dm.DatabasePath()));
    if (state.range(1) == 1)
        instanceServer.Listen();
    // Before every reminder of the database.
    SetNowSource([] { return EncodeDate(2020, 1, 1); });
    for (auto _ : state) {
        state.PauseTiming();
        auto windows = StartToFirstPaint(dm);
        RunEventsFor(1000);
        state.ResumeTiming();
        const double before = ProcessorMilliseconds();
        RunEventsFor(60000);
        state.counters["cpu_ms_per_min"] = ProcessorMilliseconds() - before;
        CloseUntimed(state, windows);
    }
    SetNowSource({});
}
BENCHMARK(BM_IdleMinute)
    ->ArgsProduct({{1000000}, {0, 1}})
    ->ArgNames({"tasks", "listener"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
