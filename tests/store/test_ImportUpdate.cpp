// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/store/LocalZone.h"
#include "tests/store/TestDb.h"

#include "store/dates/dateUnit.h"
#include "store/exchange/IcalExchange.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"

namespace {

// Every stored field of a task, for comparing before and after.
std::string Fields(const TMyRec2& t) {
    char dates[64];
    std::snprintf(dates, sizeof dates, "%.10f %.10f", t.dateDue, t.datetimeReminder);
    return std::to_string(t.id) + "|" + t.strName + "|" + std::to_string(t.intCategory) + "|" +
           std::to_string(t.intPriority) + "|" + std::to_string(t.intDone) + "|" +
           std::to_string(t.intDue) + "|" + std::to_string(t.intReminder) + "|" + dates + "|" +
           std::to_string(t.intSound) + "|" + t.strSoundFile + "|" + std::to_string(t.intMemo) +
           "|" + t.strNote;
}

std::vector<std::string> AllFields(TDM& dm) {
    std::vector<std::string> all;
    for (const TMyRec2& task : ReadAllTasks(dm))
        all.push_back(Fields(task));
    return all;
}

// Replaces the first line that starts with the key in the to-do of that UID.
std::string Changed(std::string text, const std::string& uid, const std::string& key,
                    const std::string& line) {
    const size_t todo = text.find("UID:" + uid);
    const size_t begin = text.rfind("BEGIN:VTODO", todo);
    const size_t at = text.find("\r\n" + key, begin) + 2;
    const size_t end = text.find("\r\n", at);
    return text.replace(at, end - at, line);
}

class ImportUpdateTest : public TempDatabase {
protected:
    // Tasks of every kind, with what an export rounds or rewrites: a reminder with fractions
    // of a second, one in the hour that the clocks skip, a note with CR LF, a name with a line
    // break, a due date whose day has a time, a sound that is off but still named.
    void AddTasks() {
        TTaskEdit plain = Task("Plain");
        plain.datetimeReminder = Now() + 0.123456789;
        plain.dateDue = 46000.75;
        InsertTask(Dm(), plain);

        TTaskEdit full = Task("Full, \"quoted\"");
        full.intCategory = 2;
        full.intPriority = 0;
        full.intDue = 1;
        full.dateDue = EncodeDate(2024, 2, 29) + 0.25;
        full.intReminder = 1;
        full.datetimeReminder = EncodeDateTime({{2024, 3, 10}, 2, 30, 0}) + 0.3 / 86400;
        full.intSound = 1;
        full.strSoundFile = "Glocke läuten 100%.wav";
        full.strNote = "line one\r\nline two\rthree\n";
        WriteDoneMark(Dm(), InsertTask(Dm(), full), 1);

        TTaskEdit odd = Task("two\nlines\tand a tab");
        odd.intCategory = 3;
        odd.intReminder = 1;
        odd.datetimeReminder = EncodeDateTime({{2024, 7, 1}, 18, 45, 20});
        odd.strSoundFile = "ding.wav";
        odd.strNote = "مرحبا 👋";
        InsertTask(Dm(), odd);
    }
    TTaskEdit Task(const std::string& name) {
        TTaskEdit task;
        task.strName = name;
        task.intCategory = 1;
        return task;
    }
    TImportResult Import(const std::string& text, int32_t fallback = 0) {
        return ImportTasks(Dm(), ReadIcalText(text, "tasks.ics"), fallback);
    }
    LocalZone zone_{NewYork};
};

TEST_F(ImportUpdateTest, ItsOwnExportImportedChangesNothing) {
    AddTasks();
    const std::vector<std::string> before = AllFields(Dm());
    const std::string categories = Query("SELECT group_concat(strName) FROM t_category");
    const TImportResult result = Import(ExportIcal(Dm(), 0));
    EXPECT_TRUE(result.taskIds.empty());
    EXPECT_TRUE(result.updatedIds.empty());
    EXPECT_EQ(result.unchanged, 3u);
    EXPECT_TRUE(result.newCategories.empty());
    EXPECT_EQ(AllFields(Dm()), before);
    EXPECT_EQ(Query("SELECT group_concat(strName) FROM t_category"), categories);
}

TEST_F(ImportUpdateTest, AToDoEditedInTheFileChangesThatTaskOnly) {
    AddTasks();
    const std::unordered_map<int32_t, std::string> uids = ReadTaskUids(Dm());
    std::vector<std::string> before = AllFields(Dm());
    std::string text = ExportIcal(Dm(), 0);
    text = Changed(text, uids.at(1), "SUMMARY:", "SUMMARY:Plain\\, renamed");
    text = Changed(text, uids.at(1), "STATUS:", "STATUS:COMPLETED");
    text = Changed(text, uids.at(2), "STATUS:", "STATUS:NEEDS-ACTION");

    const TImportResult result = Import(text);
    EXPECT_TRUE(result.taskIds.empty());
    EXPECT_EQ(result.updatedIds, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(result.unchanged, 1u);
    const std::vector<TMyRec2> after = ReadAllTasks(Dm());
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].strName, "Plain, renamed");
    EXPECT_EQ(after[0].intDone, 1);
    EXPECT_EQ(after[1].intDone, 0);
    // Everything else of both tasks, and the third task, stay as they were.
    TMyRec2 first = after[0], second = after[1];
    first.strName = "Plain";
    first.intDone = 0;
    second.intDone = 1;
    EXPECT_EQ(Fields(first), before[0]);
    EXPECT_EQ(Fields(second), before[1]);
    EXPECT_EQ(Fields(after[2]), before[2]);
    EXPECT_EQ(ReadTaskUids(Dm()), uids);
}

