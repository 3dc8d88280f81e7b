// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/cli/TasksFixture.h"

namespace {

TEST_F(TasksCommandTest, HelpExitsZeroAndBadUsageExitsTwoBeforeTouchingTheDatabase) {
    const TRun help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tolvek-tasks", 0), 0u);
    EXPECT_NE(help.out.find("export --format ics|csv"), std::string::npos);
    EXPECT_EQ(Run({"import", "x.ics", "-h"}).status, 0);

    const std::vector<std::vector<std::string>> bad{
        {},
        {"frob"},
        {"list", "extra"},
        {"list", "--high"},
        {"list", "--nope"},
        {"add"},
        {"add", "two", "words"},
        {"add", "x", "--due", "2024-13-01"},
        {"add", "x", "--remind", "2024-01-01"},
        {"add", "x", "--high=yes"},
        {"add", "x", "--note"},
        {"export"},
        {"export", "--format", "xml"},
        {"export", "--format=ics", "--note", "n"},
        {"import"},
        {"import", "a.ics", "b.ics"},
        {"--database"},
        {"done"},
        {"done", "1", "x1"},
        {"done", "1", "--dry-run"},
        {"delete", "uid:"},
        {"delete", "1", "--dry-run=yes"},
        {"show", "1", "2"},
        {"show", "99999999999"},
        {"edit", "1"},
        {"edit", "1", "--high", "--normal"},
        {"edit", "1", "--sound", "ding.wav", "--no-remind"},
        {"add", "x", "--sound", "ding.wav"},
        {"add", "x", "--no-due"},
        {"list", "--open", "--done"},
        {"list", "--sort", "size"},
        {"list", "--format", "csv"},
        {"list", "--due-before", "tomorrow"},
        {"categories", "x"},
    };
    for (const auto& arguments : bad) {
        const TRun run = Run(arguments);
        std::string line;
        for (const std::string& word : arguments)
            line += word + " ";
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_TRUE(OneLine(run.err)) << line << run.err;
        EXPECT_EQ(run.err.rfind("tolvek-tasks: ", 0), 0u) << line;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_FALSE(fs::exists(Database()));
}

TEST_F(TasksCommandTest, ListAndAddOnANewDatabase) {
    TRun add = Run({"add", "  Buy milk  ", "--high", "--due", "2024-03-05", "--remind",
                    "2024-03-04 18:30", "--note", "two\nlines"});
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(add.out, "Added task 1.\n");
    add = Run({"add", "--category=work", "--", "-dash first, Привет"});
    EXPECT_EQ(add.status, 0) << add.err;
    EXPECT_EQ(Run({"add", "blank note", "--note", "  "}).status, 0);

    const std::vector<TMyRec2> tasks = Tasks();
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].strName, "Buy milk");
    EXPECT_EQ(tasks[0].strCategory, "Personal"); // the first by position
    EXPECT_EQ(tasks[0].intPriority, 0);
    EXPECT_EQ(tasks[0].strNote, "two\nlines");
    EXPECT_EQ(tasks[1].strCategory, "Work");
    EXPECT_EQ(tasks[1].intPriority, 1);
    EXPECT_EQ(tasks[1].intDue, 0);
    EXPECT_EQ(tasks[1].intReminder, 0);
    EXPECT_EQ(tasks[2].intMemo, 0);

