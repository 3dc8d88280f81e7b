// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/records/TaskArrays.h"

#include "store/funUnit.h"
#include "store/records/TaskTable.h"

void TTaskArrays::Notify(const TRowChanges& changes) const {
    if (listener_)
        for (const TRowChange& change : changes) {
            switch (change.kind) {
            case TRowChange::Reset:
                listener_->RowsReset();
                break;
            case TRowChange::Inserted:
                listener_->RowInserted(change.row);
                break;
            case TRowChange::Removed:
                listener_->RowRemoved(change.row);
                break;
            case TRowChange::Changed:
                listener_->RowChanged(change.row);
                break;
            }
        }
}

void TTaskArrays::Load(int32_t category, int sortColumn, int32_t sortOrder) {
    ++loads_;
    // The records of the last load go first, so that a reload never holds two sets of them.
    all_.Clear();
    try {
        std::vector<TMyRec2> all;
        LoadTaskArrays(dm_, category, sortColumn, sortOrder, all, shown_);
        all_.Assign(std::move(all));
    } catch (const std::exception& error) {
        all_.Clear();
        shown_.clear();
        dm_.RefuseWrites(error.what());
        Notify({{TRowChange::Reset}});
        throw;
    }
    dm_.AllowWrites();
    Notify({{TRowChange::Reset}});
}

void TTaskArrays::Add(int32_t id, const TTaskEdit& saved, const std::optional<TMyRec1>& category) {
    TMyRec2 task;
    task.id = id;
    ApplyEdit(task, saved);
    task.intDone = 0;
    ApplyCategory(task, category, true);
    all_.Append(task);
    shown_.push_back(std::move(task));
    Notify({{TRowChange::Inserted, static_cast<int>(shown_.size()) - 1}});
}

void TTaskArrays::EditFromList(int row, const TTaskEdit& saved,
                               const std::optional<TMyRec1>& category) {
    TMyRec2& shown = shown_.at(static_cast<size_t>(row));
    TMyRec2 edited = shown;
    ApplyEdit(edited, saved);
    ApplyCategory(edited, category, false);
    for (size_t k = 0; k < all_.size(); ++k)
        if (all_[k].id == shown.id)
            all_.Change(k, [&](TMyRec2& task) {
                ApplyEdit(task, saved);
                task.intImg = edited.intImg;
                task.intPos = edited.intPos;
            });
    shown = std::move(edited);
    Notify({{TRowChange::Changed, row}});
}

void TTaskArrays::EditFromReminder(int32_t id, const TTaskEdit& saved,
                                   const std::optional<TMyRec1>& category) {
    const int position = all_.Find(id);
    if (position < 0)
        return;
    TMyRec2 edited = all_[static_cast<size_t>(position)];
    ApplyEdit(edited, saved);
    ApplyCategory(edited, category, false);
    all_.Change(static_cast<size_t>(position), [&](TMyRec2& task) { task = edited; });
    TRowChanges changes;
    for (size_t row = 0; row < shown_.size(); ++row)
        if (shown_[row].id == id) {
            shown_[row] = edited;
            changes.push_back({TRowChange::Changed, static_cast<int>(row)});
        }
    Notify(changes);
}

void TTaskArrays::Delete(int row) {
    const int32_t id = shown_.at(static_cast<size_t>(row)).id;
    DeleteTask(dm_, id);
    if (const int all = all_.Find(id); all >= 0)
        all_.Erase(static_cast<size_t>(all));
    shown_.erase(shown_.begin() + row);
    Notify({{TRowChange::Removed, row}});
}

int TTaskArrays::RowAfterDelete(int row) const {
    if (shown_.empty())
        return -1;
    return std::min(row, static_cast<int>(shown_.size()) - 1);
}

void TTaskArrays::SetDone(int row, int32_t done) {
    TMyRec2& task = shown_.at(static_cast<size_t>(row));
    WriteDoneMark(dm_, task.id, done);
    task.intDone = done;
    if (const int all = all_.Find(task.id); all >= 0)
        all_.Change(static_cast<size_t>(all), [done](TMyRec2& record) { record.intDone = done; });
    Notify({{TRowChange::Changed, row}});
}

template <typename Change> void TTaskArrays::ChangeTask(int32_t id, Change change) {
    const int all = all_.Find(id);
    if (all < 0)
        return;
    all_.Change(static_cast<size_t>(all), change);
    const int row = FindTask(shown_, id);
    if (row < 0)
        return;
    change(shown_[static_cast<size_t>(row)]);
    Notify({{TRowChange::Changed, row}});
}

void TTaskArrays::PostponeReminder(int32_t id, double when) {
    if (all_.Find(id) < 0)
        return;
    WriteReminderTime(dm_, id, when);
    ChangeTask(id, [when](TMyRec2& task) { task.datetimeReminder = when; });
}

void TTaskArrays::CancelReminder(int32_t id) {
    if (all_.Find(id) < 0)
        return;
    WriteReminderOff(dm_, id);
    ChangeTask(id, [](TMyRec2& task) { task.intReminder = 0; });
}

void TTaskArrays::MarkDone(int32_t id) {
    if (all_.Find(id) < 0)
        return;
    WriteDoneMark(dm_, id, 1);
    ChangeTask(id, [](TMyRec2& task) { task.intDone = 1; });
}

int TTaskArrays::SortByColumn(int column, int32_t sortOrder, std::optional<int32_t> focusedId) {
    SortOrder = sortOrder;
    const int kind = column + 1;
    SortTasksByColumn(shown_, kind);
    Notify({{TRowChange::Reset}});
    return focusedId ? FindTask(shown_, *focusedId) : -1;
}

std::vector<TMyRec2> TTaskArrays::PrintCopies(bool onlyUncompleted) const {
    std::vector<TMyRec2> copies;
    copies.reserve(shown_.size());
    for (const TMyRec2& task : shown_) {
        if (onlyUncompleted && task.intDone == 1)
            continue;
        TMyRec2& copy = copies.emplace_back(task);
        copy.strCategory.clear();
    }
    return copies;
}
