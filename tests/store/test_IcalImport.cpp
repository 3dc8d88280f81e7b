// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/LocalZone.h"
#include "tests/store/TestDb.h"

#include "store/dates/DateText.h"
#include "store/db/StoreError.h"
#include "store/exchange/IcalExchange.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"

#include <fstream>
#include <sstream>

namespace {

std::string DataFile(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Calendar(const std::string& todos) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + todos + "END:VCALENDAR\r\n";
}

std::string Todo(const std::string& summary, const std::string& more = "") {
    return "BEGIN:VTODO\r\nUID:" + summary + "\r\nSUMMARY:" + summary + "\r\n" + more +
           "END:VTODO\r\n";
}

class IcalImportTest : public TempDatabase {
protected:
    std::vector<TMyRec2> ImportFile(const std::string& name, int32_t fallback = 0) {
        ImportTasks(Dm(), ReadIcalFile(DataFile(name)), fallback);
        return ReadAllTasks(Dm());
    }
    std::string Reminder(const TMyRec2& task) {
        return task.intReminder == 1 ? FormatDateMinute(task.datetimeReminder) : "off";
    }
    std::string Due(const TMyRec2& task) {
        return task.intDue == 1 ? FormatDate(task.dateDue) : "none";
    }
    std::string Rows() {
        return Query("SELECT COUNT(*) FROM t_task") + "/" + Query("SELECT COUNT(*) FROM t_note") +
               "/" + Query("SELECT COUNT(*) FROM t_category");
    }
    LocalZone zone_{NewYork};
};

TEST_F(IcalImportTest, DesktopCalendarZonesRelativeAlarmsAndFoldedLines) {
    const std::vector<TMyRec2> tasks = ImportFile("desktop_calendar.ics");
    ASSERT_EQ(tasks.size(), 2u);
    const TMyRec2& report = tasks[0];
    EXPECT_EQ(report.strName, "Prepare the quarterly report for the board meeting, with the "
                              "figures of both departments");
    EXPECT_EQ(report.strNote, "Figures for Q1, Q2;\nsee the shared folder");
    EXPECT_EQ(report.intMemo, 1);
    EXPECT_EQ(report.strCategory, "Work");
    EXPECT_EQ(report.intPriority, 0);
    EXPECT_EQ(report.intDone, 0);
    // 03:00 in Berlin on the 16th is 22:00 of the 15th in New York.
    EXPECT_EQ(Due(report), "2024-03-15");
    // 15 minutes before DTSTART, 10:00 in Berlin: 04:45 in New York.
    EXPECT_EQ(Reminder(report), "2024-03-14 04:45");
    EXPECT_EQ(report.intSound, 0);

    const TMyRec2& tickets = tasks[1];
    EXPECT_EQ(tickets.intDone, 1);
    EXPECT_EQ(tickets.intPriority, 1);
    EXPECT_EQ(tickets.strCategory, "Personal");
    EXPECT_EQ(Due(tickets), "none");
    EXPECT_EQ(Reminder(tickets), "off");
    EXPECT_EQ(tickets.intMemo, 0);
}

TEST_F(IcalImportTest, WebTaskServerUtcTimesAudioAlarmsAndSeveralCategories) {
    const std::vector<TMyRec2> tasks = ImportFile("web_task_server.ics");
    ASSERT_EQ(tasks.size(), 3u);
    const TMyRec2& parcel = tasks[0];
    EXPECT_EQ(Due(parcel), "2024-04-02");
    // An hour before DUE (16:00 UTC, 12:00 in New York).
    EXPECT_EQ(Reminder(parcel), "2024-04-02 11:00");
    EXPECT_EQ(parcel.intSound, 1);
    EXPECT_EQ(parcel.strSoundFile, "Bell Ring.wav");
    EXPECT_EQ(parcel.intPriority, 0);
    EXPECT_EQ(parcel.intDone, 0);
    // Neither Errands nor Home exists: the first name becomes a category.
    EXPECT_EQ(parcel.strCategory, "Errands");
    EXPECT_EQ(parcel.intPos, 4);
    EXPECT_EQ(parcel.intImg, 1);

    const TMyRec2& passport = tasks[1];
    EXPECT_EQ(passport.intDone, 1);              // COMPLETED without STATUS
    EXPECT_EQ(passport.strCategory, "Errands");  // the first that exists, made just before
    EXPECT_EQ(tasks[2].strCategory, "Personal"); // none named: the first by position
    EXPECT_EQ(Due(tasks[2]), "2024-04-05");
    EXPECT_EQ(LoadCategories(Dm()).size(), 4u);
}

TEST_F(IcalImportTest, PhoneFloatingTimesAbsoluteAlarmsAndAFoldInsideACharacter) {
    const std::vector<TMyRec2> tasks = ImportFile("phone.ics");
    ASSERT_EQ(tasks.size(), 3u);
    const TMyRec2& dentist = tasks[0];
    EXPECT_EQ(Due(dentist), "2024-03-20");
    EXPECT_EQ(Reminder(dentist), "2024-03-20 11:00"); // 15:00 UTC
    EXPECT_EQ(dentist.intPriority, 1);                // PRIORITY 0 is "undefined"
    EXPECT_EQ(dentist.strCategory, "Health");

    const TMyRec2& present = tasks[1];
    // No SUMMARY: the note's first line names it, and the note stays whole.
    EXPECT_EQ(present.strName, "Buy a birthday present for Jürgen");
    EXPECT_EQ(present.strNote, "\nBuy a birthday present for Jürgen\nwrapping paper too");
    EXPECT_EQ(present.strCategory, "Personal"); // "personal" names it in another case

    // RELATED=END without a DUE counts from DTSTART, a floating time.
    EXPECT_EQ(Reminder(tasks[2]), "2024-03-22 08:00");
}

TEST_F(IcalImportTest, NewCategoriesStopAtTenThenTheNamedOrTheFirstCategory) {
    std::string todos;
    for (int i = 1; i <= 8; ++i)
        todos += Todo("t" + std::to_string(i), "CATEGORIES:New " + std::to_string(i) + "\r\n");
    const auto tasks = ReadIcalText(Calendar(todos), "many.ics");
    const TImportResult result = ImportTasks(Dm(), tasks, 2);
    EXPECT_EQ(result.newCategories, (std::vector<std::string>{"New 1", "New 2", "New 3", "New 4",
                                                              "New 5", "New 6", "New 7"}));
    const std::vector<TMyRec1> categories = LoadCategories(Dm());
    ASSERT_EQ(categories.size(), 10u);
    EXPECT_EQ(categories[9].strName, "New 7");
    EXPECT_EQ(categories[9].intPos, 10);
    EXPECT_EQ(categories[9].id, 10);
    const std::vector<TMyRec2> all = ReadAllTasks(Dm());
    EXPECT_EQ(all[6].strCategory, "New 7");
    EXPECT_EQ(all[7].strCategory, "Work"); // the fallback named by the caller
    ImportTasks(Dm(), ReadIcalText(Calendar(Todo("x", "CATEGORIES:New 8\r\n")), "x.ics"), 0);
    EXPECT_EQ(ReadAllTasks(Dm()).back().strCategory, "Personal");
    EXPECT_THROW(ImportTasks(Dm(), tasks, 99), StoreError);
}

TEST_F(IcalImportTest, EveryFieldRuleOnSmallTodos) {
    const auto tasks =
        ReadIcalText(Calendar(Todo("p1", "PRIORITY:1\r\n") + Todo("p4", "PRIORITY:4\r\n") +
                              Todo("p5", "PRIORITY:5\r\n") + Todo("done", "STATUS:COMPLETED\r\n") +
                              Todo("  spaced\\nname\t ", "FOO;BAR=1:unknown\r\nX-ANY:thing\r\n") +
                              Todo("blank note", "DESCRIPTION: \\n \r\n") +
                              "BEGIN:VTODO\r\nUID:nameless\r\nEND:VTODO\r\n" +
                              Todo("bad due", "DUE:not-a-date\r\n")),
                     "rules.ics");
    ASSERT_EQ(tasks.size(), 8u);
    EXPECT_EQ(tasks[0].task.intPriority, 0);
    EXPECT_EQ(tasks[1].task.intPriority, 0);
    EXPECT_EQ(tasks[2].task.intPriority, 1);
    EXPECT_EQ(tasks[3].intDone, 1);
    EXPECT_EQ(tasks[4].task.strName, "spaced name");
    EXPECT_FALSE(tasks[5].task.strNote);
    EXPECT_EQ(tasks[6].task.strName, "Untitled task");
    EXPECT_EQ(tasks[7].task.intDue, 0);
}

TEST_F(IcalImportTest, BadFilesImportNothingAndSayWhy) {
    const std::string good = ReadAll(DataFile("web_task_server.ics"));
    auto error = [](const std::string& text) -> std::string {
        try {
            ReadIcalText(text, "f.ics");
        } catch (const StoreError& e) {
            return e.what();
        }
        return "no error";
    };
    // Cut anywhere before its last line is whole, the file is refused.
    const size_t lastLine = good.rfind("END:VCALENDAR");
    for (size_t cut = 0; cut < lastLine + 13; cut += cut < lastLine - 200 ? 37 : 1)
        EXPECT_NE(error(good.substr(0, cut)), "no error") << "cut at " << cut;
    EXPECT_EQ(error(good.substr(0, good.size() - 2)), "no error");
    EXPECT_EQ(error("\xEF\xBB\xBF" + good), "no error"); // a byte-order mark first
    EXPECT_NE(error(good.substr(0, good.size() / 2)).find("incomplete"), std::string::npos);

    EXPECT_NE(error(Calendar("BEGIN:VEVENT\r\nUID:e\r\nEND:VEVENT\r\n")).find("no to-do"),
              std::string::npos);
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) % 256);
    EXPECT_NE(error(binary).find("not an iCalendar file"), std::string::npos);
    EXPECT_NE(error("").find("not an iCalendar file"), std::string::npos);
    EXPECT_NE(error(Calendar("BEGIN:VTODO\r\nUID:a\r\nEND:VEVENT\r\n")), "no error");

    const std::string rows = Rows();
    EXPECT_THROW(ReadIcalFile((folder_ / "missing.ics").string()), StoreError);
    EXPECT_EQ(Rows(), rows);
}

