// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/dates/dateUnit.h"
#include "store/funUnit.h"
#include "tests/store/ReferenceSort.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Restores the process-wide sort settings after each test.
class OrderingTest : public ::testing::Test {
protected:
    void SetUp() override {
        DoneBottom = 1;
        SortOrder = 0;
    }
    void TearDown() override {
        DoneBottom = 1;
        SortOrder = 0;
    }
    static TMyRec2 Task(int id, const std::string& name = "", int done = 0) {
        TMyRec2 t;
        t.id = id;
        t.strName = name;
        t.intDone = done;
        return t;
    }
    static std::vector<int> Ids(const std::vector<TMyRec2>& tasks) {
        std::vector<int> ids;
        for (const auto& t : tasks)
            ids.push_back(t.id);
        return ids;
    }
    static void SortBy(std::vector<TMyRec2>& tasks, int kind) {
        SortTasks(tasks,
                  [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); });
    }
    static void ExchangeSortBy(std::vector<TMyRec2>& tasks, int kind) {
        ReferenceExchangeSort(
            tasks, [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); });
    }
    // Every column kind in both directions, with and without the done rule, each sort going on
    // from the order the one before left, as header clicks do: the two sorts must agree each
    // time.
    template <typename Sort, typename Reference>
    static void ExpectSameOrders(std::vector<TMyRec2> tasks, Sort sort, Reference reference) {
        for (int kind = 1; kind <= 5; ++kind)
            for (int order : {-1, 1})
                for (int bottom : {0, 1}) {
                    SortOrder = order;
                    DoneBottom = bottom;
                    auto expected = tasks;
                    reference(expected, kind);
                    auto actual = tasks;
                    sort(actual, kind);
                    ASSERT_EQ(Ids(actual), Ids(expected))
                        << "kind " << kind << " order " << order << " bottom " << bottom;
                    tasks = actual;
                }
    }
};

TEST_F(OrderingTest, NamesCompareByteByByteCapitalsFirst) {
    SortOrder = -1;
    std::vector<TMyRec2> tasks{Task(1, "banana"), Task(2, "apple"), Task(3, "Apple"),
                               Task(4, "app"), Task(5, "Zebra")};
    SortBy(tasks, 1);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{3, 5, 4, 2, 1}));
    // UTF-8 byte order is code point order: "é" (U+00E9) after "z".
    EXPECT_EQ(CompareTasks(Task(1, "\xC3\xA9"), Task(2, "z"), 1), 1);
}

TEST_F(OrderingTest, PriorityHighFirstThenNormalFirstDoneStaysAtTheBottom) {
    std::vector<TMyRec2> tasks;
    for (int id = 1; id <= 4; ++id) {
        TMyRec2 t = Task(id, "", id == 1 ? 1 : 0);
        t.intPriority = id % 2;
        tasks.push_back(t);
    }
    SortOrder = -1;
    SortBy(tasks, 2);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{2, 4, 3, 1}));
    SortOrder = 1;
    SortBy(tasks, 2);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{3, 2, 4, 1}));
    DoneBottom = 0;
    SortBy(tasks, 2);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{3, 1, 2, 4}));
}

TEST_F(OrderingTest, DoneRuleActsOnlyWithDoneBottomOneAndADirection) {
    const TMyRec2 open = Task(1, "b", 0), done = Task(2, "a", 1);
    SortOrder = -1;
    EXPECT_EQ(CompareTasks(open, done, 1), -1);
    EXPECT_EQ(CompareTasks(done, open, 1), 1);
    SortOrder = 1;
    EXPECT_EQ(CompareTasks(open, done, 1), 1);
    EXPECT_EQ(CompareTasks(done, open, 1), -1);
    SortOrder = 0;
    EXPECT_EQ(CompareTasks(open, done, 1), 1);
    SortOrder = -1;
    DoneBottom = 2;
    EXPECT_EQ(CompareTasks(open, done, 1), 1);
}

TEST_F(OrderingTest, CategoryFollowsPositionNotName) {
    TMyRec2 a = Task(1), b = Task(2);
    a.strCategory = "Alpha";
    a.intPos = 3;
    b.strCategory = "Zulu";
    b.intPos = 1;
    EXPECT_EQ(CompareTasks(a, b, 3), 1);
}

