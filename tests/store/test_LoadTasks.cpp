// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/funUnit.h"
#include "store/records/TaskTable.h"

namespace {

class LoadTasksTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        DoneBottom = 1;
        SortOrder = 0;
    }
    void TearDown() override {
        DoneBottom = 1;
        SortOrder = 0;
        TempDatabase::TearDown();
    }
    void Load(int category, int sortColumn = -1, int sortOrder = 0) {
        LoadTaskArrays(Dm(), category, sortColumn, sortOrder, all_, shown_);
    }
    static std::vector<int> Ids(const std::vector<TMyRec2>& tasks) {
        std::vector<int> ids;
        for (const auto& t : tasks)
            ids.push_back(t.id);
        return ids;
    }
    std::vector<TMyRec2> all_, shown_;
};

TEST_F(LoadTasksTest, AnEmptyTableGivesEmptyArrays) {
    all_.resize(3);
    shown_.resize(2);
    Load(0);
    EXPECT_TRUE(all_.empty());
    EXPECT_TRUE(shown_.empty());
}

TEST_F(LoadTasksTest, EveryFieldIsReadWithItsNoteAndCategory) {
    Exec("INSERT INTO t_task VALUES (7, 'Call Anna', 2, 0, 1, 1, 45000.0, 1, 45001.5, 1, "
         "'chime.wav', 1)");
    Exec("INSERT INTO t_note (id, idTask, strNote) VALUES (3, 7, '  first line\r\nsecond  ')");
    Load(0);
    ASSERT_EQ(all_.size(), 1u);
    const TMyRec2& t = all_[0];
    EXPECT_EQ(t.id, 7);
    EXPECT_EQ(t.strName, "Call Anna");
    EXPECT_EQ(t.intCategory, 2);
    EXPECT_EQ(t.strCategory, "Work");
    EXPECT_EQ(t.intImg, 2);
    EXPECT_EQ(t.intPos, 2);
    EXPECT_EQ(t.intPriority, 0);
    EXPECT_EQ(t.intDone, 1);
    EXPECT_EQ(t.intDue, 1);
    EXPECT_EQ(t.dateDue, 45000.0);
    EXPECT_EQ(t.intReminder, 1);
    EXPECT_EQ(t.datetimeReminder, 45001.5);
    EXPECT_EQ(t.intSound, 1);
    EXPECT_EQ(t.strSoundFile, "chime.wav");
    EXPECT_EQ(t.intMemo, 1);
    EXPECT_EQ(t.strNote, "  first line\r\nsecond  ");
    EXPECT_EQ(Ids(shown_), (std::vector<int>{7}));
    EXPECT_EQ(shown_[0].strNote, t.strNote);
}

TEST_F(LoadTasksTest, AMissingNoteRowLeavesTheNoteEmpty) {
    AddTask(1, "a", 1, 0, 1);
    AddTask(2, "b", 1, 0, 0);
    Exec("INSERT INTO t_note (id, idTask, strNote) VALUES (1, 2, 'ignored: intMemo is 0')");
    Load(0);
    EXPECT_EQ(all_[0].strNote, "");
    EXPECT_EQ(all_[1].strNote, "");
}

TEST_F(LoadTasksTest, ACategoryFiltersShownTasksOnly) {
    AddTask(3, "c", 2);
    AddTask(1, "a", 1);
    AddTask(2, "b", 2);
    Load(2);
    EXPECT_EQ(Ids(all_), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Ids(shown_), (std::vector<int>{2, 3}));
    Load(3);
    EXPECT_EQ(Ids(all_), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(shown_.empty());
    Load(-1);
    EXPECT_EQ(Ids(shown_), (std::vector<int>{1, 2, 3}));
}

TEST_F(LoadTasksTest, WithoutASortColumnDoneTasksGoLastWhenDoneBottomIsOne) {
    AddTask(1, "a", 1, 1);
    AddTask(2, "b", 1, 0);
    AddTask(3, "c", 1, 1);
    AddTask(4, "d", 1, 0);
    Load(0);
    EXPECT_EQ(Ids(shown_), (std::vector<int>{2, 4, 1, 3}));
    EXPECT_EQ(SortOrder, -1);
    EXPECT_EQ(Ids(all_), (std::vector<int>{1, 2, 3, 4}));
    DoneBottom = 0;
    SortOrder = 0;
    Load(0);
    EXPECT_EQ(Ids(shown_), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(SortOrder, 0);
}

TEST_F(LoadTasksTest, ASortColumnOrdersTheNewCategoryInTheChosenDirection) {
    Exec("INSERT INTO t_task (id, strName, intCategory, intDue, dateDue) VALUES "
         "(1, 'a', 1, 1, 45001), (2, 'b', 2, 1, 45003), (3, 'c', 2, 0, 0), "
         "(4, 'd', 2, 1, 45002), (5, 'e', 2, 1, 45009)");
    Exec("UPDATE t_task SET intDone = 1 WHERE id = 5");
    Load(2, 4, 1);
    EXPECT_EQ(Ids(shown_), (std::vector<int>{3, 2, 4, 5}));
    EXPECT_EQ(SortOrder, 1);
    DoneBottom = 0;
    Load(2, 4, -1);
    EXPECT_EQ(Ids(shown_), (std::vector<int>{4, 2, 5, 3}));
}

TEST_F(LoadTasksTest, ALargeTableLoadsEveryNoteAndCategory) {
    std::string values;
    for (int id = 1; id <= 3000; ++id)
        values += (values.empty() ? "(" : ",(") + std::to_string(id) + ", 't', " +
                  std::to_string(1 + id % 3) + ", " + std::to_string(id % 2) + ")";
    Exec("INSERT INTO t_task (id, strName, intCategory, intMemo) VALUES " + values);
    Exec("INSERT INTO t_note (idTask, strNote) SELECT id, 'note ' || id FROM t_task "
         "WHERE intMemo = 1 ORDER BY id DESC");
    Load(0);
    ASSERT_EQ(all_.size(), 3000u);
    for (const TMyRec2& t : all_) {
        ASSERT_EQ(t.strNote, t.intMemo ? "note " + std::to_string(t.id) : "") << t.id;
        ASSERT_EQ(t.intPos, t.intCategory) << t.id;
    }
}

TEST_F(LoadTasksTest, CategoriesComeInPositionOrder) {
    Exec("UPDATE t_category SET intPos = 4 - intPos");
    const auto categories = LoadCategories(Dm());
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].strName, "Shopping");
    EXPECT_EQ(categories[0].intImg, 3);
    EXPECT_EQ(categories[2].strName, "Personal");
    EXPECT_EQ(GetCategoryName(2), "Work");
    EXPECT_EQ(GetCategoryName(99), "");
}

} // namespace
