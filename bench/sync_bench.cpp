// SPDX-License-Identifier: GPL-3.0-or-later
// Syncs with Radicale on loopback: the first sync of a list of tasks, and a sync of one change
// among them, which must not grow with the list (the changes come from sync-collection, never a
// download of everything). vdirsyncer does the same against the same server in the same run,
// as the yardstick. Radicale is started by the program, as the tests start it; without it the
// benchmarks are skipped.
//
// Radicale's own work for each new to-do grows with its list, so uploading 10,000 to-dos one
// by one takes it most of an hour whoever sends them: the first sync that uploads is measured
// with 1,000 tasks, and the lists of 10,000 are filled on the server (written into its storage)
// and brought here by the first sync.
//
//     build/bench/sync_bench
#include "store/db/TableAccess.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncAccount.h"
#include "sync/SyncRun.h"
#include "tests/sync/CalDavTestServer.h"
#include "tests/sync/RadicaleFiles.h"

#include <QCoreApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

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
// with a list of its own; made once for each size. Filled from the server, the tasks are on
// the server alone until the first sync brings them here.
struct TBenchAccount {
    std::unique_ptr<TDM> dm;
    TSyncAccount account;
    bool synced = false;
    // The tasks whose done mark a benchmark flipped.
    std::map<int, bool> flipped;
};

TBenchAccount& Account(int tasks, bool fromServer) {
    static std::map<std::pair<int, bool>, TBenchAccount> accounts;
    TBenchAccount& bench = accounts[{tasks, fromServer}];
    if (bench.dm)
        return bench;
    const std::string name = (fromServer ? "server-" : "tasks-") + std::to_string(tasks);
    bench.dm = std::make_unique<TDM>((Scratch() / name).string());
    bench.dm->DataModuleCreate();
    bench.account.server = Server().Url();
    bench.account.user = Server().User();
    // The list is named as the tasks' category, so that it maps to it.
    if (fromServer) {
        bench.account.lists = {WriteRadicaleTodos(Server(), "tolvek-" + name, "Work", tasks)};
        return bench;
    }
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
    bench.account.lists = {MakeList("tolvek-" + name, "Work")};
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

// Filled from the server, the folder is empty until the first sync.
TVdirsyncer& Vdirsyncer(int tasks, bool fromServer) {
    static std::map<std::pair<int, bool>, TVdirsyncer> pairs;
    TVdirsyncer& pair = pairs[{tasks, fromServer}];
    if (!pair.config.empty())
        return pair;
    const std::string name = (fromServer ? "vdir-server-" : "vdir-") + std::to_string(tasks);
    const fs::path base = Scratch() / name;
    pair.folder = base / "local";
    fs::create_directories(pair.folder);
    fs::create_directories(base / "status");
    for (int n = 0; n < tasks && !fromServer; ++n)
        std::ofstream(pair.folder / ("vdir-" + std::to_string(n) + ".ics"))
            << VdirTodo(n, "Task " + std::to_string(n));
    const std::string list = fromServer ? WriteRadicaleTodos(Server(), name, "vdirsyncer", tasks)
                                        : MakeList(name, "vdirsyncer");
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

// Gives the to-do of the file another summary, as an editor of the folder would.
void ChangeSummary(const fs::path& file, const std::string& summary) {
    std::stringstream text;
    text << std::ifstream(file).rdbuf();
    std::ofstream(file) << std::regex_replace(text.str(), std::regex("SUMMARY:[^\\r\\n]*"),
                                              "SUMMARY:" + summary);
}

} // namespace

// The first sync: every task goes up.
static void BM_FirstSync(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TBenchAccount& bench = Account(tasks, false);
        state.ResumeTiming();
        const TSyncResult result = Sync(bench, state);
        state.counters["up"] = result.counts.up;
    }
    state.counters["tasks/s"] = benchmark::Counter(tasks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstSync)->Arg(1000)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// The first sync of a list the server holds: every to-do comes down.
static void BM_FirstSyncFromServer(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TBenchAccount& bench = Account(tasks, true);
        state.ResumeTiming();
        const TSyncResult result = Sync(bench, state);
        state.counters["down"] = result.counts.down;
    }
    state.counters["tasks/s"] = benchmark::Counter(tasks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstSyncFromServer)
    ->Arg(10000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// One task changed here among them all: one up, found without reading the whole list.
static void BM_SyncOfOneChange(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    const bool fromServer = state.range(1) != 0;
    TBenchAccount& bench = Account(tasks, fromServer);
    if (!bench.synced)
        Sync(bench, state);
    int id = 1;
    for (auto _ : state) {
        if (state.error_occurred())
            break;
        state.PauseTiming();
        // The task of id is task n = id - 1, made here done when n is a multiple of 5, and
        // undone when it came from the server, until this flips it.
        bench.flipped[id] = !bench.flipped[id];
        WriteDoneMark(*bench.dm, id, (!fromServer && (id - 1) % 5 == 0) != bench.flipped[id]);
        id = id % tasks + 97;
        state.ResumeTiming();
        const TSyncResult result = Sync(bench, state);
        state.counters["up"] = result.counts.up;
    }
}
BENCHMARK(BM_SyncOfOneChange)
    ->Args({1000, 0})
    ->Args({10000, 1})
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
        TVdirsyncer& pair = Vdirsyncer(tasks, state.range(1) != 0);
        state.ResumeTiming();
        RunVdirsyncer(pair, state);
    }
    state.counters["tasks/s"] = benchmark::Counter(tasks, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VdirsyncerFirstSync)
    ->Args({1000, 0})
    ->Args({10000, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

static void BM_VdirsyncerSyncOfOneChange(benchmark::State& state) {
    if (!Ready(state))
        return;
    const int tasks = static_cast<int>(state.range(0));
    TVdirsyncer& pair = Vdirsyncer(tasks, state.range(1) != 0);
    if (!pair.synced)
        RunVdirsyncer(pair, state);
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(pair.folder))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    size_t n = 0;
    int round = 0;
    for (auto _ : state) {
        if (state.error_occurred() || files.empty())
            break;
        state.PauseTiming();
        ChangeSummary(files[n], "Changed " + std::to_string(++round));
        n = (n + 97) % files.size();
        state.ResumeTiming();
        RunVdirsyncer(pair, state);
    }
}
BENCHMARK(BM_VdirsyncerSyncOfOneChange)
    ->Args({1000, 0})
    ->Args({10000, 1})
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
