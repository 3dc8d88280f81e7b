// SPDX-License-Identifier: GPL-3.0-or-later
// What the sync keeps between two syncs: every road that writes a task counts a change, a
// deleted task leaves a tombstone, a deleted category drops its list.
#include "tests/store/TestDb.h"

#include "store/db/TableAccess.h"
#include "store/exchange/IcalExchange.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncState.h"

#include <functional>

namespace {

class SyncStateTest : public TempDatabase {
protected:
    int32_t Add(const std::string& name, int32_t category = 2) {
        TTaskEdit task = NewTaskEdit();
        task.strName = name;
        task.intCategory = category;
        return InsertTask(Dm(), task);
    }
    std::string UidOf(int32_t id) { return ReadTaskUids(Dm()).at(id); }
    // The task as a sync left it: known on both sides, nothing changed since.
    void Synced(int32_t id) {
        InTransaction(Dm(), [&](TTableCursor&) {
            TSyncTaskRow row;
            row.uid = UidOf(id);
            row.taskId = id;
            row.list = "/work/";
            row.href = "/work/" + row.uid + ".ics";
            row.etag = "\"1\"";
            row.kept = "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n";
            WriteSyncTask(Dm(), row);
        });
    }
    TSyncTaskRow Row(int32_t id) {
        for (const TSyncTaskRow& row : ReadSyncTasks(Dm()))
            if (row.taskId == id)
                return row;
        ADD_FAILURE() << "no row for task " << id;
        return {};
    }
    std::optional<TSyncTaskRow> RowOf(const std::string& uid) { return ReadSyncTask(Dm(), uid); }
};

} // namespace

TEST_F(SyncStateTest, EveryRoadThatWritesATaskCountsAChangeOfThatTaskAlone) {
    const int32_t id = Add("Watched"), other = Add("Other");
    Synced(id);
    Synced(other);
    const std::vector<std::pair<std::string, std::function<void()>>> roads{
        {"the editor",
         [&] {
             TTaskEdit task = TaskEditOf(ReadAllTasks(Dm()).front());
             task.strName = "Watched, renamed";
             UpdateTask(Dm(), id, task);
         }},
        {"an import",
         [&] {
             TImportedTask imported;
             imported.uid = UidOf(id);
             imported.task.strName = "Imported over it";
             ImportTasks(Dm(), {imported}, 0);
         }},
        {"another program", [&] { Exec("UPDATE t_task SET intPriority = 0 WHERE id = 1"); }},
        {"a note added",
         [&] {
             TTaskEdit task = TaskEditOf(ReadAllTasks(Dm()).front());
             task.strNote = "A note";
             UpdateTask(Dm(), id, task);
         }},
        {"its note changed by another program",
         [&] { Exec("UPDATE t_note SET strNote = 'Changed' WHERE idTask = 1"); }},
        {"its note deleted by another program",
         [&] { Exec("DELETE FROM t_note WHERE idTask = 1"); }},
        {"the done mark", [&] { WriteDoneMark(Dm(), id, 1); }},
        {"done marks together", [&] { WriteDoneMarks(Dm(), {id}, 0); }},
        {"a postponed reminder", [&] { WriteReminderTime(Dm(), id, 47000.5); }},
        {"a reminder turned off", [&] { WriteReminderOff(Dm(), id); }},
    };
    int64_t changes = 0;
    for (const auto& [road, write] : roads) {
        write();
        EXPECT_GT(Row(id).changes, changes) << road;
        EXPECT_GT(Row(id).changedAt, 40000) << road;
        changes = Row(id).changes;
        EXPECT_EQ(Row(other).changes, 0) << road;
    }
}

TEST_F(SyncStateTest, ADeletedTaskLeavesATombstoneThatItsIdGivenAgainNeverTakes) {
    const int32_t id = Add("Deleted");
    Synced(id);
    const std::string uid = UidOf(id);
    DeleteTask(Dm(), id);
    ASSERT_TRUE(RowOf(uid));
    EXPECT_FALSE(RowOf(uid)->taskId);
    EXPECT_EQ(RowOf(uid)->changes, 1);
    EXPECT_TRUE(RowOf(uid)->Known());
    // The highest id is handed out again; the new task is no task of the tombstone's.
    EXPECT_EQ(Add("New with the same id"), id);
    EXPECT_FALSE(RowOf(uid)->taskId);
    EXPECT_EQ(ReadSyncTasks(Dm()).size(), 1u);
}

