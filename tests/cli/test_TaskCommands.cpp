// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/cli/TasksFixture.h"

#include "store/dates/DateText.h"
#include "store/records/TaskUid.h"

namespace {

// Tasks 1 to 4 added through the tool itself.
class TaskCommandsTest : public TasksCommandTest {
protected:
    void SetUp() override {
        TasksCommandTest::SetUp();
        for (const std::vector<std::string>& add : std::vector<std::vector<std::string>>{
                 {"add", "Buy milk", "--due", "2024-03-05", "--note", "semi-skimmed"},
                 {"add", "Call Олег", "--category", "Work", "--high", "--remind",
                  "2024-03-04 18:30", "--sound", "ding.wav"},
                 {"add", "Water plants", "--due", "2024-03-04", "--note", "the Ficus too"},
                 {"add", "File taxes", "--category", "Work", "--due", "2024-04-30"}})
            ASSERT_EQ(Run(add).status, 0) << Run(add).err;
    }
    std::unordered_map<int32_t, std::string> Uids() {
        TDM dm(Home().string());
        return ReadTaskUids(dm);
    }
    std::string Ids(const std::vector<std::string>& arguments) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.status, 0) << run.err;
        std::string ids;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            if (!ids.empty())
                ids += ' ';
            ids += line.substr(0, line.find(' '));
        }
        return ids;
    }
    TMyRec2 Task(int32_t id) {
        for (const TMyRec2& task : Tasks())
            if (task.id == id)
                return task;
        ADD_FAILURE() << "no task " << id;
        return {};
    }
};

TEST_F(TaskCommandsTest, DoneUndoneAndDeleteByIdOrUid) {
    const std::string uid = Uids().at(3);
    TRun done = Run({"done", "1", "uid:" + uid, "1"});
    EXPECT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, "Task 1 is done.\nTask 3 is done.\n");
    EXPECT_EQ(Task(1).intDone, 1);
    EXPECT_EQ(Task(3).intDone, 1);
    EXPECT_EQ(Task(2).intDone, 0);
    EXPECT_EQ(Run({"undone", "3"}).out, "Task 3 is not done.\n");
    EXPECT_EQ(Task(3).intDone, 0);

    const TRun dry = Run({"delete", "2", "uid:" + uid, "--dry-run"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out, "Would delete task 2 (Call Олег).\nWould delete task 3 (Water plants).\n");
    EXPECT_EQ(Tasks().size(), 4u);
    const TRun gone = Run({"delete", "uid:" + uid, "2"});
    EXPECT_EQ(gone.status, 0) << gone.err;
    EXPECT_EQ(gone.out, "Deleted task 3 (Water plants).\nDeleted task 2 (Call Олег).\n");
    EXPECT_EQ(Ids({"list"}), "1 4");
    EXPECT_EQ(Uids().count(3), 0u);
}

TEST_F(TaskCommandsTest, EditChangesWhatItIsToldAndNothingElse) {
    const TMyRec2 before = Task(1);
    TRun edit = Run({"edit", "1", "--name", "  Buy oat milk ", "--category", "shopping", "--high",
                     "--no-due", "--remind", "2024-03-05 07:15", "--sound", "alarm.wav"});
    EXPECT_EQ(edit.status, 0) << edit.err;
    EXPECT_EQ(edit.out, "Changed task 1.\n");
    TMyRec2 after = Task(1);
    EXPECT_EQ(after.strName, "Buy oat milk");
    EXPECT_EQ(after.strCategory, "Shopping");
    EXPECT_EQ(after.intPriority, 0);
    EXPECT_EQ(after.intDue, 0);
    EXPECT_EQ(after.dateDue, before.dateDue);
    EXPECT_EQ(FormatDateMinute(after.datetimeReminder), "2024-03-05 07:15");
    EXPECT_EQ(after.strSoundFile, "alarm.wav");
    EXPECT_EQ(after.strNote, "semi-skimmed");

    EXPECT_EQ(Run({"edit", "1", "--no-note", "--normal"}).status, 0);
    EXPECT_EQ(Task(1).intMemo, 0);
    EXPECT_EQ(Task(1).intPriority, 1);
    EXPECT_EQ(Run({"edit", "1", "--note", "new\nnote"}).status, 0);
    EXPECT_EQ(Task(1).strNote, "new\nnote");
    // Turning the reminder off turns its sound off, as the editor does; its time stays.
    EXPECT_EQ(Run({"edit", "uid:" + Uids().at(1), "--no-remind"}).status, 0);
    after = Task(1);
    EXPECT_EQ(after.intReminder, 0);
    EXPECT_EQ(after.intSound, 0);
    EXPECT_EQ(after.strSoundFile, "");
    EXPECT_EQ(FormatDateMinute(after.datetimeReminder), "2024-03-05 07:15");
    EXPECT_EQ(Run({"edit", "2", "--no-sound"}).status, 0);
    EXPECT_EQ(Task(2).intSound, 0);
    EXPECT_EQ(Task(2).intReminder, 1);
}

