// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/db/Backup.h"
#include "store/db/StoreError.h"
#include "store/records/TaskTable.h"
#include "tests/store/AsNobody.h"

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
    static std::vector<std::string> Dates(const std::vector<TBackup>& copies) {
        std::vector<std::string> dates;
        for (const TBackup& copy : copies)
            dates.push_back(copy.date);
        return dates;
    }
    static fs::perms Mode(const std::string& path) {
        return fs::status(path).permissions() & fs::perms::mask;
    }
    // An index that no longer agrees with its table, as a damaged index page leaves it: the
    // tasks load (the table is read), integrity_check finds it and quick_check does not.
    void DamageAnIndex() {
        Exec("PRAGMA writable_schema = ON; UPDATE sqlite_schema SET sql = 'CREATE INDEX "
             "t_task_intCategory ON t_task (intPriority)' WHERE name = 't_task_intCategory'");
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
    EXPECT_EQ(NewestSoundBackup(Path(), "2026-12-10")->date, "2026-12-10");
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
    EXPECT_EQ(NewestSoundBackup(Path(), "2026-12-02")->date, "2026-12-01");
}

TEST_F(BackupTest, WithoutCopiesThereIsNoNewest) {
    EXPECT_FALSE(NewestSoundBackup(Path(), "2026-12-01"));
    fs::create_directories(Folder());
    Write(Folder() + "/data-2026-1-1.db", "");
    EXPECT_FALSE(NewestSoundBackup(Path(), "2026-12-01"));
    EXPECT_FALSE(DatabaseWasHere(Path()));
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

TEST_F(BackupTest, ACopyFromAWrongClockIsSetAsideAndNeverCounts) {
    AddTask(1, "made while the clock said 2099", 1);
    TakeDailyBackup(Path(), "2099-01-01");
    for (int day = 1; day <= 8; ++day) {
        AddTask(day + 1, "day " + std::to_string(day), 1);
        TakeDailyBackup(Path(), "2026-12-0" + std::to_string(day));
    }
    // Seven real copies, the newest dated today or earlier; the 2099 one is still on disk.
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{
                                 "data-2026-12-02.db", "data-2026-12-03.db", "data-2026-12-04.db",
                                 "data-2026-12-05.db", "data-2026-12-06.db", "data-2026-12-07.db",
                                 "data-2026-12-08.db", "data-2099-01-01.db"}));
    EXPECT_EQ(Dates(Backups(Path(), "2026-12-08")),
              (std::vector<std::string>{"2026-12-08", "2026-12-07", "2026-12-06", "2026-12-05",
                                        "2026-12-04", "2026-12-03", "2026-12-02"}));
    EXPECT_EQ(NewestSoundBackup(Path(), "2026-12-08")->date, "2026-12-08");
    EXPECT_EQ(TasksIn(NewestSoundBackup(Path(), "2026-12-08")->path), 9);
}

TEST_F(BackupTest, ADatabaseWhoseIndexDisagreesWithItsTableIsNotCopied) {
    AddTask(1, "a", 2);
    AddTask(2, "b", 3);
    TakeDailyBackup(Path(), "2026-12-01");
    DamageAnIndex();
    // The list loads it, and the quick check sees nothing wrong.
    EXPECT_EQ(ReadAllTasks(Dm()).size(), 2u);
    EXPECT_EQ(Query("PRAGMA quick_check"), "ok");
    ASSERT_TRUE(IntegrityProblem(Path()));
    try {
        TakeDailyBackup(Path(), "2026-12-02");
        FAIL() << "the damaged database was copied";
    } catch (const StoreError& error) {
        EXPECT_TRUE(error.Damaged());
        EXPECT_NE(std::string(error.what()).find("not copied"), std::string::npos) << error.what();
    }
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"data-2026-12-01.db"}));
    EXPECT_FALSE(IntegrityProblem(Copy("2026-12-01")));
}

TEST_F(BackupTest, TheNewestCopyThatPassesTheCheckIsOffered) {
    AddTask(1, "a", 1);
    TakeDailyBackup(Path(), "2026-12-01");
    AddTask(2, "b", 1);
    TakeDailyBackup(Path(), "2026-12-02");
    // The newest copy is cut short: malformed.
    const std::string newest = Bytes(Copy("2026-12-02"));
    Write(Copy("2026-12-02"), newest.substr(0, newest.size() / 2) + std::string(500, 'x'));
    ASSERT_TRUE(IntegrityProblem(Copy("2026-12-02")));
    const auto sound = NewestSoundBackup(Path(), "2026-12-09");
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->date, "2026-12-01");
    Write(Copy("2026-12-01"), "not a database");
    EXPECT_FALSE(NewestSoundBackup(Path(), "2026-12-09"));
}

