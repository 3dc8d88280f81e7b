// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/StoreError.h"
#include "store/funUnit.h"
#include "store/records/TaskArrays.h"
#include "store/records/TaskWrite.h"

#include <filesystem>

namespace {

// Records what the arrays told their listener.
class TRecordingListener : public TRowListener {
public:
    TRowChanges heard;
    void RowsReset() override { heard.push_back({TRowChange::Reset}); }
    void RowInserted(int row) override { heard.push_back({TRowChange::Inserted, row}); }
    void RowRemoved(int row) override { heard.push_back({TRowChange::Removed, row}); }
    void RowChanged(int row) override { heard.push_back({TRowChange::Changed, row}); }
};

class TaskArraysTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        DoneBottom = 1;
        SortOrder = 0;
        arrays_ = std::make_unique<TTaskArrays>(Dm());
        arrays_->SetListener(&listener_);
        // Tasks 1 and 3 in "Personal", 2 and 4 in "Work"; 4 is done.
        AddTask(1, "walk", 1);
        AddTask(2, "report", 2);
        AddTask(3, "milk", 1);
        AddTask(4, "mail", 2, 1);
    }
    void TearDown() override {
        arrays_.reset();
        DoneBottom = 1;
        SortOrder = 0;
        TempDatabase::TearDown();
    }

    void Load(int category) {
        arrays_->Load(category, -1, -1);
        listener_.heard.clear();
    }
    const TMyRec2& All(int id) const {
        return arrays_->AllTasks()[static_cast<size_t>(FindTask(arrays_->AllTasks(), id))];
    }
    const TMyRec2& Row(int row) const { return arrays_->ShownTasks()[static_cast<size_t>(row)]; }
    std::vector<int> AllIds() const { return Ids(arrays_->AllTasks()); }
    std::vector<int> RowIds() const { return Ids(arrays_->ShownTasks()); }
    static std::vector<int> Ids(const std::vector<TMyRec2>& tasks) {
        std::vector<int> ids;
        for (const TMyRec2& task : tasks)
            ids.push_back(task.id);
        return ids;
    }
    std::optional<TMyRec1> Category(int id) { return ReadCategory(Dm(), id); }
    void MakeReadOnly() {
        namespace fs = std::filesystem;
        fs::permissions(Path(),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    // The listener heard exactly these changes since the last look.
    void ExpectHeard(const TRowChanges& expected) {
        EXPECT_EQ(listener_.heard, expected);
        listener_.heard.clear();
    }

    TRecordingListener listener_;
    std::unique_ptr<TTaskArrays> arrays_;
};

TTaskEdit Saved(const std::string& name, int category) {
    TTaskEdit saved;
    saved.strName = name;
    saved.intCategory = category;
    saved.intPriority = 0;
    saved.intReminder = 1;
    saved.datetimeReminder = 45000.5;
    saved.strNote = "a note";
    return saved;
}

TEST_F(TaskArraysTest, ALoadResetsTheRowsAndAFailedOneLeavesBothArraysEmpty) {
    arrays_->Load(2, -1, -1);
    ExpectHeard({{TRowChange::Reset}});
    EXPECT_EQ(AllIds(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(RowIds(), (std::vector<int>{2, 4}));

    Exec("ALTER TABLE t_note RENAME TO t_note_away");
    EXPECT_THROW(arrays_->Load(0, -1, -1), StoreError);
    EXPECT_TRUE(arrays_->AllTasks().empty());
    EXPECT_TRUE(arrays_->ShownTasks().empty());
    EXPECT_EQ(listener_.heard, (TRowChanges{{TRowChange::Reset}}));

    // Nothing is written into a file the list could not show, until a load succeeds.
    EXPECT_THROW(InsertTask(Dm(), Saved("lost", 1)), StoreError);
    EXPECT_THROW(WriteDoneMark(Dm(), 1, 1), StoreError);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_task"), "4");
    Exec("ALTER TABLE t_note_away RENAME TO t_note");
    arrays_->Load(0, -1, -1);
    EXPECT_EQ(InsertTask(Dm(), Saved("kept", 1)), 5);
}

TEST_F(TaskArraysTest, AChangeToATaskTheFileNoLongerHoldsChangesNoRecord) {
    Load(0);
    Exec("DELETE FROM t_task WHERE id IN (1, 2)");
    EXPECT_THROW(arrays_->Delete(0), TaskGoneError);
    EXPECT_THROW(arrays_->SetDone(1, 1), TaskGoneError);
    EXPECT_THROW(arrays_->MarkDone(1), TaskGoneError);
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Row(1).intDone, 0);
    EXPECT_TRUE(listener_.heard.empty());
}

TEST_F(TaskArraysTest, AnAddedTaskIsAppendedToBothWhateverCategoryIsShown) {
    Load(2);
    arrays_->Add(9, Saved(" new ", 1), Category(1));
    ExpectHeard({{TRowChange::Inserted, 2}});
    EXPECT_EQ(AllIds(), (std::vector<int>{1, 2, 3, 4, 9}));
    EXPECT_EQ(RowIds(), (std::vector<int>{2, 4, 9}));
    const TMyRec2& added = Row(2);
    EXPECT_EQ(added.strName, "new");
    EXPECT_EQ(added.strCategory, "Personal");
    EXPECT_EQ(added.intImg, 1);
    EXPECT_EQ(added.intPos, 1);
    EXPECT_EQ(added.intDone, 0);
    EXPECT_EQ(added.intMemo, 1);
    EXPECT_EQ(added.strNote, "a note");
    EXPECT_EQ(All(9).strCategory, "Personal");
}

TEST_F(TaskArraysTest, AnEditFromTheListKeepsTheRowTheDoneMarkAndTheCategoryName) {
    Load(0);
    // Shown: 1, 2, 3, then the done task 4 at the bottom.
    ASSERT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 4}));
    arrays_->EditFromList(3, Saved("mail twice", 3), Category(3));
    ExpectHeard({{TRowChange::Changed, 3}});
    for (const TMyRec2* task : {&Row(3), &All(4)}) {
        EXPECT_EQ(task->strName, "mail twice");
        EXPECT_EQ(task->intCategory, 3);
        EXPECT_EQ(task->intImg, 3);
        EXPECT_EQ(task->intPos, 3);
        // The name the record was loaded with, and the done mark the editor does not touch.
        EXPECT_EQ(task->strCategory, "Work");
        EXPECT_EQ(task->intDone, 1);
        EXPECT_EQ(task->strNote, "a note");
    }
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(TaskArraysTest, AnEditFromAReminderCopiesTheRecordIntoItsRow) {
    Load(1);
    ASSERT_EQ(RowIds(), (std::vector<int>{1, 3}));
    arrays_->EditFromReminder(3, Saved("oat milk", 2), Category(2));
    ExpectHeard({{TRowChange::Changed, 1}});
    EXPECT_EQ(Row(1).strName, "oat milk");
    EXPECT_EQ(Row(1).intCategory, 2);
    EXPECT_EQ(Row(1).intPos, 2);
    EXPECT_EQ(Row(1).strCategory, "Personal");
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 3}));

    // A task that is not shown changes in AllTasks only; a task that is gone, nowhere.
    arrays_->EditFromReminder(4, Saved("mail", 1), Category(1));
    ExpectHeard({});
    EXPECT_EQ(All(4).intCategory, 1);
    EXPECT_EQ(All(4).intDone, 1);
    EXPECT_EQ(All(4).strCategory, "Work");
    arrays_->EditFromReminder(77, Saved("gone", 1), Category(1));
    ExpectHeard({});
}

