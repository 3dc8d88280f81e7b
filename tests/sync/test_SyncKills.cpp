// SPDX-License-Identifier: GPL-3.0-or-later
// A sync of 500 changes cut short, by the server killed in its middle or by tolvek-tasks killed
// at random moments: the next syncs bring every change to both sides once.
#include "tests/SqlFile.h"
#include "tests/sync/SyncRig.h"

#include <chrono>
#include <map>
#include <random>
#include <thread>

namespace {

// Tasks the last sync left on both sides, by what happens to them: edited here, edited there,
// deleted here, deleted there, moved to the other list here, and edited on both sides (each its
// own field).
constexpr int EditedHere = 0, EditedThere = 100, DeletedHere = 200, DeletedThere = 220,
              MovedHere = 240, EditedOnBoth = 270, Shared = 300;
// Tasks new on each side.
constexpr int New = 100;

std::string Number(int n) {
    return std::to_string(n);
}

} // namespace

class SyncKills : public SyncServerTest {
protected:
    std::string first_, second_;

    std::string ListOf(int n) const { return n % 2 ? first_ : second_; }
    std::string OtherList(int n) const { return n % 2 ? second_ : first_; }

    // Both sides in step with 300 tasks, then 500 changes: 300 to shared tasks, 100 new here,
    // 100 new there.
    void Prepare() {
        first_ = MakeList(Unique("First"));
        second_ = MakeList(Unique("Second"));
        std::string blocks;
        for (int n = 0; n < Shared; ++n)
            blocks += TodoBlock("k-" + Number(n), "Task " + Number(n), {"CATEGORIES:" + ListOf(n)});
        Import(Calendar(blocks));
        Setup(first_ + "," + second_);
        ExpectSync("300 up, 0 down, 0 conflicts, 0 deleted, 0 held");

        blocks.clear();
        std::vector<std::string> deletions{"delete"};
        for (int n = 0; n < Shared; ++n) {
            const std::string uid = "k-" + Number(n);
            if (n < EditedThere)
                blocks += TodoBlock(uid, "Edited here " + Number(n), {"CATEGORIES:" + ListOf(n)});
            else if (n >= DeletedHere && n < DeletedThere)
                deletions.push_back("uid:" + uid);
            else if (n >= MovedHere && n < EditedOnBoth)
                blocks += TodoBlock(uid, "Task " + Number(n), {"CATEGORIES:" + OtherList(n)});
            else if (n >= EditedOnBoth)
                blocks +=
                    TodoBlock(uid, "Task " + Number(n), {"CATEGORIES:" + ListOf(n), "PRIORITY:1"});
        }
        for (int n = 0; n < New; ++n)
            blocks +=
                TodoBlock("h-" + Number(n), "New here " + Number(n), {"CATEGORIES:" + ListOf(n)});
        Import(Calendar(blocks));
        const TProgramOutput deleted = Tasks(deletions);
        ASSERT_EQ(deleted.status, 0) << deleted.err;

        std::vector<std::vector<std::string>> device;
        for (int n = EditedThere; n < DeletedHere; ++n)
            device.push_back({"edit", ListOf(n), "k-" + Number(n), "--set",
                              "SUMMARY:Edited there " + Number(n)});
        for (int n = DeletedThere; n < MovedHere; ++n)
            device.push_back({"delete", ListOf(n), "k-" + Number(n)});
        for (int n = EditedOnBoth; n < Shared; ++n)
            device.push_back(
                {"edit", ListOf(n), "k-" + Number(n), "--set", "DESCRIPTION:Note " + Number(n)});
        for (int n = 0; n < New; ++n)
            device.push_back({"add", ListOf(n), "--summary", "New there " + Number(n), "--uid",
                              "s-" + Number(n)});
        DeviceBatch(device);
    }

    // What both sides hold in the end: each task once, in its list, with its changes.
    struct TExpected {
        std::string list;
        std::string name;
        bool high = false;
        std::string note;
    };
    std::map<std::string, TExpected> Expected() const {
        std::map<std::string, TExpected> expected;
        for (int n = 0; n < Shared; ++n) {
            if (n >= DeletedHere && n < MovedHere)
                continue;
            TExpected& task = expected["k-" + Number(n)];
            task.list = n >= MovedHere && n < EditedOnBoth ? OtherList(n) : ListOf(n);
            task.name = n < EditedThere   ? "Edited here " + Number(n)
                        : n < DeletedHere ? "Edited there " + Number(n)
                                          : "Task " + Number(n);
            if (n >= EditedOnBoth) {
                task.high = true;
                task.note = "Note " + Number(n);
            }
        }
        for (int n = 0; n < New; ++n) {
            expected["h-" + Number(n)] = {ListOf(n), "New here " + Number(n), false, ""};
            expected["s-" + Number(n)] = {ListOf(n), "New there " + Number(n), false, ""};
        }
        return expected;
    }

