// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/dates/dateUnit.h"
#include "store/records/Reminders.h"

#include <gtest/gtest.h>

namespace {

TMyRec2 Reminder(int id, double when, int done = 0, int on = 1) {
    TMyRec2 t;
    t.id = id;
    t.intReminder = on;
    t.datetimeReminder = when;
    t.intDone = done;
    return t;
}

TEST(FindDueTask, OnlyUndoneTasksWithTheReminderOnAndStrictlyPast) {
    const double now = 45000.5;
    std::vector<TMyRec2> tasks{Reminder(1, now),           Reminder(2, now - 1, 1),
                               Reminder(3, now - 1, 0, 2), Reminder(4, now - 1, 0, 0),
                               Reminder(5, now + 0.001),   Reminder(6, now - 0.0001)};
    EXPECT_EQ(FindDueTask(tasks, 0, now), 5);
    // Equal is not yet due; a moment later it is.
    EXPECT_EQ(FindDueTask(tasks, 0, now + 1e-9), 0);
    EXPECT_EQ(FindDueTask(tasks, 6, now), -1);
    EXPECT_EQ(FindDueTask({}, 0, now), -1);
}

TEST(FindDueTask, APassWalksTheDueTasksInOrderThenFindsNone) {
    std::vector<TMyRec2> tasks{Reminder(1, 10), Reminder(2, 50), Reminder(3, 11), Reminder(4, 12)};
    int pos = -1;
    std::vector<int> announced;
    for (int scan = 0; scan < 5; ++scan) {
        const int k = FindDueTask(tasks, pos + 1, 20);
        announced.push_back(k < 0 ? 0 : tasks[static_cast<size_t>(k)].id);
        pos = k;
    }
    EXPECT_EQ(announced, (std::vector<int>{1, 3, 4, 0, 1}));
}

TEST(BalloonText, BlankNotesBecomeACarriageReturnOthersStayAsStored) {
    EXPECT_EQ(BalloonText(""), "\r");
    EXPECT_EQ(BalloonText("   \r\n\t"), "\r");
    EXPECT_EQ(BalloonText("  leading spaces"), "  leading spaces");
}

TEST(ReminderDelay, ElevenChoicesFromFiveMinutesToADay) {
    EXPECT_DOUBLE_EQ(ReminderDelay(0), 5.0 / 1440);
    EXPECT_DOUBLE_EQ(ReminderDelay(2), 1.0 / 96);
    EXPECT_DOUBLE_EQ(ReminderDelay(4), 1.0 / 24);
    EXPECT_DOUBLE_EQ(ReminderDelay(8), 3.0 / 8);
    EXPECT_DOUBLE_EQ(ReminderDelay(10), 1.0);
    EXPECT_DOUBLE_EQ(ReminderDelay(11), 5.0 / 1440);
}

TEST(Clock, NowCanBeSetAndRestored) {
    SetNowSource([] { return 45000.25; });
    EXPECT_EQ(Now(), 45000.25);
    SetNowSource({});
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
}

} // namespace