TEST_F(TaskArraysTest, DeletingARowRemovesTheTaskEverywhereAndMovesTheFocus) {
    Load(0);
    arrays_->Delete(3);
    ExpectHeard({{TRowChange::Removed, 3}}); // the last row: task 4
    EXPECT_EQ(arrays_->RowAfterDelete(3), 2);
    arrays_->Delete(1);
    ExpectHeard({{TRowChange::Removed, 1}}); // a middle row: task 2
    EXPECT_EQ(arrays_->RowAfterDelete(1), 1);
    EXPECT_EQ(AllIds(), (std::vector<int>{1, 3}));
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 3}));
    EXPECT_EQ(Query("SELECT COUNT(*) FROM t_task"), "2");

    Load(2);
    Exec("DELETE FROM t_task WHERE id <> 1");
    Load(1);
    ASSERT_EQ(RowIds(), (std::vector<int>{1}));
    arrays_->Delete(0); // the only row
    EXPECT_EQ(arrays_->RowAfterDelete(0), -1);
    EXPECT_TRUE(arrays_->ShownTasks().empty());
    EXPECT_TRUE(arrays_->AllTasks().empty());
}

TEST_F(TaskArraysTest, TheDoneMarkIsWrittenThenSetInBothArrays) {
    Load(0);
    arrays_->SetDone(0, 1);
    ExpectHeard({{TRowChange::Changed, 0}});
    EXPECT_EQ(Row(0).intDone, 1);
    EXPECT_EQ(All(1).intDone, 1);
    EXPECT_EQ(Query("SELECT intDone FROM t_task WHERE id = 1"), "1");
    // A changed done mark moves nothing until the next reload or header click.
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 4}));

    MakeReadOnly();
    EXPECT_THROW(arrays_->SetDone(1, 1), StoreError);
    EXPECT_EQ(Row(1).intDone, 0);
    EXPECT_EQ(All(2).intDone, 0);
    EXPECT_TRUE(listener_.heard.empty());
}

