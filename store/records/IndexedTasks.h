// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <cstddef>
#include <vector>

// Every task in id order (AllTasks), with an index of the reminder times that can fall due, so
// that the reminder scan finds the next due task without reading every record: each block of
// tasks keeps the earliest time among its tasks that are not done and have their reminder on.
//
// The records change only through it, and each change brings the index in step at once: a
// record cannot change behind the index's back.
class TIndexedTasks {
public:
    const std::vector<TMyRec2>& Records() const { return tasks_; }
    size_t size() const { return tasks_.size(); }
    const TMyRec2& operator[](size_t position) const { return tasks_[position]; }

    void Assign(std::vector<TMyRec2> tasks);
    void Clear() { Assign({}); }
    void Append(TMyRec2 task);
    void Erase(size_t position);
    // Changes the record at a position; the index follows.
    template <typename Edit> void Change(size_t position, Edit change) {
        change(tasks_[position]);
        Reindex(position);
    }

    // What FindDueTask(Records(), from, now) answers: the position of the first task at or
    // after from that is not done, has its reminder on (exactly 1) and a reminder time strictly
    // earlier than now; -1 when there is none.
    int FindDue(int from, double now) const;
    // The position of the task with that id, -1 when there is none; a search by halves, as
    // the records keep id order.
    int Find(int32_t id) const;

private:
    void Reindex(size_t position);
    void IndexBlocksFrom(size_t block);
    size_t BlockEnd(size_t block) const;
    double EarliestOfBlock(size_t block) const;

    std::vector<TMyRec2> tasks_;
    // Per task: its reminder time when the task can fall due, +infinity when it never does.
    std::vector<double> due_;
    // Per block of BlockSize tasks: the earliest of their due_ times.
    std::vector<double> earliest_;
};
