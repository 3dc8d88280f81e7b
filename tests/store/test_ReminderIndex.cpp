// SPDX-License-Identifier: GPL-3.0-or-later

// The reminder scan reads an index of reminder times instead of walking every task. Whatever
// happened to the tasks, it must answer exactly what the walk over AllTasks answers.

#include "tests/store/TestDb.h"

#include "store/records/IndexedTasks.h"
#include "store/records/Reminders.h"
#include "store/records/TaskArrays.h"
#include "store/records/TaskWrite.h"

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr double Now = 45000.5;

// Reminder times around now: past, equal, later, and the odd values a file may hold.
double RandomTime(std::mt19937& random) {
    switch (random() % 8) {
    case 0:
        return Now;
    case 1:
        return std::numeric_limits<double>::quiet_NaN();
    case 2:
        return random() % 2 ? std::numeric_limits<double>::infinity()
                            : -std::numeric_limits<double>::infinity();
    default:
        return Now + (static_cast<double>(random() % 2000) - 1000) / 24;
    }
}

// A task that can fall due (not done, reminder on) in armedPercent cases out of a hundred, so
// that a block of tasks holds many of them, one or none. The others are done or have their
// reminder off, now and then with a mark or flag other than 0 and 1, which the scan treats as
// its rules say: done is anything but 0, the reminder is on only when it is exactly 1.
TMyRec2 RandomTask(std::mt19937& random, int32_t id, unsigned armedPercent) {
    const int32_t doneMarks[] = {1, 1, 2, -1}, offFlags[] = {0, 0, 2, -1};
    TMyRec2 task;
    task.id = id;
    task.intReminder = 1;
    if (random() % 100 >= armedPercent) {
        if (random() % 2)
            task.intDone = doneMarks[random() % 4];
        else
            task.intReminder = offFlags[random() % 4];
    }
    task.datetimeReminder = RandomTime(random);
    return task;
}

// Starting positions before, at both ends of and past the tasks, and a sample of the others,
// at times around now.
void ExpectScanAsTheWalk(const std::vector<TMyRec2>& tasks,
                         const std::function<int(int, double)>& scan, std::mt19937& random) {
    const double times[] = {Now - 30,
                            Now - 5,
                            Now,
                            Now + 1e-9,
                            Now + 5,
                            Now + 30,
                            std::numeric_limits<double>::infinity()};
    const int size = static_cast<int>(tasks.size());
    std::vector<int> froms{-1, 0, size - 1, size, size + 1};
    for (int k = 0; k < 30 && size > 0; ++k)
        froms.push_back(static_cast<int>(random() % static_cast<unsigned>(size)));
    for (double now : times)
        for (int from : froms)
            ASSERT_EQ(scan(from, now), FindDueTask(tasks, from, now))
                << "from " << from << " now " << now << " of " << size;
}

// One task that can fall due, the others done, and a task before it deleted: wherever the due
// task is, the scan from the first task finds it one place up.
TEST(IndexedTasks, ADeletedTaskBeforeTheDueOneMovesItUp) {
    for (size_t due = 1; due < 700; ++due)
        for (size_t erased : {size_t{0}, due - 1}) {
            std::vector<TMyRec2> all(700);
            for (size_t k = 0; k < all.size(); ++k) {
                all[k].id = static_cast<int32_t>(k + 1);
                all[k].intDone = k == due ? 0 : 1;
                all[k].intReminder = 1;
                all[k].datetimeReminder = Now - 1;
            }
            TIndexedTasks tasks;
            tasks.Assign(std::move(all));
            tasks.Erase(erased);
            ASSERT_EQ(tasks.FindDue(0, Now), static_cast<int>(due) - 1) << "erased " << erased;
        }
}

TEST(IndexedTasks, FindsWhatTheWalkFindsThroughRandomChanges) {
    std::mt19937 random(20260517);
    TIndexedTasks tasks;
    int32_t nextId = 1;
    const auto scan = [&](int from, double now) { return tasks.FindDue(from, now); };
    ExpectScanAsTheWalk(tasks.Records(), scan, random);
    // Many tasks that can fall due, a few, or hardly any.
    const unsigned densities[] = {50, 5, 1};
    unsigned armed = 50;
    for (int step = 0; step < 800; ++step) {
        const size_t size = tasks.size();
        const unsigned what = static_cast<unsigned>(random() % 20);
        if (what == 0) {
            // A reload: several blocks, cut anywhere.
            armed = densities[random() % 3];
            std::vector<TMyRec2> loaded;
            const size_t count = random() % 1500;
            for (size_t k = 0; k < count; ++k)
                loaded.push_back(RandomTask(random, nextId++, armed));
            tasks.Assign(std::move(loaded));
        } else if (what <= 5 || size == 0) {
            tasks.Append(RandomTask(random, nextId++, armed));
        } else if (what <= 12) {
            tasks.Erase(random() % size);
        } else {
            // Half the time the change meets a task that can fall due, where the index
            // has something to forget.
            size_t at = random() % size;
            for (size_t tries = random() % 2 ? size : 0; tries > 0; --tries) {
                if (tasks[at].intDone == 0 && tasks[at].intReminder == 1)
                    break;
                at = (at + 1) % size;
            }
            const TMyRec2 other = RandomTask(random, 0, armed);
            tasks.Change(at, [&](TMyRec2& task) {
                switch (what) {
                case 13:
                case 14:
                    task.intDone = other.intDone;
                    break;
                case 15:
                case 16:
                    task.intReminder = other.intReminder;
                    break;
                case 17:
                    task.datetimeReminder = other.datetimeReminder;
                    break;
                default:
                    task.intDone = other.intDone;
                    task.intReminder = other.intReminder;
                    task.datetimeReminder = other.datetimeReminder;
                }
            });
        }
        ExpectScanAsTheWalk(tasks.Records(), scan, random);
        if (HasFatalFailure())
            return;
    }
    tasks.Clear();
    EXPECT_EQ(tasks.FindDue(0, Now), -1);
}

