// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"

#include <vector>

namespace {

class TableCursorTest : public TempDatabase {
protected:
    void OpenTasks() {
        Table().Close();
        Table().SetTableName("t_task");
        Table().Open();
    }
    std::vector<int> WalkIds() {
        std::vector<int> ids;
        for (Table().First(); !Table().Eof(); Table().Next())
            ids.push_back(Table().AsInteger("id"));
        return ids;
    }
};

TEST_F(TableCursorTest, NewDatabaseHasTheStarterCategories) {
    Table().SetTableName("t_category");
    Table().Open();
    Table().SetSort("intPos ASC");
    std::vector<std::string> names;
    for (Table().First(); !Table().Eof(); Table().Next())
        names.push_back(Table().AsString("strName"));
    EXPECT_EQ(names, (std::vector<std::string>{"Personal", "Work", "Shopping"}));
    Table().Close();
    EXPECT_FALSE(Table().Active());
    Table().Close();
}

TEST_F(TableCursorTest, WalksInTableOrderOrSortedAndCounts) {
    AddTask(3, "c", 1);
    AddTask(1, "a", 2);
    AddTask(2, "b", 1);
    Exec("UPDATE t_task SET intCategory = 5 WHERE id = 3");
    OpenTasks();
    EXPECT_EQ(Table().RecordCount(), 3);
    EXPECT_EQ(WalkIds(), (std::vector<int>{1, 2, 3}));
    Table().SetSort("intCategory ASC");
    EXPECT_EQ(WalkIds(), (std::vector<int>{2, 1, 3}));
    Table().Last();
    EXPECT_EQ(Table().AsInteger("id"), 3);
    Table().Next();
    EXPECT_TRUE(Table().Eof());
    Table().SetSort("");
    EXPECT_EQ(WalkIds(), (std::vector<int>{1, 2, 3}));
}

TEST_F(TableCursorTest, ColumnNamesMatchWithoutCase) {
    AddTask(1, "Mixed", 1, 0, 1);
    OpenTasks();
    Table().SetSort("Id ASC");
    EXPECT_EQ(Table().AsString("strname"), "Mixed");
    EXPECT_EQ(Table().AsInteger("INTMEMO"), 1);
    EXPECT_TRUE(Table().Locate("ID", 1));
}

TEST_F(TableCursorTest, ReadsIntegersDoublesAndTextInEitherForm) {
    Exec("INSERT INTO t_task (id, strName, dateDue, intPriority, strSoundFile) "
         "VALUES (1, 'x', 45000.75, 0, '12')");
    OpenTasks();
    EXPECT_DOUBLE_EQ(Table().AsFloat("dateDue"), 45000.75);
    EXPECT_DOUBLE_EQ(Table().AsFloat("id"), 1.0);
    EXPECT_EQ(Table().AsString("id"), "1");
    EXPECT_EQ(Table().AsString("dateDue"), "45000.75");
    EXPECT_EQ(Table().AsInteger("strSoundFile"), 12);
    EXPECT_EQ(Table().AsInteger("dateDue"), 45000);
}

TEST_F(TableCursorTest, LocateFindsTheFirstMatchInTheCurrentOrderOrKeepsTheRow) {
    AddTask(1, "a", 2);
    AddTask(2, "b", 1);
    AddTask(3, "c", 2);
    OpenTasks();
    EXPECT_TRUE(Table().Locate("intCategory", 2));
    EXPECT_EQ(Table().AsInteger("id"), 1);
    EXPECT_FALSE(Table().Locate("intCategory", 9));
    EXPECT_EQ(Table().AsInteger("id"), 1);
    Exec("UPDATE t_task SET strName = 'z' WHERE id = 1");
    OpenTasks();
    Table().SetSort("strName ASC");
    EXPECT_TRUE(Table().Locate("intCategory", 2));
    EXPECT_EQ(Table().AsInteger("id"), 3);
    // After a locate the walk goes on from the located row.
    Table().Next();
    EXPECT_EQ(Table().AsInteger("id"), 1);
    Table().Next();
    EXPECT_TRUE(Table().Eof());
}

TEST_F(TableCursorTest, ManyLocatesAnswerLikeFewLocates) {
    for (int id = 1; id <= 200; ++id)
        AddTask(id, std::to_string(id), id % 7);
    OpenTasks();
    for (int round = 0; round < 3; ++round)
        for (int category = 0; category < 8; ++category) {
            const bool found = Table().Locate("intCategory", category);
            EXPECT_EQ(found, category < 7);
            if (found) {
                EXPECT_EQ(Table().AsInteger("id"), category == 0 ? 7 : category);
            }
        }
}

// A walk steps through the rows as it goes; whatever leaves the walk (a write, a delete, a
// locate, a new sort) must leave the cursor where the same steps over the whole table would.
TEST_F(TableCursorTest, AWalkGoesOnAfterAnEditADeleteAndALocateInTheMiddle) {
    for (int id = 1; id <= 6; ++id)
        AddTask(id, std::to_string(id), id % 2);
    OpenTasks();
    std::vector<int> seen;
    for (Table().First(); !Table().Eof();) {
        const int id = Table().AsInteger("id");
        seen.push_back(id);
        if (id == 2) {
            Table().Edit();
            Table().SetString("strName", "edited");
            Table().Post();
            EXPECT_EQ(Table().AsInteger("id"), 2);
            Table().Next();
        } else if (id == 3) {
            // After a delete the cursor stands on the next row.
            Table().Delete();
        } else if (id == 4) {
            EXPECT_FALSE(Table().Locate("id", 99));
            Table().Next();
        } else {
            Table().Next();
        }
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Query("SELECT group_concat(id) FROM (SELECT id FROM t_task ORDER BY id)"),
              "1,2,4,5,6");
    EXPECT_EQ(Query("SELECT strName FROM t_task WHERE id = 2"), "edited");
}

TEST_F(TableCursorTest, ANewSortInTheMiddleOfAWalkKeepsItsRow) {
    AddTask(1, "c", 2);
    AddTask(2, "a", 1);
    AddTask(3, "b", 3);
    OpenTasks();
    Table().First();
    Table().Next();
    ASSERT_EQ(Table().AsInteger("id"), 2);
    Table().SetSort("strName ASC");
    EXPECT_EQ(Table().AsInteger("id"), 2);
    Table().Next();
    EXPECT_EQ(Table().AsInteger("id"), 3);
    // Past the last row a new sort starts again at the first.
    Table().Next();
    Table().Next();
    ASSERT_TRUE(Table().Eof());
    Table().SetSort("intCategory ASC");
    EXPECT_EQ(Table().AsInteger("id"), 2);
}

TEST_F(TableCursorTest, PastTheLastRowALocateThatFindsNothingStaysThere) {
    for (int id = 1; id <= 40; ++id)
        AddTask(id, "t", 1);
    OpenTasks();
    for (Table().First(); !Table().Eof(); Table().Next()) {
    }
    // Enough locates that the cursor reads the table for them.
    for (int round = 0; round < 20; ++round)
        EXPECT_FALSE(Table().Locate("intCategory", 7));
    EXPECT_TRUE(Table().Eof());
    // A walk that is not begun stands on the first row, and Next moves it on.
    OpenTasks();
    Table().Next();
    EXPECT_EQ(Table().AsInteger("id"), 2);
}

// An error ends the use of the cursor before it is closed; until the next use closes it, a walk
// it ended must not hold the file, which another program may want to write meanwhile.
TEST_F(TableCursorTest, AWalkEndedByAnErrorLeavesTheFileFree) {
    AddTask(1, "a", 1);
    AddTask(2, "b", 1);
    Exec("UPDATE t_task SET intDone = 'yes' WHERE id = 2");
    for (const std::string& column : {std::string("intDone"), std::string("noSuchColumn")}) {
        OpenTasks();
        EXPECT_THROW(
            for (Table().First(); !Table().Eof(); Table().Next()) Table().AsInteger(column),
            StoreError);
        EXPECT_NO_THROW(Exec("UPDATE t_task SET strName = 'written' WHERE id = 1")) << column;
        EXPECT_EQ(Table().AsInteger("id"), column == "intDone" ? 2 : 1);
    }
}

TEST_F(TableCursorTest, AnAppendInTheMiddleOfAWalkStandsOnTheNewRow) {
    AddTask(1, "a", 1);
    AddTask(2, "b", 1);
    OpenTasks();
    Table().First();
    Table().Append();
    Table().SetInteger("id", 9);
    Table().Post();
    EXPECT_EQ(Table().AsInteger("id"), 9);
    Table().Next();
    EXPECT_TRUE(Table().Eof());
    EXPECT_EQ(WalkIds(), (std::vector<int>{1, 2, 9}));
}

TEST_F(TableCursorTest, AppendPostsARowThatAnotherConnectionSees) {
    OpenTasks();
    Table().Append();
    Table().SetInteger("id", 7);
    Table().SetString("strName", "written");
    Table().SetFloat("dateDue", 45123.5);
    Table().Post();
    EXPECT_EQ(Table().AsInteger("id"), 7);
    EXPECT_EQ(Query("SELECT strName FROM t_task WHERE id = 7"), "written");
    EXPECT_EQ(Query("SELECT dateDue FROM t_task WHERE id = 7"), "45123.5");
    // Columns left out of the append get their defaults, never NULL.
    EXPECT_EQ(Query("SELECT intDone FROM t_task WHERE id = 7"), "0");
    EXPECT_EQ(Table().RecordCount(), 1);
}

TEST_F(TableCursorTest, EditChangesTheCurrentRowOnly) {
    AddTask(1, "a", 1);
    AddTask(2, "b", 1);
    OpenTasks();
    ASSERT_TRUE(Table().Locate("id", 2));
    Table().Edit();
    Table().SetInteger("intDone", 1);
    Table().Post();
    EXPECT_EQ(Table().AsInteger("intDone"), 1);
    EXPECT_EQ(Query("SELECT group_concat(intDone) FROM t_task ORDER BY id"), "0,1");
    // The same on a table that has been walked.
    EXPECT_EQ(WalkIds(), (std::vector<int>{1, 2}));
    Table().First();
    Table().Edit();
    Table().SetString("strName", "first");
    Table().Post();
    EXPECT_EQ(Query("SELECT strName FROM t_task WHERE id = 1"), "first");
}

TEST_F(TableCursorTest, DeleteRemovesTheRowAndMovesToTheNext) {
    for (int id = 1; id <= 4; ++id)
        AddTask(id, "t", 1);
    OpenTasks();
    ASSERT_TRUE(Table().Locate("id", 2));
    Table().Delete();
    EXPECT_EQ(Table().AsInteger("id"), 3);
    Table().First();
    Table().Delete();
    EXPECT_EQ(Table().AsInteger("id"), 3);
    EXPECT_EQ(WalkIds(), (std::vector<int>{3, 4}));
    Table().Last();
    Table().Delete();
    EXPECT_TRUE(Table().Eof());
    EXPECT_EQ(Query("SELECT group_concat(id) FROM t_task"), "3");
}

TEST_F(TableCursorTest, NextIdStartsAtOneAndReusesTheHighestAfterItsDelete) {
    OpenTasks();
    EXPECT_EQ(Dm().NextId(), 1);
    AddTask(1, "a", 1);
    AddTask(5, "b", 1);
    AddTask(3, "c", 1);
    OpenTasks();
    EXPECT_EQ(Dm().NextId(), 6);
    ASSERT_TRUE(Table().Locate("id", 5));
    Table().Delete();
    EXPECT_EQ(Dm().NextId(), 4);
    // NextId leaves the table in its own order.
    EXPECT_EQ(WalkIds(), (std::vector<int>{1, 3}));

    Table().Close();
    Table().SetTableName("t_note");
    Table().Open();
    EXPECT_EQ(Dm().NextId(), 1);
}

TEST_F(TableCursorTest, WritesOutsideAnEditAreRefused) {
    AddTask(1, "a", 1);
    OpenTasks();
    EXPECT_THROW(Table().SetInteger("intDone", 1), StoreError);
    EXPECT_THROW(Table().Post(), StoreError);
    Table().Close();
    EXPECT_THROW(Table().First(), StoreError);
    EXPECT_THROW(Table().AsInteger("id"), StoreError);
}

TEST_F(TableCursorTest, ReadingPastTheEndIsAnError) {
    OpenTasks();
    EXPECT_TRUE(Table().Eof());
    EXPECT_THROW(Table().AsString("strName"), StoreError);
    EXPECT_THROW(Table().Delete(), StoreError);
}

} // namespace

