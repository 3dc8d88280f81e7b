// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"

#include <cstdint>
#include <string>

// The tasks of the category (all of them for 0), in id order, as CSV (RFC 4180) in UTF-8
// without a byte-order mark, for a spreadsheet: a header row "Name", "Category", "Priority"
// ("High" or "Normal"), "Done" ("yes" or "no"), "Due date" (YYYY-MM-DD), "Reminder"
// (YYYY-MM-DD HH:MM), "Sound" (the file's name) and "Note", then a row a task, with an empty
// cell where a task has no due date, reminder, sound or note.
std::string ExportCsv(TDM& dm, int32_t category);
