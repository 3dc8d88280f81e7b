// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <string>
#include <vector>

// A load written straight on the SQLite C API, beside the store's own: the yardstick for what
// the table cursor and the records cost on top of reading the file. One pass over each table:
// tasks in id order, the notes and the categories by hash; shown is a copy of all, as the list
// of every category is.
void LoadDirectly(const std::string& path, std::vector<TMyRec2>& all, std::vector<TMyRec2>& shown);
