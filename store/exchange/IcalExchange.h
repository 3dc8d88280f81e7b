// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/records/TaskWrite.h"

#include <cstdint>
#include <string>
#include <vector>

// Tasks in and out as iCalendar to-dos (VTODO), read and written with libical.

// One to-do of a file, ready to become a task.
struct TImportedTask {
    // Every column but the category, which ImportTasks picks from the names below.
    TTaskEdit task;
    int32_t intDone = 0;
    // The to-do's categories, trimmed, in the order of the file.
    std::vector<std::string> categories;
    // The to-do's UID; empty when it has none.
    std::string uid;
};

// The to-dos of iCalendar text. Throws StoreError, naming sourceName, when the text is not
// iCalendar, ends before its last component is closed, is damaged, nests its components
// more than 64 deep, or holds no to-do; it then reads nothing.
std::vector<TImportedTask> ReadIcalText(const std::string& text, const std::string& sourceName);
// The to-dos of an iCalendar file, as ReadIcalText; also throws when the file cannot be read.
std::vector<TImportedTask> ReadIcalFile(const std::string& path);

struct TImportResult {
    // The new tasks' ids, in the order of the file.
    std::vector<int32_t> taskIds;
    // The tasks that to-dos changed, in the order of the file.
    std::vector<int32_t> updatedIds;
    // The to-dos that named a task which already held all they say.
    size_t unchanged = 0;
    // The names of the categories the import made, in the order they were made.
    std::vector<std::string> newCategories;
};

// Brings the to-dos in, in one transaction: all of them or, when it throws, none.
//
// A to-do whose UID is a task's (see ReadTaskUids) updates that task: each field that the
// to-do says otherwise than the task's own export would (name, note, priority, done mark,
// due date, reminder with its sound, category) takes the to-do's value, and nothing else of
// the task changes, so a file imported twice changes nothing the second time. The category
// changes only to one the to-do names: the first of its categories that exists, else a new
// one as below; with neither the task keeps its own.
//
// Any other to-do becomes a new task that keeps the to-do's UID (a random one when it has
// none). It goes into the first of its categories that exists (by name, see
// FindCategoryByName); when none does, into a new category of its first name (icon 1, next
// position) while there are fewer than 10; otherwise into fallbackCategory, or the first
// category by position when that is 0. A to-do's sound is kept only when the sound folder
// has a file of its name. Throws StoreError when fallbackCategory names no category.
TImportResult ImportTasks(TDM& dm, const std::vector<TImportedTask>& tasks,
                          int32_t fallbackCategory);

// A task's sound is a file of the sound folder, as the editor sets it: a sound a to-do names
// keeps its name only when the sound folder has a file of that name, else the task has none.
void KeepSoundOfSoundFolder(const TDM& dm, TTaskEdit& task);

// The tasks of the category (all of them for 0), in id order, as one VCALENDAR; each to-do has
// its task's UID (see ReadTaskUids).
std::string ExportIcal(TDM& dm, int32_t category);