TEST_F(ImportUpdateTest, EachFieldTheFileCarriesIsTakenAndWhatItLacksIsKept) {
    AddTasks();
    const std::string uid = ReadTaskUids(Dm()).at(2);
    const std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\nBEGIN:VTODO\r\n"
                             "UID:" +
                             uid +
                             "\r\nSUMMARY:Full\r\nPRIORITY:9\r\nCATEGORIES:Garden,Work\r\n"
                             "END:VTODO\r\nEND:VCALENDAR\r\n";
    const TMyRec2 before = ReadAllTasks(Dm()).at(1);
    EXPECT_EQ(Import(text).updatedIds, std::vector<int32_t>{2});
    const TMyRec2 after = ReadAllTasks(Dm()).at(1);
    EXPECT_EQ(after.strName, "Full");
    EXPECT_EQ(after.intPriority, 1);
    EXPECT_EQ(after.intDone, 0);
    EXPECT_EQ(after.intMemo, 0);
    // Work is one of the file's categories: the task stays there, and no Garden is made.
    EXPECT_EQ(after.intCategory, 2);
    EXPECT_EQ(LoadCategories(Dm()).size(), 3u);
    // Due date and reminder switched off; the day and time stay stored beside, and so does the
    // sound, which the file says nothing of.
    EXPECT_EQ(after.intDue, 0);
    EXPECT_EQ(after.dateDue, before.dateDue);
    EXPECT_EQ(after.intReminder, 0);
    EXPECT_EQ(after.datetimeReminder, before.datetimeReminder);
    EXPECT_EQ(after.intSound, 1);
    EXPECT_EQ(after.strSoundFile, before.strSoundFile);

    // A category the database lacks is made and the task goes there.
    const std::string moved = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\nBEGIN:VTODO\r\n"
                              "UID:" +
                              uid +
                              "\r\nSUMMARY:Full\r\nPRIORITY:9\r\nCATEGORIES:Garden\r\n"
                              "END:VTODO\r\nEND:VCALENDAR\r\n";
    const TImportResult result = Import(moved);
    EXPECT_EQ(result.newCategories, std::vector<std::string>{"Garden"});
    EXPECT_EQ(ReadAllTasks(Dm()).at(1).strCategory, "Garden");
    EXPECT_EQ(Import(moved).unchanged, 1u);
}

TEST_F(ImportUpdateTest, NewToDosKeepTheirUidsAndATodoNamedTwiceUpdatesItsNewTask) {
    const std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//x//EN\r\n"
        "BEGIN:VTODO\r\nUID:abc@elsewhere\r\nSUMMARY:first\r\nEND:VTODO\r\n"
        "BEGIN:VTODO\r\nSUMMARY:no uid\r\nEND:VTODO\r\n"
        "BEGIN:VTODO\r\nUID:abc@elsewhere\r\nSUMMARY:second\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    const TImportResult result = Import(text);
    EXPECT_EQ(result.taskIds, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(result.updatedIds, std::vector<int32_t>{1});
    const std::vector<TMyRec2> tasks = ReadAllTasks(Dm());
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0].strName, "second");
    EXPECT_EQ(ReadTaskUids(Dm()).at(1), "abc@elsewhere");
    EXPECT_NE(ExportIcal(Dm(), 0).find("\r\nUID:abc@elsewhere\r\n"), std::string::npos);
    EXPECT_EQ(FindTaskByUid(Dm(), ReadTaskUids(Dm()).at(2)), 2);
}

} // namespace
