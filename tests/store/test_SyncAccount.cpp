// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/db/StoreError.h"
#include "store/sync/SyncAccount.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SyncAccountTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("tolvek-sync-account-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "data" / "db");
        settings_ = (folder_ / "config" / "tolvek-organizer" / "sync.ini").string();
        database_ = (folder_ / "data" / "db" / "data.db").string();
    }
    void TearDown() override { fs::remove_all(folder_); }

    static TSyncAccount Account() {
        TSyncAccount account;
        account.server = "https://dav.example.org/remote.php/dav/";
        account.user = "alice";
        account.lists = {"/calendars/alice/work/", "/calendars/alice/home%20list/"};
        account.scheduleMinutes = 30;
        account.syncAfterChange = false;
        account.passwordCommand = "pass show dav/alice | head -n 1";
        account.allowInsecureHttp = true;
        return account;
    }
    static mode_t Mode(const std::string& path) {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_mode & 0777;
    }
    std::string Text() const {
        std::ifstream file(settings_, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path folder_;
    std::string settings_, database_;
};

TEST_F(SyncAccountTest, WhatIsWrittenReadsBack) {
    WriteSyncAccount(settings_, database_, Account());
    const auto account = ReadSyncAccount(settings_, database_);
    ASSERT_TRUE(account);
    EXPECT_EQ(account->server, Account().server);
    EXPECT_EQ(account->user, "alice");
    EXPECT_EQ(account->lists, Account().lists);
    EXPECT_EQ(account->scheduleMinutes, 30);
    EXPECT_FALSE(account->syncAfterChange);
    EXPECT_EQ(account->passwordCommand, "pass show dav/alice | head -n 1");
    EXPECT_TRUE(account->allowInsecureHttp);
}

TEST_F(SyncAccountTest, NoFileOrNoSectionIsNoAccountAndCreatesNothing) {
    EXPECT_FALSE(ReadSyncAccount(settings_, database_));
    EXPECT_FALSE(fs::exists(fs::path(settings_).parent_path()));
    RemoveSyncAccount(settings_, database_);
    EXPECT_FALSE(fs::exists(settings_));
}

TEST_F(SyncAccountTest, TheFileAndItsNewFolderAreTheOwnersAloneWhateverTheUmask) {
    const mode_t old = umask(0);
    WriteSyncAccount(settings_, database_, Account());
    TSyncAccount changed = Account();
    changed.user = "bob";
    WriteSyncAccount(settings_, database_, changed);
    umask(old);
    EXPECT_EQ(Mode(settings_), 0600);
    EXPECT_EQ(Mode(fs::path(settings_).parent_path().string()), 0700);
    EXPECT_FALSE(fs::exists(settings_ + ".new"));
}

TEST_F(SyncAccountTest, TheDefaultsAreFifteenMinutesAndSyncAfterEachChange) {
    TSyncAccount account;
    account.server = "https://dav.example.org/";
    WriteSyncAccount(settings_, database_, account);
    const auto read = ReadSyncAccount(settings_, database_);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->scheduleMinutes, 15);
    EXPECT_TRUE(read->syncAfterChange);
    EXPECT_TRUE(read->lists.empty());
    EXPECT_FALSE(read->allowInsecureHttp);
}

TEST_F(SyncAccountTest, EverySpellingOfTheDatabasesPathFindsItsAccount) {
    WriteSyncAccount(settings_, database_, Account());
    fs::create_directory_symlink(folder_ / "data", folder_ / "link");
    EXPECT_TRUE(ReadSyncAccount(settings_, (folder_ / "link" / "db" / "data.db").string()));
    EXPECT_TRUE(
        ReadSyncAccount(settings_, (folder_ / "data" / "db" / ".." / "db" / "data.db").string()));
}

TEST_F(SyncAccountTest, ADatabaseFromElsewhereHasNoAccountEvenWithTheSameName) {
    WriteSyncAccount(settings_, database_, Account());
    fs::create_directories(folder_ / "copy" / "db");
    EXPECT_FALSE(ReadSyncAccount(settings_, (folder_ / "copy" / "db" / "data.db").string()));
    // Paths differ in case only: another file on this system.
    EXPECT_FALSE(ReadSyncAccount(settings_, (folder_ / "data" / "db" / "DATA.db").string()));
}

TEST_F(SyncAccountTest, EachDatabaseKeepsItsOwnAccount) {
    const std::string other = (folder_ / "data" / "db" / "other ]=[ name.db").string();
    WriteSyncAccount(settings_, database_, Account());
    TSyncAccount second = Account();
    second.user = "carol";
    second.passwordCommand.clear();
    WriteSyncAccount(settings_, other, second);
    EXPECT_EQ(ReadSyncAccount(settings_, database_)->user, "alice");
    EXPECT_EQ(ReadSyncAccount(settings_, other)->user, "carol");

    RemoveSyncAccount(settings_, database_);
    EXPECT_FALSE(ReadSyncAccount(settings_, database_));
    EXPECT_EQ(ReadSyncAccount(settings_, other)->user, "carol");
    EXPECT_EQ(Text().find("user=alice"), std::string::npos) << Text();
}

TEST_F(SyncAccountTest, AFileOthersCanChangeIsNotTrustedWithACommand) {
    WriteSyncAccount(settings_, database_, Account());
    fs::permissions(settings_, fs::perms::group_write, fs::perm_options::add);
    EXPECT_THROW(ReadSyncAccount(settings_, database_), StoreError);
    fs::permissions(settings_, fs::perms::group_write, fs::perm_options::remove);
    fs::permissions(fs::path(settings_).parent_path(), fs::perms::others_write,
                    fs::perm_options::add);
    EXPECT_THROW(ReadSyncAccount(settings_, database_), StoreError);
}

TEST_F(SyncAccountTest, AnUnknownScheduleReadsAsFifteenAndIsNotWritten) {
    TSyncAccount account = Account();
    account.scheduleMinutes = 7;
    EXPECT_THROW(WriteSyncAccount(settings_, database_, account), StoreError);
    EXPECT_FALSE(fs::exists(settings_));

    WriteSyncAccount(settings_, database_, Account());
    std::string text = Text();
    text.replace(text.find("schedule=30"), 11, "schedule=45");
    std::ofstream(settings_, std::ios::binary) << text;
    EXPECT_EQ(ReadSyncAccount(settings_, database_)->scheduleMinutes, 15);
}

TEST_F(SyncAccountTest, LineBreaksAndSpacesThatWouldChangeTheFileAreRefused) {
    TSyncAccount account = Account();
    account.passwordCommand = "true\n[database 0]";
    EXPECT_THROW(WriteSyncAccount(settings_, database_, account), StoreError);
    account = Account();
    account.lists = {"/a list/"};
    EXPECT_THROW(WriteSyncAccount(settings_, database_, account), StoreError);
    EXPECT_FALSE(fs::exists(settings_));
}

} // namespace
