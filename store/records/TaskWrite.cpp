// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/records/TaskWrite.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsSpaceOrControl(unsigned char c) {
    return c <= ' ' || c == 0x7F;
}

void AssignColumns(TTableCursor& table, const TTaskEdit& task) {
    table.SetString("strName", TrimName(task.strName));
    table.SetInteger("intCategory", task.intCategory);
    table.SetInteger("intPriority", task.intPriority);
    table.SetInteger("intDue", task.intDue);
    table.SetFloat("dateDue", task.dateDue);
    table.SetInteger("intReminder", task.intReminder);
    table.SetFloat("datetimeReminder", task.datetimeReminder);
    table.SetInteger("intSound", task.intSound);
    table.SetString("strSoundFile", task.strSoundFile);
    table.SetInteger("intMemo", task.strNote ? 1 : 0);
}

void WriteNote(TDM& dm, int32_t taskId, const std::optional<std::string>& note) {
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_note");
    const bool found = table.Locate("idTask", taskId);
    if (note) {
        if (found) {
            table.Edit();
        } else {
            const int32_t noteId = dm.NextId();
            table.Append();
            table.SetInteger("id", noteId);
        }
        table.SetInteger("idTask", taskId);
        table.SetString("strNote", *note);
        table.Post();
    } else if (found) {
        table.Delete();
    }
    table.Close();
}

void LocateTask(TTableCursor& table, int32_t id) {
    if (!table.Locate("id", id))
        throw TaskGoneError();
}

// A name of nothing but spaces and control characters is no name, whoever writes it.
void RequireName(const TTaskEdit& task) {
    if (IsBlank(task.strName))
        throw StoreError("Error, Task can not be empty!");
}

// The category's row as the save's own transaction sees it, for the records that follow.
void ReadSavedCategory(TDM& dm, int32_t id, std::optional<TMyRec1>* category) {
    if (category)
        *category = ReadCategory(dm, id);
}

// Changes columns of one task row; the row must exist.
template <typename Assign> void EditTaskRow(TDM& dm, int32_t id, Assign assign) {
    dm.RequireWritable();
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_task");
    LocateTask(table, id);
    table.Edit();
    assign(table);
    table.Post();
    table.Close();
}

} // namespace

TTaskEdit NewTaskEdit() {
    TTaskEdit task;
    const double now = Now();
    task.dateDue = std::trunc(now) + 1;
    task.datetimeReminder = now + 1;
    return task;
}

bool IsBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return IsSpaceOrControl(c); });
}

std::string TrimName(const std::string& text) {
    auto begin =
        std::find_if_not(text.begin(), text.end(), [](char c) { return IsSpaceOrControl(c); });
    auto end = std::find_if_not(text.rbegin(), std::make_reverse_iterator(begin), [](char c) {
                   return IsSpaceOrControl(c);
               }).base();
    return std::string(begin, end);
}

int32_t AppendTaskRows(TDM& dm, const TTaskEdit& task, int32_t done, const std::string& uid) {
    RequireName(task);
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_task");
    const int32_t id = dm.NextId();
    table.Append();
    table.SetInteger("id", id);
    table.SetInteger("intDone", done);
    AssignColumns(table, task);
    table.Post();
    table.Close();
    if (task.strNote)
        WriteNote(dm, id, task.strNote);
    WriteTaskUid(dm, id, uid.empty() ? NewTaskUid() : uid);
    return id;
}

void RewriteTaskRows(TDM& dm, int32_t id, const TTaskEdit& task, std::optional<int32_t> done) {
    RequireName(task);
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_task");
    LocateTask(table, id);
    table.Edit();
    AssignColumns(table, task);
    if (done)
        table.SetInteger("intDone", *done);
    table.Post();
    table.Close();
    WriteNote(dm, id, task.strNote);
}

int32_t InsertTask(TDM& dm, const TTaskEdit& task, std::optional<TMyRec1>* category) {
    int32_t id = 0;
    InTransaction(dm, [&](TTableCursor&) {
        id = AppendTaskRows(dm, task, 0);
        ReadSavedCategory(dm, task.intCategory, category);
    });
    return id;
}

void UpdateTask(TDM& dm, int32_t id, const TTaskEdit& task, std::optional<TMyRec1>* category) {
    InTransaction(dm, [&](TTableCursor&) {
        RewriteTaskRows(dm, id, task, std::nullopt);
        ReadSavedCategory(dm, task.intCategory, category);
    });
}

void DeleteTask(TDM& dm, int32_t id) {
    DeleteTasks(dm, {id});
}

void DeleteTaskRows(TDM& dm, int32_t id) {
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_task");
    LocateTask(table, id);
    table.Delete();
    table.Close();
    WriteNote(dm, id, std::nullopt);
    DeleteTaskUid(dm, id);
}

void DeleteTasks(TDM& dm, const std::vector<int32_t>& ids) {
    InTransaction(dm, [&](TTableCursor&) {
        for (int32_t id : ids)
            DeleteTaskRows(dm, id);
    });
}

void WriteDoneMark(TDM& dm, int32_t id, int32_t done) {
    EditTaskRow(dm, id, [&](TTableCursor& table) { table.SetInteger("intDone", done); });
}

void WriteDoneMarks(TDM& dm, const std::vector<int32_t>& ids, int32_t done) {
    InTransaction(dm, [&](TTableCursor&) {
        for (int32_t id : ids)
            WriteDoneMark(dm, id, done);
    });
}

void WriteReminderTime(TDM& dm, int32_t id, double when) {
    EditTaskRow(dm, id, [&](TTableCursor& table) { table.SetFloat("datetimeReminder", when); });
}

void WriteReminderOff(TDM& dm, int32_t id) {
    EditTaskRow(dm, id, [](TTableCursor& table) { table.SetInteger("intReminder", 0); });
}

std::optional<TMyRec1> ReadCategory(TDM& dm, int32_t id) {
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_category");
    std::optional<TMyRec1> category;
    if (table.Locate("id", id))
        category = CategoryOfRow(table);
    table.Close();
    return category;
}

void ApplyCategory(TMyRec2& task, const TMyRec1& category, bool withName) {
    if (withName)
        task.strCategory = category.strName;
    task.intImg = category.intImg;
    task.intPos = category.intPos;
}

void ApplyCategory(TMyRec2& task, const std::optional<TMyRec1>& category, bool withName) {
    if (category)
        ApplyCategory(task, *category, withName);
}

void ApplyEdit(TMyRec2& record, const TTaskEdit& task) {
    static_cast<TTaskColumns&>(record) = task;
    record.strName = TrimName(task.strName);
    record.intMemo = task.strNote ? 1 : 0;
    record.strNote = task.strNote.value_or(std::string());
}

TTaskEdit TaskEditOf(const TMyRec2& record) {
    TTaskEdit task;
    static_cast<TTaskColumns&>(task) = record;
    if (record.intMemo == 1)
        task.strNote = record.strNote;
    return task;
}
