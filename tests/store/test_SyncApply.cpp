// SPDX-License-Identifier: GPL-3.0-or-later
// What a sync writes here: the server's versions of tasks taken in, what is sent made from
// the kept copy, and the state after the server took it.
#include "tests/store/TestDb.h"

#include "store/db/TableAccess.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"
#include "store/sync/SyncApply.h"

#include <fstream>

namespace {

std::string Text(const std::string& uid, const std::vector<std::string>& lines) {
    std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
        "\r\nDTSTAMP:20240301T080000Z\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "END:VTODO\r\nEND:VCALENDAR\r\n";
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Work (category 2) and Shopping (3) are synced; Personal (1) is not.
class SyncApplyTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        std::filesystem::create_directories(folder_ / "sound");
        std::ofstream(folder_ / "sound" / "ding.wav") << "RIFF";
        applier_ = std::make_unique<TSyncApplier>(
            Dm(), std::map<std::string, int32_t>{{"/work/", 2}, {"/shopping/", 3}},
            std::set<std::string>{}, std::time_t(1767225600), 7);
    }

    TSyncApplier& Applier() { return *applier_; }
    template <class Work> auto InOne(Work work) {
        decltype(work()) result{};
        InTransaction(Dm(), [&](TTableCursor&) { result = work(); });
        return result;
    }
    TMyRec2 TaskOf(const std::string& uid) {
        for (const auto& [id, text] : ReadTaskUids(Dm()))
            if (text == uid)
                for (const TMyRec2& task : ReadAllTasks(Dm()))
                    if (task.id == id)
                        return task;
        ADD_FAILURE() << "no task " << uid;
        return {};
    }
    TSyncTaskRow RowOf(const std::string& uid) {
        const std::optional<TSyncTaskRow> row = ReadSyncTask(Dm(), uid);
        EXPECT_TRUE(row) << uid;
        return row.value_or(TSyncTaskRow{});
    }
    // A task the last sync left on both sides with the kept copy.
    std::string Synced(const std::string& uid, const std::vector<std::string>& lines,
                       const std::string& list = "/work/") {
        const std::string text = Text(uid, lines);
        InOne([&] {
            return Applier().TakeServer(
                uid, {{list, list + uid + ".ics", "\"1\"", text}, ReadServerTodo(text)});
        });
        return text;
    }
    void Edit(const std::string& uid, const std::function<void(TTaskEdit&)>& change) {
        const TMyRec2 task = TaskOf(uid);
        TTaskEdit edit = TaskEditOf(task);
        change(edit);
        UpdateTask(Dm(), task.id, edit);
    }

    std::unique_ptr<TSyncApplier> applier_;
};

} // namespace

TEST_F(SyncApplyTest, TheServersToDoBecomesATaskByTheImportsRules) {
    Synced("new", {"SUMMARY:  From the phone ", "DESCRIPTION:A note", "PRIORITY:2",
                   "DUE;VALUE=DATE:20261224", "BEGIN:VALARM", "ACTION:AUDIO",
                   "TRIGGER;VALUE=DATE-TIME:20261223T080000Z", "ATTACH:chime.wav", "END:VALARM"});
    const TMyRec2 task = TaskOf("new");
    EXPECT_EQ(task.strName, "From the phone");
    EXPECT_EQ(task.intCategory, 2);
    EXPECT_EQ(task.strNote, "A note");
    EXPECT_EQ(task.intPriority, 0);
    EXPECT_EQ(task.intDue, 1);
    EXPECT_EQ(task.intReminder, 1);
    // The sound folder has no chime.wav: the reminder plays none here.
    EXPECT_EQ(task.intSound, 0);
    const TSyncTaskRow row = RowOf("new");
    EXPECT_EQ(row.taskId, task.id);
    EXPECT_EQ(row.href, "/work/new.ics");
    EXPECT_EQ(row.changes, 0);
    EXPECT_TRUE(row.Known());
    EXPECT_EQ(Applier().Counts().down, 1);
    // Nothing to send: what the task cannot hold is no change of its.
    EXPECT_FALSE(InOne([&] { return Applier().UploadJob("new"); }));
}

