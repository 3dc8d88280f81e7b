// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/store/LocalZone.h"

#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/exchange/IcalExchange.h"
#include "store/sync/TodoPatch.h"

#include <gtest/gtest.h>

namespace {

// 2024-03-09 16:00:00 UTC.
const std::time_t Now = 1710000000;
const std::string Stamps = "DTSTAMP:20240309T160000Z\r\nLAST-MODIFIED:20240309T160000Z\r\n";

const std::string Berlin = "BEGIN:VTIMEZONE\r\n"
                           "TZID:Europe/Berlin\r\n"
                           "BEGIN:DAYLIGHT\r\n"
                           "TZOFFSETFROM:+0100\r\n"
                           "TZOFFSETTO:+0200\r\n"
                           "TZNAME:CEST\r\n"
                           "DTSTART:19700329T020000\r\n"
                           "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
                           "END:DAYLIGHT\r\n"
                           "BEGIN:STANDARD\r\n"
                           "TZOFFSETFROM:+0200\r\n"
                           "TZOFFSETTO:+0100\r\n"
                           "TZNAME:CET\r\n"
                           "DTSTART:19701025T030000\r\n"
                           "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
                           "END:STANDARD\r\n"
                           "END:VTIMEZONE\r\n";

// What another program keeps in a to-do: a recurrence, a parent, a start, a due time in a
// zone, a relative alarm before the organizer's absolute one, properties of its own, a folded
// line, escapes.
const std::string RelativeAlarm = "BEGIN:VALARM\r\n"
                                  "ACTION:DISPLAY\r\n"
                                  "DESCRIPTION:One hour before\r\n"
                                  "TRIGGER;RELATED=END:-PT1H\r\n"
                                  "END:VALARM\r\n";
const std::string AbsoluteAlarm = "BEGIN:VALARM\r\n"
                                  "ACTION:AUDIO\r\n"
                                  "TRIGGER;VALUE=DATE-TIME:20240314T080000Z\r\n"
                                  "ATTACH:chime.wav\r\n"
                                  "X-PHONE-ALARM-ID:42\r\n"
                                  "END:VALARM\r\n";
const std::string ForeignHead = "BEGIN:VCALENDAR\r\n"
                                "VERSION:2.0\r\n"
                                "PRODID:-//Other Program//Phone 1.0//EN\r\n" +
                                Berlin +
                                "BEGIN:VTODO\r\n"
                                "UID:foreign-1@phone.example\r\n"
                                "DTSTAMP:20240301T080000Z\r\n"
                                "CREATED:20240301T080000Z\r\n"
                                "LAST-MODIFIED:20240302T080000Z\r\n"
                                "SEQUENCE:2\r\n"
                                "SUMMARY;LANGUAGE=de:Steuererkl\xC3\xA4rung abgeben\r\n"
                                "DESCRIPTION:Belege\\, Formulare\\nund Quittungen\r\n"
                                "DTSTART;TZID=Europe/Berlin:20240310T090000\r\n"
                                "DUE;TZID=Europe/Berlin:20240315T170000\r\n"
                                "RRULE:FREQ=MONTHLY;BYMONTHDAY=15\r\n"
                                "RELATED-TO;RELTYPE=PARENT:parent-uid@phone.example\r\n"
                                "PRIORITY:2\r\n"
                                "STATUS:IN-PROCESS\r\n"
                                "PERCENT-COMPLETE:40\r\n"
                                "X-PHONE-COLOR;VALUE=TEXT:#ff8800\r\n"
                                "X-PHONE-LONG-NOTE:A long property of the other program that "
                                "is folded\r\n over two lines\r\n";
const std::string ForeignTail = "END:VTODO\r\nEND:VCALENDAR\r\n";
const std::string Foreign = ForeignHead + RelativeAlarm + AbsoluteAlarm + ForeignTail;

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The foreign to-do as it reads after an upload that changed what is named: the stamps new,
// the sequence counted up.
std::string Uploaded(std::string text) {
    text = Replaced(text, "DTSTAMP:20240301T080000Z\r\n", "DTSTAMP:20240309T160000Z\r\n");
    text =
        Replaced(text, "LAST-MODIFIED:20240302T080000Z\r\n", "LAST-MODIFIED:20240309T160000Z\r\n");
    return Replaced(text, "SEQUENCE:2\r\n", "SEQUENCE:3\r\n");
}

class TodoPatchTest : public ::testing::Test {
protected:
    TSyncTask Read(const std::string& text) { return ReadServerTodo(text).task; }
    LocalZone zone_{NewYork};
};

TEST_F(TodoPatchTest, ReadsTheFieldsAsTheOrganizerMapsThem) {
    const TServerTodo todo = ReadServerTodo(Foreign);
    EXPECT_EQ(todo.uid, "foreign-1@phone.example");
    EXPECT_EQ(todo.task.name, "Steuererkl\xC3\xA4rung abgeben");
    EXPECT_EQ(todo.task.note, "Belege, Formulare\nund Quittungen");
    EXPECT_TRUE(todo.task.high);
    EXPECT_FALSE(todo.task.done);
    // 17:00 in Berlin is noon in New York, the same day.
    ASSERT_TRUE(todo.task.due);
    EXPECT_EQ(FormatDate(*todo.task.due), "2024-03-15");
    // The first alarm is relative: the organizer's reminder is the absolute one.
    ASSERT_TRUE(todo.task.reminder);
    EXPECT_EQ(FormatDateMinute(*todo.task.reminder), "2024-03-14 04:00");
    EXPECT_EQ(todo.task.sound, "chime.wav");
    ASSERT_TRUE(todo.changedAt);
    EXPECT_EQ(FormatDateMinute(*todo.changedAt), "2024-03-02 03:00");
}

TEST_F(TodoPatchTest, NothingChangedGivesTheTextBack) {
    EXPECT_EQ(PatchTodo(Foreign, Read(Foreign), Now), Foreign);
    // A day-only due date on the day of the to-do's due time does not cut the time.
    TSyncTask task = Read(Foreign);
    task.due = EncodeDate(2024, 3, 15);
    EXPECT_EQ(PatchTodo(Foreign, task, Now), Foreign);
}

TEST_F(TodoPatchTest, ARenameRewritesTheSummaryAndTheStampsOnly) {
    TSyncTask task = Read(Foreign);
    task.name = "Tax return";
    EXPECT_EQ(PatchTodo(Foreign, task, Now),
              Uploaded(Replaced(Foreign, "SUMMARY;LANGUAGE=de:Steuererkl\xC3\xA4rung abgeben",
                                "SUMMARY:Tax return")));
}

TEST_F(TodoPatchTest, AMissingSequenceAndStampsAreAddedWithTheChangedProperty) {
    const std::string plain = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:p\r\n"
                              "SUMMARY:Old\r\n" +
                              RelativeAlarm + "END:VTODO\r\nEND:VCALENDAR\r\n";
    TSyncTask task = Read(plain);
    task.high = true;
    // New properties go before the alarms, where iCalendar has them.
    EXPECT_EQ(PatchTodo(plain, task, Now),
              Replaced(plain, "SUMMARY:Old\r\n", "SUMMARY:Old\r\nPRIORITY:1\r\n" + Stamps));
}

TEST_F(TodoPatchTest, ADueDayMovesTheDueTimeAndKeepsItsZone) {
    TSyncTask task = Read(Foreign);
    task.due = EncodeDate(2024, 3, 20);
    EXPECT_EQ(PatchTodo(Foreign, task, Now),
              Uploaded(Replaced(Foreign, "DUE;TZID=Europe/Berlin:20240315T170000",
                                "DUE;TZID=Europe/Berlin:20240320T170000")));
}

TEST_F(TodoPatchTest, AClearedDueDateRemovesTheDueAndKeepsTheStart) {
    TSyncTask task = Read(Foreign);
    task.due.reset();
    const std::string out = PatchTodo(Foreign, task, Now);
    EXPECT_EQ(out, Uploaded(Replaced(Foreign, "DUE;TZID=Europe/Berlin:20240315T170000\r\n", "")));
    EXPECT_FALSE(Read(out).due);
}

TEST_F(TodoPatchTest, ANewDueDateIsADay) {
    const std::string plain = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nUID:p\r\n"
                              "SUMMARY:Old\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    TSyncTask task = Read(plain);
    task.due = EncodeDate(2024, 12, 24);
    EXPECT_EQ(
        PatchTodo(plain, task, Now),
        Replaced(plain, "SUMMARY:Old\r\n", "SUMMARY:Old\r\nDUE;VALUE=DATE:20241224\r\n" + Stamps));
}

TEST_F(TodoPatchTest, TheReminderIsTheAbsoluteAlarmAndOtherAlarmsStay) {
    TSyncTask task = Read(Foreign);
    task.reminder = EncodeDateTime({{2024, 3, 14}, 7, 15, 0});
    EXPECT_EQ(PatchTodo(Foreign, task, Now),
              Uploaded(Replaced(Foreign, "TRIGGER;VALUE=DATE-TIME:20240314T080000Z",
                                "TRIGGER;VALUE=DATE-TIME:20240314T111500Z")));

    task = Read(Foreign);
    task.reminder.reset();
    task.sound.reset();
    EXPECT_EQ(PatchTodo(Foreign, task, Now), Uploaded(ForeignHead + RelativeAlarm + ForeignTail));
}

TEST_F(TodoPatchTest, ASoundChangeRewritesTheAlarmsActionAndKeepsItsOtherLines) {
    TSyncTask task = Read(Foreign);
    task.sound.reset();
    const std::string silent = PatchTodo(Foreign, task, Now);
    EXPECT_EQ(silent, Uploaded(ForeignHead + RelativeAlarm +
                               "BEGIN:VALARM\r\n"
                               "ACTION:DISPLAY\r\n"
                               "TRIGGER;VALUE=DATE-TIME:20240314T080000Z\r\n"
                               "X-PHONE-ALARM-ID:42\r\n"
                               "DESCRIPTION:Steuererkl\xC3\xA4rung abgeben\r\n"
                               "END:VALARM\r\n" +
                               ForeignTail));
    task.sound = "bell two.wav";
    const TSyncTask back = Read(PatchTodo(silent, task, Now));
    EXPECT_EQ(back.sound, "bell two.wav");
    EXPECT_EQ(back.reminder, task.reminder);
}

TEST_F(TodoPatchTest, AReminderTurnedOnAddsAnAlarmAfterTheOthers) {
    const std::string relativeOnly = ForeignHead + RelativeAlarm + ForeignTail;
    TSyncTask task = Read(relativeOnly);
    EXPECT_FALSE(task.reminder) << "a relative alarm is not the organizer's reminder";
    task.reminder = EncodeDateTime({{2024, 3, 14}, 9, 0, 0});
    const std::string out = PatchTodo(relativeOnly, task, Now);
    EXPECT_EQ(out.substr(0, out.find("BEGIN:VALARM")),
              Uploaded(ForeignHead).substr(0, out.find("BEGIN:VALARM")));
    EXPECT_NE(out.find(RelativeAlarm + "BEGIN:VALARM\r\nACTION:DISPLAY\r\n"), std::string::npos)
        << out;
    EXPECT_EQ(Read(out).reminder, task.reminder);
    EXPECT_FALSE(Read(out).sound);
}

TEST_F(TodoPatchTest, DoneSetsStatusCompletedAndPercentAndUndoneTakesThemBack) {
    TSyncTask task = Read(Foreign);
    task.done = true;
    const std::string done = PatchTodo(Foreign, task, Now);
    std::string expected = Replaced(Foreign, "STATUS:IN-PROCESS\r\n", "STATUS:COMPLETED\r\n");
    expected = Replaced(expected, "PERCENT-COMPLETE:40\r\n", "PERCENT-COMPLETE:100\r\n");
    expected = Replaced(expected, "over two lines\r\n",
                        "over two lines\r\nCOMPLETED:20240309T160000Z\r\n");
    EXPECT_EQ(done, Uploaded(expected));
    EXPECT_TRUE(Read(done).done);

    task.done = false;
    const std::string undone = PatchTodo(done, task, Now + 60);
    EXPECT_FALSE(Read(undone).done);
    EXPECT_NE(undone.find("STATUS:NEEDS-ACTION\r\n"), std::string::npos);
    EXPECT_EQ(undone.find("COMPLETED:"), std::string::npos);
    EXPECT_EQ(undone.find("PERCENT-COMPLETE"), std::string::npos);
}

TEST_F(TodoPatchTest, AClearedNoteRemovesTheToDosDescriptionNotTheAlarms) {
    TSyncTask task = Read(Foreign);
    task.note.reset();
    EXPECT_EQ(
        PatchTodo(Foreign, task, Now),
        Uploaded(Replaced(Foreign, "DESCRIPTION:Belege\\, Formulare\\nund Quittungen\r\n", "")));
    task.note = "Line one\r\nline two, with a comma";
    EXPECT_EQ(Read(PatchTodo(Foreign, task, Now)).note, "Line one\nline two, with a comma");
}

TEST_F(TodoPatchTest, OnlyTheResourcesOwnToDoChangesNotItsRecurrenceOverrides) {
    const std::string override = "BEGIN:VTODO\r\nUID:foreign-1@phone.example\r\n"
                                 "RECURRENCE-ID;TZID=Europe/Berlin:20240415T170000\r\n"
                                 "SUMMARY:Only April\r\nEND:VTODO\r\n";
    const std::string text = Replaced(Foreign, "BEGIN:VTODO", override + "BEGIN:VTODO");
    TSyncTask task = Read(text);
    EXPECT_EQ(task.name, "Steuererkl\xC3\xA4rung abgeben");
    task.name = "Tax return";
    const std::string out = PatchTodo(text, task, Now);
    EXPECT_NE(out.find(override), std::string::npos);
    EXPECT_EQ(Read(out).name, "Tax return");
}

TEST_F(TodoPatchTest, LineEndsOfTheTextAreKept) {
    std::string lf = Foreign;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;)
        lf.erase(at, 1);
    TSyncTask task = Read(lf);
    task.name = "Tax return";
    task.reminder.reset();
    const std::string out = PatchTodo(lf, task, Now);
    EXPECT_EQ(out.find('\r'), std::string::npos);
    EXPECT_NE(out.find("\nSUMMARY:Tax return\n"), std::string::npos);
    EXPECT_NE(out.find("folded\n over two lines\n"), std::string::npos);
}