TEST_F(SyncStateTest, ADeletedCategoryDropsItsListInTheSameTransaction) {
    std::vector<TMyRec1> categories = LoadCategories(Dm());
    InTransaction(Dm(), [&](TTableCursor&) {
        WriteSyncList(Dm(),
                      {"/shopping/", 3, TSyncListState::Synced, "Shopping", "token", "", false});
        WriteSyncList(Dm(), {"/work/", 2, TSyncListState::Synced, "Work", "", "", false});
    });
    DeleteCategory(Dm(), categories, 2);
    AddCategory(Dm(), categories, "Shopping again", 1);
    ASSERT_EQ(categories.back().id, 3);
    for (const TSyncListRow& row : ReadSyncLists(Dm())) {
        if (row.href == "/shopping/") {
            EXPECT_FALSE(row.category);
            EXPECT_EQ(row.state, TSyncListState::CategoryDeleted);
        } else {
            EXPECT_EQ(row.category, 2);
            EXPECT_EQ(row.state, TSyncListState::Synced);
        }
    }
}

TEST_F(SyncStateTest, WaitingChangesCountTasksChangedMadeOrDeletedInSyncedCategories) {
    InTransaction(Dm(), [&](TTableCursor&) {
        WriteSyncList(Dm(), {"/work/", 2, TSyncListState::Synced, "Work", "", "", false});
    });
    const int32_t changed = Add("Changed"), deleted = Add("Deleted"), same = Add("Same");
    for (int32_t id : {changed, deleted, same})
        Synced(id);
    EXPECT_EQ(WaitingChanges(Dm()), 0);
    WriteDoneMark(Dm(), changed, 1);
    DeleteTask(Dm(), deleted);
    Add("New in Work");
    Add("New in Personal, which is not synced", 1);
    EXPECT_EQ(WaitingChanges(Dm()), 3);
}

TEST_F(SyncStateTest, AFileWithoutTheTablesGetsThemAtItsNextOpen) {
    for (const char* table :
         {"t_sync_list", "t_sync_task", "t_sync_log", "t_sync_held", "t_sync_gone", "t_sync_meta"})
        Exec(std::string("DROP TABLE ") + table);
    EXPECT_FALSE(Table().HasTable("t_sync_task"));
    TDM again(folder_.string());
    again.DataModuleCreate();
    EXPECT_TRUE(Table().HasTable("t_sync_task"));
    const int32_t id = Add("Watched");
    Synced(id);
    WriteDoneMark(Dm(), id, 1);
    EXPECT_EQ(Row(id).changes, 1);
}

TEST_F(SyncStateTest, TheLogReadsNewestFirstAndTheValuesOfTheAccountKeep) {
    InTransaction(Dm(), [&](TTableCursor&) {
        AddSyncLog(Dm(), {46000.5, "u1", "Older", "name", "kept", "lost", "here"});
        AddSyncLog(Dm(), {46001.5, "u2", "Newer", "note", "a", "b", "server"});
        AddSyncLog(Dm(), {46001.5, "u3", "Newest of the same moment", "due", "", "x", "here"});
        WriteSyncValue(Dm(), LastSyncResultKey, "3 up");
        WriteSyncValue(Dm(), LastSyncResultKey, "4 up");
    });
    std::vector<std::string> tasks;
    for (const TSyncLogEntry& entry : ReadSyncLog(Dm()))
        tasks.push_back(entry.task);
    EXPECT_EQ(tasks, (std::vector<std::string>{"Newest of the same moment", "Newer", "Older"}));
    EXPECT_EQ(ReadSyncValue(Dm(), LastSyncResultKey), "4 up");
    EXPECT_EQ(ReadSyncValue(Dm(), FirstSyncDoneKey), "");
}

TEST_F(SyncStateTest, DroppingAListForgetsWhatTheStateKeepsOfItAlone) {
    const int32_t work = Add("In work"), kept = Add("In another list");
    Synced(work);
    Synced(kept);
    InTransaction(Dm(), [&](TTableCursor&) {
        TSyncTaskRow other = *RowOf(UidOf(kept));
        other.list = "/other/";
        WriteSyncTask(Dm(), other);
        WriteSyncList(Dm(), {"/work/", 2, TSyncListState::Synced, "Work", "", "", false});
        WriteHeldDeletion(Dm(), {UidOf(work), "/work/", "here", TDeletionHold::FirstSync, "x"});
        WriteGoneResource(Dm(), {"/work/old.ics", "/work/", "\"1\""});
        DeleteSyncList(Dm(), "/work/");
    });
    EXPECT_TRUE(ReadSyncLists(Dm()).empty());
    EXPECT_TRUE(ReadHeldDeletions(Dm()).empty());
    EXPECT_TRUE(ReadGoneResources(Dm()).empty());
    ASSERT_EQ(ReadSyncTasks(Dm()).size(), 1u);
    EXPECT_EQ(ReadSyncTasks(Dm()).front().list, "/other/");
}
