// SPDX-License-Identifier: GPL-3.0-or-later
// What a sync decides for each task from what the server showed, the tasks here and the state
// of the last sync: the cases of a sync as a table, without network or database.
#include "store/sync/SyncPlan.h"

#include <gtest/gtest.h>

namespace {

std::string Todo(const std::string& uid, const std::string& summary) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tests//EN\r\nBEGIN:VTODO\r\nUID:" + uid +
           "\r\nDTSTAMP:20240301T080000Z\r\nSUMMARY:" + summary +
           "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
}

// Two synced lists, /a/ of category 1 and /b/ of category 2; category 3 is not synced.
class SyncPlanTest : public ::testing::Test {
protected:
    SyncPlanTest() { in_.categoryOfList = {{"/a/", 1}, {"/b/", 2}}; }

    // A task here with its UID.
    void Task(int32_t id, const std::string& uid, int32_t category = 1) {
        TMyRec2 task;
        task.id = id;
        task.strName = "Task " + uid;
        task.intCategory = category;
        in_.tasks.push_back(task);
        in_.uids[id] = uid;
    }
    // What the last sync left of a task: on both sides, in list, its task here (none for a
    // tombstone), changed here that often since.
    void Known(const std::string& uid, std::optional<int32_t> id, const std::string& list = "/a/",
               int64_t changes = 0) {
        TSyncTaskRow row;
        row.uid = uid;
        row.taskId = id;
        row.list = list;
        row.href = list + uid + ".ics";
        row.etag = "\"1\"";
        row.known = true;
        row.changes = changes;
        in_.state.push_back(row);
    }
    TListFindings& List(const std::string& list) {
        for (TListFindings& findings : in_.findings)
            if (findings.list == list)
                return findings;
        TListFindings& findings = in_.findings.emplace_back();
        findings.list = list;
        return findings;
    }
    void Changed(const std::string& list, const std::string& uid, const std::string& href = {}) {
        List(list).changed.push_back(
            {list, href.empty() ? list + uid + ".ics" : href, "\"2\"", Todo(uid, "On the server")});
    }
    void Removed(const std::string& list, const std::string& uid) {
        List(list).removed.push_back(list + uid + ".ics");
    }
    void Held(const std::string& uid, const std::string& side,
              TDeletionHold reason = TDeletionHold::ManyAtOnce) {
        in_.held.push_back({uid, "/a/", side, reason, "Task " + uid});
    }

    // The plan's steps, "kind uid" each, with where the server's version is and why a deletion
    // waits.
    std::vector<std::string> Steps() {
        plan_ = PlanSync(in_);
        std::vector<std::string> steps;
        for (const TSyncStep& step : plan_.steps) {
            switch (step.kind) {
            case TStepKind::TakeServer:
                steps.push_back("take " + step.uid + " " + step.server->resource.href);
                break;
            case TStepKind::DeleteHere:
                steps.push_back("delete here " + step.uid);
                break;
            case TStepKind::Forget:
                steps.push_back("forget " + step.uid);
                break;
            case TStepKind::Hold:
                steps.push_back("hold " + step.uid + " deleted " + step.held.side + " " +
                                std::to_string(static_cast<int>(step.held.reason)));
                break;
            case TStepKind::Release:
                steps.push_back("release " + step.uid);
                break;
            case TStepKind::Reupload:
                steps.push_back("reupload " + step.uid);
                break;
            case TStepKind::Restore:
                steps.push_back("restore " + step.uid);
                break;
            }
        }
        return steps;
    }
    using S = std::vector<std::string>;
    static constexpr int ManyAtOnce = static_cast<int>(TDeletionHold::ManyAtOnce);

    TPlanInput in_;
    TSyncPlan plan_;
};

} // namespace

TEST_F(SyncPlanTest, WhatIsNewOnOneSideGoesToTheOther) {
    Task(1, "here");
    Changed("/a/", "there");
    // Made on both sides with one UID, or found on both at a first sync: merged.
    Task(2, "both", 2);
    Changed("/b/", "both");
    EXPECT_EQ(Steps(), (S{"take both /b/both.ics", "take there /a/there.ics"}));
    EXPECT_EQ(plan_.toSend, 1);
}

TEST_F(SyncPlanTest, AKnownTaskGoesWhereItChanged) {
    for (int32_t id : {1, 2, 3, 4})
        Task(id, "u" + std::to_string(id));
    Known("u1", 1);
    Known("u2", 2, "/a/", 3);
    Known("u3", 3);
    Known("u4", 4, "/a/", 1);
    Changed("/a/", "u3");
    Changed("/a/", "u4");
    EXPECT_EQ(Steps(), (S{"take u3 /a/u3.ics", "take u4 /a/u4.ics"}));
    EXPECT_EQ(plan_.toSend, 1);
    EXPECT_TRUE(plan_.unfinishedLists.empty());
}