TEST_F(TaskCommandsTest, RefusalsSayWhyExitOneAndChangeNothing) {
    const std::vector<TMyRec2> before = Tasks();
    ExpectRefused({
        {{"done", "1", "7"}, "There is no task 7."},
        {{"delete", "uid:nobody"}, "No task has the UID \"nobody\"."},
        {{"show", "9"}, "There is no task 9."},
        {{"edit", "9", "--high"}, "There is no task 9."},
        {{"edit", "1", "--name", " \t "}, "The task's name is empty."},
        {{"edit", "1", "--category", "Garden"}, "There is no category \"Garden\"."},
        {{"edit", "1", "--sound", "ding.wav"}, "no reminder"},
        {{"edit", "2", "--sound", "read me.txt"}, "There is no sound \"read me.txt\""},
        {{"edit", "2", "--sound", "../sound/ding.wav"}, "There is no sound"},
        {{"edit", "2", "--sound", (Home() / "sound" / "ding.wav").string()}, "There is no sound"},
        {{"edit", "2", "--sound", "chime.wav"}, "there are alarm.wav, ding.wav."},
    });
    const std::vector<TMyRec2> after = Tasks();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].strName, before[i].strName);
        EXPECT_EQ(after[i].intDone, before[i].intDone);
        EXPECT_EQ(after[i].strSoundFile, before[i].strSoundFile);
    }
}

TEST_F(TaskCommandsTest, ShowPrintsEveryFieldAndTheNoteWhole) {
    ASSERT_EQ(Run({"edit", "2", "--note", "first line\nsecond line"}).status, 0);
    const TRun show = Run({"show", "2"});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(show.out, "id:       2\n"
                        "uid:      " +
                            Uids().at(2) +
                            "\n"
                            "name:     Call Олег\n"
                            "category: Work\n"
                            "priority: High\n"
                            "done:     no\n"
                            "due:      -\n"
                            "reminder: 2024-03-04 18:30\n"
                            "sound:    ding.wav\n"
                            "note:\n"
                            "first line\n"
                            "second line\n");
    EXPECT_NE(Run({"show", "4"}).out.find("\nnote:     -\n"), std::string::npos);
}

TEST_F(TaskCommandsTest, ListFiltersAndSortsAsTheListDoes) {
    ASSERT_EQ(Run({"done", "3"}).status, 0);
    EXPECT_EQ(Ids({"list", "--open"}), "1 2 4");
    EXPECT_EQ(Ids({"list", "--done"}), "3");
    EXPECT_EQ(Ids({"list", "--category", "work"}), "2 4");
    // Before the day, not on it; tasks without a due date are not due before anything.
    EXPECT_EQ(Ids({"list", "--due-before", "2024-03-05"}), "3");
    EXPECT_EQ(Ids({"list", "--due-before", "2024-03-06"}), "1 3");
    // Name and note, whatever the case, in any script.
    EXPECT_EQ(Ids({"list", "--search", "ОЛЕГ"}), "2");
    EXPECT_EQ(Ids({"list", "--search", "ficus"}), "3");
    EXPECT_EQ(Ids({"list", "--search", "SKIM", "--open"}), "1");
    // Done tasks at the bottom, as the organizer's settings have it unless they say otherwise.
    EXPECT_EQ(Ids({"list", "--sort", "due"}), "1 4 2 3");
    EXPECT_EQ(Ids({"list", "--sort", "name"}), "1 2 4 3");
    EXPECT_EQ(Ids({"list", "--sort", "priority"}), "2 1 4 3");
    EXPECT_EQ(Ids({"list", "--sort", "category"}), "1 2 4 3");
    EXPECT_EQ(Ids({"list", "--sort", "reminder"}), "2 1 4 3");
    fs::create_directories(folder_ / "config");
    std::ofstream(folder_ / "config" / "tolvekOrganizer.ini") << "[general]\nDoneBottom=0\n";
    EXPECT_EQ(Ids({"list", "--sort", "due"}), "3 1 4 2");
}

