// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/sync/SyncMerge.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What a sync keeps in the database between two syncs, beside the tasks: per list its
// collection and sync token, per task where its to-do is and the to-do as the server last sent
// it, the tombstones of tasks deleted here, the conflicts that were decided, the deletions that
// wait for the user, and a few values of the account.
//
// Triggers on t_task and t_note count every change of a task, whoever writes it (a window,
// tolvek-tasks, another program), so that no road that writes is missed; deleting a task
// turns its row into a tombstone. A trigger on t_category drops the list of a deleted
// category in the same transaction, as its id may be handed out again.

// Whether a server list is synced.
enum class TSyncListState {
    Synced = 0,
    // Its category was deleted here: the list is no longer synced; the server keeps it.
    CategoryDeleted = 1,
    // It would need an eleventh category.
    NoRoom = 2,
};

struct TSyncListRow {
    // The collection's href (as the sync library writes it).
    std::string href;
    // The category it maps to; none unless synced.
    std::optional<int32_t> category;
    TSyncListState state = TSyncListState::Synced;
    // The category's name when both sides last agreed on it; for a list that is not synced,
    // the server's name of it.
    std::string name;
    // The sync token and the ctag of the last sync; empty when there is none.
    std::string token;
    std::string ctag;
    // Whether the sync sent changes to the list after it read that token: the server's token
    // has moved on since, unless the server was restored to what it was at the token.
    bool sentSince = false;
};

struct TSyncTaskRow {
    std::string uid;
    // The task here; none once it was deleted here (the tombstone).
    std::optional<int32_t> taskId;
    // The list the to-do is in, its href and ETag there, and its text as the server last sent
    // it (or as it was last uploaded). Empty for a task that has not reached the server yet.
    std::string list;
    std::string href;
    std::string etag;
    std::string kept;
    // How often the task changed here since the last sync, and when it last did.
    int64_t changes = 0;
    double changedAt = 0;
    // The sync that last sent it (see SyncGenerationKey), 0 when no sync did since the list's
    // token was read: a change report from that token must name it, or it was deleted.
    int64_t sentIn = 0;
    // Whether the last sync left it on both sides: there is a copy both shared (kept is set,
    // unless the row was read without it).
    bool known = false;

    bool Known() const { return known; }
};

// A field that both sides changed, and the value that lost.
struct TSyncLogEntry {
    double time = 0;
    std::string uid;
    std::string task;
    std::string field;
    std::string kept;
    std::string lost;
    // "here" or "server": the side whose value was kept.
    std::string winner;
};

// A deletion that waits for the user.
struct TSyncHeldRow {
    std::string uid;
    std::string list;
    // Which side deleted the task: "here" or "server".
    std::string side;
    TDeletionHold reason = TDeletionHold::None;
    std::string task;
};

// A resource left behind on the server by a move, still to delete.
struct TSyncGoneRow {
    std::string href;
    std::string list;
    std::string etag;
};

// Creates the tables and their triggers when the file lacks them, in one transaction.
void CreateSyncTables(TDM& dm);

// Readers. Each works inside a transaction or outside of one.
std::vector<TSyncListRow> ReadSyncLists(TDM& dm);
// Without the kept copies (kept is empty, known tells whether there is one) unless asked:
// rows read so are never written back.
std::vector<TSyncTaskRow> ReadSyncTasks(TDM& dm, bool withKept = false);
std::optional<TSyncTaskRow> ReadSyncTask(TDM& dm, const std::string& uid);
// Newest first.
std::vector<TSyncLogEntry> ReadSyncLog(TDM& dm);
std::vector<TSyncHeldRow> ReadHeldDeletions(TDM& dm);
std::vector<TSyncGoneRow> ReadGoneResources(TDM& dm);
// The changes here the next sync sends: tasks changed, made or deleted here since the last
// sync, in the synced categories.
int WaitingChanges(TDM& dm);
// An account-wide value; empty when it was never written.
std::string ReadSyncValue(TDM& dm, const std::string& key);

// Writers, inside the caller's transaction (see InTransaction). Writing a row replaces the one
// with the same key.
void WriteSyncList(TDM& dm, const TSyncListRow& row);
// Forgets the list and what the state keeps of its tasks.
void DeleteSyncList(TDM& dm, const std::string& href);
void WriteSyncTask(TDM& dm, const TSyncTaskRow& row);
void DeleteSyncTask(TDM& dm, const std::string& uid);
void AddSyncLog(TDM& dm, const TSyncLogEntry& entry);
void WriteHeldDeletion(TDM& dm, const TSyncHeldRow& row);
void DeleteHeldDeletion(TDM& dm, const std::string& uid);
void WriteGoneResource(TDM& dm, const TSyncGoneRow& row);
void DeleteGoneResource(TDM& dm, const std::string& href);
void WriteSyncValue(TDM& dm, const std::string& key, const std::string& value);
// The list's token moved on to one read at the start of the sync of that generation: what
// earlier syncs sent is no longer news to a report from it.
void ForgetSentBefore(TDM& dm, const std::string& list, int64_t generation);

// The account-wide values.
// The server address of the last sync that reached every list.
inline constexpr const char* SyncedServerKey = "server";
// "1" once a sync of the account reached every list.
inline constexpr const char* FirstSyncDoneKey = "synced";
// The local date-time of the last sync and its result, as a person reads it.
inline constexpr const char* LastSyncTimeKey = "lastSync";
inline constexpr const char* LastSyncResultKey = "lastResult";
// The moment of the last sync that went through, in seconds since 1970.
inline constexpr const char* LastSuccessKey = "lastSuccess";
// The number of the last sync that wrote anything, counted up by each.
inline constexpr const char* SyncGenerationKey = "generation";
