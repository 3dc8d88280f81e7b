// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/Backup.h"

#include "store/dates/dateUnit.h"
#include "store/db/PrivateFiles.h"
#include "store/db/StoreError.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sqlite3.h>

namespace fs = std::filesystem;

namespace {

const char* const Prefix = "data-";
const char* const Suffix = ".db";
const char* const Journals[] = {"-journal", "-wal", "-shm"};

// The day of a copy's file name, data-YYYY-MM-DD.db; empty when it is not a copy's name.
std::string CopyDate(const std::string& name) {
    if (name.size() != 18 || name.rfind(Prefix, 0) != 0 || name.substr(15) != Suffix)
        return "";
    for (size_t i = 5; i < 15; ++i)
        if ((i == 9 || i == 12) ? name[i] != '-'
                                : !std::isdigit(static_cast<unsigned char>(name[i])))
            return "";
    return name.substr(5, 10);
}

// Every copy whatever its date, newest first.
std::vector<TBackup> AllCopies(const std::string& databasePath) {
    std::vector<TBackup> copies;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(BackupFolder(databasePath), ec))
        if (const std::string date = CopyDate(entry.path().filename().string());
            !date.empty() && entry.is_regular_file(ec))
            copies.push_back({entry.path().string(), date});
    std::sort(copies.begin(), copies.end(),
              [](const TBackup& a, const TBackup& b) { return a.date > b.date; });
    return copies;
}

bool Damaged(int code) {
    code &= 0xff;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// Copies one SQLite file into a new file 0600, page by page, through the online backup.
void CopyDatabase(const std::string& from, const std::string& to) {
    CreatePrivateFile(to);
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    std::string failure;
    bool damaged = false;
    if (sqlite3_open_v2(from.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        failure = sqlite3_errmsg(source);
    } else if (sqlite3_open_v2(to.c_str(), &target, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        failure = sqlite3_errmsg(target);
    } else {
        sqlite3_busy_timeout(source, 2000);
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
        if (!backup) {
            failure = sqlite3_errmsg(target);
        } else {
            const int rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
            damaged = Damaged(rc) || Damaged(sqlite3_errcode(target));
            if (rc != SQLITE_DONE)
                failure = sqlite3_errstr(rc);
            else if (sqlite3_errcode(target) != SQLITE_OK)
                failure = sqlite3_errmsg(target);
        }
    }
    sqlite3_close_v2(source);
    sqlite3_close_v2(target);
    if (!failure.empty()) {
        std::error_code ec;
        fs::remove(to, ec);
        throw StoreError("Cannot copy the database " + from + " to " + to + ": " + failure + ".",
                         damaged);
    }
}

void Rename(const fs::path& from, const fs::path& to, const std::string& what) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec)
        throw StoreError("Cannot " + what + ": " + ec.message() + ".");
}

// Moves the database (when there) and its journal files aside as damaged, then puts the
// complete copy in its place. A journal left beside the damaged file belongs to it, not to the
// copy: beside the copy it would be played back into it.
std::string PutCopyInPlace(const fs::path& database, const fs::path& copy,
                           const fs::path& damaged) {
    std::error_code ec;
    const bool present = fs::exists(fs::symlink_status(database, ec));
    if (present)
        Rename(database, damaged, "move the damaged database " + database.string() + " aside");
    for (const char* journal : Journals) {
        const fs::path file = database.string() + journal;
        if (fs::exists(fs::symlink_status(file, ec)))
            Rename(file, damaged.string() + journal, "move " + file.string() + " aside");
    }
    Rename(copy, database, "put the backup in place of " + database.string());
    return present ? damaged.string() : "";
}

fs::path RestoringCopy(const std::string& databasePath) {
    return databasePath + ".restoring";
}

fs::path RestoringPart(const std::string& databasePath) {
    return databasePath + ".restoring.part";
}

// The damaged files set aside beside the database, newest first (their stamps sort by time).
std::vector<fs::path> DamagedFiles(const std::string& databasePath) {
    const fs::path database(databasePath);
    const std::string start = database.filename().string() + ".damaged-";
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(database.parent_path(), ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(start, 0) == 0 &&
            std::none_of(std::begin(Journals), std::end(Journals),
                         [&](const char* journal) { return name.ends_with(journal); }))
            files.push_back(entry.path());
    }
    std::sort(files.rbegin(), files.rend());
    return files;
}

} // namespace

std::string BackupFolder(const std::string& databasePath) {
    return (fs::path(databasePath).parent_path() / "backup").string();
}

