// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <string>
#include <vector>

// One run of the built tolvek-tasks.
struct TRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tolvek-tasks with the arguments in the current environment, its output caught in
// files of the folder, its standard input read from the file input (nothing when empty).
TRun RunTasks(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
              const std::filesystem::path& input = {});
