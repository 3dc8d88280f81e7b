// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/SyncState.h"

#include "store/db/FieldValues.h"
#include "store/db/TableAccess.h"

namespace {

// @NOW@ stands for the moment as the program keeps date-times: a local day count.
constexpr const char* SyncTablesSql = R"sql(
CREATE TABLE IF NOT EXISTS t_sync_list (
    strHref    TEXT    PRIMARY KEY,
    idCategory INTEGER UNIQUE,
    intState   INTEGER NOT NULL DEFAULT 0,
    strName    TEXT    NOT NULL DEFAULT '',
    strToken   TEXT    NOT NULL DEFAULT '',
    strCtag    TEXT    NOT NULL DEFAULT '',
    intSent    INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS t_sync_task (
    strUid      TEXT    PRIMARY KEY,
    idTask      INTEGER,
    strList     TEXT    NOT NULL DEFAULT '',
    strHref     TEXT    NOT NULL DEFAULT '',
    strEtag     TEXT    NOT NULL DEFAULT '',
    strKept     TEXT    NOT NULL DEFAULT '',
    intChanges  INTEGER NOT NULL DEFAULT 0,
    dateChanged REAL    NOT NULL DEFAULT 0,
    intSentIn   INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX IF NOT EXISTS t_sync_task_idTask ON t_sync_task (idTask);
CREATE INDEX IF NOT EXISTS t_sync_task_waiting ON t_sync_task (strUid)
    WHERE intChanges > 0 OR strEtag = '' OR idTask IS NULL;
CREATE TABLE IF NOT EXISTS t_sync_log (
    id        INTEGER PRIMARY KEY,
    dateTime  REAL NOT NULL DEFAULT 0,
    strUid    TEXT NOT NULL DEFAULT '',
    strTask   TEXT NOT NULL DEFAULT '',
    strField  TEXT NOT NULL DEFAULT '',
    strKept   TEXT NOT NULL DEFAULT '',
    strLost   TEXT NOT NULL DEFAULT '',
    strWinner TEXT NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS t_sync_held (
    strUid    TEXT    PRIMARY KEY,
    strList   TEXT    NOT NULL DEFAULT '',
    strSide   TEXT    NOT NULL DEFAULT '',
    intReason INTEGER NOT NULL DEFAULT 0,
    strTask   TEXT    NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS t_sync_gone (
    strHref TEXT PRIMARY KEY,
    strList TEXT NOT NULL DEFAULT '',
    strEtag TEXT NOT NULL DEFAULT ''
);
CREATE TABLE IF NOT EXISTS t_sync_meta (
    strKey   TEXT PRIMARY KEY,
    strValue TEXT NOT NULL DEFAULT ''
);
CREATE TRIGGER IF NOT EXISTS t_sync_task_changed AFTER UPDATE ON t_task BEGIN
    UPDATE t_sync_task SET intChanges = intChanges + 1, dateChanged = @NOW@
        WHERE idTask = NEW.id;
END;
CREATE TRIGGER IF NOT EXISTS t_sync_task_deleted AFTER DELETE ON t_task BEGIN
    UPDATE t_sync_task SET idTask = NULL, intChanges = intChanges + 1,
        dateChanged = @NOW@ WHERE idTask = OLD.id;
END;
CREATE TRIGGER IF NOT EXISTS t_sync_note_added AFTER INSERT ON t_note BEGIN
    UPDATE t_sync_task SET intChanges = intChanges + 1, dateChanged = @NOW@
        WHERE idTask = NEW.idTask;
END;
CREATE TRIGGER IF NOT EXISTS t_sync_note_changed AFTER UPDATE ON t_note BEGIN
    UPDATE t_sync_task SET intChanges = intChanges + 1, dateChanged = @NOW@
        WHERE idTask IN (OLD.idTask, NEW.idTask);
END;
CREATE TRIGGER IF NOT EXISTS t_sync_note_deleted AFTER DELETE ON t_note BEGIN
    UPDATE t_sync_task SET intChanges = intChanges + 1, dateChanged = @NOW@
        WHERE idTask = OLD.idTask;
END;
CREATE TRIGGER IF NOT EXISTS t_sync_category_deleted AFTER DELETE ON t_category BEGIN
    UPDATE t_sync_list SET idCategory = NULL, intState = 1 WHERE idCategory = OLD.id;
END;
)sql";

std::string WithNow(std::string sql) {
    const std::string now = "julianday('now', 'localtime') - 2415018.5";
    for (size_t at = sql.find("@NOW@"); at != std::string::npos; at = sql.find("@NOW@", at))
        sql.replace(at, 5, now);
    return sql;
}

constexpr const char* TaskColumns =
    "strUid, idTask, strList, strHref, strEtag, strKept, intChanges, dateChanged, intSentIn";
constexpr const char* TaskColumnsWithoutKept =
    "strUid, idTask, strList, strHref, strEtag, '', intChanges, dateChanged, intSentIn";

TSyncTaskRow TaskRowOf(const std::vector<TFieldValue>& values) {
    TSyncTaskRow row;
    row.uid = values[0].s;
    row.taskId = AsOptional(values[1]);
    row.list = values[2].s;
    row.href = values[3].s;
    row.etag = values[4].s;
    row.kept = values[5].s;
    row.changes = AsInteger(values[6]);
    row.changedAt = AsReal(values[7]);
    row.sentIn = AsInteger(values[8]);
    row.known = AsInteger(values[9]) != 0;
    return row;
}

template <class Row, class Make>
std::vector<Row> ReadRows(TDM& dm, const std::string& sql, Make make,
                          const std::vector<TFieldValue>& parameters = {}) {
    std::vector<Row> rows;
    dm.ADOTable1.Query(sql, parameters, [&](const std::vector<TFieldValue>& values) {
        rows.push_back(make(values));
    });
    return rows;
}

void Run(TDM& dm, const std::string& sql, const std::vector<TFieldValue>& parameters) {
    dm.RequireWritable();
    dm.ADOTable1.Query(sql, parameters);
}

} // namespace

void CreateSyncTables(TDM& dm) {
    if (dm.ADOTable1.HasTable("t_sync_meta"))
        return;
    InTransaction(dm, [&](TTableCursor& table) { table.Execute(WithNow(SyncTablesSql)); });
}

std::vector<TSyncListRow> ReadSyncLists(TDM& dm) {
    return ReadRows<TSyncListRow>(
        dm,
        "SELECT strHref, idCategory, intState, strName, strToken, strCtag, intSent FROM "
        "t_sync_list",
        [](const std::vector<TFieldValue>& values) {
            TSyncListRow row;
            row.href = values[0].s;
            row.category = AsOptional(values[1]);
            row.state = static_cast<TSyncListState>(AsInteger(values[2]));
            row.name = values[3].s;
            row.token = values[4].s;
            row.ctag = values[5].s;
            row.sentSince = AsInteger(values[6]) != 0;
            return row;
        });
}

std::vector<TSyncTaskRow> ReadSyncTasks(TDM& dm, bool withKept) {
    return ReadRows<TSyncTaskRow>(dm,
                                  std::string("SELECT ") +
                                      (withKept ? TaskColumns : TaskColumnsWithoutKept) +
                                      ", strKept <> '' FROM t_sync_task",
                                  TaskRowOf);
}

std::optional<TSyncTaskRow> ReadSyncTask(TDM& dm, const std::string& uid) {
    std::vector<TSyncTaskRow> rows = ReadRows<TSyncTaskRow>(
        dm,
        std::string("SELECT ") + TaskColumns + ", strKept <> '' FROM t_sync_task WHERE strUid = ?1",
        TaskRowOf, {Text(uid)});
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

std::vector<TSyncLogEntry> ReadSyncLog(TDM& dm) {
    return ReadRows<TSyncLogEntry>(
        dm,
        "SELECT dateTime, strUid, strTask, strField, strKept, strLost, strWinner FROM t_sync_log "
        "ORDER BY dateTime DESC, id DESC",
        [](const std::vector<TFieldValue>& values) {
            return TSyncLogEntry{AsReal(values[0]), values[1].s, values[2].s, values[3].s,
                                 values[4].s,       values[5].s, values[6].s};
        });
}

std::vector<TSyncHeldRow> ReadHeldDeletions(TDM& dm) {
    return ReadRows<TSyncHeldRow>(
        dm, "SELECT strUid, strList, strSide, intReason, strTask FROM t_sync_held ORDER BY strTask",
        [](const std::vector<TFieldValue>& values) {
            return TSyncHeldRow{values[0].s, values[1].s, values[2].s,
                                static_cast<TDeletionHold>(AsInteger(values[3])), values[4].s};
        });
}

std::vector<TSyncGoneRow> ReadGoneResources(TDM& dm) {
    return ReadRows<TSyncGoneRow>(dm, "SELECT strHref, strList, strEtag FROM t_sync_gone",
                                  [](const std::vector<TFieldValue>& values) {
                                      return TSyncGoneRow{values[0].s, values[1].s, values[2].s};
                                  });
}

int WaitingChanges(TDM& dm) {
    int64_t count = 0;
    dm.ADOTable1.Query(
        "SELECT (SELECT COUNT(*) FROM t_sync_task WHERE intChanges > 0 OR strEtag = '') + "
        "(SELECT COUNT(*) FROM t_task t WHERE t.intCategory IN (SELECT idCategory FROM "
        "t_sync_list WHERE intState = 0) AND NOT EXISTS (SELECT 1 FROM t_sync_task s WHERE "
        "s.idTask = t.id))",
        {}, [&](const std::vector<TFieldValue>& values) { count = AsInteger(values[0]); });
    return static_cast<int>(count);
}

std::string ReadSyncValue(TDM& dm, const std::string& key) {
    std::string value;
    dm.ADOTable1.Query("SELECT strValue FROM t_sync_meta WHERE strKey = ?1", {Text(key)},
                       [&](const std::vector<TFieldValue>& values) { value = values[0].s; });
    return value;
}

void WriteSyncList(TDM& dm, const TSyncListRow& row) {
    Run(dm,
        "INSERT OR REPLACE INTO t_sync_list (strHref, idCategory, intState, strName, strToken, "
        "strCtag, intSent) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        {Text(row.href), Optional(row.category), Integer(static_cast<int>(row.state)),
         Text(row.name), Text(row.token), Text(row.ctag), Integer(row.sentSince ? 1 : 0)});
}

void DeleteSyncList(TDM& dm, const std::string& href) {
    for (const char* sql : {"DELETE FROM t_sync_list WHERE strHref = ?1",
                            "DELETE FROM t_sync_held WHERE strList = ?1",
                            "DELETE FROM t_sync_gone WHERE strList = ?1",
                            "DELETE FROM t_sync_task WHERE strList = ?1"})
        Run(dm, sql, {Text(href)});
}

void WriteSyncTask(TDM& dm, const TSyncTaskRow& row) {
    Run(dm,
        std::string("INSERT OR REPLACE INTO t_sync_task (") + TaskColumns +
            ") VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
        {Text(row.uid), Optional(row.taskId), Text(row.list), Text(row.href), Text(row.etag),
         Text(row.kept), Integer(row.changes), Real(row.changedAt), Integer(row.sentIn)});
}

void DeleteSyncTask(TDM& dm, const std::string& uid) {
    Run(dm, "DELETE FROM t_sync_task WHERE strUid = ?1", {Text(uid)});
}

void AddSyncLog(TDM& dm, const TSyncLogEntry& entry) {
    Run(dm,
        "INSERT INTO t_sync_log (dateTime, strUid, strTask, strField, strKept, strLost, "
        "strWinner) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        {Real(entry.time), Text(entry.uid), Text(entry.task), Text(entry.field), Text(entry.kept),
         Text(entry.lost), Text(entry.winner)});
}

void WriteHeldDeletion(TDM& dm, const TSyncHeldRow& row) {
    Run(dm,
        "INSERT OR REPLACE INTO t_sync_held (strUid, strList, strSide, intReason, strTask) "
        "VALUES (?1, ?2, ?3, ?4, ?5)",
        {Text(row.uid), Text(row.list), Text(row.side), Integer(static_cast<int>(row.reason)),
         Text(row.task)});
}

void DeleteHeldDeletion(TDM& dm, const std::string& uid) {
    Run(dm, "DELETE FROM t_sync_held WHERE strUid = ?1", {Text(uid)});
}

void WriteGoneResource(TDM& dm, const TSyncGoneRow& row) {
    Run(dm, "INSERT OR REPLACE INTO t_sync_gone (strHref, strList, strEtag) VALUES (?1, ?2, ?3)",
        {Text(row.href), Text(row.list), Text(row.etag)});
}

void DeleteGoneResource(TDM& dm, const std::string& href) {
    Run(dm, "DELETE FROM t_sync_gone WHERE strHref = ?1", {Text(href)});
}

void WriteSyncValue(TDM& dm, const std::string& key, const std::string& value) {
    Run(dm, "INSERT OR REPLACE INTO t_sync_meta (strKey, strValue) VALUES (?1, ?2)",
        {Text(key), Text(value)});
}

void ForgetSentBefore(TDM& dm, const std::string& list, int64_t generation) {
    Run(dm, "UPDATE t_sync_task SET intSentIn = 0 WHERE strList = ?1 AND intSentIn <> ?2",
        {Text(list), Integer(generation)});
}
