// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/store/TestDb.h"

#include "store/db/StoreError.h"
#include "store/exchange/IcalExchange.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"

#include <fstream>
#include <set>
#include <sstream>

namespace {

// The shape of a random UUID: "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx", lowercase hex digits,
// y one of 8, 9, a and b.
bool IsRandomUuid(const std::string& text) {
    if (text.size() != 36 || text[14] != '4' ||
        std::string("89ab").find(text[19]) == std::string::npos)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (text[i] == '-') ||
            (!dash && std::string("0123456789abcdef").find(text[i]) == std::string::npos))
            return false;
    }
    return true;
}

class TaskUidTest : public TempDatabase {
protected:
    TTaskEdit Task(const std::string& name) {
        TTaskEdit task;
        task.strName = name;
        task.intCategory = 1;
        return task;
    }
    // t_uid as stored, "id=uid" in id order.
    std::string Kept() {
        return Query("SELECT group_concat(idTask || '=' || strUid, ' ') FROM "
                     "(SELECT * FROM t_uid ORDER BY idTask)");
    }
    std::string Legacy(int32_t id) { return LegacyTaskUid(id, Path()); }
    std::string Bytes() {
        std::ifstream file(Path(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    // A file as the versions before UIDs left it: no t_uid, three tasks.
    void MakeOlderFile() {
        Exec("DROP TABLE t_uid");
        AddTask(1, "one", 1);
        AddTask(2, "two", 1);
        AddTask(5, "five", 2);
    }
};

TEST_F(TaskUidTest, NewTasksGetRandomUuidsThatStayWithThem) {
    const int32_t first = InsertTask(Dm(), Task("first"));
    const int32_t second = InsertTask(Dm(), Task("second"));
    const std::unordered_map<int32_t, std::string> uids = ReadTaskUids(Dm());
    EXPECT_TRUE(IsRandomUuid(uids.at(first))) << uids.at(first);
    EXPECT_TRUE(IsRandomUuid(uids.at(second))) << uids.at(second);
    EXPECT_NE(uids.at(first), uids.at(second));
    EXPECT_EQ(Kept(), "1=" + uids.at(first) + " 2=" + uids.at(second));

    // Edits and done marks leave it alone; another start finds it as it was.
    UpdateTask(Dm(), first, Task("renamed"));
    WriteDoneMark(Dm(), first, 1);
    TDM again(folder_.string());
    again.DataModuleCreate();
    EXPECT_EQ(ReadTaskUids(again), uids);
    EXPECT_EQ(FindTaskByUid(Dm(), uids.at(second)), second);
    EXPECT_EQ(FindTaskByUid(Dm(), "no such uid"), std::nullopt);
}

TEST_F(TaskUidTest, AnIdGivenAgainAfterADeleteNeverInheritsTheOldUid) {
    InsertTask(Dm(), Task("a"));
    const int32_t last = InsertTask(Dm(), Task("b"));
    const std::string old = ReadTaskUids(Dm()).at(last);
    DeleteTask(Dm(), last);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_uid WHERE idTask = " + std::to_string(last)), "0");
    EXPECT_EQ(FindTaskByUid(Dm(), old), std::nullopt);
    ASSERT_EQ(InsertTask(Dm(), Task("new")), last);
    EXPECT_NE(ReadTaskUids(Dm()).at(last), old);
}

TEST_F(TaskUidTest, DeletingSeveralTasksIsAllOrNothingUidsIncluded) {
    InsertTask(Dm(), Task("a"));
    InsertTask(Dm(), Task("b"));
    const std::string before = Kept();
    EXPECT_THROW(DeleteTasks(Dm(), {1, 99}), TaskGoneError);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_task"), "2");
    EXPECT_EQ(Kept(), before);
    DeleteTasks(Dm(), {2, 1});
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_task"), "0");
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_uid"), "0");
}

TEST_F(TaskUidTest, AnOlderFileGetsTheUidsItsExportsGaveAtItsFirstOpen) {
    MakeOlderFile();
    // Before the open, and on a file that cannot be brought in step, the same UIDs answer.
    EXPECT_EQ(ReadTaskUids(Dm()).at(5), "task-5-" + DatabasePathHash(Path()) + "@tolvek-organizer");
    EXPECT_EQ(FindTaskByUid(Dm(), Legacy(2)), 2);

    Dm().DataModuleCreate();
    EXPECT_EQ(Kept(), "1=" + Legacy(1) + " 2=" + Legacy(2) + " 5=" + Legacy(5));
    // An export made before the upgrade is recognised: its to-dos update their tasks.
    const std::string before = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\n"
                               "BEGIN:VTODO\r\nUID:" +
                               Legacy(2) +
                               "\r\nSUMMARY:two, renamed\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    const TImportResult result = ImportTasks(Dm(), ReadIcalText(before, "old.ics"), 0);
    EXPECT_TRUE(result.taskIds.empty());
    EXPECT_EQ(result.updatedIds, std::vector<int32_t>{2});
    EXPECT_EQ(ReadAllTasks(Dm()).at(1).strName, "two, renamed");
}

TEST_F(TaskUidTest, TheOpenMendsWhatOtherProgramsLeftOutOfStep) {
    InsertTask(Dm(), Task("a"));
    InsertTask(Dm(), Task("b"));
    InsertTask(Dm(), Task("c"));
    const std::unordered_map<int32_t, std::string> uids = ReadTaskUids(Dm());
    // Task 2 deleted behind the store's back, task 4 added so, task 3 given task 1's UID, and
    // task 5 holding the legacy UID that task 4 would get.
    Exec("DELETE FROM t_task WHERE id = 2");
    AddTask(4, "raw", 1);
    AddTask(5, "imported once", 1);
    Exec("UPDATE t_uid SET strUid = '" + uids.at(1) + "' WHERE idTask = 3");
    Exec("INSERT INTO t_uid VALUES (5, '" + Legacy(4) + "')");

    Dm().DataModuleCreate();
    const std::unordered_map<int32_t, std::string> after = ReadTaskUids(Dm());
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_uid"), "4");
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_uid WHERE idTask = 2"), "0");
    EXPECT_EQ(after.at(1), uids.at(1)); // the older of the two keeps it
    EXPECT_NE(after.at(3), uids.at(1));
    EXPECT_EQ(after.at(5), Legacy(4)); // a kept UID stays; the legacy one is taken
    EXPECT_NE(after.at(4), Legacy(4));
    std::set<std::string> distinct;
    for (const auto& [id, uid] : after)
        distinct.insert(uid);
    EXPECT_EQ(distinct.size(), 4u);

    // In step, an open writes nothing.
    const std::string bytes = Bytes();
    Dm().DataModuleCreate();
    EXPECT_EQ(Bytes(), bytes);
}

// The check at every open reads as little as it can; each way of being out of step, alone,
// must still be seen and mended.
TEST_F(TaskUidTest, TheOpenSeesEachWayOfBeingOutOfStepAlone) {
    const std::string deviations[] = {
        // a task without its row
        "DELETE FROM t_uid WHERE idTask = 2",
        // a row of a task that is gone, beside a task without a row: as many rows as tasks
        "UPDATE t_uid SET idTask = 9 WHERE idTask = 3",
        // an empty UID
        "UPDATE t_uid SET strUid = '' WHERE idTask = 1",
        // two tasks with one UID
        "UPDATE t_uid SET strUid = (SELECT strUid FROM t_uid WHERE idTask = 1) WHERE idTask = 3",
        // a row more than there are tasks
        "INSERT INTO t_uid VALUES (7, 'left behind')"};
    for (const std::string& deviation : deviations) {
        Exec("DELETE FROM t_task");
        Exec("DELETE FROM t_uid");
        for (const char* name : {"a", "b", "c"})
            InsertTask(Dm(), Task(name));
        Exec(deviation);
        Dm().DataModuleCreate();
        std::set<std::string> distinct;
        for (const auto& [id, uid] : ReadTaskUids(Dm()))
            if (!uid.empty())
                distinct.insert(uid);
        EXPECT_EQ(distinct.size(), 3u) << deviation;
        EXPECT_EQ(Query("SELECT COUNT(*) FROM t_uid WHERE strUid <> '' AND idTask IN "
                        "(SELECT id FROM t_task)"),
                  "3")
            << deviation;
        EXPECT_EQ(Query("SELECT COUNT(*) FROM t_uid"), "3") << deviation;
    }
}

TEST_F(TaskUidTest, ADamagedOrReadOnlyFileIsLeftAsItIs) {
    MakeOlderFile();
    Exec("DROP TABLE t_note");
    const std::string damaged = Bytes();
    EXPECT_NO_THROW(Dm().DataModuleCreate());
    EXPECT_EQ(Bytes(), damaged);

    Exec("CREATE TABLE t_note (id INTEGER PRIMARY KEY, idTask INTEGER, strNote TEXT)");
    std::filesystem::permissions(Path(), std::filesystem::perms::owner_read);
    const std::string readOnly = Bytes();
    EXPECT_NO_THROW(Dm().DataModuleCreate());
    EXPECT_EQ(Bytes(), readOnly);
    EXPECT_EQ(ReadTaskUids(Dm()).at(1), Legacy(1));
    std::filesystem::permissions(Path(), std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
}

TEST_F(TaskUidTest, WritingToAFileWithoutTheTableMakesIt) {
    // A backup of an older version put back while the program runs, say.
    MakeOlderFile();
    const int32_t id = InsertTask(Dm(), Task("new"));
    EXPECT_EQ(id, 6);
    EXPECT_EQ(Kept(), "6=" + ReadTaskUids(Dm()).at(6));
    EXPECT_EQ(ReadTaskUids(Dm()).at(1), Legacy(1));
    DeleteTask(Dm(), 1);
    EXPECT_EQ(ReadTaskUids(Dm()).count(1), 0u);
}

} // namespace
