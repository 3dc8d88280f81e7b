// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the tests of tolvek-tasks sync against a real server share: the server (Radicale or
// Xandikos, as SYNC_TEST_SERVER names it, one for the test program), a program folder, a
// configuration folder and a runtime folder of each test's own, tolvek-tasks run as a process,
// the other device, and the two sides read back.

#include "store/DmUnit.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/sync/TodoPatch.h"
#include "tests/sync/CalDavTestServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

// A to-do of the server as the other device lists it.
struct TServerCopy {
    std::string uid;
    std::string href;
    std::string etag;
    std::string text;
    TServerTodo todo;
};

// A task here with its UID.
struct TLocalCopy {
    TMyRec2 task;
    std::string uid;
};

class SyncServerTest : public ::testing::Test {
protected:
    // Without the server every test of the program is skipped: it ends with status 77, which
    // ctest reports as a skip.
    static void SetUpTestSuite() {
        const char* kind = std::getenv("SYNC_TEST_SERVER");
        server_ = std::make_unique<TCalDavTestServer>(kind ? kind : "radicale");
        if (!server_->Ready()) {
            std::cout << "skipped: " << server_->SkipReason() << std::endl;
            std::exit(77);
        }
    }
    static void TearDownTestSuite() { server_.reset(); }

    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tolvek-sync-" + std::to_string(::getpid()) + "-" + std::to_string(++counter_));
        fs::remove_all(folder_);
        fs::create_directories(Home() / "sound");
        std::ofstream(Home() / "sound" / "ding.wav") << "RIFF";
        for (const char* sub : {"config", "run", "data"}) {
            fs::create_directories(folder_ / sub);
            fs::permissions(folder_ / sub, fs::perms::owner_all);
        }
        for (const auto& [name, sub] : {std::pair{"TOLVEK_HOME", "home"},
                                        {"XDG_CONFIG_HOME", "config"},
                                        {"XDG_RUNTIME_DIR", "run"},
                                        {"XDG_DATA_HOME", "data"}}) {
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
            ::setenv(name, (folder_ / sub).c_str(), 1);
        }
        std::ofstream(folder_ / "password")
            << (server_->Password().empty() ? "none" : server_->Password()) << "\n";
    }

    void TearDown() override {
        for (const char* name :
             {"TOLVEK_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"})
            ::unsetenv(name);
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        if (!folder_.empty())
            fs::remove_all(folder_);
    }

    static TCalDavTestServer& Server() { return *server_; }
    fs::path Home() const { return folder_ / "home"; }
    fs::path Database() const { return Home() / "db" / "data.db"; }
    std::string User() const { return Server().User().empty() ? "nobody" : Server().User(); }

    // A name no other test of the server has, for a list and its category.
    static std::string Unique(const std::string& name) {
        return name + " " + std::to_string(::getpid() % 10000) + "-" + std::to_string(++counter_);
    }

    TProgramOutput Tasks(const std::vector<std::string>& arguments, const std::string& input = "",
                         int timeoutSeconds = 120) {
        std::vector<std::string> argv{TOLVEK_TASKS};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return RunProgram(argv, input, {}, timeoutSeconds);
    }

    // Runs the other device; the test fails when it does.
    std::string Device(const std::vector<std::string>& arguments, const std::string& input = "") {
        const TProgramOutput run = Server().Device(arguments, input);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }
    // Runs the commands on one connection, each given as its words.
    void DeviceBatch(const std::vector<std::vector<std::string>>& commands) {
        std::string input;
        for (const std::vector<std::string>& words : commands) {
            QJsonArray array;
            for (const std::string& word : words)
                array.append(QString::fromStdString(word));
            input += QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString() + "\n";
        }
        Device({"batch"}, input);
    }

    // Makes a list on the server with that display name.
    std::string MakeList(const std::string& name) {
        std::string id;
        for (char c : name)
            id += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                              : '-';
        Device({"mkcol", name, "--id", id});
        return name;
    }

    // Sets the account up for these lists (comma-separated names), the password from a command.
    void Setup(const std::string& lists, const std::string& url = "") {
        const TProgramOutput run =
            Tasks({"sync", "--setup", url.empty() ? Server().Url() : url, "--user", User(),
                   "--password-command", "cat '" + (folder_ / "password").string() + "'", "--lists",
                   lists});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
    }

    TProgramOutput Sync(const std::vector<std::string>& options = {}) {
        std::vector<std::string> arguments{"sync"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Tasks(arguments);
    }
    // Syncs and expects it to go through with this summary.
    void ExpectSync(const std::string& summary, const std::vector<std::string>& options = {}) {
        const TProgramOutput run = Sync(options);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(run.out.substr(0, run.out.find('\n')), summary) << run.out << run.err;
    }

    // Brings the to-dos of the iCalendar text in as tasks.
    void Import(const std::string& ics) {
        const TProgramOutput run = Tasks({"import", "-"}, ics);
        ASSERT_EQ(run.status, 0) << run.err;
    }

    std::vector<TServerCopy> Todos(const std::string& list) {
        std::vector<TServerCopy> todos;
        const QJsonArray items =
            QJsonDocument::fromJson(QByteArray::fromStdString(Device({"list", list}))).array();
        for (const QJsonValue& value : items) {
            const QJsonObject item = value.toObject();
            TServerCopy copy{item["uid"].toString().toStdString(),
                             item["href"].toString().toStdString(),
                             item["etag"].toString().toStdString(),
                             item["data"].toString().toStdString(),
                             {}};
            copy.todo = ReadServerTodo(copy.text);
            todos.push_back(std::move(copy));
        }
        return todos;
    }

    std::vector<TLocalCopy> Local() {
        TDM dm(Home().string());
        std::vector<TLocalCopy> tasks;
        const auto uids = ReadTaskUids(dm);
        for (TMyRec2& task : ReadAllTasks(dm))
            tasks.push_back({task, uids.at(task.id)});
        return tasks;
    }

    static inline std::unique_ptr<TCalDavTestServer> server_;
    static inline int counter_ = 0;
    fs::path folder_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

// One VTODO, and a calendar of them, as a file or the other device would give them.
inline std::string TodoBlock(const std::string& uid, const std::string& summary,
                             const std::vector<std::string>& lines = {}) {
    std::string text =
        "BEGIN:VTODO\r\nUID:" + uid + "\r\nDTSTAMP:20240301T080000Z\r\nSUMMARY:" + summary + "\r\n";
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text + "END:VTODO\r\n";
}

inline std::string Calendar(const std::string& blocks) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tests//EN\r\n" + blocks +
           "END:VCALENDAR\r\n";
}

// A calendar of to-dos, each a summary in a category, for an import.
inline std::string CalendarOf(const std::vector<std::pair<std::string, std::string>>& todos,
                              const std::vector<std::string>& lines = {}) {
    static int n = 0;
    std::string blocks;
    for (const auto& [summary, category] : todos) {
        std::vector<std::string> all = lines;
        all.push_back("CATEGORIES:" + category);
        blocks += TodoBlock("local-" + std::to_string(::getpid()) + "-" + std::to_string(++n),
                            summary, all);
    }
    return Calendar(blocks);
}