    void ExpectEveryChangeOnceOnBothSides() {
        const std::map<std::string, TExpected> expected = Expected();
        std::map<std::string, TExpected> here, there;
        for (const TLocalCopy& task : Local()) {
            EXPECT_TRUE(
                here.emplace(task.uid, TExpected{task.task.strCategory, task.task.strName,
                                                 task.task.intPriority == 0,
                                                 task.task.intMemo ? task.task.strNote : ""})
                    .second)
                << "two tasks here with " << task.uid;
        }
        for (const std::string& list : {first_, second_})
            for (const TServerCopy& todo : Todos(list))
                EXPECT_TRUE(
                    there
                        .emplace(todo.uid, TExpected{list, todo.todo.task.name, todo.todo.task.high,
                                                     todo.todo.task.note.value_or("")})
                        .second)
                    << "two to-dos on the server with " << todo.uid;
        for (const auto* side : {&here, &there}) {
            EXPECT_EQ(side->size(), expected.size()) << (side == &here ? "here" : "there");
            for (const auto& [uid, task] : expected) {
                const auto found = side->find(uid);
                if (found == side->end()) {
                    ADD_FAILURE() << uid << " is missing " << (side == &here ? "here" : "there");
                    continue;
                }
                EXPECT_EQ(found->second.list, task.list) << uid;
                EXPECT_EQ(found->second.name, task.name) << uid;
                EXPECT_EQ(found->second.high, task.high) << uid;
                EXPECT_EQ(found->second.note, task.note) << uid;
            }
        }
    }

    std::vector<std::string> SyncCommand() const { return {TOLVEK_TASKS, "sync"}; }

    std::string Value(const std::string& sql) {
        try {
            return TSqlFile(Database().string(), SQLITE_OPEN_READONLY).Value(sql);
        } catch (const std::exception&) {
            // The sync holds the file for a moment.
            return {};
        }
    }
    // The number of the last sync that began.
    int Generation() {
        const std::string number =
            Value("SELECT strValue FROM t_sync_meta WHERE strKey = 'generation'");
        return number.empty() ? 0 : std::stoi(number);
    }
    // The uploads that syncs after that one have kept so far.
    int SentAfter(int generation) {
        const std::string count = Value("SELECT COUNT(*) FROM t_sync_task WHERE intSentIn > " +
                                        std::to_string(generation));
        return count.empty() ? 0 : std::stoi(count);
    }

    // The next sync goes through.
    void SyncThrough() {
        const TProgramOutput run = Sync();
        EXPECT_EQ(run.status, 0) << run.out << run.err;
    }
};

TEST_F(SyncKills, TheServerKilledInTheMiddleOfASyncOf500Changes) {
    Prepare();
    const int before = Generation();
    {
        TSpawnedProgram sync(SyncCommand());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (sync.Running() && SentAfter(before) < 50 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(sync.Running()) << "the sync ended before the server could be killed";
        ASSERT_TRUE(Server().Kill());
        EXPECT_EQ(sync.Wait(60), 1);
    }
    const int sent = SentAfter(before);
    EXPECT_GE(sent, 50);
    EXPECT_LT(sent, 260);
    ASSERT_TRUE(Server().Start());
    SyncThrough();
    ExpectEveryChangeOnceOnBothSides();
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}

TEST_F(SyncKills, TolvekTasksKilledAtRandomMomentsOfASyncOf500Changes) {
    Prepare();
    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Killed at random moments, most of them during the sync: reading the lists and their
    // changes, merging, sending (which takes most of it). A sync that ends before it is killed
    // did all that was left.
    std::uniform_int_distribution<int> milliseconds(10, 300);
    int killedRunning = 0;
    for (int attempt = 0; attempt < 60 && killedRunning < 20; ++attempt) {
        TSpawnedProgram sync(SyncCommand());
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds(random)));
        if (!sync.Running())
            break;
        sync.Kill();
        ++killedRunning;
    }
    EXPECT_GE(killedRunning, 20);
    SyncThrough();
    ExpectEveryChangeOnceOnBothSides();
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}