std::optional<TBackup> TakeDailyBackup(const std::string& databasePath, const std::string& date) {
    const fs::path folder = BackupFolder(databasePath);
    const fs::path copy = folder / (Prefix + date + Suffix);
    std::error_code ec;
    if (fs::exists(copy, ec))
        return std::nullopt;
    CreatePrivateFolders(folder.string());
    // Written under another name first, so that a copy cut short is never taken for a copy.
    const fs::path part = copy.string() + ".part";
    fs::remove(part, ec);
    CopyDatabase(databasePath, part.string());
    // The copy holds the database's pages as they are, so checking it checks the database,
    // and the long check holds up no writer of the database.
    if (const std::optional<std::string> problem = IntegrityProblem(part.string())) {
        fs::remove(part, ec);
        throw StoreError("The database " + databasePath + " is damaged (" + *problem +
                             "), so it was not copied into the backups.",
                         true);
    }
    fs::rename(part, copy, ec);
    if (ec) {
        fs::remove(part, ec);
        throw StoreError("Cannot write the backup " + copy.string() + ".");
    }
    const std::vector<TBackup> copies = Backups(databasePath, date);
    for (size_t k = BackupsKept; k < copies.size(); ++k)
        fs::remove(copies[k].path, ec);
    return TBackup{copy.string(), date};
}

std::vector<TBackup> Backups(const std::string& databasePath, const std::string& today) {
    std::vector<TBackup> copies = AllCopies(databasePath);
    std::erase_if(copies, [&](const TBackup& copy) { return copy.date > today; });
    return copies;
}

std::optional<std::string> IntegrityProblem(const std::string& path) {
    sqlite3* db = nullptr;
    std::optional<std::string> problem;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        problem = db ? sqlite3_errmsg(db) : "out of memory";
    } else {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* check = nullptr;
        // One problem is enough to know; the first one is named.
        int rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &check, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(check);
        const unsigned char* text = rc == SQLITE_ROW ? sqlite3_column_text(check, 0) : nullptr;
        if (!text)
            problem = sqlite3_errmsg(db);
        else if (std::string(reinterpret_cast<const char*>(text)) != "ok")
            problem = reinterpret_cast<const char*>(text);
        sqlite3_finalize(check);
    }
    sqlite3_close_v2(db);
    return problem;
}

std::optional<TBackup> NewestSoundBackup(const std::string& databasePath,
                                         const std::string& today) {
    for (const TBackup& copy : Backups(databasePath, today))
        if (!IntegrityProblem(copy.path))
            return copy;
    return std::nullopt;
}

std::string RestoreBackup(const std::string& databasePath, const TBackup& backup,
                          const std::string& stamp) {
    const fs::path part = RestoringPart(databasePath);
    const fs::path restoring = RestoringCopy(databasePath);
    std::error_code ec;
    fs::remove(part, ec);
    fs::remove(restoring, ec);
    CopyDatabase(backup.path, part.string());
    fs::rename(part, restoring, ec);
    if (ec) {
        fs::remove(part, ec);
        throw StoreError("Cannot restore the backup " + backup.path + ": " + ec.message() + ".");
    }
    const fs::path damaged = databasePath + ".damaged-" + stamp;
    try {
        return PutCopyInPlace(databasePath, restoring, damaged);
    } catch (const StoreError&) {
        // Nothing was moved when the database could not be: the copy is not left for a later
        // start to take for an interrupted restore.
        if (fs::exists(databasePath, ec))
            fs::remove(restoring, ec);
        throw;
    }
}

std::optional<std::string> FinishInterruptedRestore(const std::string& databasePath,
                                                    const std::string& stamp) {
    std::error_code ec;
    fs::remove(RestoringPart(databasePath), ec);
    const fs::path restoring = RestoringCopy(databasePath);
    if (!fs::exists(restoring, ec))
        return std::nullopt;
    // Cut short after the database was moved aside: its journals, if still here, go to it.
    if (!fs::exists(fs::symlink_status(databasePath, ec))) {
        const std::vector<fs::path> earlier = DamagedFiles(databasePath);
        if (!earlier.empty()) {
            PutCopyInPlace(databasePath, restoring, earlier.front());
            return earlier.front().string();
        }
    }
    return PutCopyInPlace(databasePath, restoring, databasePath + ".damaged-" + stamp);
}

bool DatabaseWasHere(const std::string& databasePath) {
    std::error_code ec;
    return !AllCopies(databasePath).empty() || !DamagedFiles(databasePath).empty() ||
           fs::exists(RestoringCopy(databasePath), ec);
}

std::string NowStamp() {
    const TClockTime now = DecodeDateTime(Now());
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", now.date.year, now.date.month,
                  now.date.day, now.hour, now.minute, now.second);
    return text;
}