TEST_F(BackupTest, ARestoreCutShortBetweenItsRenamesIsFinished) {
    AddTask(1, "a", 1);
    const TBackup backup = *TakeDailyBackup(Path(), "2026-12-01");
    Write(Path(), "garbage");
    Write(Path() + "-journal", "its journal");
    // Killed after the damaged file was moved aside, before its journal went with it.
    fs::copy_file(backup.path, Path() + ".restoring");
    fs::rename(Path(), Path() + ".damaged-20261209-101500");
    // The next start makes no new empty database in its place.
    EXPECT_TRUE(DatabaseWasHere(Path()));
    EXPECT_THROW(Dm().DataModuleCreate(), StoreError);
    EXPECT_FALSE(fs::exists(Path()));

    const auto kept = FinishInterruptedRestore(Path(), "20261209-111111");
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, Path() + ".damaged-20261209-101500");
    EXPECT_EQ(Bytes(*kept), "garbage");
    EXPECT_EQ(Bytes(*kept + "-journal"), "its journal");
    EXPECT_FALSE(fs::exists(Path() + "-journal"));
    EXPECT_FALSE(fs::exists(Path() + ".restoring"));
    EXPECT_EQ(TasksIn(Path()), 1);
    EXPECT_FALSE(FinishInterruptedRestore(Path(), "20261209-111112"));
}

TEST_F(BackupTest, ARestoreCutShortBeforeItMovedAnythingIsFinishedOrForgotten) {
    AddTask(1, "a", 1);
    const TBackup backup = *TakeDailyBackup(Path(), "2026-12-01");
    Write(Path(), "garbage");
    // Killed while copying: the part is dropped and the database stays.
    Write(Path() + ".restoring.part", "half a copy");
    EXPECT_FALSE(FinishInterruptedRestore(Path(), "20261209-111111"));
    EXPECT_FALSE(fs::exists(Path() + ".restoring.part"));
    EXPECT_EQ(Bytes(Path()), "garbage");
    // Killed once the copy was complete: the restore the user asked for is carried out.
    fs::copy_file(backup.path, Path() + ".restoring");
    EXPECT_EQ(*FinishInterruptedRestore(Path(), "20261209-111111"),
              Path() + ".damaged-20261209-111111");
    EXPECT_EQ(TasksIn(Path()), 1);
}

TEST_F(BackupTest, AGoneDatabaseIsRestoredFromItsCopyAndOnlyAFirstStartIsNew) {
    AddTask(1, "a", 1);
    const TBackup backup = *TakeDailyBackup(Path(), "2026-12-01");
    fs::remove(Path());
    EXPECT_THROW(Dm().DataModuleCreate(), StoreError);
    EXPECT_EQ(RestoreBackup(Path(), backup, "20261209-101500"), "");
    EXPECT_EQ(TasksIn(Path()), 1);

    // No copy, no damaged file: a first start, which gets a new database.
    fs::remove_all(Folder());
    fs::remove(Path());
    EXPECT_FALSE(DatabaseWasHere(Path()));
    Dm().DataModuleCreate();
    EXPECT_EQ(TasksIn(Path()), 0);
}

TEST_F(BackupTest, TheDatabaseItsJournalAndItsCopiesAreTheUsersAlone) {
    const fs::perms file = fs::perms::owner_read | fs::perms::owner_write;
    AddTask(1, "secret: bank PIN 1234", 1);
    const TBackup copy = *TakeDailyBackup(Path(), "2026-12-01");
    EXPECT_EQ(Mode(Path()), file);
    EXPECT_EQ(Mode(fs::path(Path()).parent_path()), fs::perms::owner_all);
    EXPECT_EQ(Mode(Folder()), fs::perms::owner_all);
    EXPECT_EQ(Mode(copy.path), file);
    // A journal that stays after a write takes the database's mode.
    Exec("PRAGMA journal_mode = PERSIST; INSERT INTO t_note (idTask, strNote) VALUES (1, 'x')");
    ASSERT_TRUE(fs::exists(Path() + "-journal"));
    EXPECT_EQ(Mode(Path() + "-journal"), file);
    const std::string damaged = RestoreBackup(Path(), copy, "20261209-101500");
    EXPECT_EQ(Mode(Path()), file);
    EXPECT_EQ(Mode(damaged), file);

    // Even where another user gets into the folders, the files stay closed to him.
    for (const fs::path& folder : {fs::path(Path()).parent_path(), fs::path(Folder())})
        fs::permissions(folder, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    for (const std::string& path : {Path(), copy.path, damaged}) {
        const std::optional<bool> readable = NobodyCanRead(path);
        if (!readable)
            GTEST_SKIP() << "no second user could be had";
        EXPECT_FALSE(*readable) << path;
    }
}

} // namespace
