// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/ExecutableFolder.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

std::string ExecutableFolder(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path().string();
    const fs::path called(argv0 ? argv0 : "");
    if (called.has_parent_path())
        return fs::absolute(called, ec).parent_path().lexically_normal().string();
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && fs::is_regular_file(fs::path(folder) / called, ec))
            return fs::absolute(folder, ec).lexically_normal().string();
    return fs::current_path(ec).string();
}
