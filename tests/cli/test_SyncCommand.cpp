// SPDX-License-Identifier: GPL-3.0-or-later
// tolvek-tasks sync where no server is needed: its command line, a database without an
// account, and what is refused before any request goes out. The syncs themselves are tested
// against real servers in tests/sync.
#include "tests/cli/TasksFixture.h"

namespace {

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(TasksCommandTest, SyncOptionsGoTogetherOnlyAsTheUsageSays) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad{
        {{"sync", "--keep", "--confirm-deletions"}, "do not go together"},
        {{"sync", "--status", "--log"}, "do not go together"},
        {{"sync", "--dry-run", "--keep"}, "do not go together"},
        {{"sync", "--lists", "Work", "--status"}, "do not go together"},
        {{"sync", "--setup", "https://example.org/"}, "--setup needs --user NAME"},
        {{"sync", "--user", "me"}, "--user goes with --setup URL"},
        {{"sync", "--password-command", "pass"}, "--password-command goes with --setup URL"},
        {{"sync", "--status", "--allow-insecure-http"}, "goes with a sync or --setup"},
        {{"sync", "now"}, "unexpected argument"},
        {{"list", "--keep"}, "list takes no option --keep"},
        {{"delete", "1", "--status"}, "delete takes no option --status"},
    };
    for (const auto& [arguments, reason] : bad) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.status, 2) << arguments[1];
        EXPECT_TRUE(OneLine(run.err)) << run.err;
        EXPECT_TRUE(Has(run.err, reason)) << run.err;
    }
    EXPECT_FALSE(fs::exists(Database()));
    const TRun help = Run({"--help"});
    for (const char* part :
         {"sync --setup URL --user NAME", "--confirm-deletions", "--keep", "--status", "--log",
          "--dry-run", "--lists NAME", "--allow-insecure-http", "3 (sync)"})
        EXPECT_TRUE(Has(help.out, part)) << part;
}

TEST_F(TasksCommandTest, ADatabaseWithoutAnAccountSaysHowToSetOneUp) {
    ASSERT_EQ(Run({"add", "A task"}).status, 0);
    const TRun sync = Run({"sync"});
    EXPECT_EQ(sync.status, 1);
    EXPECT_TRUE(OneLine(sync.err));
    EXPECT_TRUE(Has(sync.err, "No sync account is set up")) << sync.err;
    EXPECT_TRUE(Has(sync.err, "tolvek-tasks sync --setup URL --user NAME")) << sync.err;
    const TRun status = Run({"sync", "--status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_TRUE(Has(status.out, "No sync account is set up")) << status.out;
    const TRun log = Run({"sync", "--log"});
    EXPECT_EQ(log.status, 0);
    EXPECT_EQ(log.out, "");
}

TEST_F(TasksCommandTest, WhatOnlyReadsTheSyncStateMakesNoDatabase) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"sync", "--status"}, {"sync", "--log"}, {"sync", "--dry-run"}}) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.status, 1) << arguments[1];
        EXPECT_TRUE(Has(run.err, "There is no database")) << run.err;
        EXPECT_FALSE(fs::exists(Home() / "db")) << arguments[1];
    }
}

TEST_F(TasksCommandTest, PlainHttpToAnotherMachineIsRefusedBeforeAnythingIsSent) {
    ASSERT_EQ(Run({"add", "A task"}).status, 0);
    const TRun run = Run({"sync", "--setup", "http://calendar.example.org/dav/", "--user", "me",
                          "--password-command", "echo secret"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(OneLine(run.err)) << run.err;
    EXPECT_TRUE(Has(run.err, "plain http://")) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "config" / "tolvek-organizer" / "sync.ini"));
}

TEST_F(TasksCommandTest, APasswordCommandThatFailsSaysSo) {
    ASSERT_EQ(Run({"add", "A task"}).status, 0);
    const TRun run = Run({"sync", "--setup", "https://calendar.example.org/", "--user", "me",
                          "--password-command", "echo no password here >&2; exit 3"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(OneLine(run.err)) << run.err;
    EXPECT_TRUE(Has(run.err, "no password here")) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "config" / "tolvek-organizer" / "sync.ini"));
}

} // namespace
