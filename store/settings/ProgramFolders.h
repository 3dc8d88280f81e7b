// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// Where the program keeps what it writes and where it reads what it ships with.
struct TProgramFolders {
    // Holds db/ with the database.
    std::string data;
    // Holds sound/ and help/.
    std::string resources;
};

// What the folders depend on besides the executable's folder: the environment variables
// TOLVEK_HOME, XDG_DATA_HOME and HOME, each empty when unset.
struct TFolderEnvironment {
    std::string tolvekHome;
    std::string xdgDataHome;
    std::string home;
};

// The environment of this process.
TFolderEnvironment CurrentFolderEnvironment();

// TOLVEK_HOME, when set, is both folders. Otherwise an installed program, one whose
// executable sits in a folder bin/ beside which share/tolvek-organizer/ exists, keeps its data
// in $XDG_DATA_HOME/tolvek-organizer (default ~/.local/share/tolvek-organizer) and reads its
// sounds and help from that share folder. Any other executable keeps both beside itself.
TProgramFolders ResolveProgramFolders(const std::string& executableFolder,
                                      const TFolderEnvironment& environment);
TProgramFolders ResolveProgramFolders(const std::string& executableFolder);
