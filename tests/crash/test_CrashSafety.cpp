// SPDX-License-Identifier: GPL-3.0-or-later

// A writer process is killed at random moments in the middle of its writes; after each kill
// the database must be whole, hold every write the writer saw return, and keep the store's
// invariants.

#include "store/DmUnit.h"
#include "tests/SqlFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <optional>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sqlite3.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct TTask {
    std::string name;
    int category = 0;
    std::optional<std::string> note;
    bool operator==(const TTask&) const = default;
};

struct TCategory {
    std::string name;
    int position = 0;
    bool operator==(const TCategory&) const = default;
};

struct TState {
    std::map<int, TTask> tasks;
    std::map<int, TCategory> categories;
    bool operator==(const TState&) const = default;
};

std::string NoteOf(const std::string& name) {
    return "note of " + name + "\r\nits second line";
}

// The store's invariants, and the file's own integrity.
void ExpectWhole(const TSqlFile& db) {
    EXPECT_EQ(db.Rows("PRAGMA integrity_check"), (std::vector<std::vector<std::string>>{{"ok"}}));
    EXPECT_TRUE(db.Rows("SELECT id FROM t_task WHERE intCategory NOT IN "
                        "(SELECT id FROM t_category)")
                    .empty())
        << "a task without its category";
    EXPECT_TRUE(db.Rows("SELECT id FROM t_task WHERE intMemo <> "
                        "(SELECT COUNT(*) FROM t_note WHERE idTask = t_task.id)")
                    .empty())
        << "intMemo does not say whether the task has one note";
    EXPECT_TRUE(
        db.Rows("SELECT idTask FROM t_note WHERE idTask NOT IN (SELECT id FROM t_task)").empty())
        << "a note without its task";
    EXPECT_TRUE(db.Rows("SELECT id FROM t_task WHERE id NOT IN (SELECT idTask FROM t_uid)").empty())
        << "a task without its UID";
    EXPECT_TRUE(
        db.Rows("SELECT idTask FROM t_uid WHERE idTask NOT IN (SELECT id FROM t_task)").empty())
        << "a UID without its task";
    EXPECT_TRUE(db.Rows("SELECT strUid FROM t_uid GROUP BY strUid HAVING COUNT(*) > 1").empty())
        << "two tasks with one UID";
    const auto positions = db.Rows("SELECT intPos FROM t_category ORDER BY intPos");
    for (size_t k = 0; k < positions.size(); ++k)
        EXPECT_EQ(positions[k][0], std::to_string(k + 1)) << "positions are not 1 to n";
}

TState ReadState(const TSqlFile& db) {
    TState state;
    for (const auto& row : db.Rows("SELECT id, strName, intCategory FROM t_task"))
        state.tasks[std::stoi(row[0])] = {row[1], std::stoi(row[2]), std::nullopt};
    for (const auto& row : db.Rows("SELECT idTask, strNote FROM t_note"))
        state.tasks[std::stoi(row[0])].note = row[1];
    for (const auto& row : db.Rows("SELECT id, strName, intPos FROM t_category"))
        state.categories[std::stoi(row[0])] = {row[1], std::stoi(row[2])};
    return state;
}

template <typename Map> int NextKey(const Map& map) {
    return map.empty() ? 1 : map.rbegin()->first + 1;
}

// Applies one write as the writer printed it ("add 2 1 t0-3", with the new row's id once it
// returned, or the id the store would give it).
void Apply(TState& state, const std::string& write, std::optional<int> newId) {
    std::istringstream words(write);
    std::string verb;
    words >> verb;
    if (verb == "add" || verb == "edit") {
        int id = 0;
        if (verb == "edit")
            words >> id;
        int category = 0, note = 0;
        std::string name;
        words >> category >> note >> name;
        if (verb == "add")
            id = newId.value_or(NextKey(state.tasks));
        state.tasks[id] = {name, category, note ? std::optional(NoteOf(name)) : std::nullopt};
    } else if (verb == "del") {
        int id = 0;
        words >> id;
        state.tasks.erase(id);
    } else if (verb == "swap") {
        int upper = 0, lower = 0;
        words >> upper >> lower;
        ++state.categories[upper].position;
        --state.categories[lower].position;
    } else if (verb == "catadd") {
        std::string name;
        words >> name;
        const int position = static_cast<int>(state.categories.size()) + 1;
        state.categories[newId.value_or(NextKey(state.categories))] = {name, position};
    } else if (verb == "catdel") {
        int id = 0;
        words >> id;
        const int position = state.categories[id].position;
        state.categories.erase(id);
        for (auto& [key, category] : state.categories)
            if (category.position > position)
                --category.position;
    }
}

