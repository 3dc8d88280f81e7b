// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include "store/settings/ProgramInfo.h"

#include <cstdio>
#include <string>

namespace {

const char* const UsageText =
    R"(Usage: tolvek-organizer [ARGUMENT]

Starts Tolvek Organizer, the to-do organizer with reminders in the notification area.

Without an argument the main window opens. With any argument the program starts hidden in
the notification area, as it does when it starts with the session (which passes /ws). A
second start on the same database hands over to the running program: without an argument
it shows its window, with one it just ends.

  -h, --help  show this help and end
  --version   show the version and end

The database is db/data.db in $TOLVEK_HOME when it is set, else in
$XDG_DATA_HOME/tolvek-organizer (~/.local/share/tolvek-organizer) for an installed program,
else beside the executable. tolvek-tasks works on the same tasks from the command line.
)";

} // namespace

std::optional<int> AnswerWithoutStarting(int argc, char* argv[]) {
    if (argc < 2)
        return std::nullopt;
    const std::string first = argv[1];
    std::string answer;
    if (first == "--help" || first == "-h")
        answer = UsageText;
    else if (first == "--version")
        answer = std::string(ProgramFileName) + " " + ProgramVersion + "\n";
    else
        return std::nullopt;
    const bool written = std::fputs(answer.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
    return written ? 0 : 1;
}