TEST_F(SyncApplyTest, BothSidesChangesMergeFieldByFieldAgainstTheKeptCopy) {
    Synced("both", {"SUMMARY:Plan", "LAST-MODIFIED:20240301T080000Z"});
    Edit("both", [](TTaskEdit& task) { task.strName = "Plan here"; });
    const std::string server =
        Text("both", {"SUMMARY:Plan", "DESCRIPTION:From there", "LAST-MODIFIED:20240302T080000Z"});
    const bool send = InOne([&] {
        return Applier().TakeServer(
            "both", {{"/work/", "/work/both.ics", "\"2\"", server}, ReadServerTodo(server)});
    });
    EXPECT_TRUE(send);
    EXPECT_EQ(TaskOf("both").strName, "Plan here");
    EXPECT_EQ(TaskOf("both").strNote, "From there");
    EXPECT_TRUE(ReadSyncLog(Dm()).empty());
    EXPECT_EQ(RowOf("both").kept, server);
    EXPECT_GE(RowOf("both").changes, 1);
    const std::optional<TUploadJob> job = InOne([&] { return Applier().UploadJob("both"); });
    ASSERT_TRUE(job);
    EXPECT_EQ(job->kind, TUploadKind::Update);
    EXPECT_EQ(job->etag, "\"2\"");
    EXPECT_TRUE(Has(job->text, "SUMMARY:Plan here") && Has(job->text, "DESCRIPTION:From there"));
}

TEST_F(SyncApplyTest, AFieldChangedOnBothSidesKeepsTheNewerAndLogsTheOther) {
    Synced("clash", {"SUMMARY:Call", "CATEGORIES:x"});
    Edit("clash", [](TTaskEdit& task) { task.strName = "Call here"; });
    // The server's edit is long before this side's.
    const std::string server =
        Text("clash", {"SUMMARY:Call there", "LAST-MODIFIED:20200101T000000Z"});
    InOne([&] {
        return Applier().TakeServer(
            "clash", {{"/work/", "/work/clash.ics", "\"2\"", server}, ReadServerTodo(server)});
    });
    EXPECT_EQ(TaskOf("clash").strName, "Call here");
    const std::vector<TSyncLogEntry> log = ReadSyncLog(Dm());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].field, "name");
    EXPECT_EQ(log[0].kept, "Call here");
    EXPECT_EQ(log[0].lost, "Call there");
    EXPECT_EQ(log[0].winner, "here");
    EXPECT_EQ(Applier().Counts().conflicts, 1);
}

TEST_F(SyncApplyTest, WhatIsSentIsTheKeptCopyWithOnlyTheChangedFieldsRewritten) {
    const std::string kept = Synced(
        "foreign", {"SUMMARY:As it came", "X-PHONE-COLOR:#ff8800", "RRULE:FREQ=WEEKLY",
                    "DUE:20261224T170000Z", "BEGIN:VALARM", "ACTION:AUDIO",
                    "TRIGGER;VALUE=DATE-TIME:20261223T080000Z", "ATTACH:chime.wav", "END:VALARM"});
    Edit("foreign", [](TTaskEdit& task) { task.strName = "Renamed here"; });
    const std::optional<TUploadJob> job = InOne([&] { return Applier().UploadJob("foreign"); });
    ASSERT_TRUE(job);
    EXPECT_EQ(job->kind, TUploadKind::Update);
    EXPECT_EQ(job->href, "/work/foreign.ics");
    for (const char* line : {"X-PHONE-COLOR:#ff8800", "RRULE:FREQ=WEEKLY", "DUE:20261224T170000Z",
                             "ATTACH:chime.wav", "SUMMARY:Renamed here"})
        EXPECT_TRUE(Has(job->text, line)) << line << "\n" << job->text;
    EXPECT_NE(job->text, kept);
}

