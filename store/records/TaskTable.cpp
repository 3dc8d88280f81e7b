// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/records/TaskTable.h"

#include "store/db/TableAccess.h"
#include "store/funUnit.h"
#include "store/records/TaskWrite.h"

#include <algorithm>
#include <unordered_map>

std::vector<TMyRec2> ReadAllTasks(TDM& dm) {
    std::vector<TMyRec2> all;
    TTableCursor& table = dm.ADOTable1;

    OpenTable(table, "t_task");
    table.SetSort("Id ASC");
    const int id = table.FieldIndex("id"), name = table.FieldIndex("strName"),
              categoryId = table.FieldIndex("intCategory"),
              priority = table.FieldIndex("intPriority"), due = table.FieldIndex("intDue"),
              dateDue = table.FieldIndex("dateDue"), reminder = table.FieldIndex("intReminder"),
              datetimeReminder = table.FieldIndex("datetimeReminder"),
              sound = table.FieldIndex("intSound"), soundFile = table.FieldIndex("strSoundFile"),
              done = table.FieldIndex("intDone"), memo = table.FieldIndex("intMemo");
    all.reserve(static_cast<size_t>(table.RecordCount()));
    for (table.First(); !table.Eof(); table.Next()) {
        TMyRec2& task = all.emplace_back();
        task.id = table.AsInteger(id);
        task.strName = table.TakeString(name);
        task.intCategory = table.AsInteger(categoryId);
        task.intPriority = table.AsInteger(priority);
        task.intDue = table.AsInteger(due);
        task.dateDue = table.AsFloat(dateDue);
        task.intReminder = table.AsInteger(reminder);
        task.datetimeReminder = table.AsFloat(datetimeReminder);
        task.intSound = table.AsInteger(sound);
        task.strSoundFile = table.TakeString(soundFile);
        task.intDone = table.AsInteger(done);
        task.intMemo = table.AsInteger(memo);
    }
    table.SetSort("");
    table.Close();

    // Notes and categories are read in one pass each. The first row of a task's note (or of a
    // category id) in table order answers, as a locate from the first row would.
    OpenTable(table, "t_note");
    std::unordered_map<int32_t, std::string> notes;
    notes.reserve(static_cast<size_t>(table.RecordCount()));
    const int noteTask = table.FieldIndex("idTask"), noteText = table.FieldIndex("strNote");
    for (table.First(); !table.Eof(); table.Next())
        notes.try_emplace(table.AsInteger(noteTask), table.TakeString(noteText));
    table.Close();
    for (TMyRec2& task : all)
        if (task.intMemo > 0)
            if (auto note = notes.find(task.id); note != notes.end())
                task.strNote = std::move(note->second);

    OpenTable(table, "t_category");
    std::unordered_map<int32_t, TMyRec1> categories;
    for (table.First(); !table.Eof(); table.Next()) {
        TMyRec1 row = CategoryOfRow(table);
        categories.try_emplace(row.id, std::move(row));
    }
    table.Close();
    for (TMyRec2& task : all)
        if (auto found = categories.find(task.intCategory); found != categories.end())
            ApplyCategory(task, found->second, true);
    return all;
}

void LoadTaskArrays(TDM& dm, int32_t category, int sortColumn, int32_t sortOrder,
                    std::vector<TMyRec2>& allTasks, std::vector<TMyRec2>& shownTasks) {
    allTasks.clear();
    shownTasks.clear();
    std::vector<TMyRec2> all = ReadAllTasks(dm);

    // The rows of the list, as positions in all: the tasks of the category in id order.
    std::vector<size_t> rows;
    rows.reserve(all.size());
    for (size_t k = 0; k < all.size(); ++k)
        if (category <= 0 || all[k].intCategory == category)
            rows.push_back(k);
    const bool sortByColumn = sortColumn >= 0 && sortColumn <= 4;
    if (!sortByColumn && DoneBottom == 1) {
        // The done-at-bottom order is a stable ascending sort by the done mark alone; with
        // marks of 0 and 1 only it is the undone rows, then the done ones, each in id order.
        SortOrder = -1;
        const auto mark = [&](size_t k) { return all[k].intDone; };
        if (std::all_of(rows.begin(), rows.end(),
                        [&](size_t k) { return mark(k) == 0 || mark(k) == 1; }))
            std::stable_partition(rows.begin(), rows.end(), [&](size_t k) { return mark(k) == 0; });
        else
            std::stable_sort(rows.begin(), rows.end(),
                             [&](size_t a, size_t b) { return mark(a) < mark(b); });
    }
    std::vector<TMyRec2> shown;
    shown.reserve(rows.size());
    for (size_t k : rows)
        shown.push_back(all[k]);
    if (sortByColumn) {
        SortOrder = sortOrder;
        const int kind = sortColumn + 1;
        SortTasksByColumn(shown, kind);
    }
    allTasks = std::move(all);
    shownTasks = std::move(shown);
}

std::vector<TMyRec1> LoadCategories(TDM& dm) {
    std::vector<TMyRec1> categories;
    TTableCursor& table = dm.ADOTable1;
    table.Close();
    OpenTable(table, "t_category");
    table.SetSort("intPos ASC");
    for (table.First(); !table.Eof(); table.Next())
        categories.push_back(CategoryOfRow(table));
    table.SetSort("");
    table.Close();
    return categories;
}

TMyRec1 CategoryOfRow(TTableCursor& table) {
    TMyRec1 category;
    category.id = table.AsInteger("id");
    category.strName = table.AsString("strName");
    category.intImg = table.AsInteger("intImg");
    category.intPos = table.AsInteger("intPos");
    return category;
}
