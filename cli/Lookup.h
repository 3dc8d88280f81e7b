// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/varUnit.h"

#include <cstdint>
#include <string>
#include <vector>

// What the command line names, found in the database. Each throws StoreError, saying what is
// missing, when it finds nothing.

// The category of that name (see FindCategoryByName).
int32_t NamedCategory(TDM& dm, const std::string& name);
// The positions in tasks of the tasks that the IDs name (see IsTaskReference), each once, in
// the order given.
std::vector<size_t> NamedTasks(TDM& dm, const std::vector<TMyRec2>& tasks,
                               const std::vector<std::string>& ids);
// The name as the task editor offers it: a WAV file of the sound folder, named without a
// folder.
std::string NamedSound(TDM& dm, const std::string& name);
