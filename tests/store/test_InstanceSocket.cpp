// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/instance/InstanceSocket.h"
#include "tests/SocketListener.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Runs with XDG_RUNTIME_DIR and TMPDIR of its own, and puts both back afterwards.
class InstanceSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"})
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
        runtime_ = fs::temp_directory_path() / ("tolvek-socket-" + std::to_string(::getpid()));
        fs::create_directories(runtime_);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    void TearDown() override {
        listener_.reset();
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("TMPDIR");
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        fs::remove_all(runtime_);
    }

    // A server in the test: a socket listening at the path, not yet accepting.
    void Listen(const std::string& path) {
        listener_.emplace();
        ASSERT_TRUE(listener_->Listen(path));
    }
    // What the next client sent, up to its end.
    std::string Receive() { return listener_->Receive(2000); }

    fs::path runtime_;
    std::optional<TSocketListener> listener_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(InstanceSocketTest, ThePathIsTheRuntimeFolderAndAHashOfTheNormalAbsolutePath) {
    // Every spelling of one path hashes alike, relative ones included; another path does not.
    const std::string hash = DatabasePathHash("/home/user/db/data.db");
    EXPECT_EQ(hash.size(), 16u);
    EXPECT_EQ(hash.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(DatabasePathHash("/home/user/./db/../db/data.db"), hash);
    EXPECT_NE(DatabasePathHash("/home/user/db/Data.db"), hash);
    EXPECT_EQ(DatabasePathHash("db/data.db"),
              DatabasePathHash((fs::current_path() / "db" / "data.db").string()));

    EXPECT_EQ(InstanceSocketPath("/home/user/db/data.db"),
              runtime_.string() + "/tolvek-organizer-" + hash + ".sock");
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", "/var/tmp", 1);
    EXPECT_EQ(InstanceSocketPath("/home/user/db/data.db"),
              "/var/tmp/tolvek-organizer-" + hash + ".sock");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(InstanceSocketPath("/home/user/db/data.db"),
              "/tmp/tolvek-organizer-" + hash + ".sock");
}

TEST_F(InstanceSocketTest, TheHashIsSixtyFourBitFnv1aOfThePathText) {
    // "/" hashes as the single byte 0x2f: (offset basis ^ 0x2f) * prime.
    const unsigned long long expected = (0xcbf29ce484222325ULL ^ 0x2fULL) * 0x100000001b3ULL;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", expected);
    EXPECT_EQ(DatabasePathHash("/"), hex);
}

TEST_F(InstanceSocketTest, ALineReachesTheListenerOfThatDatabaseOnly) {
    const std::string database = "/srv/tasks/db/data.db";
    Listen(InstanceSocketPath(database));
    EXPECT_TRUE(NotifyRunningProgram(database, "reload"));
    EXPECT_EQ(Receive(), "reload\n");
    EXPECT_FALSE(NotifyRunningProgram("/srv/other/db/data.db", "reload"));
}

TEST_F(InstanceSocketTest, NoServerOrAStaleSocketFileIsAQuietFalse) {
    const std::string database = "/srv/tasks/db/data.db";
    EXPECT_FALSE(NotifyRunningProgram(database, "reload"));
    // A program that ended without removing its socket leaves the file behind.
    Listen(InstanceSocketPath(database));
    listener_.reset();
    ASSERT_TRUE(fs::exists(InstanceSocketPath(database)));
    EXPECT_FALSE(NotifyRunningProgram(database, "reload"));
    // A runtime folder too long for a socket address.
    ::setenv("XDG_RUNTIME_DIR", (runtime_ / std::string(120, 'x')).c_str(), 1);
    EXPECT_FALSE(NotifyRunningProgram(database, "reload"));
}

} // namespace