TEST_F(TaskCommandsTest, ReadingAMissingDatabaseSaysSoAndMakesNothing) {
    const fs::path missing = folder_ / "nowhere" / "tasks.db";
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"list"},
                                               {"list", "--format", "json"},
                                               {"show", "1"},
                                               {"export", "--format", "ics"},
                                               {"done", "1"},
                                               {"delete", "1"},
                                               {"edit", "1", "--high"},
                                               {"categories"}}) {
        std::vector<std::string> arguments{"--database", missing.string()};
        arguments.insert(arguments.end(), command.begin(), command.end());
        const TRun run = Run(arguments);
        EXPECT_EQ(run.status, 1) << command[0];
        EXPECT_EQ(run.err, "tolvek-tasks: There is no database " + missing.string() +
                               "; add or import a task to make it.\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_FALSE(fs::exists(folder_ / "nowhere"));
}

TEST_F(TaskCommandsTest, ImportRecognisesWhatItHasAndReadsStandardInput) {
    const fs::path file = folder_ / "tasks.ics";
    ASSERT_EQ(Run({"export", "--format", "ics", "-o", file.string()}).status, 0);
    TRun again = Run({"import", file.string()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, "0 added, 0 updated, 4 unchanged.\n");
    EXPECT_EQ(Tasks().size(), 4u);

    // The file changed elsewhere: one to-do renamed and completed, read from standard input.
    std::ifstream in(file, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::string uid = "UID:" + Uids().at(3) + "\r\n";
    const size_t todo = text.find(uid);
    ASSERT_NE(todo, std::string::npos);
    const size_t summary = text.find("SUMMARY:", todo);
    text.replace(summary, text.find("\r\n", summary) - summary, "SUMMARY:Water all plants");
    const size_t status = text.find("STATUS:", todo);
    text.replace(status, text.find("\r\n", status) - status, "STATUS:COMPLETED");
    std::ofstream(file, std::ios::binary) << text;
    const std::vector<TMyRec2> before = Tasks();
    const TRun changed = Run({"import", "-"}, file);
    EXPECT_EQ(changed.status, 0) << changed.err;
    EXPECT_EQ(changed.out, "0 added, 1 updated, 3 unchanged.\n");
    const std::vector<TMyRec2> after = Tasks();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[2].strName, "Water all plants");
    EXPECT_EQ(after[2].intDone, 1);
    EXPECT_EQ(after[2].strNote, before[2].strNote);
    for (size_t i : {0, 1, 3}) {
        EXPECT_EQ(after[i].strName, before[i].strName);
        EXPECT_EQ(after[i].intDone, before[i].intDone);
    }

    const TRun nothing = Run({"import", "-"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.err, "tolvek-tasks: standard input is not an iCalendar file.\n");
}

TEST_F(TaskCommandsTest, EveryChangeTellsTheRunningOrganizerAndNothingElseDoes) {
    ListenAsOrganizer();
    for (const std::vector<std::string>& change : std::vector<std::vector<std::string>>{
             {"done", "1"}, {"undone", "1"}, {"edit", "1", "--high"}, {"delete", "4"}}) {
        EXPECT_EQ(Run(change).status, 0) << change[0];
        EXPECT_EQ(Received(), "reload\n") << change[0];
    }
    for (const std::vector<std::string>& quiet :
         std::vector<std::vector<std::string>>{{"delete", "1", "--dry-run"},
                                               {"show", "1"},
                                               {"list", "--format", "json"},
                                               {"categories"},
                                               {"done", "99"},
                                               {"edit", "1", "--category", "Nope"}})
        Run(quiet);
    EXPECT_EQ(Received(), "nothing");
}

TEST_F(TaskCommandsTest, VersionAndCategories) {
    const TRun version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tolvek-tasks 2.01\n");
    EXPECT_EQ(Run({"categories"}).out, "Personal\nWork\nShopping\n");
}

} // namespace
