// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Arguments.h"

#include "store/dates/DateText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

namespace {

struct TOption {
    const char* name;
    // The commands that take it; empty for every command.
    std::vector<std::string> commands;
    // Where its value goes, or for a switch, which flag it sets.
    std::optional<std::string> TArguments::*value = nullptr;
    bool TArguments::*flag = nullptr;
};

const std::vector<TOption>& Options() {
    static const std::vector<TOption> options{
        {"--database", {}, &TArguments::database},
        {"--category", {"list", "add", "edit", "export", "import"}, &TArguments::category},
        {"--name", {"edit"}, &TArguments::name},
        {"--high", {"add", "edit"}, nullptr, &TArguments::high},
        {"--normal", {"add", "edit"}, nullptr, &TArguments::normal},
        {"--due", {"add", "edit"}, &TArguments::due},
        {"--no-due", {"edit"}, nullptr, &TArguments::noDue},
        {"--remind", {"add", "edit"}, &TArguments::remind},
        {"--no-remind", {"edit"}, nullptr, &TArguments::noRemind},
        {"--note", {"add", "edit"}, &TArguments::note},
        {"--no-note", {"edit"}, nullptr, &TArguments::noNote},
        {"--sound", {"add", "edit"}, &TArguments::sound},
        {"--no-sound", {"edit"}, nullptr, &TArguments::noSound},
        {"--format", {"list", "export"}, &TArguments::format},
        {"-o", {"export"}, &TArguments::output},
        {"--output", {"export"}, &TArguments::output},
        {"--open", {"list"}, nullptr, &TArguments::open},
        {"--done", {"list"}, nullptr, &TArguments::done},
        {"--due-before", {"list"}, &TArguments::dueBefore},
        {"--search", {"list"}, &TArguments::search},
        {"--sort", {"list"}, &TArguments::sort},
        {"--dry-run", {"delete", "sync"}, nullptr, &TArguments::dryRun},
        {"--setup", {"sync"}, &TArguments::setup},
        {"--user", {"sync"}, &TArguments::user},
        {"--password-command", {"sync"}, &TArguments::passwordCommand},
        {"--lists", {"sync"}, &TArguments::lists},
        {"--allow-insecure-http", {"sync"}, nullptr, &TArguments::allowInsecureHttp},
        {"--confirm-deletions", {"sync"}, nullptr, &TArguments::confirmDeletions},
        {"--keep", {"sync"}, nullptr, &TArguments::keep},
        {"--status", {"sync"}, nullptr, &TArguments::status},
        {"--log", {"sync"}, nullptr, &TArguments::log},
    };
    return options;
}

const TOption* FindOption(const std::string& name) {
    for (const TOption& option : Options())
        if (name == option.name)
            return &option;
    return nullptr;
}

// Each command with the operands it takes: how many at least and at most, what they are,
// and whether they name tasks.
struct TCommandShape {
    const char* name;
    size_t least;
    size_t most;
    const char* operand;
    bool tasks;
};

constexpr std::array<TCommandShape, 11> Commands{{
    {"list", 0, 0, "", false},
    {"show", 1, 1, "the task's ID", true},
    {"add", 1, 1, "the task's NAME", false},
    {"edit", 1, 1, "the task's ID", true},
    {"done", 1, SIZE_MAX, "the ID of a task", true},
    {"undone", 1, SIZE_MAX, "the ID of a task", true},
    {"delete", 1, SIZE_MAX, "the ID of a task", true},
    {"export", 0, 0, "", false},
    {"import", 1, 1, "the FILE to import (- for standard input)", false},
    {"categories", 0, 0, "", false},
    {"sync", 0, 0, "", false},
}};

const TCommandShape* FindCommand(const std::string& word) {
    for (const TCommandShape& command : Commands)
        if (word == command.name)
            return &command;
    return nullptr;
}

bool Given(const std::vector<std::string>& given, const char* name) {
    return std::find(given.begin(), given.end(), name) != given.end();
}

void CheckOperands(const TCommandShape& shape, const std::vector<std::string>& operands) {
    const std::string command = shape.name;
    if (operands.size() < shape.least)
        throw UsageError(command + " needs " + shape.operand);
    if (operands.size() > shape.most)
        throw UsageError(command == "add"
                             ? "add takes one NAME; put a name of several words in quotes"
                             : "unexpected argument \"" + operands[shape.most] + "\"");
    if (shape.tasks)
        for (const std::string& operand : operands)
            if (!IsTaskReference(operand))
                throw UsageError("\"" + operand +
                                 "\" is no task ID: give its id (digits) or uid:UID");
}

void CheckValues(const TArguments& args) {
    const std::vector<std::string> formats = args.command == "export"
                                                 ? std::vector<std::string>{"ics", "csv"}
                                                 : std::vector<std::string>{"table", "json", "tsv"};
    if (args.command == "export" && !args.format)
        throw UsageError("export needs --format ics or --format csv");
    if (args.format && std::find(formats.begin(), formats.end(), *args.format) == formats.end())
        throw UsageError("--format is " + formats[0] + ", " + formats[1] +
                         (formats.size() > 2 ? " or " + formats[2] : "") + ", not \"" +
                         *args.format + "\"");
    for (const auto* date : {&args.due, &args.dueBefore})
        if (*date && !ParseDate(**date))
            throw UsageError((date == &args.due ? "--due" : "--due-before") +
                             std::string(" wants a date as YYYY-MM-DD, not \"") + **date + "\"");
    if (args.remind && !ParseDateMinute(*args.remind))
        throw UsageError("--remind wants a time as \"YYYY-MM-DD HH:MM\", not \"" + *args.remind +
                         "\"");
    const std::array<const char*, 5> sorts{"name", "priority", "category", "reminder", "due"};
    if (args.sort && std::find(sorts.begin(), sorts.end(), *args.sort) == sorts.end())
        throw UsageError("--sort is name, priority, category, reminder or due, not \"" +
                         *args.sort + "\"");
}

// sync does one thing at a time: set the account up, change its lists, show its state or its
// log, or sync (with the user's answer to held deletions, or as a dry run).
void CheckSync(const TArguments& args, const std::vector<std::string>& given) {
    if (args.setup && !args.user)
        throw UsageError("--setup needs --user NAME");
    for (const char* option : {"--user", "--password-command"})
        if (Given(given, option) && !args.setup)
            throw UsageError(std::string(option) + " goes with --setup URL");
    if (args.allowInsecureHttp && (args.status || args.log))
        throw UsageError("--allow-insecure-http goes with a sync or --setup");
    const std::array<const char*, 6> modes{
        "--setup", "--status", "--log", "--keep", "--confirm-deletions", "--dry-run"};
    std::vector<std::string> chosen;
    for (const char* mode : modes)
        if (Given(given, mode))
            chosen.push_back(mode);
    if (args.lists && !args.setup && !chosen.empty())
        chosen.push_back("--lists");
    if (chosen.size() > 1)
        throw UsageError(chosen[0] + " and " + chosen[1] + " do not go together");
}

// Checks that every option given fits the command, and that the command has what it needs.
void CheckFits(const TArguments& args, const std::vector<std::string>& given) {
    for (const std::string& name : given) {
        const std::vector<std::string>& commands = FindOption(name)->commands;
        if (!commands.empty() &&
            std::find(commands.begin(), commands.end(), args.command) == commands.end())
            throw UsageError(args.command + " takes no option " + name);
    }
    CheckOperands(*FindCommand(args.command), args.operands);
    const std::array<std::pair<const char*, const char*>, 6> opposites{{{"--high", "--normal"},
                                                                        {"--due", "--no-due"},
                                                                        {"--remind", "--no-remind"},
                                                                        {"--note", "--no-note"},
                                                                        {"--sound", "--no-sound"},
                                                                        {"--open", "--done"}}};
    for (const auto& [one, other] : opposites)
        if (Given(given, one) && Given(given, other))
            throw UsageError(std::string(one) + " and " + other + " do not go together");
    if (args.command == "edit" &&
        std::all_of(given.begin(), given.end(),
                    [](const std::string& name) { return name == "--database"; }))
        throw UsageError("edit needs something to change, such as --name or --due");
    if (args.sound && args.noRemind)
        throw UsageError("--sound plays at the reminder, which --no-remind turns off");
    if (args.command == "add" && args.sound && !args.remind)
        throw UsageError("--sound plays at the reminder: give --remind too");
    if (args.command == "sync")
        CheckSync(args, given);
    CheckValues(args);
}

} // namespace

