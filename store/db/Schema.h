// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// The table t_uid, one row a task: idTask, the task's id, and strUid, its UID (the stable id
// that exports and imports carry). Creates it when the file lacks it.
extern const char* const TaskUidTableSql;

// Creates a new database file at path with the tables and the starter categories.
// The file appears whole or not at all.
void CreateDatabase(const std::string& path);
