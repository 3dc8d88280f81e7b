#include "store/InstanceSocket.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
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
        if (listener_ >= 0)
            ::close(listener_);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("TMPDIR");
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        fs::remove_all(runtime_);
    }

    // A server in the test: a socket listening at the path, not yet accepting.
    void Listen(const std::string& path) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener_, 4), 0);
    }

    // What the next client sent, up to its end.
    std::string Receive() {
        pollfd entry{listener_, POLLIN, 0};
        if (::poll(&entry, 1, 2000) != 1)
            return "nothing";
        const int client = ::accept(listener_, nullptr, nullptr);
        std::string text;
        char buffer[64];
        for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        ::close(client);
        return text;
    }

    fs::path runtime_;
    int listener_ = -1;
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
    ::close(listener_);
    listener_ = -1;
    ASSERT_TRUE(fs::exists(InstanceSocketPath(database)));
    EXPECT_FALSE(NotifyRunningProgram(database, "reload"));
    // A runtime folder too long for a socket address.
    ::setenv("XDG_RUNTIME_DIR", (runtime_ / std::string(120, 'x')).c_str(), 1);
    EXPECT_FALSE(NotifyRunningProgram(database, "reload"));
}

} // namespace