TEST_F(TodoPatchTest, WhatIsWrittenReadsBackAsTheTask) {
    std::vector<TSyncTask> tasks(6, Read(Foreign));
    tasks[0].name = "Name with, commas; semicolons: and a very long tail that libical folds "
                    "somewhere in the middle of it \xF0\x9F\x98\x80";
    tasks[1].note = "A note\nof two lines \\ with a backslash";
    tasks[2].high = false;
    tasks[3].due = EncodeDate(2025, 1, 31);
    tasks[4].reminder = EncodeDateTime({{2024, 11, 3}, 1, 30, 0});
    tasks[4].sound = "";
    tasks[5].done = true;
    tasks[5].due.reset();
    tasks[5].note.reset();
    for (const TSyncTask& task : tasks) {
        const TSyncTask back = Read(PatchTodo(Foreign, task, Now));
        EXPECT_TRUE(back == task) << SyncFieldText(TSyncField::Name, back);
    }
}

TEST_F(TodoPatchTest, ANewToDoCarriesEveryFieldAndTheImportReadsItAlike) {
    TSyncTask task;
    task.name = "Call the plumber";
    task.note = "Ask about\nthe boiler";
    task.high = true;
    task.due = EncodeDate(2024, 3, 20);
    task.reminder = EncodeDateTime({{2024, 3, 19}, 8, 0, 0});
    task.sound = "bell.wav";
    const std::string text = NewTodoText(task, "4b1d-uid@tolvek-organizer", Now);
    const TServerTodo todo = ReadServerTodo(text);
    EXPECT_EQ(todo.uid, "4b1d-uid@tolvek-organizer");
    EXPECT_TRUE(todo.task == task);
    EXPECT_NE(text.find("STATUS:NEEDS-ACTION"), std::string::npos);

    const std::vector<TImportedTask> imported = ReadIcalText(text, "new");
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_EQ(imported[0].task.strName, task.name);
    EXPECT_EQ(imported[0].task.intPriority, 0);
    EXPECT_EQ(imported[0].task.intReminder, 1);
    EXPECT_EQ(imported[0].task.strSoundFile, "bell.wav");
}

TEST_F(TodoPatchTest, TextWithoutAToDoIsRefused) {
    EXPECT_THROW(ReadServerTodo("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:e\r\nEND:VEVENT\r\n"
                                "END:VCALENDAR\r\n"),
                 StoreError);
    EXPECT_THROW(PatchTodo("not a calendar", TSyncTask{}, Now), StoreError);
    EXPECT_THROW(ReadServerTodo("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:cut\r\n"), StoreError);
}

} // namespace
