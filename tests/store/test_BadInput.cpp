// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/StoreError.h"
#include "store/records/TaskTable.h"

#include <chrono>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class BadInputTest : public TempDatabase {
protected:
    std::string ErrorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const StoreError& error) {
            return error.what();
        }
        return "no error";
    }
    void Load() {
        std::vector<TMyRec2> all, shown;
        LoadTaskArrays(Dm(), 0, -1, 0, all, shown);
    }
};

TEST_F(BadInputTest, AFileThatIsNotADatabase) {
    std::ofstream(Path(), std::ios::trunc)
        << "This is a note, not a database. It is long enough to "
           "fill a header page of the file format.";
    EXPECT_NE(ErrorOf([&] { Load(); }).find("not a database"), std::string::npos);
    EXPECT_FALSE(Table().Active());
}

TEST_F(BadInputTest, AMissingFileIsReportedAndNotCreatedByTheCursor) {
    fs::remove(Path());
    EXPECT_NE(ErrorOf([&] { Load(); }).find("Cannot open the database"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path()));
}

TEST_F(BadInputTest, MissingTableOrColumn) {
    Exec("DROP TABLE t_note");
    AddTask(1, "a", 1, 0, 1);
    EXPECT_NE(ErrorOf([&] { Load(); }).find("has no table t_note"), std::string::npos);

    Exec("CREATE TABLE t_note (id INTEGER, idTask INTEGER)");
    Exec("INSERT INTO t_note VALUES (1, 1)");
    EXPECT_NE(ErrorOf([&] { Load(); }).find("has no column strNote"), std::string::npos);
}

TEST_F(BadInputTest, NullsReadAsZeroOrEmpty) {
    Exec("CREATE TABLE loose (id INTEGER, strName TEXT, dateDue REAL)");
    Exec("INSERT INTO loose VALUES (NULL, NULL, NULL)");
    Table().SetTableName("loose");
    Table().Open();
    EXPECT_EQ(Table().AsInteger("id"), 0);
    EXPECT_EQ(Table().AsString("strName"), "");
    EXPECT_EQ(Table().AsFloat("dateDue"), 0.0);
    Table().Close();

    // A task table of another making, with NULLs everywhere but the key.
    Exec("DROP TABLE t_task");
    Exec("CREATE TABLE t_task (id INTEGER, strName TEXT, intCategory INTEGER, intPriority "
         "INTEGER, intDone INTEGER, intDue INTEGER, dateDue REAL, intReminder INTEGER, "
         "datetimeReminder REAL, intSound INTEGER, strSoundFile TEXT, intMemo INTEGER)");
    Exec("INSERT INTO t_task (id) VALUES (4)");
    std::vector<TMyRec2> all, shown;
    LoadTaskArrays(Dm(), 0, -1, 0, all, shown);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].id, 4);
    EXPECT_EQ(all[0].strName, "");
    EXPECT_EQ(all[0].intMemo, 0);
    EXPECT_EQ(all[0].dateDue, 0.0);
    EXPECT_EQ(all[0].strCategory, "");
}

TEST_F(BadInputTest, TextWhereANumberBelongsIsAnError) {
    Exec("INSERT INTO t_task (id, strName, intDone) VALUES (1, 'a', 'yes')");
    Table().SetTableName("t_task");
    Table().Open();
    EXPECT_NE(ErrorOf([&] { Table().AsInteger("intDone"); }).find("not an integer"),
              std::string::npos);
}

TEST_F(BadInputTest, ALockedDatabaseWaitsThenFails) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(Path().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto start = std::chrono::steady_clock::now();
    const std::string error = ErrorOf([&] { Load(); });
    const auto waited = std::chrono::steady_clock::now() - start;
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_NE(error.find("locked"), std::string::npos) << error;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    // Once the other program lets go, the same cursor works again.
    EXPECT_NO_THROW(Load());
}

TEST_F(BadInputTest, AReadOnlyFileReadsButRefusesTheFirstWrite) {
    AddTask(1, "kept", 1);
    fs::permissions(Path(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::vector<TMyRec2> all, shown;
    LoadTaskArrays(Dm(), 0, -1, 0, all, shown);
    ASSERT_EQ(all.size(), 1u);
    Table().Close();
    Table().SetTableName("t_task");
    Table().Open();
    ASSERT_TRUE(Table().Locate("id", 1));
    Table().Edit();
    Table().SetString("strName", "changed");
    EXPECT_NE(ErrorOf([&] { Table().Post(); }).find("readonly"), std::string::npos);
    fs::permissions(Path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Query("SELECT strName FROM t_task"), "kept");
}

TEST_F(BadInputTest, AnExistingDatabaseIsNeverReplaced) {
    AddTask(1, "mine", 1);
    TDM again(folder_.string());
    again.DataModuleCreate();
    EXPECT_EQ(Query("SELECT strName FROM t_task"), "mine");
}

TEST_F(BadInputTest, AFolderThatCannotHoldTheDatabaseIsReported) {
    std::ofstream(folder_ / "blocked") << "a file where a folder should be";
    TDM blocked((folder_ / "blocked").string());
    EXPECT_NE(ErrorOf([&] { blocked.DataModuleCreate(); }).find("Cannot create the database"),
              std::string::npos);
}

} // namespace
