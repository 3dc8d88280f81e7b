// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// A running organizer listens on a local socket named after its database, so that the
// command-line tools can tell it that the file changed under it.

// The 64-bit FNV-1a hash of the database's absolute, lexically normal path, as 16
// lowercase hex digits: the same for every spelling of the same path.
std::string DatabasePathHash(const std::string& databasePath);

// $XDG_RUNTIME_DIR (or $TMPDIR, or /tmp, when it is unset) followed by
// /tolvek-organizer-<hash>.sock.
std::string InstanceSocketPath(const std::string& databasePath);

// Sends line and a line break to the organizer running on that database. False, and
// nothing said, when none listens or it does not take the line within a moment.
bool NotifyRunningProgram(const std::string& databasePath, const std::string& line);
