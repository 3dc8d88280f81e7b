// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/varUnit.h"

#include <cstdint>
#include <vector>

// Every task in id order, with its note and its category's name, icon and position.
std::vector<TMyRec2> ReadAllTasks(TDM& dm);

// Reads every task with its note and its category's name, icon and position.
// allTasks gets every task in id order; shownTasks gets copies of those of the category
// (all of them for 0 or below), ordered by the list's sort column (-1 for none) in
// sortOrder, or with done tasks last when there is no sort column and DoneBottom is 1.
// On failure both arrays are left empty.
void LoadTaskArrays(TDM& dm, int32_t category, int sortColumn, int32_t sortOrder,
                    std::vector<TMyRec2>& allTasks, std::vector<TMyRec2>& shownTasks);

// Every category in position order.
std::vector<TMyRec1> LoadCategories(TDM& dm);

// The t_category row the cursor stands on, as the windows hold it.
TMyRec1 CategoryOfRow(TTableCursor& table);
