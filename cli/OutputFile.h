// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// Writes the text as the whole file the user named. A regular file (or a link to one) is
// replaced at once, never left half written: the text goes into an unnamed file in the same
// folder first (a new, exclusive one of a random name where the file system has no unnamed
// files), which takes the file's place by a rename; the file keeps its mode (a new one gets
// the user's umask). A file that is not regular, such as a device, a FIFO or standard output,
// is written in place. A folder is an error. Throws std::runtime_error.
void WriteWholeFile(const std::string& path, const std::string& text);
