// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/sync/SyncMerge.h"
#include "store/varUnit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The tasks here as a sync reads and writes them.

// A to-do's fields as a task here holds them: the name trimmed as the editor trims it, and a
// sound only when the sound folder has a file of that name (as the import keeps it).
TSyncTask AsKeptHere(const TDM& dm, TSyncTask task);

// The task's fields to send, against the server's version of it (the kept copy, or the
// server's current text): a field that is what the server's version becomes here takes the
// server's value, so that what a task here cannot hold (a sound the sound folder lacks, spaces
// round a name) goes back to the server as it came.
TSyncTask TowardsServer(const TDM& dm, const TSyncTask& here, const TSyncTask& server);

// One task as the sync sees it, read inside or outside a transaction.
struct TLocalTask {
    TMyRec2 record;
    std::string uid;
};
// The task of that id with its note and UID; none when no task has the id.
std::optional<TLocalTask> ReadLocalTask(TDM& dm, int32_t id);

// These write inside the caller's transaction (see InTransaction).
// A new task with the uid and the fields (as kept here); returns its id.
int32_t CreateTaskFromServer(TDM& dm, const TSyncTask& fields, const std::string& uid);
// Rewrites the task with the fields (as kept here); dates of what is off stay.
void RewriteTaskFromServer(TDM& dm, const TMyRec2& task, const TSyncTask& fields);

// The category a server list of that name maps to, inside the caller's transaction: the
// category of that name (whatever the case of its letters) that no list has yet, else a new
// category of that name (icon 1, the next position) while there are fewer than ten; none
// when there is no room. taken: the categories other lists have.
std::optional<int32_t> CategoryForList(TDM& dm, const std::string& name,
                                       const std::vector<int32_t>& taken);
// The category of that name (whatever the case of its letters) that no list has yet; none
// when there is none. taken: the categories other lists have.
std::optional<int32_t> FreeCategoryByName(const std::vector<TMyRec1>& categories,
                                          const std::string& name,
                                          const std::vector<int32_t>& taken);
