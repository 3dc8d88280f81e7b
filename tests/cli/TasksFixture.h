// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/cli/TasksProcess.h"

#include "store/DmUnit.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"
#include "tests/SocketListener.h"

#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

inline std::string DataFile(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/" + name;
}

inline bool OneLine(const std::string& text) {
    return !text.empty() && text.find('\n') == text.size() - 1;
}

// A program folder of its own in TOLVEK_HOME, with a few sounds but no database yet, and a
// runtime folder where a test can play the running organizer.
class TasksCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tolvek-cli-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "home");
        fs::create_directories(folder_ / "run");
        fs::create_directories(Home() / "sound");
        for (const char* sound : {"alarm.wav", "ding.wav", "read me.txt"})
            std::ofstream(Home() / "sound" / sound) << "RIFF";
        for (const char* name : {"TOLVEK_HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
        ::setenv("TOLVEK_HOME", Home().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    }
    void TearDown() override {
        listener_.reset();
        for (const char* name : {"TOLVEK_HOME", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
            ::unsetenv(name);
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        fs::remove_all(folder_);
    }

    fs::path Home() const { return folder_ / "home"; }
    fs::path Database() const { return Home() / "db" / "data.db"; }
    TRun Run(const std::vector<std::string>& arguments, const fs::path& input = {}) {
        return RunTasks(arguments, folder_, input);
    }
    std::vector<TMyRec2> Tasks(const fs::path& database) {
        TDM dm(Home().string());
        dm.ADOTable1.SetDatabasePath(database.string());
        return ReadAllTasks(dm);
    }
    std::vector<TMyRec2> Tasks() { return Tasks(Database()); }

    // Runs each command line and expects it refused: exit status 1, nothing on standard
    // output, and one line on standard error that holds the reason.
    void
    ExpectRefused(const std::vector<std::pair<std::vector<std::string>, std::string>>& refusals) {
        for (const auto& [arguments, reason] : refusals) {
            const TRun run = Run(arguments);
            EXPECT_EQ(run.status, 1) << arguments[0] << " " << arguments[1];
            EXPECT_TRUE(OneLine(run.err)) << run.err;
            EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
            EXPECT_EQ(run.out, "");
        }
    }

    // Plays the running organizer: listens where it would for that database.
    void ListenAsOrganizer() {
        listener_.emplace();
        ASSERT_TRUE(listener_->Listen(InstanceSocketPath(Database().string())));
    }
    // What a client sent since, or "nothing".
    std::string Received() { return listener_->Receive(200); }

    fs::path folder_;
    std::optional<TSocketListener> listener_;
    std::vector<std::pair<std::string, std::string>> saved_;
    static inline int counter_ = 0;
};
