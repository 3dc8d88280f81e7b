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
    // "list", "add", "export" or "import"; empty only with help.
    std::string command;
    // The task's name for add, the file for import.
    std::string operand;
    std::optional<std::string> database;
    std::optional<std::string> category;
    bool high = false;
    std::optional<std::string> due;
    std::optional<std::string> remind;
    std::optional<std::string> note;
    std::optional<std::string> format;
    std::optional<std::string> output;
};

// Reads the arguments after the program's name. Options may come before or after the
// command, as "--name value" or "--name=value"; "--" ends the options. Throws UsageError.
TArguments ParseArguments(const std::vector<std::string>& arguments);

extern const char* const UsageText;