TEST_F(OrderingTest, DueDateTasksWithoutADateKeepTheirOrderAfterTheOthers) {
    std::vector<TMyRec2> tasks;
    const double dates[] = {0, 45010, 0, 45000.5, 45000.25, 0};
    for (int id = 1; id <= 6; ++id) {
        TMyRec2 t = Task(id);
        t.intDue = dates[id - 1] > 0 ? 1 : 0;
        t.dateDue = dates[id - 1] > 0 ? dates[id - 1] : 40000 - id;
        tasks.push_back(t);
    }
    SortOrder = -1;
    SortBy(tasks, 5);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{5, 4, 2, 1, 3, 6}));
    SortOrder = 1;
    SortBy(tasks, 5);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{1, 3, 6, 2, 4, 5}));
}

TEST_F(OrderingTest, ReminderComparesFlagThenCalendarDayThenFullValue) {
    TMyRec2 a = Task(1), b = Task(2);
    a.intReminder = 1;
    b.intReminder = 0;
    EXPECT_EQ(CompareTasks(a, b, 4), -1);
    EXPECT_EQ(CompareTasks(b, a, 4), 1);
    a.intReminder = 0;
    a.datetimeReminder = 45000;
    b.datetimeReminder = 1;
    EXPECT_EQ(CompareTasks(a, b, 4), 0);
    a.intReminder = b.intReminder = 1;
    a.datetimeReminder = EncodeDate(2026, 12, 9) + 0.75;
    b.datetimeReminder = EncodeDate(2026, 12, 9) + 0.25;
    EXPECT_EQ(CompareTasks(a, b, 4), 1);
    b.datetimeReminder = EncodeDate(2026, 12, 10);
    EXPECT_EQ(CompareTasks(a, b, 4), -1);
    b.datetimeReminder = a.datetimeReminder;
    EXPECT_EQ(CompareTasks(a, b, 4), 0);
    // A flag other than 0 and 1 lets the times decide.
    a.intReminder = 2;
    b.intReminder = 0;
    b.datetimeReminder = a.datetimeReminder - 1;
    EXPECT_EQ(CompareTasks(a, b, 4), 1);
}

TEST_F(OrderingTest, CompareDoneAndTheFirstLoadOrder) {
    std::vector<TMyRec2> tasks{Task(1, "", 1), Task(2), Task(3, "", 1), Task(4)};
    EXPECT_EQ(CompareDone(tasks[0], tasks[1]), 1);
    EXPECT_EQ(CompareDone(tasks[1], tasks[3]), 0);
    SortOrder = -1;
    SortTasks(tasks, CompareDone);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{2, 4, 1, 3}));
}

TEST_F(OrderingTest, WithoutADirectionTheOrderIsLeftAlone) {
    std::vector<TMyRec2> tasks{Task(1, "b"), Task(2, "a")};
    SortBy(tasks, 1);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{1, 2}));
    SortTasksByColumn(tasks, 1);
    EXPECT_EQ(Ids(tasks), (std::vector<int>{1, 2}));
}

TEST_F(OrderingTest, SortTasksMatchesTheExchangeSortOnRandomDataWithManyTies) {
    std::mt19937 random(20261209);
    const std::string names[] = {"", "a", "A", "ab", "b", "B"};
    for (int round = 0; round < 12; ++round) {
        std::vector<TMyRec2> tasks;
        for (int id = 1; id <= 250; ++id) {
            TMyRec2 t = Task(id, names[random() % 6], static_cast<int>(random() % 2));
            t.intPriority = static_cast<int>(random() % 2);
            t.intPos = 1 + static_cast<int>(random() % 3);
            t.intReminder = static_cast<int>(random() % 2);
            // Days before 1899-12-30 too, whose time of day counts forward from midnight.
            t.datetimeReminder =
                (random() % 2 ? 45000 : -2) + static_cast<double>(random() % 3) * 0.5;
            t.intDue = static_cast<int>(random() % 2);
            t.dateDue = 45000 + static_cast<double>(random() % 3);
            tasks.push_back(t);
        }
        ExpectSameOrders(tasks, SortBy, ExchangeSortBy);
        ExpectSameOrders(tasks, SortTasksByColumn, ExchangeSortBy);
        if (HasFatalFailure())
            return;
    }
}

