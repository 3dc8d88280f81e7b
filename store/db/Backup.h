// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <vector>

// Daily copies of the database in db/backup/ beside it, named data-YYYY-MM-DD.db, the newest
// seven kept, and the way back from a damaged or lost file to one of them.
//
// A copy named with a date after today was made while the clock was wrong: it is set aside.
// It never counts among the seven, is never offered, and stays on disk for the user to look at.

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
// all but the newest copies dated that day or earlier. Returns the copy made, none when the
// day had one. The copy, a page-for-page image of the database, is checked with
// integrity_check before it is kept, on connections of its own and with no lock held on the
// database meanwhile: a database that fails it is not copied, and StoreError with Damaged()
// says what is wrong. Any other failure throws StoreError too; none leaves part of a copy.
std::optional<TBackup> TakeDailyBackup(const std::string& databasePath, const std::string& date);

// The copies dated today (YYYY-MM-DD) or earlier, newest first.
std::vector<TBackup> Backups(const std::string& databasePath, const std::string& today);

// The first problem PRAGMA integrity_check finds in a database file, read on a connection of
// its own; none when the file is sound. A file that is no database at all has a problem too.
std::optional<std::string> IntegrityProblem(const std::string& path);

// The newest copy dated today or earlier that passes integrity_check; none when none does.
std::optional<TBackup> NewestSoundBackup(const std::string& databasePath, const std::string& today);

// Puts a copy of the backup in the place of the database. The database, when there is one, is
// moved aside as <file>.damaged-<stamp> with its journal files (none is ever deleted). Returns
// the damaged file's new path, empty when there was no database. Throws StoreError, with the
// database left where it was, when it cannot. The copy is complete under its own name before
// anything is moved, so that a restore cut short can be finished (FinishInterruptedRestore).
std::string RestoreBackup(const std::string& databasePath, const TBackup& backup,
                          const std::string& stamp);

// Finishes a restore that was cut short after its copy was complete: the copy takes the place
// of the database, which (when it is still there) is moved aside as RestoreBackup does. Returns
// the path of the damaged file kept aside (empty when there is none), or none when no restore
// was under way; a copy left incomplete is removed. Throws StoreError when it cannot.
std::optional<std::string> FinishInterruptedRestore(const std::string& databasePath,
                                                    const std::string& stamp);

// Whether a database was ever kept at this path: copies of it, damaged files set aside or a
// restore's leftovers are beside it. A missing database is then lost, not new.
bool DatabaseWasHere(const std::string& databasePath);

// Now as YYYYMMDD-HHMMSS, by the program's clock.
std::string NowStamp();
