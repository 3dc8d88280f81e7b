// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/LocalZone.h"
#include "tests/store/TestDb.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/exchange/IcalExchange.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"

#include <cmath>

namespace {

// A second program folder with a database of its own, fresh from the first start.
class OtherDatabase {
public:
    explicit OtherDatabase(const std::filesystem::path& folder) : dm_(folder.string()) {
        dm_.DataModuleCreate();
    }
    TDM& Dm() { return dm_; }

private:
    TDM dm_;
};

class IcalExportTest : public TempDatabase {
protected:
    TTaskEdit Task(const std::string& name, int32_t category) {
        TTaskEdit task;
        task.strName = name;
        task.intCategory = category;
        task.dateDue = EncodeDate(2030, 1, 1);
        task.datetimeReminder = EncodeDate(2030, 1, 1) + 0.5;
        return task;
    }

    // Tasks of every kind the editor makes.
    void AddEveryKind() {
        std::vector<TMyRec1> categories = LoadCategories(Dm());
        AddCategory(Dm(), categories, "Хобби и дом", 7);
        TTaskEdit plain = Task("Plain task", 1);
        InsertTask(Dm(), plain);

        TTaskEdit done = Task("Done, high and due", 2);
        done.intPriority = 0;
        done.intDue = 1;
        done.dateDue = EncodeDate(2024, 2, 29);
        done.strNote = "One, two; three\nback \\ slash\n";
        WriteDoneMark(Dm(), InsertTask(Dm(), done), 1);

        TTaskEdit silent = Task("Zahnarzt anrufen – Jürgen, 日本語", 4);
        silent.intDue = 1;
        silent.dateDue = EncodeDate(2024, 11, 3);
        silent.intReminder = 1;
        // The day the clocks go forward: 03:30 is in the first hour of summer time.
        silent.datetimeReminder = EncodeDateTime({{2024, 3, 10}, 3, 30, 0});
        silent.strNote = "Привет, мир; ещё\nстрока";
        InsertTask(Dm(), silent);

        TTaskEdit sound = Task("Reminder with a sound", 2);
        sound.intReminder = 1;
        sound.datetimeReminder = EncodeDateTime({{2024, 7, 1}, 18, 45, 20});
        sound.intSound = 1;
        sound.strSoundFile = "alarm.wav";
        InsertTask(Dm(), sound);

        TTaskEdit oddSound = Task(std::string(90, 'x') + " long enough to be folded", 3);
        oddSound.intReminder = 1;
        oddSound.datetimeReminder = EncodeDateTime({{2023, 12, 31}, 23, 59, 0});
        oddSound.intSound = 1;
        oddSound.strSoundFile = "Glocke läuten 100%.wav";
        InsertTask(Dm(), oddSound);

        TTaskEdit noFile = Task("Sound on, no file chosen", 1);
        noFile.intReminder = 1;
        noFile.datetimeReminder = EncodeDateTime({{2025, 1, 2}, 0, 0, 0});
        noFile.intSound = 1;
        InsertTask(Dm(), noFile);
    }

    std::vector<TMyRec2> ImportInto(TDM& target, const std::string& text) {
        ImportTasks(target, ReadIcalText(text, "export.ics"), 0);
        return ReadAllTasks(target);
    }
};

TEST_F(IcalExportTest, RoundTripIntoAnEmptyDatabaseKeepsEveryField) {
    LocalZone zone(NewYork);
    AddEveryKind();
    const std::vector<TMyRec2> before = ReadAllTasks(Dm());
    OtherDatabase other(folder_ / "other");
    const std::vector<TMyRec2> after = ImportInto(other.Dm(), ExportIcal(Dm(), 0));

    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        const TMyRec2& a = before[i];
        const TMyRec2& b = after[i];
        SCOPED_TRACE(a.strName);
        EXPECT_EQ(b.id, a.id);
        EXPECT_EQ(b.strName, a.strName);
        EXPECT_EQ(b.strCategory, a.strCategory);
        EXPECT_EQ(b.intPriority, a.intPriority);
        EXPECT_EQ(b.intDone, a.intDone);
        EXPECT_EQ(b.intDue, a.intDue);
        if (a.intDue == 1) {
            EXPECT_EQ(b.dateDue, a.dateDue);
        }
        EXPECT_EQ(b.intReminder, a.intReminder);
        if (a.intReminder == 1) {
            EXPECT_NEAR(b.datetimeReminder, a.datetimeReminder, 0.5 / 86400);
        }
        EXPECT_EQ(b.intSound, a.intSound);
        EXPECT_EQ(b.strSoundFile, a.strSoundFile);
        EXPECT_EQ(b.intMemo, a.intMemo);
        EXPECT_EQ(b.strNote, a.strNote);
    }
    // The category that only the source had came along, at the next position with icon 1.
    const std::vector<TMyRec1> categories = LoadCategories(other.Dm());
    ASSERT_EQ(categories.size(), 4u);
    EXPECT_EQ(categories[3].strName, "Хобби и дом");
    EXPECT_EQ(categories[3].intPos, 4);
    EXPECT_EQ(categories[3].intImg, 1);
}