// The organizer syncs after what its windows write, and never after what they only read.
TEST_F(TableCursorTest, TheWriteHookHearsEveryWriteThatTookAndNoRead) {
    AddTask(1, "a", 1);
    int writes = 0;
    Table().SetAfterWrite([&] { ++writes; });
    OpenTasks();
    Table().Append();
    Table().SetInteger("id", 2);
    Table().Post();
    EXPECT_EQ(writes, 1);
    ASSERT_TRUE(Table().Locate("id", 1));
    Table().Delete();
    EXPECT_EQ(writes, 2);

    // A transaction is heard once, at its commit, and only when it changed a row.
    InTransaction(Dm(), [&](TTableCursor& table) {
        OpenTable(table, "t_task");
        table.First();
        table.Edit();
        table.SetString("strName", "renamed");
        table.Post();
        table.Append();
        table.SetInteger("id", 3);
        table.Post();
        EXPECT_EQ(writes, 2);
    });
    EXPECT_EQ(writes, 3);
    InTransaction(Dm(), [&](TTableCursor& table) {
        OpenTable(table, "t_task");
        EXPECT_EQ(WalkIds(), (std::vector<int>{2, 3}));
    });
    Table().StartTransaction();
    OpenTasks();
    Table().Append();
    Table().SetInteger("id", 4);
    Table().Post();
    Table().Rollback();
    OpenTasks();
    EXPECT_EQ(WalkIds(), (std::vector<int>{2, 3}));
    EXPECT_EQ(writes, 3);
    Table().SetAfterWrite({});
}
