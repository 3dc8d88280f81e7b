// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/SyncAccount.h"

#include "store/db/StoreError.h"
#include "store/instance/InstanceSocket.h"
#include "store/settings/ProgramInfo.h"
#include "store/settings/Settings.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// A path can hold any character, "]" and upper and lower case included, and a section's name
// is matched without regard to case: the section is named by a hash of the path, and the path
// itself, kept inside, must match exactly.
std::string SectionOf(const std::string& canonicalPath) {
    return "database " + DatabasePathHash(canonicalPath);
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

#ifndef _WIN32
// Whether anyone but the owner could have put a command into the file: it, or its folder, is
// writable by others or is not ours.
bool OthersCanWrite(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return false;
    return info.st_uid != geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}
#endif

} // namespace

std::string SyncSettingsPath() {
    return (fs::path(ConfigHome()) / ProgramFileName / "sync.ini").string();
}

std::string CanonicalDatabasePath(const std::string& databasePath) {
    std::error_code ec;
    fs::path path = fs::weakly_canonical(fs::absolute(databasePath, ec), ec);
    if (ec)
        path = fs::absolute(databasePath, ec).lexically_normal();
    return path.string();
}

std::optional<TSyncAccount> ReadSyncAccount(const std::string& settingsPath,
                                            const std::string& databasePath) {
    std::error_code ec;
    if (!fs::exists(settingsPath, ec))
        return std::nullopt;
#ifndef _WIN32
    const std::string folder = fs::path(settingsPath).parent_path().string();
    if (OthersCanWrite(settingsPath) || OthersCanWrite(folder.empty() ? "." : folder))
        throw StoreError(settingsPath +
                         " can be changed by other users, so its password command is not "
                         "run. Make it and its folder yours and writable by you alone "
                         "(chmod 600 and 700).");
#endif
    const std::string canonical = CanonicalDatabasePath(databasePath);
    const std::string section = SectionOf(canonical);
    const TProfileSection values = ReadProfileSection(settingsPath, section);
    if (values.String("database") != canonical)
        return std::nullopt;

    auto text = [&](const char* key) { return values.String(key).value_or(""); };
    TSyncAccount account;
    account.server = text("server");
    account.user = text("user");
    std::istringstream lists(text("lists"));
    for (std::string list; lists >> list;)
        account.lists.push_back(list);
    const int schedule = values.Integer("schedule", 15);
    if (std::ranges::find(SyncSchedules, schedule) != std::end(SyncSchedules))
        account.scheduleMinutes = schedule;
    account.syncAfterChange = values.Bool("sync_after_change", true);
    account.passwordCommand = text("password_command");
    account.allowInsecureHttp = values.Bool("allow_insecure_http", false);
    return account;
}

void WriteSyncAccount(const std::string& settingsPath, const std::string& databasePath,
                      const TSyncAccount& account) {
    std::string lists;
    for (const std::string& list : account.lists) {
        if (list.empty() || list.find_first_of(" \t\r\n") != std::string::npos)
            throw StoreError("A list's address for the sync account cannot hold white space: \"" +
                             list + "\".");
        lists += (lists.empty() ? "" : " ") + list;
    }
    if (std::ranges::find(SyncSchedules, account.scheduleMinutes) == std::end(SyncSchedules))
        throw StoreError("A sync schedule is off, 5, 15, 30 or 60 minutes.");
    for (const std::string* text : {&account.server, &account.user, &account.passwordCommand})
        if (HasLineBreak(*text))
            throw StoreError("The sync account's server, user and password command are one line "
                             "each.");

    const std::string canonical = CanonicalDatabasePath(databasePath);
    WriteProfileSection(settingsPath, SectionOf(canonical),
                        {{"database", canonical},
                         {"server", account.server},
                         {"user", account.user},
                         {"lists", lists},
                         {"schedule", std::to_string(account.scheduleMinutes)},
                         {"sync_after_change", account.syncAfterChange ? "1" : "0"},
                         {"password_command", account.passwordCommand},
                         {"allow_insecure_http", account.allowInsecureHttp ? "1" : "0"}},
                        true);
}

void RemoveSyncAccount(const std::string& settingsPath, const std::string& databasePath) {
    std::error_code ec;
    if (fs::exists(settingsPath, ec))
        WriteProfileSection(settingsPath, SectionOf(CanonicalDatabasePath(databasePath)), {}, true);
}
