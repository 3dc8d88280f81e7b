// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/sync/SyncMerge.h"

#include <ctime>
#include <optional>
#include <string>

// A server's to-do as the sync reads it, and the text the sync uploads: the to-do the server
// last sent with only the organizer's changed fields rewritten, so that what other programs
// keep in it (recurrence, relations, a start, a due time, more alarms, their own properties)
// goes back as it came.
//
// The fields are mapped as the import maps them, but for the reminder: the organizer's
// reminder is the first alarm with an absolute trigger (its sound the ATTACH of an audio
// alarm); alarms relative to the start or the due time belong to other programs. A resource's
// to-do is its first VTODO without a RECURRENCE-ID; the other ones stay as they are.

struct TServerTodo {
    std::string uid;
    // The category is left 0: on the server it is the list the to-do is in.
    TSyncTask task;
    // When the to-do last changed, as a local date-time: its LAST-MODIFIED, else its DTSTAMP;
    // none when it has neither.
    std::optional<double> changedAt;
};

// Reads a resource's to-do. Throws StoreError when the text is not iCalendar, is damaged, or
// holds no to-do.
TServerTodo ReadServerTodo(const std::string& text);

// The text to upload for the task: text (the resource as the server last sent it) with the
// fields in which the task differs from it rewritten, and DTSTAMP and LAST-MODIFIED set to now
// and SEQUENCE counted up when any did; every other line goes back byte for byte. Returns
// text itself when nothing differs. A due day that is the day of the to-do's due time keeps
// that time; another day moves the time to that day; a due date set where there was none is a
// date without a time. Throws as ReadServerTodo does.
std::string PatchTodo(const std::string& text, const TSyncTask& task, std::time_t now);

// A resource of one new to-do with the uid and every field of the task.
std::string NewTodoText(const TSyncTask& task, const std::string& uid, std::time_t now);
