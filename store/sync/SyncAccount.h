// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

// The sync account of a database: kept in the user's configuration folder, never in the
// database, so that a database file from elsewhere never brings an address or a command to
// run with it. Each database has its own section, found by its canonical path.
struct TSyncAccount {
    // The address the user gave (a server root, a principal, a home or one collection).
    std::string server;
    std::string user;
    // The collections to sync, as the sync library writes hrefs (percent-encoded, so no
    // white space in them).
    std::vector<std::string> lists;
    // Minutes between background syncs: 0 (off), 5, 15, 30 or 60.
    int scheduleMinutes = 15;
    bool syncAfterChange = true;
    // Run through the shell; the first line it prints is the password. Empty: the password
    // is in the desktop's secret store.
    std::string passwordCommand;
    // Plain http:// to a server other than this machine, which the user trusts.
    bool allowInsecureHttp = false;
};

// The schedules a user can choose, in minutes; 0 is off.
inline constexpr int SyncSchedules[] = {0, 5, 15, 30, 60};

// $XDG_CONFIG_HOME/tolvek-organizer/sync.ini (default ~/.config).
std::string SyncSettingsPath();

// The database's path with every symbolic link and "." or ".." resolved, the same for every
// spelling of it; the file need not exist.
std::string CanonicalDatabasePath(const std::string& databasePath);

// The account of the database; none when it has none. A schedule that is not one of
// SyncSchedules reads as 15. Throws StoreError when the file can be changed by anyone but its
// owner (the command in it would run as this user), or belongs to someone else.
std::optional<TSyncAccount> ReadSyncAccount(const std::string& settingsPath,
                                            const std::string& databasePath);

// Writes the database's account, replacing the one it had; the other databases' accounts stay.
// A new file is made readable by its owner only (0600), a new folder likewise (0700). Throws
// StoreError when the file cannot be written, when the schedule is not one of SyncSchedules,
// or when a text holds a line break or a list white space.
void WriteSyncAccount(const std::string& settingsPath, const std::string& databasePath,
                      const TSyncAccount& account);

// Forgets the database's account; the other databases' accounts stay.
void RemoveSyncAccount(const std::string& settingsPath, const std::string& databasePath);