struct TRun {
    // The writes that returned, each with the new row's id where it made one.
    std::vector<std::pair<std::string, std::optional<int>>> done;
    // The write under way when the writer was killed.
    std::optional<std::string> underWay;
};

TRun Parse(const std::string& output) {
    TRun run;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("B ", 0) == 0) {
            run.underWay = line.substr(2);
        } else if (line.rfind("D ", 0) == 0 && run.underWay) {
            std::istringstream words(line.substr(2));
            std::string verb;
            int id = 0;
            words >> verb;
            run.done.emplace_back(*run.underWay, words >> id ? std::optional(id) : std::nullopt);
            run.underWay.reset();
        }
    }
    return run;
}

// Starts the writer, lets it run for a while, kills it and returns what it printed.
std::string RunAndKill(const std::string& folder, int seed, std::chrono::milliseconds life) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const std::string seedText = std::to_string(seed);
    char* const arguments[] = {const_cast<char*>(CRASH_WRITER), const_cast<char*>(folder.c_str()),
                               const_cast<char*>(seedText.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, CRASH_WRITER, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + std::string(CRASH_WRITER));

    std::string output;
    char buffer[4096];
    const auto killAt = std::chrono::steady_clock::now() + life;
    bool killed = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            killAt - std::chrono::steady_clock::now());
        if (!killed && left.count() <= 0) {
            ::kill(child, SIGKILL);
            killed = true;
        }
        pollfd readable{pipeEnds[0], POLLIN, 0};
        ::poll(&readable, 1, killed ? 1000 : static_cast<int>(left.count()));
        if (readable.revents == 0)
            continue;
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        output.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself:\n" << output;
    return output;
}

TEST(CrashSafety, KillsInTheMiddleOfWritesLoseNothingAndBreakNothing) {
    const fs::path folder =
        fs::temp_directory_path() / ("tolvek-crash-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    TDM(folder.string()).DataModuleCreate();
    const std::string database = (folder / "db" / "data.db").string();
    std::mt19937 random(20261209);
    int kills = 0, writesSeen = 0, underWayLanded = 0;
    TState before = ReadState(TSqlFile(database));
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 60 && !::testing::Test::HasFailure(); ++round) {
        const auto life = std::chrono::milliseconds(round == 0 ? 600 : 20 + random() % 330);
        const TRun run = Parse(RunAndKill(folder.string(), round, life));
        ++kills;
        TState expected = before;
        for (const auto& [write, id] : run.done)
            Apply(expected, write, id);
        writesSeen += static_cast<int>(run.done.size());

        // Read-write, as the program opens it: a journal the killed writer left is rolled back.
        const TSqlFile db(database);
        ExpectWhole(db);
        const TState found = ReadState(db);
        if (found != expected) {
            ASSERT_TRUE(run.underWay) << "round " << round << ": a write that returned is lost";
            Apply(expected, *run.underWay, std::nullopt);
            ASSERT_TRUE(found == expected)
                << "round " << round << ": the file holds neither all of the write under way ("
                << *run.underWay << ") nor none of it";
            ++underWayLanded;
        }
        before = found;
    }
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(kills, 50);
    EXPECT_GT(writesSeen, kills);
    RecordProperty("kills", kills);
    RecordProperty("writes", writesSeen);
    std::printf("%d kills, %d writes that returned, %d writes under way that had landed, %.1f s\n",
                kills, writesSeen, underWayLanded, seconds.count());
    fs::remove_all(folder);
}

} // namespace
