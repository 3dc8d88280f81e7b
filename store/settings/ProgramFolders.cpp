// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/settings/ProgramFolders.h"

#include "store/settings/ProgramInfo.h"

#include <cstdlib>
#include <filesystem>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The share folder of an installed program, empty when the executable is not installed. The
// layout alone decides: whether a folder can be written says nothing when the user is root.
fs::path InstalledShareFolder(const std::string& executableFolder) {
    fs::path folder = fs::path(executableFolder).lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    if (folder.filename() != "bin")
        return {};
    const fs::path share = folder.parent_path() / "share" / ProgramFileName;
    std::error_code ec;
    return fs::is_directory(share, ec) ? share : fs::path();
}

fs::path DataHome(const TFolderEnvironment& environment) {
    // A relative path in an XDG variable is not to be used.
    if (fs::path(environment.xdgDataHome).is_absolute())
        return environment.xdgDataHome;
    return fs::path(environment.home) / ".local" / "share";
}

} // namespace

TFolderEnvironment CurrentFolderEnvironment() {
    TFolderEnvironment environment{Variable("TOLVEK_HOME"), Variable("XDG_DATA_HOME"),
                                   Variable("HOME")};
#ifndef _WIN32
    // A session started without HOME still has a home folder in the user database.
    if (environment.home.empty())
        if (const passwd* user = getpwuid(getuid()); user && user->pw_dir)
            environment.home = user->pw_dir;
#endif
    return environment;
}

TProgramFolders ResolveProgramFolders(const std::string& executableFolder,
                                      const TFolderEnvironment& environment) {
    if (!environment.tolvekHome.empty())
        return {environment.tolvekHome, environment.tolvekHome};
    const fs::path share = InstalledShareFolder(executableFolder);
    if (share.empty())
        return {executableFolder, executableFolder};
    return {(DataHome(environment) / ProgramFileName).lexically_normal().string(), share.string()};
}

TProgramFolders ResolveProgramFolders(const std::string& executableFolder) {
    return ResolveProgramFolders(executableFolder, CurrentFolderEnvironment());
}