TEST_F(SyncPlanTest, DeletionsOfAFewGoThroughOnEitherSide) {
    for (int32_t id : {1, 3, 4})
        Task(id, "u" + std::to_string(id));
    Known("u1", 1);
    Known("u2", std::nullopt);
    Known("u3", 3);
    Known("u4", 4);
    Removed("/a/", "u1");
    EXPECT_EQ(Steps(), (S{"delete here u1"}));
    EXPECT_EQ(plan_.toDeleteOnServer, 1);
}

TEST_F(SyncPlanTest, MoreThanHalfOfAListOfTenOrMoreWaits) {
    for (int n = 0; n < 12; ++n) {
        const std::string uid = std::to_string(10 + n);
        Task(n + 1, uid);
        Known(uid, n + 1);
        if (n < 7)
            Removed("/a/", uid);
    }
    const S steps = Steps();
    ASSERT_EQ(steps.size(), 7u);
    for (const std::string& step : steps)
        EXPECT_TRUE(step.starts_with("hold ") && step.ends_with("deleted server 3")) << step;
    // Six of twelve is half, not more: they go through.
    in_.findings.front().removed.pop_back();
    EXPECT_EQ(Steps().size(), 6u);
    EXPECT_TRUE(Steps().front().starts_with("delete here "));
}

TEST_F(SyncPlanTest, AFirstSyncANewAddressAndARestoredServerHoldDeletions) {
    for (int32_t id : {1, 2, 3})
        Task(id, "u" + std::to_string(id));
    Known("u1", 1);
    Known("u2", 2);
    Known("u3", 3);
    Known("u4", std::nullopt);
    Removed("/a/", "u1");
    in_.firstSync = true;
    EXPECT_EQ(Steps(), (S{"hold u4 deleted here 1", "hold u1 deleted server 1"}));
    in_.firstSync = false;
    in_.addressChanged = true;
    EXPECT_EQ(Steps(), (S{"hold u4 deleted here 2", "hold u1 deleted server 2"}));
    // A server that no longer took the token may lack what its backup lacked; what was
    // deleted here is this side's own doing.
    in_.addressChanged = false;
    List("/a/").tokenRejected = true;
    EXPECT_EQ(Steps(), (S{"hold u1 deleted server 4"}));
    EXPECT_EQ(plan_.toDeleteOnServer, 1);
}

TEST_F(SyncPlanTest, HeldDeletionsWaitUntilTheUserAnswers) {
    Task(1, "on-server-deleted");
    Known("on-server-deleted", 1);
    Known("here-deleted", std::nullopt);
    Held("on-server-deleted", "server");
    Held("here-deleted", "here");
    // The list's token moved on: the server does not name its deletion again.
    List("/a/");
    EXPECT_EQ(Steps(), (S{"hold here-deleted deleted here " + std::to_string(ManyAtOnce),
                          "hold on-server-deleted deleted server " + std::to_string(ManyAtOnce)}));
    in_.confirmDeletions = true;
    EXPECT_EQ(Steps(), (S{"release here-deleted", "delete here on-server-deleted"}));
    EXPECT_EQ(plan_.toDeleteOnServer, 1);
    in_.confirmDeletions = false;
    in_.keepDeleted = true;
    EXPECT_EQ(Steps(), (S{"restore here-deleted", "reupload on-server-deleted"}));
}

TEST_F(SyncPlanTest, AHeldDeletionThatIsNoLongerOneNoLongerWaits) {
    Task(1, "back");
    Known("back", 1);
    Held("back", "server");
    // The whole list was read, and the to-do is there after all.
    List("/a/").wholeList = true;
    EXPECT_EQ(Steps(), (S{"release back"}));
    // Or it changed there since.
    Changed("/a/", "back");
    EXPECT_EQ(Steps(), (S{"release back", "take back /a/back.ics"}));
}

TEST_F(SyncPlanTest, EditBeatsDeleteOnEitherSide) {
    Task(1, "edited-here", 1);
    Known("edited-here", 1, "/a/", 2);
    Removed("/a/", "edited-here");
    Known("edited-there", std::nullopt);
    Changed("/a/", "edited-there");
    EXPECT_EQ(Steps(), (S{"reupload edited-here", "take edited-there /a/edited-there.ics"}));
}

