// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Prepared statements by their text, kept while a transaction holds its connection.
using TStatementCache = std::unordered_map<std::string, sqlite3_stmt*>;

// One value of a row as SQLite stored it.
struct TFieldValue {
    enum Kind : uint8_t { Null, Integer, Real, Text };
    Kind kind = Null;
    int64_t i = 0;
    double d = 0;
    std::string s;
};

// A value where it is held, its text not copied and followed by a NUL.
struct TFieldView {
    TFieldValue::Kind kind = TFieldValue::Null;
    int64_t i = 0;
    double d = 0;
    std::string_view s;
};

// The table cursor every window works through: close it, name a table, open it, walk,
// locate, read, append, edit, post or delete, close it again.
//
// Opening does not read the table. A walk from the first row steps through the rows as SQLite
// reads them, holding only the row it stands on, so reading a large table into records copies
// each value once. A locate or a move to the last row asks the database for that one row, so
// a single-row change on a large table stays cheap. Only a use that needs the rows at hand
// (a walk that goes on after a locate, a write or a delete, or many locates) reads the whole
// table into the cursor, and Close gives that memory back. Outside StartTransaction, Post and
// Delete are each their own transaction, durable when they return.
class TTableCursor {
public:
    TTableCursor() = default;
    ~TTableCursor();
    TTableCursor(const TTableCursor&) = delete;
    TTableCursor& operator=(const TTableCursor&) = delete;

    // The database file every Open connects to.
    void SetDatabasePath(const std::string& path) { databasePath_ = path; }
    const std::string& DatabasePath() const { return databasePath_; }

    void Close();
    void SetTableName(const std::string& table) { tableName_ = table; }
    void Open();
    bool Active() const { return db_ != nullptr; }

    // "column ASC" orders the rows by that column; an empty text restores the table's order.
    void SetSort(const std::string& sort);

    void First();
    void Next();
    void Last();
    bool Eof();
    int32_t RecordCount();

    // Moves to the first row, in the current order, whose column equals the value.
    // Leaves the current row alone and answers false when there is none.
    bool Locate(const std::string& column, int64_t value);

    // Index of a column for the fast readers; column names match without regard to case.
    int FieldIndex(const std::string& column);

    int32_t AsInteger(const std::string& column) { return AsInteger(FieldIndex(column)); }
    double AsFloat(const std::string& column) { return AsFloat(FieldIndex(column)); }
    std::string AsString(const std::string& column) { return AsString(FieldIndex(column)); }
    int32_t AsInteger(int field);
    double AsFloat(int field);
    std::string AsString(int field);
    // AsString for a walk that reads each value of a row once: a text the cursor holds is
    // moved out instead of copied, and that value of the row may read empty afterwards.
    std::string TakeString(int field);

    void Append();
    void Edit();
    void SetInteger(const std::string& column, int64_t value);
    void SetFloat(const std::string& column, double value);
    void SetString(const std::string& column, const std::string& value);
    void Post();
    void Delete();

    // Holds one connection across uses of the cursor, so that the writes in between are
    // kept or dropped together: every use between StartTransaction and Commit or Rollback
    // works inside one database transaction.
    void StartTransaction();
    void Commit();
    void Rollback();

    // Whether the database has a table of that name. Closes the cursor; inside a transaction
    // it asks on the transaction's connection.
    bool HasTable(const std::string& table);
    // Runs SQL that returns no rows (a CREATE TABLE IF NOT EXISTS, say) the way HasTable asks.
    // Throws StoreError.
    void Execute(const std::string& sql);
    // Runs one statement with its parameters (?1, ?2, ...) the way HasTable asks, and hands
    // each row it returns to onRow, the values in the order of its columns. Inside a
    // transaction the statement is prepared once for all the calls. Throws StoreError.
    void Query(const std::string& sql, const std::vector<TFieldValue>& parameters = {},
               const std::function<void(const std::vector<TFieldValue>&)>& onRow = {});
    // Runs a query that answers one number (a count, say) the way HasTable asks: the first
    // column of its first row, 0 when there is no row. Throws StoreError.
    int64_t QueryNumber(const std::string& sql);
    // Test seam: runs right after every commit that took, as another program taking the file
    // at that moment would.
    void SetAfterCommit(std::function<void()> hook) { afterCommit_ = std::move(hook); }
    // Runs after every write through this cursor that changed rows and is in the file: a Post
    // or Delete of its own, or a commit of a transaction that changed anything.
    void SetAfterWrite(std::function<void()> hook) { afterWrite_ = std::move(hook); }

private:
    struct Row {
        int64_t rowid = 0;
        std::vector<TFieldValue> values;
    };
    enum class EditMode { Browse, Append, Edit };

    sqlite3* Connect();
    // Runs work on the transaction's connection, or on one of its own that it then closes.
    template <typename Work> auto OnConnection(Work work);
    TStatementCache* Cache();
    void ForgetStatements();
    void RequireActive(const char* operation) const;
    [[noreturn]] void Fail(const std::string& what) const;
    [[noreturn]] void FailOnRow(const std::string& message, bool damaged = false);
    void Materialize();
    void ForgetTable();
    void OrderRows();
    void PlaceAfterDeleted();
    void StartStream();
    void StepStream();
    void DropStream();
    // Leaves the walk for the row it stands on, held as the detached row.
    void DetachStreamRow();
    Row StreamRow() const;
    // The current row's values (one per column) and its rowid; none while the walk steps.
    const TFieldValue* CurrentValues();
    // A value of the current row, wherever the cursor holds it.
    TFieldView CurrentCell(int field);
    int64_t CurrentRowid();
    size_t ValidField(int field);
    const TFieldValue* Cells(size_t row) const { return cells_.data() + row * columns_.size(); }
    bool HasCurrentRow();
    std::optional<Row> QueryOneRow(const std::string& where, int64_t value, bool last);
    Row ReadRow(int64_t rowid);
    void Assign(const std::string& column, TFieldValue value);
    void ForgetIndexes() { locateIndexes_.clear(); }
    int CompareKeys(const TFieldValue* a, int64_t aRowid, const TFieldValue* b,
                    int64_t bRowid) const;
    void StoreRow(size_t row, Row&& values);
    void Written() const;
    std::string OrderClause(bool reversed) const;

    std::string databasePath_;
    std::function<void()> afterCommit_;
    std::function<void()> afterWrite_;
    std::string tableName_;
    sqlite3* db_ = nullptr;
    sqlite3* transaction_ = nullptr;
    TStatementCache statements_;
    std::vector<std::string> columns_;

    int sortField_ = -1;

    // The read table: rows in table order, their values one column after another in one
    // block (so a large table is a few allocations, not one per row), and the current order
    // as indexes into them.
    bool materialized_ = false;
    std::vector<int64_t> rowids_;
    std::vector<TFieldValue> cells_;
    std::vector<size_t> order_;
    size_t pos_ = 0;

    // The walk stepping through the rows in the current order before the table is read; done
    // once it went past the last row.
    sqlite3_stmt* stream_ = nullptr;
    bool streamDone_ = false;

    // Before the table is read: the row that a locate or Last found, or the row that was
    // deleted from under the cursor (the cursor then stands on the row after it).
    std::optional<Row> detached_;
    bool detachedDeleted_ = false;
    int singleRowQueries_ = 0;

    // Per column: value -> position in order_ of the first row holding it.
    std::unordered_map<int, std::unordered_map<int64_t, size_t>> locateIndexes_;

    EditMode mode_ = EditMode::Browse;
    std::vector<std::pair<int, TFieldValue>> pending_;
};
