// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/StoreError.h"
#include "store/settings/Settings.h"
#include "store/varUnit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("tolvek-settings-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        path_ = (folder_ / "tolvekOrganizer.ini").string();
    }
    void TearDown() override {
        fs::remove_all(folder_);
        StartWithWindows = true;
        DoneBottom = 1;
    }
    void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    void Read() {
        StartWithWindows = false;
        DoneBottom = 99;
        ReadSettings(path_);
    }
    fs::path folder_;
    std::string path_;
};

TEST_F(SettingsTest, AMissingFileGivesTheDefaultsAndIsNotCreated) {
    Read();
    EXPECT_TRUE(StartWithWindows);
    EXPECT_EQ(DoneBottom, 1);
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(SettingsTest, ValuesAreReadFromSectionGeneral) {
    Write("[other]\r\nStart=0\r\nDoneBottom=0\r\n[general]\r\nStart=0\r\nDoneBottom=2\r\n");
    Read();
    EXPECT_FALSE(StartWithWindows);
    EXPECT_EQ(DoneBottom, 2);
}

TEST_F(SettingsTest, NamesMatchWithoutCaseAndSpacesAroundAreIgnored) {
    Write("\xEF\xBB\xBF; written by hand\n[ GENERAL ]\nstart = 5\n donebottom= 0 \n");
    Read();
    EXPECT_TRUE(StartWithWindows);
    EXPECT_EQ(DoneBottom, 0);
}

TEST_F(SettingsTest, AValueThatIsNotANumberGivesTheDefault) {
    Write("[general]\nStart=yes\nDoneBottom=1x\n");
    Read();
    EXPECT_TRUE(StartWithWindows);
    EXPECT_EQ(DoneBottom, 1);
    Write("[general]\nStart=\nDoneBottom=99999999999\n");
    Read();
    EXPECT_TRUE(StartWithWindows);
    EXPECT_EQ(DoneBottom, 1);
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST_F(SettingsTest, WritingCreatesTheFileAndReadsBack) {
    StartWithWindows = false;
    DoneBottom = 0;
    WriteSettings(path_);
    EXPECT_EQ(ReadAll(path_), "[general]\r\nStart=0\r\nDoneBottom=0\r\n");
    Read();
    EXPECT_FALSE(StartWithWindows);
    EXPECT_EQ(DoneBottom, 0);
}

TEST_F(SettingsTest, WritingAKeyKeepsEveryOtherLine) {
    Write("; mine\n[other]\nStart=7\n\n[GENERAL]\nstart=0\nColour=blue\n\n[last]\nx=1\n");
    WriteProfileString(path_, "general", "Start", "1");
    WriteProfileString(path_, "general", "DoneBottom", "1");
    EXPECT_EQ(ReadAll(path_), "; mine\r\n[other]\r\nStart=7\r\n\r\n[GENERAL]\r\nStart=1\r\n"
                              "Colour=blue\r\nDoneBottom=1\r\n\r\n[last]\r\nx=1\r\n");
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsReported) {
    const std::string blocked = (folder_ / "missing-folder" / "tolvekOrganizer.ini").string();
    try {
        WriteSettings(blocked);
        FAIL() << "no error";
    } catch (const StoreError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + blocked);
    }
}

// Whether WriteSettings refused the file, run as a user who cannot read it: the test's own
// user, or, for root (who reads every file), the unprivileged "nobody" in a child process.
// Empty when no such user can be had.
std::optional<bool> RefusedWithoutReadRight(const std::string& path) {
    const auto attempt = [&path] {
        try {
            WriteSettings(path);
            return false;
        } catch (const StoreError& error) {
            return std::string(error.what()) == "Unable to write to " + path;
        }
    };
    if (::geteuid() != 0)
        return attempt();
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
            ::_exit(3);
        ::_exit(attempt() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 3)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

TEST_F(SettingsTest, AFileThatCannotBeReadIsNeverReplaced) {
    Write("[other]\nkept=1\n[general]\nStart=1\n");
    // The folder lets anybody in; the file lets nobody read it.
    fs::permissions(folder_, fs::perms::all);
    fs::permissions(path_, fs::perms::owner_write);
    const std::optional<bool> refused = RefusedWithoutReadRight(path_);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
    if (!refused)
        GTEST_SKIP() << "no user without the right to read the file could be had";
    EXPECT_TRUE(*refused);
    EXPECT_EQ(ReadAll(path_), "[other]\nkept=1\n[general]\nStart=1\n");
    EXPECT_FALSE(fs::exists(path_ + ".new"));
}

TEST_F(SettingsTest, TheFileLivesInTheConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string old = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    EXPECT_EQ(SettingsFilePath(), path_);
    if (saved)
        setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

} // namespace