TEST_F(SyncPlanTest, AMoveOnTheServerIsACategoryChangeNotADeletion) {
    Task(1, "moved");
    Known("moved", 1, "/a/");
    Removed("/a/", "moved");
    Changed("/b/", "moved", "/b/elsewhere.ics");
    EXPECT_EQ(Steps(), (S{"take moved /b/elsewhere.ics"}));
}

TEST_F(SyncPlanTest, TheCopyAnInterruptedMoveOfOursLeftIsTakenUp) {
    // Moved here from /a/ to /b/: the new to-do was made, the sync stopped before the old one
    // went.
    Task(1, "moving", 2);
    Known("moving", 1, "/a/", 1);
    Changed("/b/", "moving");
    EXPECT_EQ(Steps(), (S{"take moving /b/moving.ics"}));
}

TEST_F(SyncPlanTest, ACopyMadeElsewhereIsLeftAloneAndSeenAgain) {
    Task(1, "copied", 1);
    Known("copied", 1, "/a/");
    Changed("/b/", "copied");
    EXPECT_EQ(Steps(), S{});
    EXPECT_EQ(plan_.warnings.size(), 1u);
    EXPECT_EQ(plan_.unfinishedLists, std::set<std::string>{"/b/"});
}

TEST_F(SyncPlanTest, WhatTouchesAListThatCouldNotBeReadWaits) {
    in_.categoryOfList.erase("/a/");
    in_.failedLists = {"/a/"};
    Task(1, "in-failed", 2);
    Known("in-failed", 1, "/a/");
    Changed("/b/", "in-failed");
    Task(2, "new-in-failed", 1);
    EXPECT_EQ(Steps(), S{});
    EXPECT_EQ(plan_.toSend, 0);
    EXPECT_EQ(plan_.unfinishedLists, std::set<std::string>{"/b/"});
}

TEST_F(SyncPlanTest, WhatCannotBeReadIsLeftAloneAndEventsAreNotOurs) {
    List("/a/").changed = {
        {"/a/", "/a/broken.ics", "\"1\"", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:cut"},
        {"/a/", "/a/event.ics", "\"1\"",
         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:e\r\nEND:VEVENT\r\n"
         "END:VCALENDAR\r\n"},
        {"/a/", "/a/no-uid.ics", "\"1\"",
         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VTODO\r\nSUMMARY:x\r\nEND:VTODO\r\n"
         "END:VCALENDAR\r\n"},
        {"/a/", "/a/gone.ics", "\"1\"", Todo("gone", "Left by a move")},
    };
    in_.gone = {{"/a/gone.ics", "/a/", "\"1\""}};
    EXPECT_EQ(Steps(), S{});
    ASSERT_EQ(plan_.warnings.size(), 2u);
    EXPECT_NE(plan_.warnings[0].find("/a/broken.ics"), std::string::npos);
    EXPECT_NE(plan_.warnings[1].find("no UID"), std::string::npos);
}

TEST_F(SyncPlanTest, ATaskOfACategoryThatIsNotSyncedIsNoneOfTheSyncs) {
    Task(1, "private", 3);
    Changed("/a/", "private");
    EXPECT_EQ(Steps(), S{});
    EXPECT_EQ(plan_.warnings.size(), 1u);
    // One the sync had, moved here into it: it leaves the server.
    Task(2, "moved-out", 3);
    Known("moved-out", 2, "/a/", 1);
    in_.findings.clear();
    EXPECT_EQ(Steps(), S{});
    EXPECT_EQ(plan_.toSend, 1);
}

TEST_F(SyncPlanTest, GoneOnBothSidesIsForgotten) {
    Known("gone", std::nullopt);
    Removed("/a/", "gone");
    // Registered, never sent, deleted before the sync.
    TSyncTaskRow pending;
    pending.uid = "never-sent";
    pending.list = "/a/";
    pending.changes = 1;
    in_.state.push_back(pending);
    EXPECT_EQ(Steps(), (S{"forget gone", "forget never-sent"}));
}

TEST(SyncTodoText, TellsToDosFromOtherComponentsAndReadsNamesAndUids) {
    EXPECT_TRUE(HoldsTodo("begin:vtodo"));
    EXPECT_FALSE(HoldsTodo("BEGIN:VEVENT\r\nX-NOTE:BEGIN VTODO"));
    EXPECT_EQ(TodoName(Todo("u", "Name"), "fallback"), "Name");
    EXPECT_EQ(TodoName("nothing", "fallback"), "fallback");
    EXPECT_EQ(TodoUid(Todo("u", "Name")), "u");
    EXPECT_EQ(TodoUid("nothing"), "");
}
