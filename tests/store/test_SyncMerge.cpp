// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/dates/dateUnit.h"
#include "store/sync/SyncMerge.h"

#include <gtest/gtest.h>

namespace {

using L = TLocalState;
using S = TServerState;
using A = TSyncAction;

struct TDecisionCase {
    bool known;
    TLocalState local;
    TServerState server;
    TSyncAction expected;
};

// Every combination: what the last sync knew, where the task stands here and there.
const TDecisionCase DecisionTable[] = {
    // Known from the last sync.
    {true, L::Unchanged, S::Unchanged, A::Nothing},
    {true, L::Unchanged, S::Changed, A::Download},
    {true, L::Unchanged, S::Deleted, A::DeleteLocal},
    {true, L::Unchanged, S::Absent, A::DeleteLocal},
    {true, L::Changed, S::Unchanged, A::Upload},
    {true, L::Changed, S::Changed, A::Merge},
    // Edited here, deleted there: uploaded again.
    {true, L::Changed, S::Deleted, A::UploadNew},
    {true, L::Changed, S::Absent, A::UploadNew},
    {true, L::Deleted, S::Unchanged, A::DeleteOnServer},
    // Deleted here, edited there: it comes back.
    {true, L::Deleted, S::Changed, A::CreateLocal},
    {true, L::Deleted, S::Deleted, A::Forget},
    {true, L::Deleted, S::Absent, A::Forget},
    // Gone here without a tombstone is deleted here all the same.
    {true, L::Absent, S::Unchanged, A::DeleteOnServer},
    {true, L::Absent, S::Changed, A::CreateLocal},
    {true, L::Absent, S::Deleted, A::Forget},
    {true, L::Absent, S::Absent, A::Forget},
    // Unknown to the state: new on one side, or on both (a first sync).
    {false, L::Absent, S::Absent, A::Nothing},
    {false, L::Absent, S::Unchanged, A::CreateLocal},
    {false, L::Absent, S::Changed, A::CreateLocal},
    {false, L::Absent, S::Deleted, A::Nothing},
    {false, L::Unchanged, S::Absent, A::UploadNew},
    {false, L::Unchanged, S::Unchanged, A::Merge},
    {false, L::Unchanged, S::Changed, A::Merge},
    {false, L::Unchanged, S::Deleted, A::UploadNew},
    {false, L::Changed, S::Absent, A::UploadNew},
    {false, L::Changed, S::Unchanged, A::Merge},
    {false, L::Changed, S::Changed, A::Merge},
    {false, L::Changed, S::Deleted, A::UploadNew},
    {false, L::Deleted, S::Absent, A::Forget},
    {false, L::Deleted, S::Unchanged, A::CreateLocal},
    {false, L::Deleted, S::Changed, A::CreateLocal},
    {false, L::Deleted, S::Deleted, A::Forget},
};

TEST(SyncDecision, EveryCaseOfTheTable) {
    for (const TDecisionCase& c : DecisionTable)
        EXPECT_EQ(DecideSync(c.known, c.local, c.server), c.expected)
            << "known " << c.known << ", local " << static_cast<int>(c.local) << ", server "
            << static_cast<int>(c.server);
}

TEST(SyncDecision, NoCaseIsLeftOut) {
    EXPECT_EQ(std::size(DecisionTable), 2u * 4u * 4u);
}

TSyncTask Task() {
    TSyncTask task;
    task.name = "Write the report";
    task.note = "Figures\nfor Q1";
    task.due = EncodeDate(2024, 3, 5);
    task.reminder = EncodeDateTime({{2024, 3, 4}, 9, 30, 0});
    task.sound = "bell.wav";
    task.category = 2;
    return task;
}

// Sets one field of a task to a value other than Task()'s, one of two.
TSyncTask With(TSyncField field, int variant) {
    TSyncTask task = Task();
    switch (field) {
    case TSyncField::Name:
        task.name = variant == 1 ? "Write it here" : "Write it there";
        break;
    case TSyncField::Note:
        if (variant == 1)
            task.note.reset();
        else
            task.note = "Other figures";
        break;
    case TSyncField::Priority:
        task.high = true;
        break;
    case TSyncField::Done:
        task.done = true;
        break;
    case TSyncField::Due:
        if (variant == 1)
            task.due.reset();
        else
            task.due = EncodeDate(2024, 4, 1);
        break;
    case TSyncField::Reminder:
        if (variant == 1)
            task.sound.reset();
        else
            task.reminder = EncodeDateTime({{2024, 3, 4}, 18, 0, 0});
        break;
    case TSyncField::Category:
        task.category = variant == 1 ? 3 : 4;
        break;
    }
    return task;
}

TSyncVersion Version(const TSyncTask& task, double changedAt) {
    return {task, changedAt};
}

const double Earlier = EncodeDateTime({{2024, 3, 1}, 8, 0, 0});
const double Later = EncodeDateTime({{2024, 3, 1}, 9, 0, 0});

TEST(SyncMerge, AFieldChangedOnOneSideTakesThatSide) {
    for (TSyncField field : SyncFields) {
        SCOPED_TRACE(SyncFieldName(field));
        const TMergeResult here =
            MergeTask(Task(), Version(With(field, 1), Earlier), Version(Task(), Later));
        EXPECT_TRUE(SameField(field, here.merged, With(field, 1)));
        EXPECT_TRUE(here.conflicts.empty());
        EXPECT_FALSE(here.changesLocal);
        EXPECT_TRUE(here.changesServer);

        const TMergeResult there =
            MergeTask(Task(), Version(Task(), Later), Version(With(field, 1), Earlier));
        EXPECT_TRUE(SameField(field, there.merged, With(field, 1)));
        EXPECT_TRUE(there.conflicts.empty());
        EXPECT_TRUE(there.changesLocal);
        EXPECT_FALSE(there.changesServer);
    }
}

TEST(SyncMerge, AFieldChangedOnBothSidesTakesTheNewerEditAndReportsTheOther) {
    for (TSyncField field : SyncFields) {
        if (field == TSyncField::Priority || field == TSyncField::Done)
            continue; // two-valued: both sides can only change them to the same value
        SCOPED_TRACE(SyncFieldName(field));
        const TSyncTask here = With(field, 1), there = With(field, 2);

        const TMergeResult serverNewer =
            MergeTask(Task(), Version(here, Earlier), Version(there, Later));
        EXPECT_TRUE(SameField(field, serverNewer.merged, there));
        ASSERT_EQ(serverNewer.conflicts.size(), 1u);
        EXPECT_EQ(serverNewer.conflicts[0].field, field);
        EXPECT_EQ(serverNewer.conflicts[0].winner, TSyncSide::Server);
        EXPECT_EQ(serverNewer.conflicts[0].kept, SyncFieldText(field, there));
        EXPECT_EQ(serverNewer.conflicts[0].lost, SyncFieldText(field, here));
        EXPECT_TRUE(serverNewer.changesLocal);
        EXPECT_FALSE(serverNewer.changesServer);

        const TMergeResult localNewer =
            MergeTask(Task(), Version(here, Later), Version(there, Earlier));
        EXPECT_TRUE(SameField(field, localNewer.merged, here));
        ASSERT_EQ(localNewer.conflicts.size(), 1u);
        EXPECT_EQ(localNewer.conflicts[0].winner, TSyncSide::Local);
        EXPECT_EQ(localNewer.conflicts[0].lost, SyncFieldText(field, there));
        EXPECT_FALSE(localNewer.changesLocal);
        EXPECT_TRUE(localNewer.changesServer);

        // A tie keeps this side's edit.
        const TMergeResult tie = MergeTask(Task(), Version(here, Later), Version(there, Later));
        EXPECT_TRUE(SameField(field, tie.merged, here));
    }
}

TEST(SyncMerge, BothSidesMakingTheSameChangeIsNoConflict) {
    for (TSyncField field : SyncFields) {
        const TMergeResult result =
            MergeTask(Task(), Version(With(field, 1), Earlier), Version(With(field, 1), Later));
        EXPECT_TRUE(result.conflicts.empty()) << SyncFieldName(field);
        EXPECT_FALSE(result.changesLocal);
        EXPECT_FALSE(result.changesServer);
    }
}

TEST(SyncMerge, EditsOfDifferentFieldsOnTheTwoSidesAreBothKept) {
    TSyncTask here = Task(), there = Task();
    here.name = "Renamed here";
    there.due.reset();
    there.done = true;
    const TMergeResult result = MergeTask(Task(), Version(here, Later), Version(there, Earlier));
    EXPECT_EQ(result.merged.name, "Renamed here");
    EXPECT_FALSE(result.merged.due);
    EXPECT_TRUE(result.merged.done);
    EXPECT_TRUE(result.conflicts.empty());
    EXPECT_TRUE(result.changesLocal);
    EXPECT_TRUE(result.changesServer);
}

TEST(SyncMerge, WithoutAKeptCopyEveryDifferenceIsAConflictDecidedByTime) {
    TSyncTask here = Task(), there = Task();
    here.name = "Made here";
    there.name = "Made there";
    const TMergeResult result =
        MergeTask(std::nullopt, Version(here, Earlier), Version(there, Later));
    EXPECT_EQ(result.merged.name, "Made there");
    ASSERT_EQ(result.conflicts.size(), 1u);
    EXPECT_EQ(result.conflicts[0].lost, "Made here");

    const TMergeResult same =
        MergeTask(std::nullopt, Version(Task(), Earlier), Version(Task(), Later));
    EXPECT_TRUE(same.conflicts.empty());
    EXPECT_FALSE(same.changesLocal || same.changesServer);
}

TEST(SyncMerge, FieldsCompareAsTheirMeaning) {
    TSyncTask a = Task(), b = Task();
    b.note = "Figures\r\nfor Q1";
    b.due = *a.due + 0.75;
    b.reminder = *a.reminder + 0.2 / 86400.0;
    EXPECT_TRUE(a == b);
    b.reminder = *a.reminder + 1.0 / 86400.0;
    EXPECT_FALSE(SameField(TSyncField::Reminder, a, b));
    b = Task();
    b.sound = "";
    EXPECT_FALSE(SameField(TSyncField::Reminder, a, b)) << "a named sound is not the default one";
}

TEST(SyncMerge, TheLogShowsValuesAsAPersonReadsThem) {
    TSyncTask task = Task();
    task.high = true;
    EXPECT_EQ(SyncFieldText(TSyncField::Priority, task), "high");
    EXPECT_EQ(SyncFieldText(TSyncField::Done, task), "no");
    EXPECT_EQ(SyncFieldText(TSyncField::Due, task), "2024-03-05");
    EXPECT_EQ(SyncFieldText(TSyncField::Reminder, task), "2024-03-04 09:30 sound bell.wav");
    task.due.reset();
    task.note.reset();
    EXPECT_EQ(SyncFieldText(TSyncField::Due, task), "");
    EXPECT_EQ(SyncFieldText(TSyncField::Note, task), "");
}

TEST(SyncFields, WhatIsOffIsNoneAndKeepsTheRecordsDates) {
    TMyRec2 record;
    record.strName = "Call";
    record.intPriority = 1;
    record.intDue = 0;
    record.dateDue = EncodeDate(2024, 1, 2);
    record.intReminder = 0;
    record.datetimeReminder = EncodeDateTime({{2024, 1, 2}, 10, 0, 0});
    record.intSound = 1;
    record.strSoundFile = "bell.wav";
    record.intMemo = 1;
    record.strNote = "  \n";
    record.intCategory = 4;
    const TSyncTask fields = SyncTaskOf(record);
    EXPECT_FALSE(fields.due);
    EXPECT_FALSE(fields.reminder);
    EXPECT_FALSE(fields.sound) << "a sound without a reminder is not on any to-do";
    EXPECT_FALSE(fields.note) << "a blank note is no note";
    EXPECT_FALSE(fields.high);
    EXPECT_EQ(fields.category, 4);

    TTaskEdit edit = NewTaskEdit();
    edit.dateDue = EncodeDate(2030, 1, 1);
    edit.strSoundFile = "chime.wav";
    int32_t done = 0;
    TSyncTask server = Task();
    server.due.reset();
    server.sound.reset();
    server.done = true;
    ApplySyncTask(server, edit, done);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(edit.intDue, 0);
    EXPECT_EQ(edit.dateDue, EncodeDate(2030, 1, 1));
    EXPECT_EQ(edit.intReminder, 1);
    EXPECT_EQ(edit.intSound, 0);
    EXPECT_EQ(edit.strSoundFile, "chime.wav");
    EXPECT_EQ(edit.strNote, Task().note);
    EXPECT_EQ(edit.intCategory, 2);
}

struct THoldCase {
    bool firstSync;
    bool addressChanged;
    int listSize;
    int deletions;
    TDeletionHold expected;
};

TEST(SyncSafetyValve, DeletionsWaitOnAFirstSyncANewAddressOrAMassLoss) {
    const THoldCase table[] = {
        {false, false, 20, 0, TDeletionHold::None},
        {true, false, 20, 0, TDeletionHold::None},
        {true, false, 20, 1, TDeletionHold::FirstSync},
        {true, true, 20, 1, TDeletionHold::FirstSync},
        {false, true, 20, 1, TDeletionHold::AddressChanged},
        {false, false, 20, 10, TDeletionHold::None},
        {false, false, 20, 11, TDeletionHold::ManyAtOnce},
        {false, false, 10, 6, TDeletionHold::ManyAtOnce},
        {false, false, 10, 5, TDeletionHold::None},
        {false, false, 9, 9, TDeletionHold::None},
        {false, false, 1000, 501, TDeletionHold::ManyAtOnce},
    };
    for (const THoldCase& c : table)
        EXPECT_EQ(HoldDeletions(c.firstSync, c.addressChanged, c.listSize, c.deletions), c.expected)
            << c.firstSync << c.addressChanged << " " << c.listSize << " " << c.deletions;
}

} // namespace
