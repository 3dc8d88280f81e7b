// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/Backup.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const Prefix = "data-";
const char* const Suffix = ".db";

// Whether a file name is a copy's: data-YYYY-MM-DD.db.
bool IsCopyName(const std::string& name) {
    if (name.size() != 18 || name.rfind(Prefix, 0) != 0 || name.substr(15) != Suffix)
        return false;
    for (size_t i = 5; i < 15; ++i)
        if ((i == 9 || i == 12) ? name[i] != '-'
                                : !std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// The copies, oldest first.
std::vector<fs::path> Copies(const std::string& databasePath) {
    std::vector<fs::path> copies;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(BackupFolder(databasePath), ec))
        if (entry.is_regular_file(ec) && IsCopyName(entry.path().filename().string()))
            copies.push_back(entry.path());
    std::sort(copies.begin(), copies.end());
    return copies;
}

// Copies one SQLite file into another, page by page, through the online backup.
void CopyDatabase(const std::string& from, const std::string& to) {
    sqlite3* source = nullptr;
    sqlite3* target = nullptr;
    std::string failure;
    if (sqlite3_open_v2(from.c_str(), &source, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        failure = sqlite3_errmsg(source);
    } else if (sqlite3_open_v2(to.c_str(), &target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr) != SQLITE_OK) {
        failure = sqlite3_errmsg(target);
    } else {
        sqlite3_busy_timeout(source, 2000);
        sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
        if (!backup) {
            failure = sqlite3_errmsg(target);
        } else {
            const int rc = sqlite3_backup_step(backup, -1);
            sqlite3_backup_finish(backup);
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
        throw StoreError("Cannot copy the database " + from + " to " + to + ": " + failure + ".");
    }
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
    fs::create_directories(folder, ec);
    if (ec)
        throw StoreError("Cannot make the backup folder " + folder.string() + ": " + ec.message() +
                         ".");
    // Written under another name first, so that a copy cut short is never taken for a copy.
    const fs::path part = folder / (Prefix + date + Suffix + ".part");
    fs::remove(part, ec);
    CopyDatabase(databasePath, part.string());
    fs::rename(part, copy, ec);
    if (ec) {
        fs::remove(part, ec);
        throw StoreError("Cannot write the backup " + copy.string() + ".");
    }
    std::vector<fs::path> copies = Copies(databasePath);
    for (size_t k = 0; k + BackupsKept < copies.size(); ++k)
        fs::remove(copies[k], ec);
    return TBackup{copy.string(), date};
}

std::optional<TBackup> NewestBackup(const std::string& databasePath) {
    const std::vector<fs::path> copies = Copies(databasePath);
    if (copies.empty())
        return std::nullopt;
    const std::string name = copies.back().filename().string();
    return TBackup{copies.back().string(), name.substr(5, 10)};
}

std::string RestoreBackup(const std::string& databasePath, const TBackup& backup,
                          const std::string& stamp) {
    const fs::path database(databasePath);
    const fs::path restored = database.string() + ".restoring";
    std::error_code ec;
    fs::remove(restored, ec);
    CopyDatabase(backup.path, restored.string());
    const fs::path damaged = database.string() + ".damaged-" + stamp;
    fs::rename(database, damaged, ec);
    if (ec) {
        fs::remove(restored, ec);
        throw StoreError("Cannot move the damaged database " + databasePath +
                         " aside: " + ec.message() + ".");
    }
    // A journal left beside the damaged file belongs to it, not to the copy put in its place.
    for (const char* journal : {"-journal", "-wal", "-shm"}) {
        const fs::path file = database.string() + journal;
        if (fs::exists(file, ec))
            fs::rename(file, damaged.string() + journal, ec);
    }
    fs::rename(restored, database, ec);
    if (ec)
        throw StoreError("Cannot put the backup in place of " + databasePath + ": " + ec.message() +
                         ".");
    return damaged.string();
}

std::string NowStamp() {
    const TClockTime now = DecodeDateTime(Now());
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", now.date.year, now.date.month,
                  now.date.day, now.hour, now.minute, now.second);
    return text;
}
