// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/TableCursor.h"

#include "store/db/StoreError.h"
#include "store/db/TextCompare.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <sqlite3.h>
#include <utility>

namespace {

// The last failure of the connection says the file is not a database or is malformed.
bool FileDamaged(sqlite3* db) {
    if (!db)
        return false;
    const int code = sqlite3_errcode(db) & 0xff;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

std::string Quote(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

// A prepared statement that is finalized whatever happens. With a cache it is taken from
// the cache or kept in it, and only reset when done: a transaction that repeats the same
// few statements for thousands of rows then prepares each once.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql, TStatementCache* cache) : cache_(cache) {
        if (cache_) {
            const auto found = cache_->find(sql);
            if (found != cache_->end()) {
                stmt_ = found->second;
                return;
            }
        }
        rc_ = sqlite3_prepare_v3(db, sql.c_str(), static_cast<int>(sql.size()),
                                 cache_ ? SQLITE_PREPARE_PERSISTENT : 0, &stmt_, nullptr);
        if (cache_ && rc_ == SQLITE_OK)
            cache_->emplace(sql, stmt_);
    }
    ~Statement() {
        if (!cache_) {
            sqlite3_finalize(stmt_);
        } else if (stmt_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool Prepared() const { return rc_ == SQLITE_OK; }
    sqlite3_stmt* get() const { return stmt_; }

private:
    TStatementCache* cache_;
    sqlite3_stmt* stmt_ = nullptr;
    int rc_ = SQLITE_OK;
};

TFieldView ColumnView(sqlite3_stmt* stmt, int column) {
    TFieldView v;
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        v.kind = TFieldValue::Integer;
        v.i = sqlite3_column_int64(stmt, column);
        break;
    case SQLITE_FLOAT:
        v.kind = TFieldValue::Real;
        v.d = sqlite3_column_double(stmt, column);
        break;
    case SQLITE_NULL:
        break;
    default: {
        v.kind = TFieldValue::Text;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        v.s = std::string_view(text ? text : "",
                               static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
    }
    }
    return v;
}

TFieldValue ColumnValue(sqlite3_stmt* stmt, int column) {
    const TFieldView view = ColumnView(stmt, column);
    TFieldValue v;
    v.kind = view.kind;
    v.i = view.i;
    v.d = view.d;
    v.s = view.s;
    return v;
}

int Bind(sqlite3_stmt* stmt, int index, const TFieldValue& v) {
    switch (v.kind) {
    case TFieldValue::Integer:
        return sqlite3_bind_int64(stmt, index, v.i);
    case TFieldValue::Real:
        return sqlite3_bind_double(stmt, index, v.d);
    case TFieldValue::Text:
        return sqlite3_bind_text(stmt, index, v.s.data(), static_cast<int>(v.s.size()),
                                 SQLITE_TRANSIENT);
    default:
        return sqlite3_bind_null(stmt, index);
    }
}

// The order SQLite sorts in: NULL, then numbers by value, then text byte by byte.
int CompareValues(const TFieldValue& a, const TFieldValue& b) {
    auto rank = [](const TFieldValue& v) {
        return v.kind == TFieldValue::Null ? 0 : v.kind == TFieldValue::Text ? 2 : 1;
    };
    if (rank(a) != rank(b))
        return rank(a) < rank(b) ? -1 : 1;
    if (a.kind == TFieldValue::Null)
        return 0;
    if (a.kind == TFieldValue::Text)
        return a.s.compare(b.s) < 0 ? -1 : a.s == b.s ? 0 : 1;
    if (a.kind == TFieldValue::Integer && b.kind == TFieldValue::Integer)
        return a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
    const double x = a.kind == TFieldValue::Integer ? static_cast<double>(a.i) : a.d;
    const double y = b.kind == TFieldValue::Integer ? static_cast<double>(b.i) : b.d;
    return x < y ? -1 : x > y ? 1 : 0;
}

bool FileMarkedReadOnly(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto perms = fs::status(path, ec).permissions();
    if (ec || !fs::exists(path, ec))
        return false;
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (perms & writable) == fs::perms::none;
}

} // namespace

TTableCursor::~TTableCursor() {
    Close();
}

void TTableCursor::Close() {
    DropStream();
    if (db_ && db_ != transaction_)
        sqlite3_close_v2(db_);
    db_ = nullptr;
    columns_.clear();
    sortField_ = -1;
    ForgetTable();
    detached_.reset();
    detachedDeleted_ = false;
    singleRowQueries_ = 0;
    mode_ = EditMode::Browse;
    pending_.clear();
}

void TTableCursor::ForgetTable() {
    // The memory goes back with the rows: a large table read once must not stay held for the
    // rest of the run.
    materialized_ = false;
    std::vector<int64_t>().swap(rowids_);
    std::vector<TFieldValue>().swap(cells_);
    std::vector<size_t>().swap(order_);
    pos_ = 0;
    decltype(locateIndexes_)().swap(locateIndexes_);
}

void TTableCursor::Open() {
    if (db_)
        return;
    if (tableName_.empty())
        throw StoreError("No table was named before opening the database.");
    db_ = transaction_ ? transaction_ : Connect();

    std::string failure;
    bool damaged = true;
    {
        Statement info(db_, "PRAGMA table_info(" + Quote(tableName_) + ")", Cache());
        int rc = info.Prepared() ? SQLITE_ROW : SQLITE_ERROR;
        while (info.Prepared() && (rc = sqlite3_step(info.get())) == SQLITE_ROW)
            columns_.emplace_back(
                reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
        if (rc != SQLITE_DONE) {
            failure = "Cannot open table " + tableName_ + " of " + databasePath_ + ": " +
                      sqlite3_errmsg(db_) + ".";
            damaged = FileDamaged(db_);
        } else if (columns_.empty())
            failure = "The database " + databasePath_ + " has no table " + tableName_ + ".";
    }
    if (!failure.empty()) {
        Close();
        throw StoreError(failure, damaged);
    }
}

sqlite3* TTableCursor::Connect() {
    // A file marked read-only stays read-only, even for a user whom the system would let
    // write it anyway.
    // One thread uses a connection, so SQLite need not lock around every call.
    const int flags =
        (FileMarkedReadOnly(databasePath_) ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
        SQLITE_OPEN_NOMUTEX;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(databasePath_.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close_v2(db);
        throw StoreError("Cannot open the database " + databasePath_ + ": " + message);
    }
    // Another program writing the file holds it for a moment: wait for it, up to 2 s.
    sqlite3_busy_timeout(db, 2000);
    return db;
}

void TTableCursor::StartTransaction() {
    Close();
    if (transaction_)
        throw StoreError("A transaction is already running on " + databasePath_ + ".");
    sqlite3* db = Connect();
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_close_v2(db);
        throw StoreError("Cannot write to the database " + databasePath_ + ": " + message + ".");
    }
    transaction_ = db;
}

TStatementCache* TTableCursor::Cache() {
    return db_ && db_ == transaction_ ? &statements_ : nullptr;
}

void TTableCursor::ForgetStatements() {
    for (const auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    statements_.clear();
}

void TTableCursor::Commit() {
    Close();
    ForgetStatements();
    sqlite3* db = std::exchange(transaction_, nullptr);
    if (!db)
        return;
    const bool changed = sqlite3_total_changes64(db) > 0;
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        const std::string message = sqlite3_errmsg(db);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
        throw StoreError("Cannot write to the database " + databasePath_ + ": " + message + ".");
    }
    sqlite3_close_v2(db);
    // A copy runs, so that the hook may replace itself.
    if (const std::function<void()> hook = afterCommit_)
        hook();
    if (changed)
        Written();
}

void TTableCursor::Written() const {
    if (afterWrite_)
        afterWrite_();
}

void TTableCursor::Rollback() {
    Close();
    ForgetStatements();
    sqlite3* db = std::exchange(transaction_, nullptr);
    if (!db)
        return;
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
}

template <typename Work> auto TTableCursor::OnConnection(Work work) {
    Close();
    sqlite3* db = transaction_ ? transaction_ : Connect();
    struct TOwnConnection {
        sqlite3* db;
        ~TOwnConnection() { sqlite3_close_v2(db); }
    } own{transaction_ ? nullptr : db};
    return work(db);
}

bool TTableCursor::HasTable(const std::string& table) {
    return OnConnection([&](sqlite3* db) {
        Statement query(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?",
                        nullptr);
        int rc = SQLITE_ERROR;
        if (query.Prepared()) {
            sqlite3_bind_text(query.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
            rc = sqlite3_step(query.get());
        }
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throw StoreError("Cannot read the tables of " + databasePath_ + ": " +
                                 sqlite3_errmsg(db) + ".",
                             FileDamaged(db));
        return rc == SQLITE_ROW;
    });
}

int64_t TTableCursor::QueryNumber(const std::string& sql) {
    return OnConnection([&](sqlite3* db) {
        Statement query(db, sql, nullptr);
        const int rc = query.Prepared() ? sqlite3_step(query.get()) : SQLITE_ERROR;
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throw StoreError("Cannot read the database " + databasePath_ + ": " +
                                 sqlite3_errmsg(db) + ".",
                             FileDamaged(db));
        return rc == SQLITE_ROW ? static_cast<int64_t>(sqlite3_column_int64(query.get(), 0))
                                : int64_t{0};
    });
}

void TTableCursor::Execute(const std::string& sql) {
    OnConnection([&](sqlite3* db) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            throw StoreError("Cannot write to the database " + databasePath_ + ": " +
                                 sqlite3_errmsg(db) + ".",
                             FileDamaged(db));
    });
}

void TTableCursor::Query(const std::string& sql, const std::vector<TFieldValue>& parameters,
                         const std::function<void(const std::vector<TFieldValue>&)>& onRow) {
    OnConnection([&](sqlite3* db) {
        Statement statement(db, sql, transaction_ ? &statements_ : nullptr);
        int rc = statement.Prepared() ? SQLITE_OK : SQLITE_ERROR;
        for (size_t i = 0; rc == SQLITE_OK && i < parameters.size(); ++i)
            rc = Bind(statement.get(), static_cast<int>(i) + 1, parameters[i]);
        std::vector<TFieldValue> row;
        while (rc == SQLITE_OK || rc == SQLITE_ROW) {
            rc = sqlite3_step(statement.get());
            if (rc != SQLITE_ROW)
                break;
            row.clear();
            for (int column = 0; column < sqlite3_column_count(statement.get()); ++column)
                row.push_back(ColumnValue(statement.get(), column));
            if (onRow)
                onRow(row);
        }
        if (rc != SQLITE_DONE)
            throw StoreError("Cannot work on the database " + databasePath_ + ": " +
                                 sqlite3_errmsg(db) + ".",
                             FileDamaged(db));
    });
}

void TTableCursor::RequireActive(const char* operation) const {
    if (!db_)
        throw StoreError(std::string("Cannot ") + operation + ": table " + tableName_ +
                         " is not open.");
}

void TTableCursor::Fail(const std::string& what) const {
    throw StoreError(what + ": " + (db_ ? sqlite3_errmsg(db_) : "the table is not open") + ".",
                     FileDamaged(db_));
}

int TTableCursor::FieldIndex(const std::string& column) {
    RequireActive("read a column");
    for (size_t i = 0; i < columns_.size(); ++i)
        if (SameName(columns_[i], column))
            return static_cast<int>(i);
    FailOnRow("Table " + tableName_ + " has no column " + column + ".", true);
}

void TTableCursor::FailOnRow(const std::string& message, bool damaged) {
    // The error ends the use of the cursor, which may not be closed before the next use: a walk
    // lets go of its statement, keeping its row, so that the file is not held meanwhile.
    if (stream_ && !streamDone_)
        DetachStreamRow();
    DropStream();
    throw StoreError(message, damaged);
}

std::string TTableCursor::OrderClause(bool reversed) const {
    const char* direction = reversed ? " DESC" : " ASC";
    std::string clause = " ORDER BY ";
    if (sortField_ >= 0)
        clause += Quote(columns_[sortField_]) + direction + ", ";
    return clause + "rowid" + direction;
}

int TTableCursor::CompareKeys(const TFieldValue* a, int64_t aRowid, const TFieldValue* b,
                              int64_t bRowid) const {
    if (sortField_ >= 0) {
        const int c = CompareValues(a[sortField_], b[sortField_]);
        if (c != 0)
            return c;
    }
    return aRowid < bRowid ? -1 : aRowid > bRowid ? 1 : 0;
}

void TTableCursor::OrderRows() {
    order_.resize(rowids_.size());
    for (size_t i = 0; i < order_.size(); ++i)
        order_[i] = i;
    if (sortField_ < 0)
        return;
    const auto before = [this](size_t a, size_t b) {
        return CompareValues(Cells(a)[sortField_], Cells(b)[sortField_]) < 0;
    };
    // Rows already in key order (ids in table order, say) need no sorting.
    if (!std::is_sorted(order_.begin(), order_.end(), before))
        std::stable_sort(order_.begin(), order_.end(), before);
}

void TTableCursor::Materialize() {
    if (materialized_)
        return;
    // A walk under way goes on from its row, or stays past the last one.
    const bool pastEnd = stream_ && streamDone_;
    if (stream_ && !streamDone_)
        DetachStreamRow();
    DropStream();
    Statement all(db_, "SELECT rowid, * FROM " + Quote(tableName_) + " ORDER BY rowid", Cache());
    if (!all.Prepared())
        Fail("Cannot read table " + tableName_);
    const int count = sqlite3_column_count(all.get());
    // Room for every row at once: a large table is read without moving what was read.
    const auto rows = static_cast<size_t>(RecordCount());
    rowids_.reserve(rows);
    cells_.reserve(rows * static_cast<size_t>(count - 1));
    int rc;
    while ((rc = sqlite3_step(all.get())) == SQLITE_ROW) {
        rowids_.push_back(sqlite3_column_int64(all.get(), 0));
        for (int c = 1; c < count; ++c)
            cells_.push_back(ColumnValue(all.get(), c));
    }
    if (rc != SQLITE_DONE) {
        ForgetTable();
        Fail("Cannot read table " + tableName_);
    }
    materialized_ = true;
    OrderRows();
    pos_ = pastEnd ? order_.size() : 0;
    if (!detached_)
        return;
    if (detachedDeleted_) {
        PlaceAfterDeleted();
    } else {
        const int64_t rowid = detached_->rowid;
        pos_ = static_cast<size_t>(std::find_if(order_.begin(), order_.end(),
                                                [&](size_t i) { return rowids_[i] == rowid; }) -
                                   order_.begin());
    }
    detached_.reset();
    detachedDeleted_ = false;
}

void TTableCursor::PlaceAfterDeleted() {
    pos_ = static_cast<size_t>(std::partition_point(order_.begin(), order_.end(),
                                                    [&](size_t i) {
                                                        return CompareKeys(Cells(i), rowids_[i],
                                                                           detached_->values.data(),
                                                                           detached_->rowid) <= 0;
                                                    }) -
                               order_.begin());
}

bool TTableCursor::HasCurrentRow() {
    if (materialized_)
        return pos_ < order_.size();
    if (stream_)
        return !streamDone_;
    if (!detached_) {
        StartStream();
        return !streamDone_;
    }
    if (!detachedDeleted_)
        return true;
    Materialize();
    return pos_ < order_.size();
}

void TTableCursor::StartStream() {
    const std::string sql = "SELECT rowid, * FROM " + Quote(tableName_) + OrderClause(false);
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stream_, nullptr) !=
        SQLITE_OK) {
        DropStream();
        Fail("Cannot read table " + tableName_);
    }
    StepStream();
}

void TTableCursor::StepStream() {
    const int rc = sqlite3_step(stream_);
    streamDone_ = rc != SQLITE_ROW;
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const std::string message = sqlite3_errmsg(db_);
    const bool damaged = FileDamaged(db_);
    DropStream();
    throw StoreError("Cannot read table " + tableName_ + ": " + message + ".", damaged);
}

void TTableCursor::DropStream() {
    sqlite3_finalize(stream_);
    stream_ = nullptr;
    streamDone_ = false;
}

TTableCursor::Row TTableCursor::StreamRow() const {
    Row row;
    row.rowid = sqlite3_column_int64(stream_, 0);
    const int count = sqlite3_column_count(stream_);
    row.values.reserve(static_cast<size_t>(count - 1));
    for (int c = 1; c < count; ++c)
        row.values.push_back(ColumnValue(stream_, c));
    return row;
}

void TTableCursor::DetachStreamRow() {
    detached_ = StreamRow();
    detachedDeleted_ = false;
    DropStream();
}

size_t TTableCursor::ValidField(int field) {
    if (field < 0 || static_cast<size_t>(field) >= columns_.size())
        FailOnRow("Table " + tableName_ + " has no column number " + std::to_string(field) + ".");
    return static_cast<size_t>(field);
}

const TFieldValue* TTableCursor::CurrentValues() {
    RequireActive("read a row");
    if (!HasCurrentRow())
        throw StoreError("Table " + tableName_ + " has no current row.");
    if (stream_)
        return nullptr;
    return materialized_ ? Cells(order_[pos_]) : detached_->values.data();
}

TFieldView TTableCursor::CurrentCell(int field) {
    // A walk reads its row straight from the statement: the common case goes first.
    const TFieldValue* values = stream_ && !streamDone_ ? nullptr : CurrentValues();
    const size_t index = ValidField(field);
    if (!values)
        // Column 0 of the walk is the rowid.
        return ColumnView(stream_, static_cast<int>(index) + 1);
    const TFieldValue& v = values[index];
    TFieldView view;
    view.kind = v.kind;
    view.i = v.i;
    view.d = v.d;
    view.s = v.s;
    return view;
}

int64_t TTableCursor::CurrentRowid() {
    CurrentValues();
    if (stream_)
        return sqlite3_column_int64(stream_, 0);
    return materialized_ ? rowids_[order_[pos_]] : detached_->rowid;
}

void TTableCursor::StoreRow(size_t row, Row&& values) {
    rowids_[row] = values.rowid;
    std::move(values.values.begin(), values.values.end(),
              cells_.begin() + static_cast<std::ptrdiff_t>(row * columns_.size()));
}

std::optional<TTableCursor::Row> TTableCursor::QueryOneRow(const std::string& where, int64_t value,
                                                           bool last) {
    std::string sql = "SELECT rowid, * FROM " + Quote(tableName_);
    if (!where.empty())
        sql += " WHERE " + where;
    sql += OrderClause(last) + " LIMIT 1";
    Statement one(db_, sql, Cache());
    if (!one.Prepared())
        Fail("Cannot read table " + tableName_);
    if (!where.empty())
        sqlite3_bind_int64(one.get(), 1, value);
    const int rc = sqlite3_step(one.get());
    if (rc == SQLITE_DONE)
        return std::nullopt;
    if (rc != SQLITE_ROW)
        Fail("Cannot read table " + tableName_);
    Row row;
    row.rowid = sqlite3_column_int64(one.get(), 0);
    for (int c = 1; c < sqlite3_column_count(one.get()); ++c)
        row.values.push_back(ColumnValue(one.get(), c));
    return row;
}

TTableCursor::Row TTableCursor::ReadRow(int64_t rowid) {
    auto row = QueryOneRow("rowid = ?", rowid, false);
    if (!row)
        throw StoreError("A row of table " + tableName_ + " vanished while it was written.");
    return std::move(*row);
}

void TTableCursor::SetSort(const std::string& sort) {
    RequireActive("sort");
    const size_t begin = sort.find_first_not_of(" \t");
    int field = -1;
    if (begin != std::string::npos) {
        const size_t nameEnd = sort.find_first_of(" \t", begin);
        const std::string name = sort.substr(begin, nameEnd - begin);
        std::string direction;
        if (nameEnd != std::string::npos) {
            const size_t dirBegin = sort.find_first_not_of(" \t", nameEnd);
            if (dirBegin != std::string::npos)
                direction = sort.substr(dirBegin, sort.find_last_not_of(" \t") + 1 - dirBegin);
        }
        if (!direction.empty() && !SameName(direction, "ASC"))
            throw StoreError("Cannot sort table " + tableName_ + " by \"" + sort +
                             "\": only ascending sorts are supported.");
        field = FieldIndex(name);
    }
    if (field == sortField_)
        return;
    // A walk keeps its row in the new order; one past the last row starts again at the first.
    if (stream_ && !streamDone_)
        DetachStreamRow();
    DropStream();
    std::optional<int64_t> current;
    if (materialized_ && pos_ < order_.size())
        current = rowids_[order_[pos_]];
    sortField_ = field;
    ForgetIndexes();
    if (!materialized_)
        return;
    OrderRows();
    pos_ = 0;
    if (current)
        while (pos_ < order_.size() && rowids_[order_[pos_]] != *current)
            ++pos_;
}

void TTableCursor::First() {
    RequireActive("move to the first row");
    if (materialized_) {
        pos_ = 0;
        return;
    }
    DropStream();
    detached_.reset();
    detachedDeleted_ = false;
    StartStream();
}

void TTableCursor::Next() {
    RequireActive("move to the next row");
    // A walk steps on; so does one not begun yet, which stands on the first row.
    if (!materialized_ && !stream_ && !detached_)
        StartStream();
    if (stream_) {
        if (!streamDone_)
            StepStream();
        return;
    }
    Materialize();
    if (pos_ < order_.size())
        ++pos_;
}

void TTableCursor::Last() {
    RequireActive("move to the last row");
    if (!materialized_) {
        DropStream();
        detached_ = QueryOneRow("", 0, true);
        detachedDeleted_ = false;
        if (detached_)
            return;
        Materialize();
    }
    pos_ = order_.empty() ? 0 : order_.size() - 1;
}

bool TTableCursor::Eof() {
    RequireActive("test the end of the table");
    return !HasCurrentRow();
}

int32_t TTableCursor::RecordCount() {
    RequireActive("count rows");
    if (materialized_)
        return static_cast<int32_t>(order_.size());
    Statement count(db_, "SELECT COUNT(*) FROM " + Quote(tableName_), Cache());
    if (!count.Prepared() || sqlite3_step(count.get()) != SQLITE_ROW)
        Fail("Cannot count the rows of table " + tableName_);
    return static_cast<int32_t>(sqlite3_column_int64(count.get(), 0));
}

bool TTableCursor::Locate(const std::string& column, int64_t value) {
    const int field = FieldIndex(column);
    // A few lookups ask the database for the row; a loop of lookups reads the table once
    // and answers from an index, so it never scans once per lookup.
    constexpr int SingleRowQueryLimit = 16;
    if (!materialized_ && singleRowQueries_ < SingleRowQueryLimit) {
        ++singleRowQueries_;
        auto row = QueryOneRow(Quote(columns_[field]) + " = ?", value, false);
        if (!row)
            return false;
        DropStream();
        detached_ = std::move(row);
        detachedDeleted_ = false;
        return true;
    }
    Materialize();
    auto [index, fresh] = locateIndexes_.try_emplace(field);
    if (fresh) {
        for (size_t p = 0; p < order_.size(); ++p) {
            const TFieldValue& v = Cells(order_[p])[field];
            if (v.kind == TFieldValue::Integer)
                index->second.try_emplace(v.i, p);
            else if (v.kind == TFieldValue::Real && v.d == std::trunc(v.d) &&
                     std::abs(v.d) < 9.2e18)
                index->second.try_emplace(static_cast<int64_t>(v.d), p);
        }
    }
    const auto found = index->second.find(value);
    if (found == index->second.end())
        return false;
    pos_ = found->second;
    return true;
}

int32_t TTableCursor::AsInteger(int field) {
    const TFieldView v = CurrentCell(field);
    const std::string& column = columns_[field];
    int64_t result = 0;
    switch (v.kind) {
    case TFieldValue::Null:
        return 0;
    case TFieldValue::Integer:
        result = v.i;
        break;
    case TFieldValue::Real:
        if (!(std::abs(v.d) < 2147483648.0))
            FailOnRow("Column " + column + " of table " + tableName_ +
                      " holds a number too large for an integer.");
        return static_cast<int32_t>(std::trunc(v.d));
    case TFieldValue::Text: {
        errno = 0;
        char* end = nullptr;
        const long long parsed = std::strtoll(v.s.data(), &end, 10);
        if (v.s.empty() || errno != 0 || *end != '\0')
            FailOnRow("Column " + column + " of table " + tableName_ + " holds \"" +
                      std::string(v.s) + "\", which is not an integer.");
        result = parsed;
    }
    }
    if (result < std::numeric_limits<int32_t>::min() ||
        result > std::numeric_limits<int32_t>::max())
        FailOnRow("Column " + column + " of table " + tableName_ +
                  " holds a number too large for an integer.");
    return static_cast<int32_t>(result);
}

double TTableCursor::AsFloat(int field) {
    const TFieldView v = CurrentCell(field);
    switch (v.kind) {
    case TFieldValue::Null:
        return 0;
    case TFieldValue::Integer:
        return static_cast<double>(v.i);
    case TFieldValue::Real:
        return v.d;
    case TFieldValue::Text:
        break;
    }
    char* end = nullptr;
    const double parsed = std::strtod(v.s.data(), &end);
    if (v.s.empty() || *end != '\0')
        FailOnRow("Column " + columns_[field] + " of table " + tableName_ + " holds \"" +
                  std::string(v.s) + "\", which is not a number.");
    return parsed;
}

std::string TTableCursor::TakeString(int field) {
    if (const TFieldValue* values = CurrentValues()) {
        TFieldValue& v = const_cast<TFieldValue&>(values[ValidField(field)]);
        if (v.kind == TFieldValue::Text)
            return std::move(v.s);
    }
    return AsString(field);
}

std::string TTableCursor::AsString(int field) {
    const TFieldView v = CurrentCell(field);
    switch (v.kind) {
    case TFieldValue::Null:
        return {};
    case TFieldValue::Integer:
        return std::to_string(v.i);
    case TFieldValue::Real: {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", v.d);
        return text;
    }
    case TFieldValue::Text:
        break;
    }
    return std::string(v.s);
}

void TTableCursor::Append() {
    RequireActive("append a row");
    mode_ = EditMode::Append;
    pending_.clear();
}

void TTableCursor::Edit() {
    CurrentValues();
    if (stream_)
        DetachStreamRow();
    mode_ = EditMode::Edit;
    pending_.clear();
}

void TTableCursor::Assign(const std::string& column, TFieldValue value) {
    const int field = FieldIndex(column);
    if (mode_ == EditMode::Browse)
        throw StoreError("Cannot set column " + column + ": table " + tableName_ +
                         " is not being edited.");
    for (auto& [f, v] : pending_)
        if (f == field) {
            v = std::move(value);
            return;
        }
    pending_.emplace_back(field, std::move(value));
}

void TTableCursor::SetInteger(const std::string& column, int64_t value) {
    TFieldValue v;
    v.kind = TFieldValue::Integer;
    v.i = value;
    Assign(column, std::move(v));
}

void TTableCursor::SetFloat(const std::string& column, double value) {
    TFieldValue v;
    v.kind = TFieldValue::Real;
    v.d = value;
    Assign(column, std::move(v));
}

void TTableCursor::SetString(const std::string& column, const std::string& value) {
    TFieldValue v;
    v.kind = TFieldValue::Text;
    v.s = value;
    Assign(column, std::move(v));
}

void TTableCursor::Post() {
    RequireActive("post a row");
    if (mode_ == EditMode::Browse)
        throw StoreError("Cannot post: table " + tableName_ + " is not being edited.");
    std::string sql;
    if (mode_ == EditMode::Append) {
        if (pending_.empty()) {
            sql = "INSERT INTO " + Quote(tableName_) + " DEFAULT VALUES";
        } else {
            std::string names, marks;
            for (const auto& [field, value] : pending_) {
                names += (names.empty() ? "" : ", ") + Quote(columns_[field]);
                marks += marks.empty() ? "?" : ", ?";
            }
            sql = "INSERT INTO " + Quote(tableName_) + " (" + names + ") VALUES (" + marks + ")";
        }
    } else {
        std::string sets;
        for (const auto& [field, value] : pending_)
            sets += (sets.empty() ? "" : ", ") + Quote(columns_[field]) + " = ?";
        if (sets.empty())
            sets = "rowid = rowid";
        sql = "UPDATE " + Quote(tableName_) + " SET " + sets + " WHERE rowid = ?";
    }
    sql += " RETURNING rowid";
    // An appended row becomes the current one: a walk under way ends before the table changes.
    if (mode_ == EditMode::Append)
        DropStream();

    const int64_t editedRowid = mode_ == EditMode::Edit ? CurrentRowid() : 0;
    Statement write(db_, sql, Cache());
    if (!write.Prepared())
        Fail("Cannot write to table " + tableName_);
    int index = 1;
    for (const auto& [field, value] : pending_)
        Bind(write.get(), index++, value);
    if (mode_ == EditMode::Edit)
        sqlite3_bind_int64(write.get(), index, editedRowid);
    int rc = sqlite3_step(write.get());
    if (rc == SQLITE_DONE)
        throw StoreError("The row of table " + tableName_ +
                         " being edited was deleted by another program.");
    if (rc != SQLITE_ROW)
        Fail("Cannot write to table " + tableName_);
    const int64_t rowid = sqlite3_column_int64(write.get(), 0);
    while ((rc = sqlite3_step(write.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        Fail("Cannot write to table " + tableName_);

    Row row = ReadRow(rowid);
    if (materialized_) {
        if (mode_ == EditMode::Append) {
            rowids_.push_back(0);
            cells_.resize(cells_.size() + columns_.size());
            StoreRow(rowids_.size() - 1, std::move(row));
            order_.push_back(rowids_.size() - 1);
            pos_ = order_.size() - 1;
        } else {
            StoreRow(order_[pos_], std::move(row));
        }
        ForgetIndexes();
    } else {
        detached_ = std::move(row);
        detachedDeleted_ = false;
    }
    mode_ = EditMode::Browse;
    pending_.clear();
    if (!transaction_)
        Written();
}

void TTableCursor::Delete() {
    const int64_t rowid = CurrentRowid();
    // The walk goes on after the deleted row once the table is read.
    if (stream_)
        DetachStreamRow();
    mode_ = EditMode::Browse;
    pending_.clear();
    Statement remove(db_, "DELETE FROM " + Quote(tableName_) + " WHERE rowid = ?", Cache());
    if (!remove.Prepared())
        Fail("Cannot delete from table " + tableName_);
    sqlite3_bind_int64(remove.get(), 1, rowid);
    if (sqlite3_step(remove.get()) != SQLITE_DONE)
        Fail("Cannot delete from table " + tableName_);
    if (materialized_) {
        const size_t removed = order_[pos_];
        rowids_.erase(rowids_.begin() + static_cast<std::ptrdiff_t>(removed));
        const auto first = cells_.begin() + static_cast<std::ptrdiff_t>(removed * columns_.size());
        cells_.erase(first, first + static_cast<std::ptrdiff_t>(columns_.size()));
        order_.erase(order_.begin() + static_cast<std::ptrdiff_t>(pos_));
        for (size_t& i : order_)
            if (i > removed)
                --i;
        ForgetIndexes();
    } else {
        detachedDeleted_ = true;
    }
    if (!transaction_)
        Written();
}
