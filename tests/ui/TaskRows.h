#pragma once

#include <QString>
#include <QTest>

#include <sqlite3.h>
#include <string>
#include <vector>

// One t_task row for a test; the columns a test leaves out get the table's defaults.
struct TTaskRow {
    int id = 0;
    std::string name;
    int category = 1;
    int priority = 1;
    int done = 0;
    int due = 0;
    double dateDue = 0;
    int reminder = 0;
    double datetimeReminder = 0;
};

// Writes the rows into the database file behind the program's back, on a connection of
// its own, as another program could.
inline void InsertTasks(const QString& databasePath, const std::vector<TTaskRow>& rows) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(databasePath.toStdString().c_str(), &db), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    QCOMPARE(
        sqlite3_prepare_v2(db,
                           "INSERT INTO t_task (id, strName, intCategory, intPriority, intDone,"
                           " intDue, dateDue, intReminder, datetimeReminder)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           -1, &insert, nullptr),
        SQLITE_OK);
    for (const TTaskRow& row : rows) {
        sqlite3_bind_int(insert, 1, row.id);
        sqlite3_bind_text(insert, 2, row.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, row.category);
        sqlite3_bind_int(insert, 4, row.priority);
        sqlite3_bind_int(insert, 5, row.done);
        sqlite3_bind_int(insert, 6, row.due);
        sqlite3_bind_double(insert, 7, row.dateDue);
        sqlite3_bind_int(insert, 8, row.reminder);
        sqlite3_bind_double(insert, 9, row.datetimeReminder);
        QCOMPARE(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}