TEST_F(IcalImportTest, AnImportThatFailsHalfwayLeavesNoTaskNoteOrCategory) {
    Exec("CREATE TRIGGER refuse_fifth BEFORE INSERT ON t_task WHEN NEW.id = 5 "
         "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    std::string todos;
    for (int i = 1; i <= 6; ++i)
        todos += Todo("task " + std::to_string(i), "DESCRIPTION:note\r\nCATEGORIES:Fresh\r\n");
    const std::string rows = Rows();
    EXPECT_THROW(ImportTasks(Dm(), ReadIcalText(Calendar(todos), "f.ics"), 0), StoreError);
    EXPECT_EQ(Rows(), rows);
    EXPECT_FALSE(Table().Active());
    // The cursor works as before afterwards.
    TTaskEdit after;
    after.strName = "after";
    after.intCategory = 1;
    EXPECT_EQ(InsertTask(Dm(), after), 1);
}

TEST_F(IcalImportTest, TenThousandTodosGoInTogether) {
    std::string todos;
    for (int i = 0; i < 10000; ++i)
        todos += Todo("task " + std::to_string(i),
                      "DESCRIPTION:note " + std::to_string(i) + "\r\nCATEGORIES:Bulk" +
                          std::to_string(i % 3) + "\r\nDUE;VALUE=DATE:20240315\r\n");
    const TImportResult result = ImportTasks(Dm(), ReadIcalText(Calendar(todos), "big.ics"), 0);
    ASSERT_EQ(result.taskIds.size(), 10000u);
    EXPECT_EQ(result.taskIds.back(), 10000);
    EXPECT_EQ(Rows(), "10000/10000/6");
    EXPECT_EQ(Query("SELECT strNote FROM t_note WHERE idTask = 9999"), "note 9998");
}

} // namespace