TEST_F(IcalExportTest, LineBreaksOfANoteGoOutAsLineFeeds) {
    TTaskEdit task = Task("Typed elsewhere", 1);
    task.strNote = "one\r\ntwo\rthree\n";
    InsertTask(Dm(), task);
    OtherDatabase other(folder_ / "other");
    EXPECT_EQ(ImportInto(other.Dm(), ExportIcal(Dm(), 0)).at(0).strNote, "one\ntwo\nthree\n");
}

TEST_F(IcalExportTest, TheMappingOfEachField) {
    LocalZone zone(NewYork);
    AddEveryKind();
    const std::string text = ExportIcal(Dm(), 0);
    auto has = [&](const std::string& line) {
        return text.find("\r\n" + line + "\r\n") != std::string::npos;
    };
    EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_TRUE(has("VERSION:2.0"));
    EXPECT_TRUE(has("UID:" + ReadTaskUids(Dm()).at(2)));
    EXPECT_TRUE(has("PRIORITY:1"));
    EXPECT_TRUE(has("PRIORITY:5"));
    EXPECT_TRUE(has("STATUS:COMPLETED"));
    EXPECT_TRUE(has("STATUS:NEEDS-ACTION"));
    EXPECT_TRUE(has("DUE;VALUE=DATE:20240229"));
    EXPECT_TRUE(has("CATEGORIES:Work"));
    EXPECT_TRUE(has("DESCRIPTION:One\\, two\\; three\\nback \\\\ slash\\n"));
    // 03:30 in New York in summer time is 07:30 UTC; 18:45:20 in July is 22:45:20 UTC.
    EXPECT_TRUE(has("TRIGGER;VALUE=DATE-TIME:20240310T073000Z"));
    EXPECT_TRUE(has("TRIGGER;VALUE=DATE-TIME:20240701T224520Z"));
    EXPECT_TRUE(has("ACTION:DISPLAY"));
    EXPECT_TRUE(has("ATTACH:alarm.wav"));
    EXPECT_TRUE(has("ATTACH:Glocke%20l%C3%A4uten%20100%25.wav"));
    // Only tasks with a note have a description, only tasks with a reminder an alarm.
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("BEGIN:VTODO"), 6u);
    EXPECT_EQ(count("BEGIN:VALARM"), 4u);
    EXPECT_EQ(count("ACTION:AUDIO"), 3u);
    EXPECT_EQ(count("\r\nDESCRIPTION:"), 3u); // two notes, one display alarm
}

TEST_F(IcalExportTest, EachToDoCarriesItsTasksKeptUid) {
    InsertTask(Dm(), Task("a", 1));
    InsertTask(Dm(), Task("b", 2));
    const std::unordered_map<int32_t, std::string> uids = ReadTaskUids(Dm());
    const std::string first = ExportIcal(Dm(), 0);
    for (const int32_t id : {1, 2})
        EXPECT_NE(first.find("\r\nUID:" + uids.at(id) + "\r\n"), std::string::npos) << id;
    // A later run on the same file, and a copy of the file elsewhere: the same UIDs.
    TDM again(folder_.string());
    EXPECT_EQ(ExportIcal(again, 0).find("UID:" + uids.at(1)), first.find("UID:" + uids.at(1)));
    std::filesystem::create_directories(folder_ / "copy" / "db");
    std::filesystem::copy_file(Path(), folder_ / "copy" / "db" / "data.db");
    TDM copy((folder_ / "copy").string());
    EXPECT_NE(ExportIcal(copy, 0).find("UID:" + uids.at(2)), std::string::npos);
}

TEST_F(IcalExportTest, ACategoryExportsItsTasksOnly) {
    InsertTask(Dm(), Task("personal", 1));
    InsertTask(Dm(), Task("work", 2));
    const std::string work = ExportIcal(Dm(), 2);
    EXPECT_EQ(work.find("SUMMARY:personal"), std::string::npos);
    EXPECT_NE(work.find("SUMMARY:work"), std::string::npos);
    // A category without tasks still gives a whole calendar, one without to-dos.
    EXPECT_THROW(ReadIcalText(ExportIcal(Dm(), 3), "empty.ics"), StoreError);
    EXPECT_NE(ExportIcal(Dm(), 3).find("END:VCALENDAR"), std::string::npos);
}

} // namespace
