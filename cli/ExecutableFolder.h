// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// The folder of the running executable: from /proc/self/exe, else from argv[0] (looked up
// in PATH when it names no folder).
std::string ExecutableFolder(const char* argv0);
