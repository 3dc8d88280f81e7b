// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/StoreError.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"

namespace {

class TaskWriteTest : public TempDatabase {
protected:
    static TTaskEdit Edit(const std::string& name, std::optional<std::string> note = std::nullopt) {
        TTaskEdit t;
        t.strName = name;
        t.intCategory = 2;
        t.intPriority = 0;
        t.intDue = 1;
        t.dateDue = 45300;
        t.datetimeReminder = 45299.5;
        t.strNote = std::move(note);
        return t;
    }
    std::string Count(const std::string& table) { return Query("SELECT COUNT(*) FROM " + table); }
};

TEST_F(TaskWriteTest, InsertWritesEveryColumnAndTheNoteWithIdsOfTheirOwn) {
    EXPECT_EQ(InsertTask(Dm(), Edit("first")), 1);
    EXPECT_EQ(InsertTask(Dm(), Edit("  second\t", "two")), 2);
    EXPECT_EQ(InsertTask(Dm(), Edit("third", "three")), 3);
    EXPECT_EQ(Query("SELECT strName || '|' || intCategory || '|' || intPriority || '|' || intDone "
                    "|| '|' || intDue || '|' || dateDue || '|' || intReminder || '|' || "
                    "datetimeReminder || '|' || intMemo FROM t_task WHERE id = 2"),
              "second|2|0|0|1|45300.0|0|45299.5|1");
    EXPECT_EQ(Query("SELECT intMemo FROM t_task WHERE id = 1"), "0");
    EXPECT_EQ(Query("SELECT id || ':' || strNote FROM t_note WHERE idTask = 3"), "2:three");
    EXPECT_EQ(Count("t_note"), "2");
}

TEST_F(TaskWriteTest, UpdateKeepsTheDoneMarkAndAddsChangesOrDeletesTheNote) {
    const int id = InsertTask(Dm(), Edit("task"));
    InsertTask(Dm(), Edit("other", "other's note"));
    WriteDoneMark(Dm(), id, 1);

    UpdateTask(Dm(), id, Edit("renamed", "  added\r\n"));
    EXPECT_EQ(Query("SELECT strName || intDone || intMemo FROM t_task WHERE id = 1"), "renamed11");
    EXPECT_EQ(Query("SELECT id || ':' || strNote FROM t_note WHERE idTask = 1"), "2:  added\r\n");

    UpdateTask(Dm(), id, Edit("renamed", "changed"));
    EXPECT_EQ(Query("SELECT id || ':' || strNote FROM t_note WHERE idTask = 1"), "2:changed");
    EXPECT_EQ(Count("t_note"), "2");

    UpdateTask(Dm(), id, Edit("renamed"));
    EXPECT_EQ(Query("SELECT intMemo FROM t_task WHERE id = 1"), "0");
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_note WHERE idTask = 1"), "0");
    EXPECT_EQ(Count("t_note"), "1");
}

TEST_F(TaskWriteTest, DeleteRemovesTheTaskAndItsNoteAndTheReusedIdGetsNoOldNote) {
    InsertTask(Dm(), Edit("a", "note a"));
    const int last = InsertTask(Dm(), Edit("b", "note b"));
    InsertTask(Dm(), Edit("c"));
    DeleteTask(Dm(), 3);
    EXPECT_EQ(Count("t_task"), "2");
    EXPECT_EQ(Count("t_note"), "2");
    DeleteTask(Dm(), last);
    EXPECT_EQ(Count("t_note"), "1");
    EXPECT_EQ(InsertTask(Dm(), Edit("new")), last);
    std::vector<TMyRec2> all, shown;
    LoadTaskArrays(Dm(), 0, -1, 0, all, shown);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].strNote, "");
}

