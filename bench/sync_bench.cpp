// SPDX-License-Identifier: GPL-3.0-or-later
// Syncs with Radicale on loopback: the first sync of a list of tasks, and a sync of one change
// among them, which must not grow with the list (the changes come from sync-collection, never a
// download of everything). vdirsyncer does the same against the same server in the same run,
// as the yardstick. Radicale is started by the program, as the tests start it; without it the
// benchmarks are skipped.
//
//     build/bench/sync_bench
#include "store/db/TableAccess.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncAccount.h"
#include "sync/SyncRun.h"
#include "tests/sync/CalDavTestServer.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace {

TCalDavTestServer& Server() {
    static TCalDavTestServer server("radicale");
    return server;
}

fs::path Scratch() {
    static const fs::path folder = [] {
        const fs::path path =
            fs::temp_directory_path() / ("tolvek-sync-bench-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

bool Ready(benchmark::State& state) {
    if (!Server().Ready())
        state.SkipWithError(("Radicale cannot be had: " + Server().SkipReason()).c_str());
    return Server().Ready();
}

// A list of the server, made for one benchmark.
std::string MakeList(const std::string& id, const std::string& name) {
    Server().Device({"mkcol", name, "--id", id});
    return "/" + Server().User() + "/" + id + "/";
}

// A database of that many tasks in one category, with an account that syncs the category
// with a list of its own; made once for each size.
struct TBenchAccount {
    std::unique_ptr<TDM> dm;
    TSyncAccount account;
    bool synced = false;
    // The tasks whose done mark a benchmark flipped.
    std::map<int, bool> flipped;
};

TBenchAccount& Account(int tasks) {
    static std::map<int, TBenchAccount> accounts;
    TBenchAccount& bench = accounts[tasks];
    if (bench.dm)
        return bench;
    const fs::path folder = Scratch() / ("tasks-" + std::to_string(tasks));
    bench.dm = std::make_unique<TDM>(folder.string());
    bench.dm->DataModuleCreate();
    InTransaction(*bench.dm, [&](TTableCursor&) {
        for (int n = 0; n < tasks; ++n) {
            TTaskEdit task = NewTaskEdit();
            task.strName = "Task " + std::to_string(n);
            task.intCategory = 2;
            task.intPriority = n % 2;
            task.intDue = n % 3 == 0;
            if (n % 4 == 0)
                task.strNote = "A note of task " + std::to_string(n);
            AppendTaskRows(*bench.dm, task, n % 5 == 0);
        }
    });
    bench.account.server = Server().Url();
    bench.account.user = Server().User();
    // The list is named as the tasks' category, so that it maps to it.
    bench.account.lists = {MakeList("tolvek-" + std::to_string(tasks), "Work")};
    return bench;
}

TSyncResult Sync(TBenchAccount& bench, benchmark::State& state) {
    TDavOptions options;
    options.user = QString::fromStdString(Server().User());
    options.password = QString::fromStdString(Server().Password());
    TSyncResult result = RunSync(*bench.dm, bench.account, options, {});
    if (!result.errors.empty())
        state.SkipWithError(result.errors.front().c_str());
    bench.synced = true;
    return result;
}

// A vdirsyncer pair of a folder of that many to-dos and a list of its own on the server.
struct TVdirsyncer {
    fs::path config;
    fs::path folder;
    bool synced = false;
};

std::string VdirTodo(int n, const std::string& summary) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\nBEGIN:VTODO\r\nUID:vdir-" +
           std::to_string(n) + "\r\nDTSTAMP:20240301T080000Z\r\nSUMMARY:" + summary +
           "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

TVdirsyncer& Vdirsyncer(int tasks) {
    static std::map<int, TVdirsyncer> pairs;
    TVdirsyncer& pair = pairs[tasks];
    if (!pair.config.empty())
        return pair;
    const fs::path base = Scratch() / ("vdir-" + std::to_string(tasks));
    pair.folder = base / "local";
    fs::create_directories(pair.folder);
    fs::create_directories(base / "status");
    for (int n = 0; n < tasks; ++n)
        std::ofstream(pair.folder / ("vdir-" + std::to_string(n) + ".ics"))
            << VdirTodo(n, "Task " + std::to_string(n));
    const std::string list = MakeList("vdir-" + std::to_string(tasks), "vdirsyncer");
    pair.config = base / "config";
    std::ofstream(pair.config) << "[general]\nstatus_path = \"" << (base / "status").string()
                               << "/\"\n\n[pair bench]\na = \"local\"\nb = \"server\"\n"
                               << "collections = null\nconflict_resolution = \"a wins\"\n\n"
                               << "[storage local]\ntype = \"filesystem\"\npath = \""
                               << pair.folder.string() << "/\"\nfileext = \".ics\"\n\n"
                               << "[storage server]\ntype = \"caldav\"\nurl = \""
                               << Server().Url().substr(0, Server().Url().size() - 1) << list
                               << "\"\nusername = \"" << Server().User() << "\"\npassword = \""
                               << Server().Password() << "\"\n";
    RunProgram({"/usr/bin/vdirsyncer", "-c", pair.config.string(), "discover", "bench"}, "y\n");
    return pair;
}

void RunVdirsyncer(TVdirsyncer& pair, benchmark::State& state) {
    const TProgramOutput run =
        RunProgram({"/usr/bin/vdirsyncer", "-c", pair.config.string(), "sync"}, "", {}, 3600);
    if (run.status != 0)
        state.SkipWithError(("vdirsyncer failed: " + run.err).c_str());
    pair.synced = true;
}

} // namespace

// The first sync: every task goes up.
static void BM_FirstSync(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TBenchAccount& bench = Account(tasks);
        state.ResumeTiming();
        const TSyncResult result = Sync(bench, state);
        state.counters["up"] = result.counts.up;
    }
    state.counters["tasks/s"] = benchmark::Counter(tasks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstSync)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// One task changed here among them all: one up, found without reading the whole list.
static void BM_SyncOfOneChange(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    TBenchAccount& bench = Account(tasks);
    if (!bench.synced)
        Sync(bench, state);
    int id = 1;
    for (auto _ : state) {
        if (state.error_occurred())
            break;
        state.PauseTiming();
        // The task of id is task n = id - 1, done when n is a multiple of 5 until this flips it.
        bench.flipped[id] = !bench.flipped[id];
        WriteDoneMark(*bench.dm, id, ((id - 1) % 5 == 0) != bench.flipped[id]);
        id = id % tasks + 97;
        state.ResumeTiming();
        const TSyncResult result = Sync(bench, state);
        state.counters["up"] = result.counts.up;
    }
}
BENCHMARK(BM_SyncOfOneChange)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// vdirsyncer from a folder of to-dos to a list of the same server: the yardstick.
static void BM_VdirsyncerFirstSync(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TVdirsyncer& pair = Vdirsyncer(tasks);
        state.ResumeTiming();
        RunVdirsyncer(pair, state);
    }
    state.counters["tasks/s"] = benchmark::Counter(tasks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VdirsyncerFirstSync)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

static void BM_VdirsyncerSyncOfOneChange(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    TVdirsyncer& pair = Vdirsyncer(tasks);
    if (!pair.synced)
        RunVdirsyncer(pair, state);
    int n = 0, round = 0;
    for (auto _ : state) {
        if (state.error_occurred())
            break;
        state.PauseTiming();
        std::ofstream(pair.folder / ("vdir-" + std::to_string(n) + ".ics"))
            << VdirTodo(n, "Changed " + std::to_string(++round));
        n = (n + 97) % tasks;
        state.ResumeTiming();
        RunVdirsyncer(pair, state);
    }
}
BENCHMARK(BM_VdirsyncerSyncOfOneChange)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The sync waits for the network in event loops of Qt's.
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(Scratch(), ec);
    return 0;
}