TEST_F(SyncApplyTest, TheJobFollowsWhereTheTaskIsNow) {
    Synced("same", {"SUMMARY:Same"});
    Synced("moved", {"SUMMARY:Moved"});
    Synced("left", {"SUMMARY:Left the synced categories"});
    Synced("deleted", {"SUMMARY:Deleted here"});
    Edit("same", [](TTaskEdit& task) { task.strName = "Same"; });
    Edit("moved", [](TTaskEdit& task) { task.intCategory = 3; });
    Edit("left", [](TTaskEdit& task) { task.intCategory = 1; });
    DeleteTask(Dm(), TaskOf("deleted").id);
    TTaskEdit made = NewTaskEdit();
    made.strName = "Made here";
    made.intCategory = 2;
    const int32_t id = InsertTask(Dm(), made);
    const std::string uid = ReadTaskUids(Dm()).at(id);
    Applier().RegisterNewTasks(ReadSyncTasks(Dm()), ReadAllTasks(Dm()), ReadTaskUids(Dm()));

    EXPECT_FALSE(InOne([&] { return Applier().UploadJob("same"); }));
    EXPECT_EQ(RowOf("same").changes, 0);
    const auto job = [&](const std::string& of) {
        return InOne([&] { return Applier().UploadJob(of); }).value_or(TUploadJob{});
    };
    const TUploadJob moved = job("moved"), left = job("left"), deleted = job("deleted"),
                     fresh = job(uid);
    EXPECT_EQ(moved.kind, TUploadKind::Create);
    EXPECT_TRUE(moved.move);
    EXPECT_EQ(moved.list, "/shopping/");
    EXPECT_EQ(moved.href, "");
    EXPECT_EQ(left.kind, TUploadKind::Delete);
    EXPECT_TRUE(left.moveOut);
    EXPECT_EQ(left.href, "/work/left.ics");
    EXPECT_EQ(deleted.kind, TUploadKind::Delete);
    EXPECT_FALSE(deleted.moveOut);
    EXPECT_EQ(deleted.etag, "\"1\"");
    EXPECT_EQ(fresh.kind, TUploadKind::Create);
    EXPECT_FALSE(fresh.move);
    EXPECT_TRUE(Has(fresh.text, "UID:" + uid) && Has(fresh.text, "SUMMARY:Made here"));

    // Gone before it was ever sent: forgotten, nothing to send.
    DeleteTask(Dm(), id);
    EXPECT_FALSE(InOne([&] { return Applier().UploadJob(uid); }));
    EXPECT_FALSE(ReadSyncTask(Dm(), uid));
}

TEST_F(SyncApplyTest, WhatTheServerTookClearsTheChangeUnlessTheTaskChangedMeanwhile) {
    Synced("quiet", {"SUMMARY:Quiet"});
    Synced("busy", {"SUMMARY:Busy"});
    Synced("moving", {"SUMMARY:Moving"});
    Edit("quiet", [](TTaskEdit& task) { task.strName = "Quiet, renamed"; });
    Edit("busy", [](TTaskEdit& task) { task.strName = "Busy, renamed"; });
    Edit("moving", [](TTaskEdit& task) { task.intCategory = 3; });
    const TUploadJob quiet = *InOne([&] { return Applier().UploadJob("quiet"); });
    const TUploadJob busy = *InOne([&] { return Applier().UploadJob("busy"); });
    const TUploadJob moving = *InOne([&] { return Applier().UploadJob("moving"); });
    // Edited again while the upload was on its way.
    WriteDoneMark(Dm(), TaskOf("busy").id, 1);
    InTransaction(Dm(), [&](TTableCursor&) {
        Applier().Sent(quiet, "/work/quiet.ics", "\"2\"", quiet.text);
        Applier().Sent(busy, "/work/busy.ics", "\"2\"", busy.text);
        Applier().Sent(moving, "/shopping/moving.ics", "\"5\"", moving.text);
    });
    EXPECT_EQ(RowOf("quiet").changes, 0);
    EXPECT_EQ(RowOf("quiet").etag, "\"2\"");
    EXPECT_EQ(RowOf("quiet").kept, quiet.text);
    EXPECT_EQ(RowOf("quiet").sentIn, 7);
    EXPECT_GT(RowOf("busy").changes, 0);
    EXPECT_EQ(RowOf("moving").list, "/shopping/");
    const std::vector<TSyncGoneRow> gone = ReadGoneResources(Dm());
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0].href, "/work/moving.ics");
    EXPECT_EQ(Applier().Counts().up, 3);
}

