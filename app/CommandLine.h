// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

// --help (or -h) and --version as the first argument print the usage or the version and end
// the program at once, before anything of it starts: the answer is then its exit status.
// Every other command line starts the program (hidden in the tray when it has an argument),
// and the answer is none.
std::optional<int> AnswerWithoutStarting(int argc, char* argv[]);
