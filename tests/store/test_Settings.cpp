#include "store/Settings.h"
#include "store/StoreError.h"
#include "store/varUnit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

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
