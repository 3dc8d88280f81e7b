// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/StoreError.h"
#include "store/instance/InstanceSocket.h"
#include "tests/SocketListener.h"
#include "tests/store/AsNobody.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char* const Variables[] = {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME", "HOME"};

// Runs with XDG_RUNTIME_DIR, XDG_CACHE_HOME and HOME of its own, and puts them back afterwards.
class InstanceSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : Variables)
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
        runtime_ = fs::temp_directory_path() / ("tolvek-socket-" + std::to_string(::getpid()));
        fs::create_directories(runtime_);
        fs::permissions(runtime_, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (runtime_ / "cache").c_str(), 1);
        ::setenv("HOME", (runtime_ / "home").c_str(), 1);
    }
    void TearDown() override {
        listener_.reset();
        for (const char* name : Variables)
            ::unsetenv(name);
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        fs::remove_all(runtime_);
    }
    std::string CacheFolder() const { return (runtime_ / "cache" / "tolvek-organizer").string(); }

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
}

fs::perms Mode(const fs::path& path) {
    return fs::symlink_status(path).permissions() & fs::perms::mask;
}

TEST_F(InstanceSocketTest, TheSocketIsOnlyEverInAFolderOfTheUsersOwn) {
    const std::string name = "/tolvek-organizer-" + DatabasePathHash("/db/data.db") + ".sock";
    // Without a runtime folder: the cache folder, made 0700; never /tmp or $TMPDIR.
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", "/tmp", 1);
    EXPECT_EQ(InstanceSocketPath("/db/data.db"), CacheFolder() + name);
    EXPECT_FALSE(fs::exists(CacheFolder()));
    EXPECT_EQ(InstanceSocketPath("/db/data.db", true), CacheFolder() + name);
    EXPECT_EQ(Mode(CacheFolder()), fs::perms::owner_all);
    // A runtime folder others can write, or a link, is not used.
    ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    fs::permissions(runtime_, fs::perms::all | fs::perms::sticky_bit);
    EXPECT_EQ(InstanceSocketPath("/db/data.db"), CacheFolder() + name);
    fs::permissions(runtime_, fs::perms::owner_all);
    fs::create_directory_symlink(runtime_, runtime_ / "link");
    ::setenv("XDG_RUNTIME_DIR", (runtime_ / "link").c_str(), 1);
    EXPECT_EQ(InstanceSocketPath("/db/data.db"), CacheFolder() + name);
    // Without XDG_CACHE_HOME: ~/.cache.
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(InstanceSocketPath("/db/data.db", true),
              (runtime_ / "home" / ".cache" / "tolvek-organizer").string() + name);
    // A cache folder open to others is refused, with the reason.
    ::setenv("XDG_CACHE_HOME", (runtime_ / "cache").c_str(), 1);
    fs::permissions(CacheFolder(), fs::perms::all);
    EXPECT_THROW(InstanceSocketPath("/db/data.db", true), StoreError);
    EXPECT_FALSE(NotifyRunningProgram("/db/data.db", "reload"));
}

TEST_F(InstanceSocketTest, AFolderOrSocketOfAnotherUserIsNeverUsed) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || !nobody)
        GTEST_SKIP() << "no second user could be had";
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string path = InstanceSocketPath("/db/data.db", true);
    Listen(path);
    ASSERT_EQ(::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    EXPECT_NE(WhyNotOwnSocket(path), "");
    EXPECT_FALSE(NotifyRunningProgram("/db/data.db", "reload"));
    ASSERT_EQ(::chown(CacheFolder().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    try {
        InstanceSocketPath("/db/data.db", true);
        FAIL() << "another user's folder was used";
    } catch (const StoreError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "The folder " + CacheFolder() + " belongs to another user.");
    }
}

TEST_F(InstanceSocketTest, AnotherUserWhoTakesTheNameFirstInASharedFolderGetsNothing) {
    // A runtime folder shared by everybody, as /tmp is.
    fs::permissions(runtime_, fs::perms::all | fs::perms::sticky_bit);
    const std::string database = "/srv/tasks/db/data.db";
    const std::string taken =
        (runtime_ / ("tolvek-organizer-" + DatabasePathHash(database) + ".sock")).string();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // The other user listens where the socket would be and reports whether anyone came.
    const std::optional<bool> reached = AsNobody([&] {
        TSocketListener listener;
        const bool listening = listener.Listen(taken);
        ::write(ready[1], "x", 1);
        return listening && listener.Receive(1500) != "nothing";
    });
    if (!reached)
        GTEST_SKIP() << "no second user could be had";
    EXPECT_FALSE(*reached);
    ::close(ready[0]);
    ::close(ready[1]);
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
    fs::create_directories(runtime_ / std::string(120, 'x'));
    fs::permissions(runtime_ / std::string(120, 'x'), fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (runtime_ / std::string(120, 'x')).c_str(), 1);
    EXPECT_FALSE(NotifyRunningProgram(database, "reload"));
}

TEST_F(InstanceSocketTest, ALinkToTheDatabaseOrItsFolderReachesTheSameProgram) {
    fs::create_directories(runtime_ / "real" / "db");
    std::ofstream(runtime_ / "real" / "db" / "data.db") << "";
    fs::create_directory_symlink(runtime_ / "real", runtime_ / "folder-link");
    fs::create_symlink(runtime_ / "real" / "db" / "data.db", runtime_ / "file-link.db");
    const std::string real = (runtime_ / "real" / "db" / "data.db").string();
    EXPECT_EQ(DatabasePathHash((runtime_ / "folder-link" / "db" / "data.db").string()),
              DatabasePathHash(real));
    EXPECT_EQ(DatabasePathHash((runtime_ / "file-link.db").string()), DatabasePathHash(real));
    Listen(InstanceSocketPath(real));
    EXPECT_TRUE(NotifyRunningProgram((runtime_ / "file-link.db").string(), "reload"));
    EXPECT_EQ(Receive(), "reload\n");
}

} // namespace
