// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ExecutableFolder.h"
#include "store/DmUnit.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace {

// A message is one line, whatever the text it quotes.
std::string OneLine(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

int Run(const TArguments& args, const char* argv0) {
    if (args.help) {
        std::cout << UsageText;
        return 0;
    }
    TDM dm(ResolveProgramFolders(ExecutableFolder(argv0)));
    if (args.database)
        dm.ADOTable1.SetDatabasePath(
            std::filesystem::absolute(*args.database).lexically_normal().string());
    // As the organizer does at its start: a first run gets a database with a few categories.
    dm.DataModuleCreate();
    if (args.command == "list")
        ListTasks(dm, args, std::cout);
    else if (args.command == "add")
        AddTask(dm, args, std::cout);
    else if (args.command == "export")
        ExportTasks(dm, args, std::cout);
    else
        ImportFile(dm, args, std::cout);
    std::cout.flush();
    if (!std::cout)
        throw std::runtime_error("Cannot write to standard output.");
    return 0;
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