    EXPECT_EQ(Run({"add", "two\nlines\tand a tab"}).status, 0);
    const TRun list = Run({"list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "1  [ ]  High    Personal  2024-03-05  2024-03-04 18:30  Buy milk\n"
                        "2  [ ]  Normal  Work      -           -                 -dash first, "
                        "Привет\n"
                        "3  [ ]  Normal  Personal  -           -                 blank note\n"
                        "4  [ ]  Normal  Personal  -           -                 two lines and a "
                        "tab\n");
    EXPECT_EQ(Run({"list", "--category", "WORK"}).out.find("1  "), std::string::npos);
}

TEST_F(TasksCommandTest, RefusalsExitOneWithAMessageAndWriteNothing) {
    ASSERT_EQ(Run({"add", "first"}).status, 0);
    const std::string truncated = (folder_ / "truncated.ics").string();
    {
        std::ifstream whole(DataFile("phone.ics"), std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(whole), {}};
        std::ofstream(truncated, std::ios::binary) << text.substr(0, text.size() / 2);
        std::ofstream(folder_ / "events.ics", std::ios::binary)
            << "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:1\r\nEND:VEVENT\r\n"
               "END:VCALENDAR\r\n";
    }
    ExpectRefused({
        {{"add", "x", "--category", "Nope"}, "Nope"},
        {{"add", " \t "}, "empty"},
        {{"list", "--category", "Nope"}, "Nope"},
        {{"export", "--format", "csv", "--category", "Nope"}, "Nope"},
        {{"import", truncated}, "incomplete"},
        {{"import", (folder_ / "events.ics").string()}, "no to-do"},
        {{"import", TOLVEK_TASKS}, "not an iCalendar file"},
        {{"import", (folder_ / "missing.ics").string()}, "No such file"},
        {{"import", DataFile("phone.ics"), "--category", "Nope"}, "Nope"},
    });
    EXPECT_EQ(Tasks().size(), 1u);
    EXPECT_EQ(Run({"list"}).out.find("Nope"), std::string::npos);
}

TEST_F(TasksCommandTest, ExportGoesToStandardOutputOrIntoAWholeFile) {
    ASSERT_EQ(Run({"add", "Personal task"}).status, 0);
    ASSERT_EQ(Run({"add", "Work task", "--category", "Work"}).status, 0);
    const TRun csv = Run({"export", "--format", "csv", "--category", "Work"});
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out.rfind("Name,Category,Priority,Done,Due date,Reminder,Sound,Note\r\n", 0), 0u);
    EXPECT_NE(csv.out.find("Work task"), std::string::npos);
    EXPECT_EQ(csv.out.find("Personal task"), std::string::npos);

    const fs::path file = folder_ / "tasks.ics";
    std::ofstream(file) << "old content";
    const TRun ics = Run({"export", "--format", "ics", "-o", file.string()});
    EXPECT_EQ(ics.status, 0);
    EXPECT_EQ(ics.out, "");
    std::ifstream written(file);
    const std::string text{std::istreambuf_iterator<char>(written), {}};
    EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(text.find("END:VCALENDAR\r\n"), std::string::npos);

    const TRun nowhere =
        Run({"export", "--format", "ics", "-o", (folder_ / "no" / "such" / "t.ics").string()});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_TRUE(OneLine(nowhere.err));
    EXPECT_FALSE(fs::exists(folder_ / "no"));
    for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
}

TEST_F(TasksCommandTest, ImportAddsEveryTodoAndTheDatabaseOptionPicksTheFile) {
    const fs::path other = folder_ / "elsewhere" / "tasks.db";
    const TRun run = Run({"--database", other.string(), "import", DataFile("web_task_server.ics"),
                          "--category", "shopping"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "3 added, 0 updated, 0 unchanged; new categories: Errands.\n");
    const std::vector<TMyRec2> tasks = Tasks(other);
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[2].strName, "Water the plants");
    EXPECT_EQ(tasks[2].strCategory, "Shopping"); // no category of its own
    EXPECT_FALSE(fs::exists(Database()));
}

TEST_F(TasksCommandTest, AddAndImportTellTheRunningOrganizerToReload) {
    ASSERT_EQ(Run({"add", "first"}).status, 0);
    ListenAsOrganizer();
    EXPECT_EQ(Run({"add", "seen at once"}).status, 0);
    EXPECT_EQ(Received(), "reload\n");
    EXPECT_EQ(Run({"import", DataFile("desktop_calendar.ics")}).status, 0);
    EXPECT_EQ(Received(), "reload\n");
    // Reading and refusing change nothing, so they say nothing.
    EXPECT_EQ(Run({"list"}).status, 0);
    EXPECT_EQ(Run({"export", "--format", "csv"}).status, 0);
    EXPECT_EQ(Run({"add", "x", "--category", "Nope"}).status, 1);
    EXPECT_EQ(Received(), "nothing");
}

TEST_F(TasksCommandTest, WithoutARunningOrganizerTheToolJustWritesTheFile) {
    const TRun run = Run({"add", "alone"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Tasks().size(), 1u);
}

} // namespace
