// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/records/IndexedTasks.h"
#include "store/records/TaskWrite.h"
#include "store/varUnit.h"

#include <cstdint>
#include <optional>
#include <vector>

// What an operation did to the rows of the list (ShownTasks), as the listener hears it.
struct TRowChange {
    enum TKind { Reset, Inserted, Removed, Changed };
    TKind kind = Reset;
    // The row inserted, removed or changed; -1 for a reset.
    int row = -1;

    bool operator==(const TRowChange&) const = default;
};
using TRowChanges = std::vector<TRowChange>;

// Told of every change to the rows, after the arrays hold it.
class TRowListener {
public:
    virtual ~TRowListener() = default;
    virtual void RowsReset() = 0;
    virtual void RowInserted(int row) = 0;
    virtual void RowRemoved(int row) = 0;
    virtual void RowChanged(int row) = 0;
};

// The two arrays of task records and every rule by which they change between reloads.
// AllTasks holds every task in id order; ShownTasks the rows of the list, row i being entry
// i, each a copy of its AllTasks record. Nothing else writes them.
//
// Operations that write the database write it first: when the write throws, the records
// are as they were. Each operation tells the listener the rows it reset, inserted, removed or
// changed, once the arrays hold the change. AllTasks keeps its index of reminder times in
// step with every change, whichever operation makes it.
class TTaskArrays {
public:
    explicit TTaskArrays(TDM& dm) : dm_(dm) {}

    const std::vector<TMyRec2>& AllTasks() const { return all_.Records(); }
    const std::vector<TMyRec2>& ShownTasks() const { return shown_; }

    void SetListener(TRowListener* listener) { listener_ = listener; }

    // Reads both arrays again: every task, and those of the category (0 or below: all) in
    // the order of the header's sort column (-1 for none) and direction (-1 ascending, +1
    // descending). On failure both arrays are empty, the error propagates, and every write
    // is refused with it until a load succeeds.
    void Load(int32_t category, int sortColumn, int32_t sortOrder);
    // How many loads there were: a command that ran a modal window in between sees whether
    // the rows it read before were read again under it.
    uint64_t LoadCount() const { return loads_; }

    // What follows a save of the editor reads nothing from the file: category is the task's
    // category row as the save read it, so that a file locked just after the save cannot
    // keep the records from following it.

    // A task the editor has just added: appended to both arrays, whatever category the list
    // shows, with its category's name, icon and position.
    void Add(int32_t id, const TTaskEdit& saved, const std::optional<TMyRec1>& category);
    // The editor has just saved the task of a row: every AllTasks record with its id and the
    // row's record take all fields but the done mark and the category's name.
    void EditFromList(int row, const TTaskEdit& saved, const std::optional<TMyRec1>& category);
    // The editor has just saved a task opened from a reminder: its AllTasks record takes all
    // fields but the done mark and the category's name, and every row showing it becomes a
    // copy of that record. The rows keep their places.
    void EditFromReminder(int32_t id, const TTaskEdit& saved,
                          const std::optional<TMyRec1>& category);

    // Deletes the task of a row from the database and from both arrays.
    void Delete(int row);
    // The row that takes the focus after row was deleted: the same place, or the new last
    // row; -1 when the list is empty.
    int RowAfterDelete(int row) const;
    // Writes the done mark of a row's task, then sets it in both arrays.
    void SetDone(int row, int32_t done);

    // The reminder popup's operations on a task, shown or not.
    void PostponeReminder(int32_t id, double when);
    void CancelReminder(int32_t id);
    void MarkDone(int32_t id);

    // Orders the rows by a column header (0 to 4) in a direction (-1 ascending, +1
    // descending), which becomes SortOrder. Returns the new row of the task focusedId, -1
    // when there is none.
    int SortByColumn(int column, int32_t sortOrder, std::optional<int32_t> focusedId);

    // The reminder scan: the position in AllTasks of the first task at or after from whose
    // reminder is due at now, as FindDueTask finds it walking AllTasks; -1 when there is none.
    int NextDueTask(int from, double now) const { return all_.FindDue(from, now); }
    // The position in AllTasks of the task with that id, -1 when there is none.
    int PositionOfTask(int32_t id) const { return all_.Find(id); }

    // Copies of the rows, in row order, for printing: all fields but the category's name,
    // leaving out done tasks when asked.
    std::vector<TMyRec2> PrintCopies(bool onlyUncompleted) const;

private:
    template <typename Change> void ChangeTask(int32_t id, Change change);
    void Notify(const TRowChanges& changes) const;

    TDM& dm_;
    TRowListener* listener_ = nullptr;
    TIndexedTasks all_;
    std::vector<TMyRec2> shown_;
    uint64_t loads_ = 0;
};
