// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

// Every task has a UID, a text that names it for life: in exports, in imports and on a
// server. It is kept in t_uid beside the task. A new task gets a random UUID, an imported one
// keeps the UID of its file, and a task made before UIDs were kept has the one the exports
// gave it then (see LegacyTaskUid), so that those exports are still recognised.

// A random UUID (version 4) in lowercase: "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx".
std::string NewTaskUid();
// "task-ID-HASH@tolvek-organizer", HASH being DatabasePathHash of the database: the UID that
// exports gave a task before UIDs were kept.
std::string LegacyTaskUid(int32_t id, const std::string& databasePath);

// Every task's UID by the task's id. A task without a kept UID (one another program wrote
// since the file was last brought in step) answers with its legacy UID.
std::unordered_map<int32_t, std::string> ReadTaskUids(TDM& dm);
// The task that has the UID, as ReadTaskUids has them; none when no task has it.
std::optional<int32_t> FindTaskByUid(TDM& dm, const std::string& uid);

// These two work inside the caller's transaction (see InTransaction).
// Keeps the task's UID, in place of one that a deleted task with the same id left behind.
void WriteTaskUid(TDM& dm, int32_t id, const std::string& uid);
// Forgets the task's UID: a part of every deletion of a task, so that a task given the same
// id later never inherits it.
void DeleteTaskUid(TDM& dm, int32_t id);

// Brings the kept UIDs in step with the tasks in a transaction of its own: creates t_uid when
// the file lacks it, gives each task without a UID its legacy one (a random one when another
// task has that already) and forgets the UIDs of tasks that are gone. Writes nothing when all
// is in step, nor on a file whose tasks cannot be read whole (the load reports that one).
// Throws StoreError when the file cannot be read or written.
void BringTaskUidsInStep(TDM& dm);