bool IsTaskReference(const std::string& word) {
    if (word.starts_with("uid:"))
        return word.size() > 4;
    if (word.empty() || word.size() > 10 || !std::all_of(word.begin(), word.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return false;
    return std::stoll(word) <= INT32_MAX;
}

TArguments ParseArguments(const std::vector<std::string>& arguments) {
    TArguments args;
    std::vector<std::string> given;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            if (args.command.empty() && !FindCommand(word))
                throw UsageError("unknown command \"" + word + "\"");
            (args.command.empty() ? args.command : args.operands.emplace_back()) = word;
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "-h" || word == "--help") {
            args.help = true;
        } else if (word == "--version") {
            args.version = true;
        } else {
            const size_t equals = word.find('=');
            const std::string name = word.substr(0, equals);
            const TOption* option = FindOption(name);
            if (!option)
                throw UsageError("unknown option " + name);
            if (!option->value && equals != std::string::npos)
                throw UsageError(name + " takes no value");
            if (option->flag)
                args.*option->flag = true;
            else if (equals != std::string::npos)
                args.*option->value = word.substr(equals + 1);
            else if (i + 1 < arguments.size())
                args.*option->value = arguments[++i];
            else
                throw UsageError(name + " needs a value");
            given.push_back(name);
        }
    }
    if (args.help || args.version)
        return args;
    if (args.command.empty())
        throw UsageError("no command given");
    CheckFits(args, given);
    return args;
}
