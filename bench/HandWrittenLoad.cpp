// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/HandWrittenLoad.h"

#include <cstdint>
#include <sqlite3.h>
#include <unordered_map>

namespace {

std::string Text(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

} // namespace

void LoadDirectly(const std::string& path, std::vector<TMyRec2>& all, std::vector<TMyRec2>& shown) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;

    std::unordered_map<int64_t, std::string> notes;
    sqlite3_prepare_v2(db, "SELECT idTask, strNote FROM t_note", -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW)
        notes.try_emplace(sqlite3_column_int64(statement, 0), Text(statement, 1));
    sqlite3_finalize(statement);

    std::unordered_map<int64_t, TMyRec1> categories;
    sqlite3_prepare_v2(db, "SELECT id, strName, intImg, intPos FROM t_category", -1, &statement,
                       nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        TMyRec1 category;
        category.id = sqlite3_column_int(statement, 0);
        category.strName = Text(statement, 1);
        category.intImg = sqlite3_column_int(statement, 2);
        category.intPos = sqlite3_column_int(statement, 3);
        categories.try_emplace(category.id, std::move(category));
    }
    sqlite3_finalize(statement);

    all.clear();
    sqlite3_prepare_v2(db,
                       "SELECT id, strName, intCategory, intPriority, intDue, dateDue, "
                       "intReminder, datetimeReminder, intSound, strSoundFile, intDone, intMemo "
                       "FROM t_task ORDER BY id",
                       -1, &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
        TMyRec2& task = all.emplace_back();
        task.id = sqlite3_column_int(statement, 0);
        task.strName = Text(statement, 1);
        task.intCategory = sqlite3_column_int(statement, 2);
        task.intPriority = sqlite3_column_int(statement, 3);
        task.intDue = sqlite3_column_int(statement, 4);
        task.dateDue = sqlite3_column_double(statement, 5);
        task.intReminder = sqlite3_column_int(statement, 6);
        task.datetimeReminder = sqlite3_column_double(statement, 7);
        task.intSound = sqlite3_column_int(statement, 8);
        task.strSoundFile = Text(statement, 9);
        task.intDone = sqlite3_column_int(statement, 10);
        task.intMemo = sqlite3_column_int(statement, 11);
        if (task.intMemo > 0)
            if (auto note = notes.find(task.id); note != notes.end())
                task.strNote = note->second;
        if (auto category = categories.find(task.intCategory); category != categories.end()) {
            task.strCategory = category->second.strName;
            task.intImg = category->second.intImg;
            task.intPos = category->second.intPos;
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    shown = all;
}
