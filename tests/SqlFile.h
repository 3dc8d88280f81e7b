// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <string>
#include <vector>

// A database file reached through a connection of its own, as another program reaches it: the
// tests arrange rows behind the program's back and read back what it wrote. Every failure (the
// file cannot be opened, a statement is wrong or fails) throws std::runtime_error with SQLite's
// message, the file and the statement, so that no test goes on from SQL that did nothing.
class TSqlFile {
public:
    // Read-write by default, as the program opens the file: a journal left behind is rolled
    // back. The file must exist.
    explicit TSqlFile(const std::string& path, int flags = SQLITE_OPEN_READWRITE) : path_(path) {
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK)
            Fail("cannot open");
    }
    ~TSqlFile() { sqlite3_close(db_); }
    TSqlFile(const TSqlFile&) = delete;
    TSqlFile& operator=(const TSqlFile&) = delete;

    void Exec(const std::string& sql) {
        char* error = nullptr;
        const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        if (rc != SQLITE_OK)
            throw std::runtime_error(message + " in " + sql + " on " + path_);
    }

    // Steps through the rows of a query, handing each to row as SQLite holds it.
    void ForEachRow(const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) const {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
            Fail("in " + sql);
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            row(statement);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            Fail("in " + sql);
    }

    // Every row of a query, its columns as text ("" for NULL).
    std::vector<std::vector<std::string>> Rows(const std::string& sql) const {
        std::vector<std::vector<std::string>> rows;
        ForEachRow(sql, [&](sqlite3_stmt* statement) {
            auto& row = rows.emplace_back();
            for (int c = 0; c < sqlite3_column_count(statement); ++c)
                row.emplace_back(Text(statement, c));
        });
        return rows;
    }

    // The first column of the first row as text; "" when there is no row or it is NULL.
    std::string Value(const std::string& sql) const {
        const auto rows = Rows(sql);
        return rows.empty() || rows.front().empty() ? std::string() : rows.front().front();
    }

    static std::string Text(sqlite3_stmt* statement, int column) {
        const auto* text = sqlite3_column_text(statement, column);
        return text ? reinterpret_cast<const char*>(text) : "";
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " " + what + " on " + path_);
    }

    std::string path_;
    sqlite3* db_ = nullptr;
};
