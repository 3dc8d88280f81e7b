// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>

// Daily copies of the database in db/backup/ beside it, named data-YYYY-MM-DD.db, the newest
// seven kept, and the way back from a damaged file to one of them.

struct TBackup {
    std::string path;
    // The day of the copy, YYYY-MM-DD.
    std::string date;
};

// How many daily copies are kept.
inline constexpr int BackupsKept = 7;

// The folder of the copies of a database file.
std::string BackupFolder(const std::string& databasePath);

// Copies the database (SQLite's online backup, so a consistent state even while another
// program writes) as the copy of day date (YYYY-MM-DD) unless that day has one, then removes
// all but the newest copies. Returns the copy made, none when the day had one. A copy that
// fails throws StoreError and leaves no part of itself.
std::optional<TBackup> TakeDailyBackup(const std::string& databasePath, const std::string& date);

// The newest copy, none when there is none.
std::optional<TBackup> NewestBackup(const std::string& databasePath);

// Moves the damaged database aside as <file>.damaged-<stamp> (its journal files with it; none
// is ever deleted) and puts a copy of the backup in its place. Returns the damaged file's new
// path. Throws StoreError, with the database left where it was, when it cannot.
std::string RestoreBackup(const std::string& databasePath, const TBackup& backup,
                          const std::string& stamp);

// Now as YYYYMMDD-HHMMSS, by the program's clock.
std::string NowStamp();
