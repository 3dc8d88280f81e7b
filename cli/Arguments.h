// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A command line that does not say what to do: exit status 2.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

struct TArguments {
    bool help = false;
    bool version = false;
    // One of the commands of the usage text; empty only with help or version.
    std::string command;
    // The task's name for add, the file for import, the task ids for the commands on tasks.
    std::vector<std::string> operands;
    std::optional<std::string> database;
    std::optional<std::string> category;
    std::optional<std::string> name;
    bool high = false;
    bool normal = false;
    std::optional<std::string> due;
    bool noDue = false;
    std::optional<std::string> remind;
    bool noRemind = false;
    std::optional<std::string> note;
    bool noNote = false;
    std::optional<std::string> sound;
    bool noSound = false;
    std::optional<std::string> format;
    std::optional<std::string> output;
    bool open = false;
    bool done = false;
    std::optional<std::string> dueBefore;
    std::optional<std::string> search;
    std::optional<std::string> sort;
    bool dryRun = false;
    // sync: the account's set-up, the lists to sync, and what the user answers.
    std::optional<std::string> setup;
    std::optional<std::string> user;
    std::optional<std::string> passwordCommand;
    std::optional<std::string> lists;
    bool allowInsecureHttp = false;
    bool confirmDeletions = false;
    bool keep = false;
    bool status = false;
    bool log = false;
};

// Reads the arguments after the program's name. Options may come before or after the
// command, as "--name value" or "--name=value"; "--" ends the options. Throws UsageError.
TArguments ParseArguments(const std::vector<std::string>& arguments);

// The command names a task by its id (digits) or by "uid:" and its UID.
bool IsTaskReference(const std::string& word);

extern const char* const UsageText;