TEST_F(SyncApplyTest, AStepWhoseTaskChangedSinceThePlanWaitsForTheNextSync) {
    Synced("edited", {"SUMMARY:Edited since"});
    Synced("untouched", {"SUMMARY:Untouched"});
    WriteDoneMark(Dm(), TaskOf("edited").id, 1);
    std::set<std::string> unfinished;
    std::vector<std::string> warnings;
    TSyncStep edited, untouched;
    edited.kind = untouched.kind = TStepKind::DeleteHere;
    edited.uid = "edited";
    untouched.uid = "untouched";
    Applier().Apply({edited, untouched}, unfinished, warnings);
    EXPECT_EQ(ReadAllTasks(Dm()).size(), 1u);
    EXPECT_EQ(TaskOf("edited").intDone, 1);
    EXPECT_FALSE(ReadSyncTask(Dm(), "untouched"));
    EXPECT_EQ(unfinished, std::set<std::string>{"/work/"});
    EXPECT_EQ(Applier().Counts().deleted, 1);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(SyncApplyTest, AStepThatFailsIsLeftAloneAndTheOthersGoThrough) {
    TSyncStep broken, fine;
    broken.kind = fine.kind = TStepKind::TakeServer;
    broken.uid = "broken";
    const std::string text = Text("fine", {"SUMMARY:Fine"});
    fine.uid = "fine";
    fine.server = TServerItem{{"/work/", "/work/fine.ics", "\"1\"", text}, ReadServerTodo(text)};
    // A kept copy that cannot be read makes the merge fail.
    InTransaction(Dm(), [&](TTableCursor&) {
        TSyncTaskRow row;
        row.uid = "broken";
        row.list = "/work/";
        row.href = "/work/broken.ics";
        row.etag = "\"1\"";
        row.kept = "not iCalendar";
        WriteSyncTask(Dm(), row);
    });
    TTaskEdit task = NewTaskEdit();
    task.strName = "Broken";
    task.intCategory = 2;
    const int32_t id = InsertTask(Dm(), task);
    Exec("UPDATE t_sync_task SET idTask = " + std::to_string(id) +
         "; UPDATE t_uid SET strUid = 'broken' WHERE idTask = " + std::to_string(id));
    broken.server = fine.server;
    broken.server->resource.href = "/work/broken.ics";
    std::set<std::string> unfinished;
    std::vector<std::string> warnings;
    Applier().Apply({broken, fine}, unfinished, warnings);
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(unfinished, std::set<std::string>{"/work/"});
    EXPECT_EQ(TaskOf("fine").strName, "Fine");
    EXPECT_EQ(TaskOf("broken").strName, "Broken");
    EXPECT_EQ(RowOf("broken").kept, "not iCalendar");
}

TEST_F(SyncApplyTest, NewTasksOfSyncedCategoriesAreCountedFromTheStartOfTheSync) {
    const auto add = [&](const std::string& name, int32_t category) {
        TTaskEdit task = NewTaskEdit();
        task.strName = name;
        task.intCategory = category;
        return InsertTask(Dm(), task);
    };
    const int32_t work = add("Work", 2), personal = add("Personal", 1);
    Synced("came-back", {"SUMMARY:Came back"});
    const int32_t backId = TaskOf("came-back").id;
    DeleteTask(Dm(), backId);
    // An import brings it back with its UID.
    const int32_t back = add("Came back", 2);
    Exec("UPDATE t_uid SET strUid = 'came-back' WHERE idTask = " + std::to_string(back));
    Applier().RegisterNewTasks(ReadSyncTasks(Dm()), ReadAllTasks(Dm()), ReadTaskUids(Dm()));
    const auto uids = ReadTaskUids(Dm());
    EXPECT_EQ(RowOf(uids.at(work)).changes, 1);
    EXPECT_FALSE(RowOf(uids.at(work)).Known());
    EXPECT_FALSE(ReadSyncTask(Dm(), uids.at(personal)));
    EXPECT_EQ(RowOf("came-back").taskId, back);
    EXPECT_TRUE(RowOf("came-back").Known());
    // The task's changes from now on are counted.
    WriteDoneMark(Dm(), work, 1);
    EXPECT_EQ(RowOf(uids.at(work)).changes, 2);
}
