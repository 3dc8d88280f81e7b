// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// A running organizer listens on a local socket named after its database, so that the
// command-line tools can tell it that the file changed under it.

// The 64-bit FNV-1a hash of the database's canonical path (absolute, symbolic links resolved,
// lexically normal), as 16 lowercase hex digits: the same for every way of reaching the file.
std::string DatabasePathHash(const std::string& databasePath);

// The folder of the sockets, one only this user can reach: $XDG_RUNTIME_DIR when it is the
// user's own (a real folder, not a symbolic link, owned by the user and writable by nobody
// else); otherwise $XDG_CACHE_HOME/tolvek-organizer (default ~/.cache/tolvek-organizer), made
// 0700 when create is set and it is missing. Never a folder others share, such as /tmp.
// Throws StoreError, saying why, when the folder is someone else's or open to others.
std::string InstanceSocketFolder(bool create);

// The socket's folder followed by /tolvek-organizer-<hash>.sock. Throws as
// InstanceSocketFolder does.
std::string InstanceSocketPath(const std::string& databasePath, bool create = false);

// Why the socket file must not be used: it belongs to another user. Empty when it is the
// user's own or is not there.
std::string WhyNotOwnSocket(const std::string& socketPath);

// Sends line and a line break to the organizer running on that database. False, and
// nothing said, when none listens, it does not take the line within a moment, or the socket
// or its folder is not the user's own.
bool NotifyRunningProgram(const std::string& databasePath, const std::string& line);
