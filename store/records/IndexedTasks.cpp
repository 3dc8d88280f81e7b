// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/records/IndexedTasks.h"

#include "store/funUnit.h"
#include "store/records/Reminders.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t BlockSize = 128;
constexpr double Never = std::numeric_limits<double>::infinity();

// When the task falls due: the scan announces it once now is later than this. A task that
// would not be due even at the end of time (done, reminder off, a time that is not a number)
// never falls due.
double DueTime(const TMyRec2& task) {
    return ReminderDue(task, Never) ? task.datetimeReminder : Never;
}

} // namespace

size_t TIndexedTasks::BlockEnd(size_t block) const {
    return std::min(due_.size(), (block + 1) * BlockSize);
}

double TIndexedTasks::EarliestOfBlock(size_t block) const {
    return *std::min_element(due_.begin() + static_cast<std::ptrdiff_t>(block * BlockSize),
                             due_.begin() + static_cast<std::ptrdiff_t>(BlockEnd(block)));
}

void TIndexedTasks::Assign(std::vector<TMyRec2> tasks) {
    tasks_ = std::move(tasks);
    due_.resize(tasks_.size());
    std::transform(tasks_.begin(), tasks_.end(), due_.begin(), DueTime);
    IndexBlocksFrom(0);
}

int TIndexedTasks::Find(int32_t id) const {
    const auto found =
        std::lower_bound(tasks_.begin(), tasks_.end(), id,
                         [](const TMyRec2& task, int32_t id) { return task.id < id; });
    if (found != tasks_.end() && found->id == id)
        return static_cast<int>(found - tasks_.begin());
    // Records appended out of id order would hide a task from the search by halves.
    return FindTask(tasks_, id);
}

void TIndexedTasks::Append(TMyRec2 task) {
    const double due = DueTime(task);
    tasks_.push_back(std::move(task));
    due_.push_back(due);
    if ((due_.size() - 1) % BlockSize == 0)
        earliest_.push_back(due);
    else
        earliest_.back() = std::min(earliest_.back(), due);
}

void TIndexedTasks::Erase(size_t position) {
    tasks_.erase(tasks_.begin() + static_cast<std::ptrdiff_t>(position));
    due_.erase(due_.begin() + static_cast<std::ptrdiff_t>(position));
    // Every later task moved one place up, and with it from one block into another.
    IndexBlocksFrom(position / BlockSize);
}

void TIndexedTasks::Reindex(size_t position) {
    due_[position] = DueTime(tasks_[position]);
    earliest_[position / BlockSize] = EarliestOfBlock(position / BlockSize);
}

void TIndexedTasks::IndexBlocksFrom(size_t block) {
    earliest_.resize((due_.size() + BlockSize - 1) / BlockSize);
    for (size_t b = block; b < earliest_.size(); ++b)
        earliest_[b] = EarliestOfBlock(b);
}

int TIndexedTasks::FindDue(int from, double now) const {
    const auto firstDue = [&](size_t first, size_t last) -> int {
        for (size_t k = first; k < last; ++k)
            if (due_[k] < now)
                return static_cast<int>(k);
        return -1;
    };
    const size_t start = from < 0 ? 0 : static_cast<size_t>(from);
    if (start >= due_.size())
        return -1;
    // The rest of the block of from, task by task; then block by block.
    const size_t block = start / BlockSize;
    if (const int k = firstDue(start, BlockEnd(block)); k >= 0)
        return k;
    for (size_t b = block + 1; b < earliest_.size(); ++b)
        if (earliest_[b] < now)
            return firstDue(b * BlockSize, BlockEnd(b));
    return -1;
}
