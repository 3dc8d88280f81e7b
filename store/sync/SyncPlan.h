// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/sync/SyncState.h"
#include "store/sync/TodoPatch.h"
#include "store/varUnit.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// What a sync does with each task, decided from what it found on the server, the tasks here
// and the state of the last sync, before anything is written. No network, no database.

// A resource of a server list.
struct TServerResource {
    // The list's href, the resource's href and ETag, and its text.
    std::string list;
    std::string href;
    std::string etag;
    std::string text;
};

// A resource read: its to-do, whose category is that of its list.
struct TServerItem {
    TServerResource resource;
    TServerTodo todo;
};

// What the sync learned of one list since the last sync.
struct TListFindings {
    std::string list;
    // Resources new or changed since the last sync, with their text.
    std::vector<TServerResource> changed;
    // Hrefs of resources gone since the last sync.
    std::vector<std::string> removed;
    // The changes were found by listing the whole list: what the state knows and the list
    // lacks is in removed.
    bool wholeList = false;
    // The server refused the list's sync token, as a restored server does.
    bool tokenRejected = false;
};

struct TPlanInput {
    // The lists that answered, with their categories.
    std::map<std::string, int32_t> categoryOfList;
    // Chosen lists that could not be read: what touches them waits for the next sync.
    std::set<std::string> failedLists;
    std::vector<TListFindings> findings;
    // The state as the last sync left it (the kept copies need not be read), then the tasks
    // here with their UIDs, read after it: a task changed in between has a change count that
    // moved, which the steps check.
    std::vector<TSyncTaskRow> state;
    std::vector<TMyRec2> tasks;
    std::unordered_map<int32_t, std::string> uids;
    std::vector<TSyncHeldRow> held;
    std::vector<TSyncGoneRow> gone;
    bool firstSync = false;
    bool addressChanged = false;
    // The user's answer to the deletions held before: carry them out, or give the tasks back.
    bool confirmDeletions = false;
    bool keepDeleted = false;
};

enum class TStepKind {
    // Brings the server's version in: a task new there, one changed there, or both changed.
    TakeServer,
    // The server deleted the task: delete it here.
    DeleteHere,
    // Gone on both sides, or never sent: forget what the state keeps of it.
    Forget,
    // A deletion waits for the user.
    Hold,
    // A held deletion no longer waits: carried out by the uploads, or no deletion any more.
    Release,
    // Deleted on the server but changed here, or kept by the user: it goes up again as new.
    Reupload,
    // Deleted here but kept by the user: the task comes back from the kept copy.
    Restore,
};

struct TSyncStep {
    TStepKind kind = TStepKind::Forget;
    std::string uid;
    // TakeServer: the server's version.
    std::optional<TServerItem> server;
    // DeleteHere, Forget, Reupload: the change count the plan saw; the step waits for the next
    // sync when the task changed since.
    int64_t changes = 0;
    // Hold: what waits.
    TSyncHeldRow held;
};

struct TSyncPlan {
    std::vector<TSyncStep> steps;
    // Lists whose sync token must not move on, as a change of theirs waits for the next sync.
    std::set<std::string> unfinishedLists;
    // What a person should hear: to-dos that cannot be read, copies of one to-do.
    std::vector<std::string> warnings;
    // What the uploads will do besides the steps, for a dry run: tasks to send, to-dos to
    // delete on the server.
    int toSend = 0;
    int toDeleteOnServer = 0;
};

TSyncPlan PlanSync(const TPlanInput& input);

// Whether the text holds a to-do at all (a calendar may hold events too, which are not ours).
bool HoldsTodo(const std::string& text);
// The name of the to-do a text holds, for messages; the fallback when it cannot be read.
std::string TodoName(const std::string& text, const std::string& fallback);
// The UID of the to-do a text holds; empty when it cannot be read.
std::string TodoUid(const std::string& text);
