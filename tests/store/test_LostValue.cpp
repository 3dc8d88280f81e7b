// SPDX-License-Identifier: GPL-3.0-or-later
// A value that lost a conflict taken back from the sync log: each field read back from the
// log's words into the task, counted as a change here for the next sync to send.
#include "tests/store/TestDb.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"
#include "store/sync/LostValue.h"
#include "store/sync/SyncState.h"

#include <filesystem>
#include <fstream>

namespace {

class LostValueTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        std::filesystem::create_directories(folder_ / "sound");
        std::ofstream(folder_ / "sound" / "bell.wav") << "RIFF";
        TTaskEdit task = NewTaskEdit();
        task.strName = "Paint the fence";
        task.intCategory = 2;
        task.strNote = "White";
        id_ = InsertTask(Dm(), task);
        uid_ = ReadTaskUids(Dm()).at(id_);
        // The task as a sync left it: known on both sides, nothing changed since.
        InTransaction(Dm(), [&](TTableCursor&) {
            TSyncTaskRow row;
            row.uid = uid_;
            row.taskId = id_;
            row.list = "/work/";
            row.href = "/work/" + uid_ + ".ics";
            row.etag = "\"1\"";
            row.kept = "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n";
            WriteSyncTask(Dm(), row);
        });
    }

    TSyncLogEntry Entry(const std::string& field, const std::string& lost) const {
        return {45000, uid_, "Paint the fence", field, "kept", lost, "server"};
    }
    TMyRec2 Task() {
        for (const TMyRec2& task : ReadAllTasks(Dm()))
            if (task.id == id_)
                return task;
        ADD_FAILURE() << "the task is gone";
        return {};
    }
    int64_t Changes() { return ReadSyncTask(Dm(), uid_)->changes; }

    int32_t id_ = 0;
    std::string uid_;
};

} // namespace

TEST_F(LostValueTest, EachFieldTakesTheValueThatLostAndTheChangeIsCountedForTheNextSync) {
    UseLostValue(Dm(), Entry("name", "Paint the gate"));
    EXPECT_EQ(Task().strName, "Paint the gate");
    EXPECT_GT(Changes(), 0);

    UseLostValue(Dm(), Entry("note", "Green\nTwo coats"));
    EXPECT_EQ(Task().intMemo, 1);
    EXPECT_EQ(Task().strNote, "Green\nTwo coats");
    UseLostValue(Dm(), Entry("note", ""));
    EXPECT_EQ(Task().intMemo, 0);

    UseLostValue(Dm(), Entry("priority", "high"));
    EXPECT_EQ(Task().intPriority, 0);
    UseLostValue(Dm(), Entry("done", "yes"));
    EXPECT_EQ(Task().intDone, 1);

    UseLostValue(Dm(), Entry("due", "2027-03-04"));
    EXPECT_EQ(Task().intDue, 1);
    EXPECT_DOUBLE_EQ(Task().dateDue, EncodeDate(2027, 3, 4));
    UseLostValue(Dm(), Entry("due", ""));
    EXPECT_EQ(Task().intDue, 0);

    UseLostValue(Dm(), Entry("reminder", "2027-03-03 18:30 sound bell.wav"));
    EXPECT_EQ(Task().intReminder, 1);
    EXPECT_NEAR(Task().datetimeReminder, EncodeDate(2027, 3, 3) + 18.5 / 24, 1e-6);
    EXPECT_EQ(Task().intSound, 1);
    EXPECT_EQ(Task().strSoundFile, "bell.wav");
    UseLostValue(Dm(), Entry("reminder", "2027-03-03 19:00"));
    EXPECT_EQ(Task().intSound, 0);
    UseLostValue(Dm(), Entry("reminder", ""));
    EXPECT_EQ(Task().intReminder, 0);

    // A category is logged by its name.
    UseLostValue(Dm(), Entry("category", "shopping"));
    EXPECT_EQ(Task().intCategory, 3);
    EXPECT_GE(Changes(), 12);
    EXPECT_GE(WaitingChanges(Dm()), 1);
}

TEST_F(LostValueTest, AValueThatCannotBeTakenBackChangesNothing) {
    const TMyRec2 before = Task();
    for (const TSyncLogEntry& entry :
         {Entry("name", "  "), Entry("priority", "urgent"), Entry("done", "maybe"),
          Entry("due", "next week"), Entry("reminder", "2027-03-03 18:30 bell.wav"),
          Entry("category", "No such category"), Entry("colour", "red")}) {
        EXPECT_THROW(UseLostValue(Dm(), entry), StoreError) << entry.field << " " << entry.lost;
        EXPECT_EQ(Task().strName, before.strName);
        EXPECT_EQ(Task().intPriority, before.intPriority);
        EXPECT_EQ(Task().intCategory, before.intCategory);
        EXPECT_EQ(Changes(), 0) << entry.field;
    }
}

TEST_F(LostValueTest, ATaskDeletedSinceIsNamedAndNothingIsWritten) {
    DeleteTask(Dm(), id_);
    const size_t rows = ReadAllTasks(Dm()).size();
    try {
        UseLostValue(Dm(), Entry("name", "Paint the gate"));
        ADD_FAILURE() << "no error";
    } catch (const StoreError& error) {
        EXPECT_STREQ(error.what(), "The task \"Paint the fence\" is no longer here.");
    }
    EXPECT_EQ(ReadAllTasks(Dm()).size(), rows);
}