// The same through the records' owner: every operation that changes a task, each by its own
// road (the list's commands, the editor, the reminder popup, a reload), leaves the scan
// answering as the walk over AllTasks.
class ReminderIndexTest : public TempDatabase {
protected:
    void SetUp() override {
        TempDatabase::SetUp();
        DoneBottom = 1;
        SortOrder = 0;
        arrays_ = std::make_unique<TTaskArrays>(Dm());
    }
    void TearDown() override {
        arrays_.reset();
        DoneBottom = 1;
        SortOrder = 0;
        TempDatabase::TearDown();
    }

    TTaskEdit RandomEdit() {
        const TMyRec2 task = RandomTask(random_, 0, 20);
        TTaskEdit edit;
        edit.strName = "task";
        edit.intCategory = 1 + static_cast<int32_t>(random_() % 3);
        edit.intReminder = task.intReminder;
        edit.datetimeReminder = std::isnan(task.datetimeReminder) ? Now : task.datetimeReminder;
        return edit;
    }
    int32_t RandomId() {
        const auto& all = arrays_->AllTasks();
        return all[random_() % all.size()].id;
    }
    int RandomRow() { return static_cast<int>(random_() % arrays_->ShownTasks().size()); }
    void ExpectScanAsTheWalk() {
        ::ExpectScanAsTheWalk(
            arrays_->AllTasks(),
            [&](int from, double now) { return arrays_->NextDueTask(from, now); }, random_);
    }

    std::mt19937 random_{7};
    std::unique_ptr<TTaskArrays> arrays_;
};

TEST_F(ReminderIndexTest, EveryRoadThatChangesATaskKeepsTheScanAsTheWalk) {
    std::string rows;
    for (int id = 1; id <= 1000; ++id) {
        const TMyRec2 task = RandomTask(random_, id, 2);
        const double time = std::isfinite(task.datetimeReminder) ? task.datetimeReminder : Now;
        rows += std::string(rows.empty() ? "" : ", ") + "(" + std::to_string(id) + ", 't', " +
                std::to_string(1 + id % 3) + ", " + std::to_string(task.intDone) + ", " +
                std::to_string(task.intReminder) + ", " + std::to_string(time) + ")";
    }
    Exec("INSERT INTO t_task (id, strName, intCategory, intDone, intReminder, datetimeReminder) "
         "VALUES " +
         rows);
    arrays_->Load(0, -1, -1);
    ExpectScanAsTheWalk();
    for (int step = 0; step < 120 && !HasFatalFailure(); ++step) {
        if (arrays_->ShownTasks().empty()) {
            arrays_->Load(0, -1, -1);
            continue;
        }
        switch (random_() % 10) {
        case 0: {
            std::optional<TMyRec1> category;
            const TTaskEdit edit = RandomEdit();
            const int32_t id = InsertTask(Dm(), edit, &category);
            arrays_->Add(id, edit, category);
            break;
        }
        case 1: {
            const TTaskEdit edit = RandomEdit();
            arrays_->EditFromList(RandomRow(), edit, ReadCategory(Dm(), edit.intCategory));
            break;
        }
        case 2: {
            const TTaskEdit edit = RandomEdit();
            arrays_->EditFromReminder(RandomId(), edit, ReadCategory(Dm(), edit.intCategory));
            break;
        }
        case 3:
            arrays_->Delete(RandomRow());
            break;
        case 4:
            arrays_->SetDone(RandomRow(), static_cast<int32_t>(random_() % 2));
            break;
        case 5:
            arrays_->PostponeReminder(RandomId(), Now + (static_cast<double>(random_() % 9) - 4));
            break;
        case 6:
            arrays_->CancelReminder(RandomId());
            break;
        case 7:
            arrays_->MarkDone(RandomId());
            break;
        case 8:
            arrays_->SortByColumn(static_cast<int>(random_() % 5), -1, std::nullopt);
            break;
        default:
            // A reload of one category, after another program changed the file.
            Exec("UPDATE t_task SET intDone = 1 - intDone WHERE id % 7 = " +
                 std::to_string(random_() % 7));
            arrays_->Load(static_cast<int32_t>(random_() % 4), -1, -1);
        }
        ExpectScanAsTheWalk();
    }
}

TEST_F(ReminderIndexTest, AFailedLoadLeavesNothingToAnnounce) {
    AddTask(1, "due", 1);
    Exec("UPDATE t_task SET intReminder = 1, datetimeReminder = 1");
    arrays_->Load(0, -1, -1);
    ASSERT_EQ(arrays_->NextDueTask(0, Now), 0);
    Exec("DROP TABLE t_note");
    EXPECT_THROW(arrays_->Load(0, -1, -1), std::exception);
    EXPECT_EQ(arrays_->NextDueTask(0, Now), -1);
    EXPECT_EQ(arrays_->NextDueTask(-1, Now), -1);
}

} // namespace
