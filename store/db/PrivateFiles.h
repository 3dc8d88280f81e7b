// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// What the program keeps for its user alone: the database and its journal, the backups, the
// damaged files kept aside, the settings file and the socket folder. Files are created 0600
// and folders 0700 whatever the umask; what exists already keeps its mode.

// Creates the folder and every missing folder above it, each 0700. Throws StoreError.
void CreatePrivateFolders(const std::string& folder);

// Creates an empty file 0600 under a name that must not exist yet, a symbolic link included.
// Throws StoreError.
void CreatePrivateFile(const std::string& path);

// Whether the folder is the user's own: a real folder, not a symbolic link, owned by this
// user, that nobody else can write. Empty when it is; otherwise why not, for a message.
std::string WhyNotPrivateFolder(const std::string& folder);
