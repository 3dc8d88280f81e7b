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
#include <functional>

namespace {

TCalDavTestServer& Server() {
    static TCalDavTestServer server("radicale");
    return server;
}

// A 10 ms timer that tells at each tick how late it came, in milliseconds.
class TLateness {
public:
    explicit TLateness(std::function<void(double lateMs)> tick) {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this, tick] {
            const qint64 now = clock_.nsecsElapsed();
            const qint64 late = now - last_ - IntervalMs * 1000000;
            last_ = now;
            tick(static_cast<double>(std::max<qint64>(late, 0)) / 1e6);
        });
        clock_.start();
        timer_.start(IntervalMs);
    }

private:
    static constexpr int IntervalMs = 10;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
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
        bool syncing = true;
        bool listed = false;
        QObject::connect(main.Sync(), &TSyncScheduler::SyncFinished,
                         [&](const TSyncResult& finished) {
                             result = finished;
                             syncing = false;
                             // Nothing to read again when nothing came.
                             listed = finished.counts.down == 0;
                         });
        QObject::connect(main.Form2, &TForm2::TasksLoaded, [&] { listed = true; });
        state.ResumeTiming();

        double duringSync = 0;
        double untilListed = 0;
        // The tick after the list was read measures the reading too.
        TLateness lateness([&](double lateMs) {
            if (syncing)
                duringSync = std::max(duringSync, lateMs);
            untilListed = std::max(untilListed, lateMs);
            if (listed)
                loop.quit();
        });
        QElapsedTimer synced;
        synced.start();
        loop.exec();

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
