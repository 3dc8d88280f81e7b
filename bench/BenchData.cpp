// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/BenchData.h"

#include "tests/SqlFile.h"

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

namespace {

std::unique_ptr<TDM> MakeDatabase(int tasks) {
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("tolvek-bench-" + std::to_string(::getpid()) + "-" + std::to_string(tasks));
    std::filesystem::remove_all(folder);
    auto dm = std::make_unique<TDM>(folder.string());
    dm->DataModuleCreate();
    TSqlFile db(dm->DatabasePath());
    db.Exec("BEGIN");
    db.Exec("DELETE FROM t_category");
    for (int c = 1; c <= 10; ++c)
        db.Exec("INSERT INTO t_category VALUES (" + std::to_string(c) + ", 'Category " +
                std::to_string(c) + "', " + std::to_string(c) + ", " + std::to_string(11 - c) +
                ")");
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(tasks) +
            ") INSERT INTO t_task SELECT i, 'Task number ' || i, 1 + i % 10, i % 2, "
            "i % 3 = 0, i % 4 = 0, 45000 + i % 365, i % 5 = 0, 45000 + (i % 1000) / 7.0, "
            "i % 5 = 0, CASE WHEN i % 5 = 0 THEN 'chime.wav' ELSE '' END, i % 2 FROM n");
    db.Exec("INSERT INTO t_note (idTask, strNote) SELECT id, 'A note of task ' || id || "
            "char(13, 10) || 'with a second line' FROM t_task WHERE intMemo = 1 "
            "ORDER BY random()");
    // Every task with its UID, as the program keeps them, so that a start has none to add.
    db.Exec("INSERT INTO t_uid (idTask, strUid) SELECT id, 'task-' || id || "
            "'-5f3a9c0e7b2d4e61@tolvek-organizer' FROM t_task");
    db.Exec("COMMIT");
    return dm;
}

// The databases of a run, removed with their folders when the run ends.
class TBenchDatabases {
public:
    ~TBenchDatabases() {
        for (auto& [tasks, dm] : databases_) {
            const std::string folder = dm->Folders().data;
            dm.reset();
            std::filesystem::remove_all(folder);
        }
    }
    TDM& Get(int tasks) {
        auto& dm = databases_[tasks];
        if (!dm)
            dm = MakeDatabase(tasks);
        return *dm;
    }

private:
    std::map<int, std::unique_ptr<TDM>> databases_;
};

} // namespace

TDM& BenchDatabase(int tasks) {
    static TBenchDatabases databases;
    return databases.Get(tasks);
}

std::vector<TMyRec2> RandomTasks(int count) {
    std::mt19937 random(42);
    std::vector<TMyRec2> tasks(static_cast<size_t>(count));
    int id = 0;
    for (TMyRec2& t : tasks) {
        t.id = ++id;
        t.strName = "Task " + std::to_string(random() % 5000);
        t.intPriority = static_cast<int>(random() % 2);
        t.intPos = 1 + static_cast<int>(random() % 10);
        t.intReminder = static_cast<int>(random() % 2);
        t.datetimeReminder = 45000 + static_cast<double>(random() % 2000) / 8;
        t.intDue = static_cast<int>(random() % 2);
        t.dateDue = 45000 + static_cast<double>(random() % 400);
        t.intDone = static_cast<int>(random() % 4 == 0);
    }
    return tasks;
}