TEST_F(TaskWriteTest, SingleColumnWritesAndCategoryLookup) {
    InsertTask(Dm(), Edit("a"));
    WriteDoneMark(Dm(), 1, 1);
    EXPECT_EQ(Query("SELECT intDone FROM t_task"), "1");
    WriteDoneMark(Dm(), 1, 0);
    EXPECT_EQ(Query("SELECT intDone FROM t_task"), "0");
    EXPECT_THROW(WriteDoneMark(Dm(), 9, 1), StoreError);

    Exec("UPDATE t_task SET intReminder = 1");
    WriteReminderTime(Dm(), 1, 45400.125);
    EXPECT_EQ(Query("SELECT intReminder || ' ' || datetimeReminder FROM t_task"), "1 45400.125");
    WriteReminderOff(Dm(), 1);
    EXPECT_EQ(Query("SELECT intReminder || ' ' || datetimeReminder FROM t_task"), "0 45400.125");

    const auto work = ReadCategory(Dm(), 2);
    ASSERT_TRUE(work);
    EXPECT_EQ(work->strName, "Work");
    EXPECT_EQ(work->intImg, 2);
    EXPECT_EQ(work->intPos, 2);
    EXPECT_FALSE(ReadCategory(Dm(), 42));
}

TEST_F(TaskWriteTest, AFailureHalfwayLeavesNothingWritten) {
    const int id = InsertTask(Dm(), Edit("kept", "kept note"));
    Exec("DROP TABLE t_note");
    Exec("CREATE TABLE t_note (id INTEGER PRIMARY KEY, idTask INTEGER)");
    EXPECT_THROW(InsertTask(Dm(), Edit("lost", "no room for it")), StoreError);
    EXPECT_EQ(Count("t_task"), "1");
    EXPECT_THROW(UpdateTask(Dm(), id, Edit("changed", "again")), StoreError);
    EXPECT_EQ(Query("SELECT strName FROM t_task"), "kept");
    // The cursor is usable again after the failure.
    EXPECT_EQ(ReadCategory(Dm(), 1)->strName, "Personal");
}

TEST_F(TaskWriteTest, ALockedDatabaseRefusesTheSaveWhole) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_THROW(InsertTask(Dm(), Edit("blocked", "note")), StoreError);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(Count("t_task"), "0");
    EXPECT_EQ(InsertTask(Dm(), Edit("later")), 1);
}

TEST_F(TaskWriteTest, TextInAnyScriptAndLongNamesComeBackExactly) {
    const std::string name = "\xE4\xBD\xA0\xE5\xA5\xBD \xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 "
                             "\xF0\x9F\x98\x80";
    const std::string longName(10000, 'x');
    InsertTask(Dm(), Edit(name, "\xF0\x9F\x93\x9D\nline two"));
    InsertTask(Dm(), Edit(longName));
    std::vector<TMyRec2> all, shown;
    LoadTaskArrays(Dm(), 0, -1, 0, all, shown);
    EXPECT_EQ(all[0].strName, name);
    EXPECT_EQ(all[0].strNote, "\xF0\x9F\x93\x9D\nline two");
    EXPECT_EQ(all[1].strName, longName);
}

TEST(TaskText, TrimAndBlankTreatSpacesAndControlCharactersAlike) {
    EXPECT_EQ(TrimName(" \t\x01 name  with  inner \r\n"), "name  with  inner");
    EXPECT_EQ(TrimName("\x7F"), "");
    EXPECT_EQ(TrimName("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(IsBlank(" \r\n\r\n\t"));
    EXPECT_TRUE(IsBlank(""));
    EXPECT_FALSE(IsBlank(" . "));
}

TEST(TaskText, ApplyEditKeepsDoneAndCategoryName) {
    TMyRec2 record;
    record.id = 4;
    record.intDone = 1;
    record.strCategory = "Work";
    record.strNote = "old";
    record.intMemo = 1;
    TTaskEdit edit;
    edit.strName = " new ";
    edit.intCategory = 3;
    ApplyEdit(record, edit);
    EXPECT_EQ(record.id, 4);
    EXPECT_EQ(record.intDone, 1);
    EXPECT_EQ(record.strCategory, "Work");
    EXPECT_EQ(record.strName, "new");
    EXPECT_EQ(record.intCategory, 3);
    EXPECT_EQ(record.intMemo, 0);
    EXPECT_EQ(record.strNote, "");
}

} // namespace
