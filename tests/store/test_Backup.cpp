// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/Backup.h"
#include "store/db/StoreError.h"

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class BackupTest : public TempDatabase {
protected:
    std::string Folder() const { return BackupFolder(Path()); }
    std::string Copy(const std::string& date) const { return Folder() + "/data-" + date + ".db"; }
    static std::string Bytes(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    // The number of tasks in another database file.
    static int TasksIn(const std::string& path) {
        return std::stoi(TSqlFile(path, SQLITE_OPEN_READONLY).Value("SELECT COUNT(*) FROM t_task"));
    }
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(BackupTest, ADayHasOneCopyOfTheDatabaseAsItWasAtItsFirstStart) {
    AddTask(1, "a", 1);
    AddTask(2, "b", 1);
    const auto made = TakeDailyBackup(Path(), "2026-12-09");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->path, Copy("2026-12-09"));
    EXPECT_EQ(made->date, "2026-12-09");
    EXPECT_EQ(TasksIn(Copy("2026-12-09")), 2);

    AddTask(3, "c", 1);
    EXPECT_FALSE(TakeDailyBackup(Path(), "2026-12-09"));
    EXPECT_EQ(TasksIn(Copy("2026-12-09")), 2);
    ASSERT_TRUE(TakeDailyBackup(Path(), "2026-12-10"));
    EXPECT_EQ(TasksIn(Copy("2026-12-10")), 3);
    EXPECT_EQ(NewestBackup(Path())->date, "2026-12-10");
}

TEST_F(BackupTest, TheNewestSevenAreKeptAndOtherFilesLeftAlone) {
    fs::create_directories(Folder());
    Write(Folder() + "/notes.txt", "mine");
    for (int day = 1; day <= 9; ++day)
        TakeDailyBackup(Path(), "2026-11-0" + std::to_string(day));
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"data-2026-11-03.db", "data-2026-11-04.db",
                                                       "data-2026-11-05.db", "data-2026-11-06.db",
                                                       "data-2026-11-07.db", "data-2026-11-08.db",
                                                       "data-2026-11-09.db", "notes.txt"}));
}

TEST_F(BackupTest, ACopyThatFailsLeavesNothingAndChangesNothing) {
    TakeDailyBackup(Path(), "2026-12-01");
    Write(Path(), "This is not a database, only some text.");
    EXPECT_THROW(TakeDailyBackup(Path(), "2026-12-02"), StoreError);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"data-2026-12-01.db"}));
    EXPECT_EQ(Bytes(Path()), "This is not a database, only some text.");
    EXPECT_EQ(NewestBackup(Path())->date, "2026-12-01");
}

TEST_F(BackupTest, WithoutCopiesThereIsNoNewest) {
    EXPECT_FALSE(NewestBackup(Path()));
    fs::create_directories(Folder());
    Write(Folder() + "/data-2026-1-1.db", "");
    EXPECT_FALSE(NewestBackup(Path()));
}

TEST_F(BackupTest, ARestoreKeepsTheDamagedFileAndItsJournalBesideTheCopy) {
    AddTask(1, "a", 1);
    const TBackup backup = *TakeDailyBackup(Path(), "2026-12-01");
    Write(Path(), "garbage");
    Write(Path() + "-journal", "its journal");
    const std::string damaged = RestoreBackup(Path(), backup, "20261209-101500");
    EXPECT_EQ(damaged, Path() + ".damaged-20261209-101500");
    EXPECT_EQ(Bytes(damaged), "garbage");
    EXPECT_EQ(Bytes(damaged + "-journal"), "its journal");
    EXPECT_FALSE(fs::exists(Path() + "-journal"));
    EXPECT_EQ(TasksIn(Path()), 1);
    EXPECT_EQ(TasksIn(backup.path), 1);
}

TEST_F(BackupTest, ARestoreFromAnUnreadableCopyLeavesTheDatabaseWhereItWas) {
    const TBackup backup{Folder() + "/data-2026-12-01.db", "2026-12-01"};
    fs::create_directories(Folder());
    Write(backup.path, "not a copy either");
    Write(Path(), "garbage");
    EXPECT_THROW(RestoreBackup(Path(), backup, "20261209-101500"), StoreError);
    EXPECT_EQ(Bytes(Path()), "garbage");
    EXPECT_FALSE(fs::exists(Path() + ".damaged-20261209-101500"));
}

} // namespace
