// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

// Creates a new database file at path with the three tables and the starter categories.
// The file appears whole or not at all.
void CreateDatabase(const std::string& path);
