// SPDX-License-Identifier: GPL-3.0-or-later
// How long the window's event loop waits while the organizer syncs in the background: the
// program's windows over a new database, a first sync of a list of to-dos from Radicale on
// loopback through the background sync, and a 10 ms timer on the window's thread measuring
// how late it comes. The longest lateness is given during the sync itself and until the list
// has read what came in. Radicale is started by the program, as the tests start it; without
// it the benchmark is skipped.
//
//     build/bench/sync_window_bench
#include "app/ProgramWindows.h"
#include "store/DmUnit.h"
#include "store/sync/SyncAccount.h"
#include "tasklist/Unit2.h"
#include "tests/sync/RadicaleFiles.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {

TCalDavTestServer& Server() {
    static TCalDavTestServer server("radicale");
    return server;
}

// A 10 ms timer that keeps the longest time it came after it was due.
class TLateness {
public:
    TLateness() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_ - IntervalMs * 1000000);
            last_ = now;
        });
        clock_.start();
        timer_.start(IntervalMs);
    }
    // The longest lateness so far, in milliseconds, and a fresh start.
    double Take() {
        const double longest = static_cast<double>(longest_) / 1e6;
        longest_ = 0;
        return longest;
    }

private:
    static constexpr int IntervalMs = 10;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

} // namespace

static void BM_WindowDuringFirstSync(benchmark::State& state) {
    if (!Server().Ready()) {
        state.SkipWithError(("Radicale cannot be had: " + Server().SkipReason()).c_str());
        return;
    }
    const int todos = static_cast<int>(state.range(0));
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir home;
        TDM dm(home.path().toStdString());
        dm.DataModuleCreate();
        DM = &dm;
        const std::string id =
            "window-bench-" + std::to_string(todos) + "-" + std::to_string(++run);
        TSyncAccount account;
        account.server = Server().Url();
        account.user = Server().User();
        account.lists = {WriteRadicaleTodos(Server(), id, "Work", todos)};
        if (account.lists.front().empty()) {
            state.SkipWithError("Radicale did not take the to-dos.");
            break;
        }
        account.scheduleMinutes = 0;
        account.passwordCommand = "printf %s '" + Server().Password() + "'";
        WriteSyncAccount(SyncSettingsPath(), dm.DatabasePath(), account);
        TStartOptions start;
        start.backgroundSync = true;
        start.syncTimings.startupDelayMs = 0;
        auto windows = std::make_unique<TProgramWindows>(dm, start);
        TForm1& main = windows->MainWindow();
        main.ShowAtStartup();
        QEventLoop loop;
        TSyncResult result;
        QObject::connect(main.Sync(), &TSyncScheduler::SyncFinished,
                         [&](const TSyncResult& finished) {
                             result = finished;
                             // Nothing to read again when nothing came.
                             if (finished.counts.down == 0)
                                 loop.quit();
                         });
        QObject::connect(main.Form2, &TForm2::TasksLoaded, &loop, &QEventLoop::quit);
        state.ResumeTiming();

        TLateness lateness;
        QElapsedTimer synced;
        synced.start();
        double duringSync = 0;
        QObject::connect(main.Sync(), &TSyncScheduler::SyncFinished,
                         [&] { duringSync = lateness.Take(); });
        loop.exec();
        const double untilListed = std::max(duringSync, lateness.Take());

        state.PauseTiming();
        if (!result.errors.empty())
            state.SkipWithError(result.errors.front().c_str());
        else if (main.Form2->ShownTasks.size() != static_cast<size_t>(todos))
            state.SkipWithError(("The list shows " + std::to_string(main.Form2->ShownTasks.size()) +
                                 " to-dos, not every one.")
                                    .c_str());
        state.counters["down"] = result.counts.down;
        state.counters["longest_wait_ms_sync"] = duringSync;
        state.counters["longest_wait_ms_listed"] = untilListed;
        state.counters["sync_s"] = static_cast<double>(synced.elapsed()) / 1000;
        windows.reset();
        DM = nullptr;
        if (state.error_occurred())
            break;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowDuringFirstSync)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
