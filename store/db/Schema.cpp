// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/Schema.h"

#include "store/db/StoreError.h"

#include <filesystem>
#include <sqlite3.h>

namespace {

// The one description of the tables. Every column has a default so that a row appended
// without all its columns never holds NULL.
constexpr const char* SchemaSql = R"sql(
CREATE TABLE t_category (
    id      INTEGER PRIMARY KEY,
    strName TEXT    NOT NULL DEFAULT '',
    intImg  INTEGER NOT NULL DEFAULT 1,
    intPos  INTEGER NOT NULL DEFAULT 1
);
CREATE TABLE t_task (
    id               INTEGER PRIMARY KEY,
    strName          TEXT    NOT NULL DEFAULT '',
    intCategory      INTEGER NOT NULL DEFAULT 0,
    intPriority      INTEGER NOT NULL DEFAULT 1,
    intDone          INTEGER NOT NULL DEFAULT 0,
    intDue           INTEGER NOT NULL DEFAULT 0,
    dateDue          REAL    NOT NULL DEFAULT 0,
    intReminder      INTEGER NOT NULL DEFAULT 0,
    datetimeReminder REAL    NOT NULL DEFAULT 0,
    intSound         INTEGER NOT NULL DEFAULT 0,
    strSoundFile     TEXT    NOT NULL DEFAULT '',
    intMemo          INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE t_note (
    id      INTEGER PRIMARY KEY,
    idTask  INTEGER NOT NULL DEFAULT 0,
    strNote TEXT    NOT NULL DEFAULT ''
);
CREATE INDEX t_task_intCategory ON t_task (intCategory);
CREATE INDEX t_note_idTask ON t_note (idTask);
INSERT INTO t_category (id, strName, intImg, intPos) VALUES
    (1, 'Personal', 1, 1),
    (2, 'Work', 2, 2),
    (3, 'Shopping', 3, 3);
)sql";

} // namespace

// Beside t_task rather than in it, so that the task table keeps the columns every reader of the
// file knows; a file made before the table existed gets it when it is next opened or written.
const char* const TaskUidTableSql = R"sql(
CREATE TABLE IF NOT EXISTS t_uid (
    idTask INTEGER PRIMARY KEY,
    strUid TEXT    NOT NULL DEFAULT ''
);
)sql";

void CreateDatabase(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path())
        fs::create_directories(target.parent_path(), ec);
    const fs::path partial = target.string() + ".new";
    fs::remove(partial, ec);

    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(partial.string().c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* error = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, SchemaSql, nullptr, nullptr, &error);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, TaskUidTableSql, nullptr, nullptr, &error);
    std::string message = error ? error : (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_free(error);
    sqlite3_close_v2(db);
    if (rc == SQLITE_OK) {
        fs::rename(partial, target, ec);
        if (!ec)
            return;
        message = ec.message();
    }
    fs::remove(partial, ec);
    throw StoreError("Cannot create the database " + path + ": " + message);
}