// The column sort copies the compared fields; it must order exactly as sorting the records
// does, also with names that share long beginnings, dates before 1899-12-30, and marks and
// flags other than 0 and 1, with which the comparison is no strict order and only the same
// comparisons give the same order.
TEST_F(OrderingTest, SortTasksByColumnOrdersAsSortTasksOnAwkwardData) {
    std::mt19937 random(4242);
    const std::string names[] = {"",
                                 "Task number 1",
                                 "Task number 10",
                                 "Task number 1\x01",
                                 std::string("Task\0 a", 7),
                                 std::string("Task\0", 5),
                                 "Task",
                                 "\xC3\xA9t\xC3\xA9",
                                 "task"};
    const double dates[] = {-2.75, -2.25, -1.5, -0.5, 0, 0.25, 45000, 45000.5, 45001};
    for (int round = 0; round < 8; ++round) {
        std::vector<TMyRec2> tasks;
        for (int id = 1; id <= 300; ++id) {
            TMyRec2 t = Task(id, names[random() % 9],
                             static_cast<int>(random() % 5 == 0 ? 2 : random() % 2));
            t.intPriority = static_cast<int>(random() % 3);
            t.intPos = static_cast<int>(random() % 4) - 1;
            t.intReminder = static_cast<int>(random() % 7 == 0 ? 2 : random() % 2);
            t.datetimeReminder = dates[random() % 9];
            t.intDue = static_cast<int>(random() % 2);
            t.dateDue = dates[random() % 9];
            tasks.push_back(t);
        }
        ExpectSameOrders(tasks, SortTasksByColumn, SortBy);
        if (HasFatalFailure())
            return;
    }
}

// Reminders compare by calendar year, month and day before the full value.
TEST_F(OrderingTest, RemindersCompareAsTheirCalendarDaysDo) {
    const double values[] = {-400.75, -31.5, -1.75, -1.25, -0.75, -0.25,    0,
                             0.75,    1.25,  59.5,  60.1,  61,    45000.99, 45001.01};
    for (double x : values)
        for (double y : values) {
            TMyRec2 a = Task(1), b = Task(2);
            a.intReminder = b.intReminder = 1;
            a.datetimeReminder = x;
            b.datetimeReminder = y;
            const TCalendarDate dx = DecodeDate(x), dy = DecodeDate(y);
            const auto day = [](const TCalendarDate& d) {
                return d.year * 10000 + d.month * 100 + d.day;
            };
            const int expected = day(dx) != day(dy) ? (day(dx) < day(dy) ? -1 : 1)
                                 : x < y            ? -1
                                 : x > y            ? 1
                                                    : 0;
            EXPECT_EQ(CompareTasks(a, b, 4), expected) << x << " " << y;
        }
}

TEST(FormatTwoDecimals, GivesTwoDecimalsAndKeepsTheSign) {
    EXPECT_EQ(FormatTwoDecimals(21), "21.00");
    EXPECT_EQ(FormatTwoDecimals(29.7), "29.70");
    EXPECT_EQ(FormatTwoDecimals(21.59), "21.59");
    EXPECT_EQ(FormatTwoDecimals(14.85), "14.85");
    EXPECT_EQ(FormatTwoDecimals(0), "0.00");
    EXPECT_EQ(FormatTwoDecimals(2.5), "2.50");
    EXPECT_EQ(FormatTwoDecimals(-1.5), "-1.50");
    EXPECT_EQ(FormatTwoDecimals(-0.001), "-0.00");
    EXPECT_EQ(FormatTwoDecimals(0.125), "0.13");
    EXPECT_EQ(FormatTwoDecimals(-0.125), "-0.13");
}

TEST(Dates, DayCountsFollowTheCalendar) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 3, 1), 61.0);
    EXPECT_EQ(EncodeDate(2007, 3, 15), 39156.0);
    const TCalendarDate d = DecodeDate(EncodeDate(2024, 2, 29) + 0.99);
    EXPECT_EQ(d.year, 2024);
    EXPECT_EQ(d.month, 2);
    EXPECT_EQ(d.day, 29);
}

} // namespace
