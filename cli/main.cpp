// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ExecutableFolder.h"
#include "cli/SyncCommand.h"
#include "store/DmUnit.h"
#include "store/db/StoreError.h"
#include "store/settings/ProgramInfo.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>

namespace {

// A message is one line, whatever the text it quotes.
std::string OneLine(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

using TCommand = void (*)(TDM&, const TArguments&, std::ostream&);

const std::map<std::string, TCommand> CommandsByName{
    {"list", ListTasks},
    {"show", ShowTask},
    {"add", AddTask},
    {"edit", EditTask},
    {"done", MarkTasks},
    {"undone", MarkTasks},
    {"delete", DeleteNamedTasks},
    {"export", ExportTasks},
    {"import", ImportFile},
    {"categories", ListCategories},
};

int Run(const TArguments& args, const char* argv0) {
    if (args.help) {
        std::cout << UsageText;
        return 0;
    }
    if (args.version) {
        std::cout << "tolvek-tasks " << ProgramVersion << "\n";
        return 0;
    }
    TDM dm(ResolveProgramFolders(ExecutableFolder(argv0)));
    if (args.database)
        dm.ADOTable1.SetDatabasePath(
            std::filesystem::absolute(*args.database).lexically_normal().string());
    // As the organizer does at its first start, adding to a database that is not there yet
    // makes one with a few categories. Nothing else makes a file or a folder.
    std::error_code ec;
    const bool makes = args.command == "add" || args.command == "import" ||
                       (args.command == "sync" && SyncMakesDatabase(args));
    if (!makes && !std::filesystem::exists(dm.DatabasePath(), ec))
        throw StoreError("There is no database " + dm.DatabasePath() +
                         (ec ? ": " + ec.message() + "." : "; add or import a task to make it."));
    dm.DataModuleCreate();
    const int status = args.command == "sync"
                           ? SyncCommand(dm, args, std::cout)
                           : (CommandsByName.at(args.command)(dm, args, std::cout), 0);
    std::cout.flush();
    if (!std::cout)
        throw std::runtime_error("Cannot write to standard output.");
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    try {
        return Run(ParseArguments(std::vector<std::string>(argv + 1, argv + argc)), argv[0]);
    } catch (const UsageError& error) {
        std::cerr << "tolvek-tasks: " << OneLine(error.what())
                  << " (tolvek-tasks --help tells more)\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "tolvek-tasks: " << OneLine(error.what()) << "\n";
        return 1;
    }
}
