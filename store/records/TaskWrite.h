// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/varUnit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the task editor saves: every column of a task row but id and intDone, and the note.
// A task is Normal (intPriority 1) until it is told otherwise.
struct TTaskEdit : TTaskColumns {
    TTaskEdit() { intPriority = 1; }

    // The note as typed; none when the typed text is blank.
    std::optional<std::string> strNote;
};

// A new task as the editor starts one: Normal, no due date and no reminder, holding the dates
// the editor stores for them all the same (tomorrow, and tomorrow at the current time).
TTaskEdit NewTaskEdit();

// True when the text has nothing but spaces and control characters.
bool IsBlank(const std::string& text);
// The text without spaces and control characters at both ends.
std::string TrimName(const std::string& text);

// Each of these writes its rows in one transaction: all of it is in the file when it
// returns, and nothing of it when it throws.

// A task's name must hold more than spaces and control characters (StoreError otherwise). A
// change to a task the database no longer holds throws TaskGoneError.

// Adds a task (not done), its note and a new UID; returns the new task's id. When asked,
// reads the task's category row in the same transaction, so that what follows a save that took
// needs nothing more from the file.
int32_t InsertTask(TDM& dm, const TTaskEdit& task, std::optional<TMyRec1>* category = nullptr);
// Adds a task with that done mark, its note and its UID (a new random one when uid is empty)
// inside the caller's transaction (see InTransaction), so that many tasks go in together;
// returns the new task's id.
int32_t AppendTaskRows(TDM& dm, const TTaskEdit& task, int32_t done, const std::string& uid = {});
// Rewrites a task as UpdateTask does, and its done mark when one is given, inside the caller's
// transaction.
void RewriteTaskRows(TDM& dm, int32_t id, const TTaskEdit& task, std::optional<int32_t> done);
// Rewrites a task but its done mark, and adds, changes or deletes its note to match; reads the
// category row as InsertTask does.
void UpdateTask(TDM& dm, int32_t id, const TTaskEdit& task,
                std::optional<TMyRec1>* category = nullptr);
// Deletes a task, its note and its UID.
void DeleteTask(TDM& dm, int32_t id);
// Deletes a task as DeleteTask does, inside the caller's transaction.
void DeleteTaskRows(TDM& dm, int32_t id);
// Deletes the tasks as DeleteTask does, all of them or none.
void DeleteTasks(TDM& dm, const std::vector<int32_t>& ids);
// Writes the done mark of a task (1 done, 0 not done).
void WriteDoneMark(TDM& dm, int32_t id, int32_t done);
// Writes the done mark of each of the tasks, all of them or none.
void WriteDoneMarks(TDM& dm, const std::vector<int32_t>& ids, int32_t done);
// Moves a task's reminder to another time; the reminder stays on.
void WriteReminderTime(TDM& dm, int32_t id, double when);
// Turns a task's reminder off; its time is kept.
void WriteReminderOff(TDM& dm, int32_t id);

// A category's row: name, icon and position; none when no category has that id.
std::optional<TMyRec1> ReadCategory(TDM& dm, int32_t id);
// Copies the icon and position of the task's category into the record, and its name too when
// withName is set (an edit keeps the name the record was loaded with). No category leaves the
// record alone.
void ApplyCategory(TMyRec2& task, const TMyRec1& category, bool withName);
void ApplyCategory(TMyRec2& task, const std::optional<TMyRec1>& category, bool withName);

// Copies what the editor saved into a task record: all fields but id, intDone, strCategory
// and the category's icon and position.
void ApplyEdit(TMyRec2& record, const TTaskEdit& task);
// The other way: what saving the record's task unchanged would save. The note is the record's
// while intMemo is 1.
TTaskEdit TaskEditOf(const TMyRec2& record);
