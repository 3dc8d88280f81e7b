// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/sync/SyncAccount.h"
#include "store/sync/SyncApply.h"
#include "sync/DavTransport.h"

#include <atomic>
#include <string>
#include <vector>

// One sync of a database with its account's server: the lists read, their changes found (by
// sync-collection with the token of the last sync, or by listing their ETags), the server's
// changes merged in here, and what changed here sent, each server answer applied in one
// transaction, so that a sync stopped at any moment leaves a state the next one goes on from.

struct TSyncRequest {
    // Finds out what the sync would do and changes nothing, here or on the server.
    bool dryRun = false;
    // The user's answer to the deletions held before: carry them out, or give the tasks back
    // to the side that deleted them.
    bool confirmDeletions = false;
    bool keepDeleted = false;
    // When set (from any thread), the sync stops before its next request; what it did stays
    // done.
    const std::atomic<bool>* stop = nullptr;
};

struct TSyncResult {
    TSyncCounts counts;
    // The deletions that wait for the user.
    std::vector<TSyncHeldRow> held;
    // What went wrong, for a person; empty when everything went through.
    std::vector<std::string> errors;
    // What a person should know though the sync went through: lists not synced, to-dos left
    // alone.
    std::vector<std::string> warnings;

    // 0 when everything went through, 1 after an error, 3 when deletions wait for the user.
    int ExitCode() const;
    // "3 up, 5 down, 1 conflicts, 0 deleted, 0 held".
    std::string Summary() const;
};

// Syncs the database of dm with the account once; options carry the password. The network is
// waited for in local event loops, so it runs on any thread of a program with a
// QCoreApplication, with a TDM of that thread's own: the command line's main thread, or a
// worker thread of the organizer, whose window then never waits. One sync of a database runs
// at a time: another one running is an error. Never throws.
TSyncResult RunSync(TDM& dm, const TSyncAccount& account, const TDavOptions& options,
                    const TSyncRequest& request);

// The lock file that keeps two syncs of a database apart.
std::string SyncLockPath(const std::string& databasePath);
