// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/DmUnit.h"
#include "store/settings/ProgramFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// A fake prefix in a temporary folder: PREFIX/bin for the executable and, when a test makes
// it, PREFIX/share/tolvek-organizer beside it.
class ProgramFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix_ = fs::temp_directory_path() / ("tolvek-folders-" + std::to_string(::getpid()));
        fs::remove_all(prefix_);
        fs::create_directories(Bin());
    }
    void TearDown() override {
        fs::remove_all(prefix_);
        Restore("TOLVEK_HOME", tolvekHome_);
        Restore("XDG_DATA_HOME", xdgDataHome_);
        Restore("HOME", home_);
    }

    std::string Bin() const { return (prefix_ / "bin").string(); }
    std::string Share() const { return (prefix_ / "share" / "tolvek-organizer").string(); }
    void Install() const { fs::create_directories(Share()); }

    static std::optional<std::string> Saved(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    fs::path prefix_;
    // The environment of the test program, put back after each test.
    std::optional<std::string> tolvekHome_ = Saved("TOLVEK_HOME");
    std::optional<std::string> xdgDataHome_ = Saved("XDG_DATA_HOME");
    std::optional<std::string> home_ = Saved("HOME");
};

TEST_F(ProgramFoldersTest, AnExecutableOutsideAnInstallKeepsEverythingBesideItself) {
    const TProgramFolders folders = ResolveProgramFolders(Bin(), {"", "/data", "/home/me"});
    EXPECT_EQ(folders.data, Bin());
    EXPECT_EQ(folders.resources, Bin());
}

TEST_F(ProgramFoldersTest, AnInstalledProgramKeepsDataInXdgDataHomeAndReadsTheShareFolder) {
    Install();
    const TProgramFolders folders = ResolveProgramFolders(Bin(), {"", "/data", "/home/me"});
    EXPECT_EQ(folders.data, "/data/tolvek-organizer");
    EXPECT_EQ(folders.resources, Share());
}

TEST_F(ProgramFoldersTest, WithoutXdgDataHomeTheDataGoesUnderTheHomeFolder) {
    Install();
    EXPECT_EQ(ResolveProgramFolders(Bin(), {"", "", "/home/me"}).data,
              "/home/me/.local/share/tolvek-organizer");
    // A relative XDG_DATA_HOME is no base folder and counts as unset.
    EXPECT_EQ(ResolveProgramFolders(Bin(), {"", "data", "/home/me"}).data,
              "/home/me/.local/share/tolvek-organizer");
}

TEST_F(ProgramFoldersTest, TolvekHomeStandsInForBothFolders) {
    Install();
    const TProgramFolders folders = ResolveProgramFolders(Bin(), {"/mine", "/data", "/home/me"});
    EXPECT_EQ(folders.data, "/mine");
    EXPECT_EQ(folders.resources, "/mine");
}

TEST_F(ProgramFoldersTest, OnlyAFolderNamedBinWithTheShareFolderBesideItCounts) {
    Install();
    // The same share folder beside another folder than bin/ says nothing.
    fs::create_directories(prefix_ / "build");
    const std::string build = (prefix_ / "build").string();
    EXPECT_EQ(ResolveProgramFolders(build, {"", "/data", "/home/me"}).data, build);
    // A trailing separator or a detour through .. is still the same bin/ folder.
    EXPECT_EQ(ResolveProgramFolders(Bin() + "/", {"", "/data", ""}).resources, Share());
    EXPECT_EQ(ResolveProgramFolders(build + "/../bin", {"", "/data", ""}).resources, Share());
    // A file where the share folder would be is not an install.
    fs::remove_all(Share());
    fs::create_directories(prefix_ / "share");
    std::ofstream((prefix_ / "share" / "tolvek-organizer").string()) << "not a folder";
    EXPECT_EQ(ResolveProgramFolders(Bin(), {"", "/data", ""}).resources, Bin());
}

TEST_F(ProgramFoldersTest, TheEnvironmentIsReadFromTheProcess) {
    ::setenv("TOLVEK_HOME", "/mine", 1);
    ::setenv("XDG_DATA_HOME", "/data", 1);
    ::setenv("HOME", "/home/me", 1);
    const TFolderEnvironment environment = CurrentFolderEnvironment();
    EXPECT_EQ(environment.tolvekHome, "/mine");
    EXPECT_EQ(environment.xdgDataHome, "/data");
    EXPECT_EQ(environment.home, "/home/me");
    ::unsetenv("TOLVEK_HOME");
    ::unsetenv("HOME");
    // Without HOME the home folder comes from the user database.
    EXPECT_FALSE(CurrentFolderEnvironment().home.empty());
    EXPECT_EQ(CurrentFolderEnvironment().tolvekHome, "");
    Install();
    EXPECT_EQ(ResolveProgramFolders(Bin()).data, "/data/tolvek-organizer");
}

TEST_F(ProgramFoldersTest, TheDataModuleKeepsTheDatabaseInTheDataFolderAndReadsTheRest) {
    Install();
    const TProgramFolders folders{(prefix_ / "data").string(), Share()};
    TDM dm(folders);
    EXPECT_EQ(dm.DatabasePath(), (prefix_ / "data" / "db" / "data.db").string());
    EXPECT_EQ(dm.SoundFolder(), Share() + "/sound");
    EXPECT_EQ(dm.SoundFile("ding.wav"), Share() + "/sound/ding.wav");
    EXPECT_EQ(dm.HelpFile(), Share() + "/help/Tolvek Organizer Help.html");
    // A first start makes the data folder it needs.
    dm.DataModuleCreate();
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "data" / "db" / "data.db"));
    EXPECT_FALSE(fs::exists(fs::path(Share()) / "db"));
    EXPECT_FALSE(fs::exists(prefix_ / "bin" / "db"));

    // One folder for everything, as a program run from its checkout has.
    TDM checkout(Bin());
    EXPECT_EQ(checkout.DatabasePath(), Bin() + "/db/data.db");
    EXPECT_EQ(checkout.HelpFile(), Bin() + "/help/Tolvek Organizer Help.html");
    EXPECT_EQ(checkout.Folders().data, checkout.Folders().resources);
}

} // namespace
