// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// Writes the text as the whole file: into a new file beside it first, which then takes the
// file's place, so that a failure never leaves half a file. Throws std::runtime_error.
void WriteWholeFile(const std::string& path, const std::string& text);
