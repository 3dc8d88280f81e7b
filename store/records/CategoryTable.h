// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/varUnit.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The category commands of the category manager. Each works on the manager's records
// (in row order) and on t_category together: the table is written first, in one
// transaction, and the records change only when it succeeded, so a StoreError leaves both
// as they were and the stored positions never get holes or repeats.

// A file holds ten categories at most.
inline constexpr size_t MaxCategories = 10;

// The id for a new category: the largest id of the records plus 1, at least 1.
int32_t NewCategoryId(const std::vector<TMyRec1>& categories);

// Appends a category with the trimmed name and the icon at the next position.
void AddCategory(TDM& dm, std::vector<TMyRec1>& categories, const std::string& name, int32_t icon);

// Adds the category's row inside the caller's transaction (see InTransaction).
void AppendCategoryRow(TDM& dm, const TMyRec1& category);

// The category of that name: the same text after trimming, else the same letters in
// another case ("work" finds "Work"); none when no category has it.
const TMyRec1* FindCategoryByName(const std::vector<TMyRec1>& categories, const std::string& name);

// Gives the category of the row the trimmed name and the icon; id and position stay.
void EditCategory(TDM& dm, std::vector<TMyRec1>& categories, size_t row, const std::string& name,
                  int32_t icon);

// True when any task, done or not, belongs to the category.
bool CategoryInUse(TDM& dm, int32_t id);

// Deletes the category of the row and moves every later one a position up.
void DeleteCategory(TDM& dm, std::vector<TMyRec1>& categories, size_t row);

// Swaps the category of the row with the one in the row below: the upper one's position
// rises by 1 and the lower one's falls by 1.
void SwapWithNext(TDM& dm, std::vector<TMyRec1>& categories, size_t row);
