// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/store/AsNobody.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// tolvek-tasks export -o FILE: the file the user names is replaced whole, in place when it is
// not a regular file, and nothing a stranger planted beside it is ever followed.

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

fs::perms Mode(const fs::path& path) {
    return fs::symlink_status(path).permissions() & fs::perms::mask;
}

class ExportFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("tolvek-export-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "home");
        fs::create_directories(folder_ / "out");
        for (const char* name : {"TOLVEK_HOME", "XDG_RUNTIME_DIR"})
            if (const char* value = std::getenv(name))
                saved_.emplace_back(name, value);
        ::setenv("TOLVEK_HOME", (folder_ / "home").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (folder_ / "home").c_str(), 1);
        ASSERT_EQ(Export({"add", "=HYPERLINK(\"http://example.invalid\")"}), 0);
    }
    void TearDown() override {
        for (const char* name : {"TOLVEK_HOME", "XDG_RUNTIME_DIR"})
            ::unsetenv(name);
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        fs::remove_all(folder_);
    }

    // Runs tolvek-tasks; before it starts, beforeStart runs with the child's pid. Its output
    // goes to files of the test folder; the wait status comes back.
    int Run(const std::vector<std::string>& arguments,
            const std::function<void(pid_t)>& beforeStart = nullptr,
            const std::function<void()>& inChild = nullptr) {
        int go[2];
        if (::pipe(go) != 0)
            return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            char byte;
            ::close(go[1]);
            if (::read(go[0], &byte, 1) != 1)
                ::_exit(120);
            const int out = ::open((folder_ / "stdout.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            const int err = ::open((folder_ / "stderr.txt").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            if (inChild)
                inChild();
            std::vector<std::string> words{TOLVEK_TASKS};
            words.insert(words.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            ::execv(TOLVEK_TASKS, argv.data());
            ::_exit(121);
        }
        ::close(go[0]);
        if (beforeStart)
            beforeStart(child);
        ::write(go[1], "x", 1);
        ::close(go[1]);
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    }
    // The exit code of a run that ended by itself, or -1.
    int Export(const std::vector<std::string>& arguments) {
        const int status = Run(arguments);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Err() const { return ReadAll(folder_ / "stderr.txt"); }
    std::string Out() const { return ReadAll(folder_ / "stdout.txt"); }
    std::vector<std::string> Names(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(ExportFileTest, LinksAnotherUserPlantsInASharedFolderAreNeverFollowed) {
    // A file only its owner reads, and a folder everybody writes in.
    const fs::path secret = folder_ / "secret";
    std::ofstream(secret) << "bank PIN 1234";
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path shared = folder_ / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all);
    const fs::path target = shared / "tasks.csv";

    bool planted = false;
    const int status = Run({"export", "--format", "csv", "-o", target.string()}, [&](pid_t pid) {
        // The other user knows the pid and plants links under the names an export might use.
        planted =
            AsNobody([&] {
                for (const std::string& name : std::vector<std::string>{
                         "tasks.csv.part-" + std::to_string(pid), "tasks.csv.new", "tasks.csv.tmp"})
                    if (::symlink(secret.c_str(), (shared / name).c_str()) != 0)
                        return false;
                return true;
            }).value_or(false);
    });
    if (!planted)
        GTEST_SKIP() << "no second user could be had";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << Err();
    EXPECT_EQ(ReadAll(secret), "bank PIN 1234");
    EXPECT_EQ(ReadAll(target).rfind("Name,Category,", 0), 0u);
}

TEST_F(ExportFileTest, TheFileKeepsItsModeALinkStaysALinkAndANewFileFollowsTheUmask) {
    const fs::path target = folder_ / "out" / "tasks.csv";
    std::ofstream(target) << "old";
    const fs::perms mine = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(target, mine);
    ASSERT_EQ(Export({"export", "--format", "csv", "-o", target.string()}), 0) << Err();
    EXPECT_EQ(Mode(target), mine);
    EXPECT_NE(ReadAll(target), "old");

    const fs::path link = folder_ / "out" / "link.csv";
    fs::create_symlink(target, link);
    std::ofstream(target) << "old";
    ASSERT_EQ(Export({"export", "--format", "ics", "-o", link.string()}), 0) << Err();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(target).rfind("BEGIN:VCALENDAR", 0), 0u);
    EXPECT_EQ(Mode(target), mine);

    const mode_t mask = ::umask(027);
    const int made =
        Export({"export", "--format", "csv", "-o", (folder_ / "out" / "new.csv").string()});
    ::umask(mask);
    ASSERT_EQ(made, 0) << Err();
    EXPECT_EQ(Mode(folder_ / "out" / "new.csv"), mine | fs::perms::group_read);
    EXPECT_EQ(Names(folder_ / "out"),
              (std::vector<std::string>{"link.csv", "new.csv", "tasks.csv"}));
}

TEST_F(ExportFileTest, AFifoOrStandardOutputIsWrittenInPlaceAndAFolderIsAnError) {
    const fs::path fifo = folder_ / "out" / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Read as it comes, for 5 s at most: an export that replaced the FIFO never writes to it.
    const int end = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(end, 0);
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        for (int tick = 0; tick < 50; ++tick) {
            pollfd entry{end, POLLIN, 0};
            ::poll(&entry, 1, 100);
            const ssize_t n = ::read(end, buffer, sizeof buffer);
            if (n > 0)
                received.append(buffer, static_cast<size_t>(n));
            else if (n == 0 && !received.empty())
                break;
        }
        ::close(end);
    });
    const int exported = Export({"export", "--format", "csv", "-o", fifo.string()});
    reader.join();
    EXPECT_EQ(exported, 0) << Err();
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(received.rfind("Name,Category,", 0), 0u);

    // A name for standard output, as /dev/stdout is.
    const fs::path out = folder_ / "out" / "stdout";
    fs::create_symlink("/proc/self/fd/1", out);
    ASSERT_EQ(Export({"export", "--format", "csv", "-o", out.string()}), 0) << Err();
    EXPECT_TRUE(fs::is_symlink(out));
    EXPECT_EQ(Out().rfind("Name,Category,", 0), 0u);

    EXPECT_EQ(Export({"export", "--format", "csv", "-o", (folder_ / "out").string()}), 1);
    EXPECT_EQ(Err(),
              "tolvek-tasks: Cannot write " + (folder_ / "out").string() + ": it is a folder.\n");
}

TEST_F(ExportFileTest, AnExportKilledWhileWritingLeavesNoTemporaryFile) {
    const fs::path target = folder_ / "out" / "tasks.csv";
    // The export is killed (SIGXFSZ) at its first write past 64 bytes.
    const int status = Run({"export", "--format", "csv", "-o", target.string()}, nullptr, [] {
        const rlimit small{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &small);
    });
    ASSERT_TRUE(WIFSIGNALED(status)) << status << " " << Err();
    EXPECT_EQ(Names(folder_ / "out"), std::vector<std::string>{});
}

} // namespace