TEST_F(TaskArraysTest, ThePopupsChoicesChangeAShownAndANotShownTask) {
    Load(1);
    arrays_->PostponeReminder(3, 45001.25);
    ExpectHeard({{TRowChange::Changed, 1}});
    EXPECT_EQ(Row(1).datetimeReminder, 45001.25);
    EXPECT_EQ(All(3).datetimeReminder, 45001.25);
    arrays_->CancelReminder(1);
    ExpectHeard({{TRowChange::Changed, 0}});
    EXPECT_EQ(Row(0).intReminder, 0);
    EXPECT_EQ(All(1).intReminder, 0);

    arrays_->MarkDone(2);
    ExpectHeard({});
    EXPECT_EQ(All(2).intDone, 1);
    EXPECT_EQ(Query("SELECT intDone FROM t_task WHERE id = 2"), "1");
    arrays_->PostponeReminder(2, 45002);
    ExpectHeard({});
    EXPECT_EQ(All(2).datetimeReminder, 45002);
    EXPECT_EQ(Query("SELECT datetimeReminder FROM t_task WHERE id = 2"), "45002.0");

    // A task no longer loaded is left alone, in the file too.
    Exec("INSERT INTO t_task (id, strName, intCategory, intReminder) VALUES (8, 'x', 1, 1)");
    arrays_->CancelReminder(8);
    ExpectHeard({});
    EXPECT_EQ(Query("SELECT intReminder FROM t_task WHERE id = 8"), "1");
}

TEST_F(TaskArraysTest, AFailedPopupWriteChangesNoRecord) {
    Load(0);
    MakeReadOnly();
    EXPECT_THROW(arrays_->MarkDone(1), StoreError);
    EXPECT_THROW(arrays_->PostponeReminder(1, 45003), StoreError);
    EXPECT_EQ(All(1).intDone, 0);
    EXPECT_EQ(Row(0).intDone, 0);
    EXPECT_EQ(Row(0).datetimeReminder, 0);
    EXPECT_TRUE(listener_.heard.empty());
}

TEST_F(TaskArraysTest, AHeaderSortReordersTheRowsOnlyAndFindsTheFocusedTask) {
    Load(0);
    const int row = arrays_->SortByColumn(0, -1, 3);
    EXPECT_EQ(listener_.heard, (TRowChanges{{TRowChange::Reset}}));
    EXPECT_EQ(SortOrder, -1);
    // By name, the done task still last: milk, report, walk, mail.
    EXPECT_EQ(RowIds(), (std::vector<int>{3, 2, 1, 4}));
    EXPECT_EQ(row, 0);
    EXPECT_EQ(AllIds(), (std::vector<int>{1, 2, 3, 4}));

    EXPECT_EQ(arrays_->SortByColumn(0, 1, 3), 2);
    EXPECT_EQ(SortOrder, 1);
    EXPECT_EQ(RowIds(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(arrays_->SortByColumn(2, -1, std::nullopt), -1);
}

TEST_F(TaskArraysTest, PrintCopiesFollowTheRowsWithoutCategoryNames) {
    Load(0);
    arrays_->SortByColumn(0, -1, std::nullopt);
    const std::vector<TMyRec2> every = arrays_->PrintCopies(false);
    EXPECT_EQ(Ids(every), (std::vector<int>{3, 2, 1, 4}));
    for (const TMyRec2& copy : every) {
        EXPECT_TRUE(copy.strCategory.empty());
        EXPECT_GT(copy.intImg, 0);
    }
    EXPECT_EQ(Ids(arrays_->PrintCopies(true)), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(Row(0).strCategory, "Personal");
}

} // namespace
