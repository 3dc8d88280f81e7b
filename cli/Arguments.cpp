#include "cli/Arguments.h"

#include "store/DateText.h"

#include <algorithm>
#include <array>

const char* const UsageText =
    R"(Usage: tolvek-tasks [--database PATH] COMMAND [OPTIONS]

Reads and writes the tasks of Tolvek Organizer.

Commands:
  list [--category NAME]
      Print the tasks in id order, one a line: id, done mark, priority, category,
      due date, reminder and name.
  add NAME [--category NAME] [--high] [--due YYYY-MM-DD] [--remind "YYYY-MM-DD HH:MM"]
           [--note TEXT]
      Add a task, in the first category when none is named. Dates are local time.
  export --format ics|csv [--category NAME] [-o FILE]
      Write the tasks as iCalendar or CSV, to standard output unless FILE is given.
      A CSV text cell that begins with =, +, -, @, a tab or a carriage return gets a
      leading ' so that a spreadsheet keeps it as text instead of running a formula.
  import FILE.ics [--category NAME]
      Add the to-dos of an iCalendar file, all or none. A to-do goes into the first of
      its categories that exists, else into a new one of its first category's name while
      there are fewer than 10, else into the --category one or the first category.

Options:
  --database PATH  the database file; without it db/data.db in $TOLVEK_HOME when it
                   is set, else in ~/.local/share/tolvek-organizer ($XDG_DATA_HOME's)
                   for an installed program, else beside the executable
  -h, --help       show this help

While the organizer runs on the same database, add and import tell it to reload.
Exit status: 0 done, 1 failed (the reason on standard error), 2 bad usage.
)";

namespace {

struct TOption {
    const char* name;
    // The commands that take it; empty for every command.
    std::vector<std::string> commands;
    // Where its value goes, or for a switch, which flag it sets.
    std::optional<std::string> TArguments::*value = nullptr;
    bool TArguments::*flag = nullptr;
};

const std::array<TOption, 9>& Options() {
    static const std::array<TOption, 9> options{{
        {"--database", {}, &TArguments::database},
        {"--high", {"add"}, nullptr, &TArguments::high},
        {"--category", {"list", "add", "export", "import"}, &TArguments::category},
        {"--due", {"add"}, &TArguments::due},
        {"--remind", {"add"}, &TArguments::remind},
        {"--note", {"add"}, &TArguments::note},
        {"--format", {"export"}, &TArguments::format},
        {"-o", {"export"}, &TArguments::output},
        {"--output", {"export"}, &TArguments::output},
    }};
    return options;
}

const TOption* FindOption(const std::string& name) {
    for (const TOption& option : Options())
        if (name == option.name)
            return &option;
    return nullptr;
}

bool IsCommand(const std::string& word) {
    return word == "list" || word == "add" || word == "export" || word == "import";
}

// Checks that every option given fits the command, and that the command has what it needs.
void CheckFits(const TArguments& args, const std::vector<std::string>& given,
               const std::vector<std::string>& operands) {
    for (const std::string& name : given) {
        const std::vector<std::string>& commands = FindOption(name)->commands;
        if (!commands.empty() &&
            std::find(commands.begin(), commands.end(), args.command) == commands.end())
            throw UsageError(args.command + " takes no option " + name);
    }
    const bool wantsOperand = args.command == "add" || args.command == "import";
    if (wantsOperand && operands.empty())
        throw UsageError(args.command == "add" ? "add needs the task's NAME"
                                               : "import needs the FILE to import");
    if (operands.size() > (wantsOperand ? 1u : 0u))
        throw UsageError(args.command == "add"
                             ? "add takes one NAME; put a name of several words in quotes"
                             : "unexpected argument \"" + operands.back() + "\"");
    if (args.command == "export" && !args.format)
        throw UsageError("export needs --format ics or --format csv");
    if (args.format && *args.format != "ics" && *args.format != "csv")
        throw UsageError("--format is ics or csv, not \"" + *args.format + "\"");
    if (args.due && !ParseDate(*args.due))
        throw UsageError("--due wants a date as YYYY-MM-DD, not \"" + *args.due + "\"");
    if (args.remind && !ParseDateMinute(*args.remind))
        throw UsageError("--remind wants a time as \"YYYY-MM-DD HH:MM\", not \"" + *args.remind +
                         "\"");
}

} // namespace

TArguments ParseArguments(const std::vector<std::string>& arguments) {
    TArguments args;
    std::vector<std::string> operands, given;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            if (args.command.empty() && !IsCommand(word))
                throw UsageError("unknown command \"" + word + "\"");
            (args.command.empty() ? args.command : operands.emplace_back()) = word;
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
        } else if (word == "-h" || word == "--help") {
            args.help = true;
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
    if (args.help)
        return args;
    if (args.command.empty())
        throw UsageError("no command given");
    CheckFits(args, given, operands);
    if (!operands.empty())
        args.operand = operands.front();
    return args;
}
