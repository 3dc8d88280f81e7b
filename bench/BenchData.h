// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/varUnit.h"

#include <memory>
#include <vector>

// A program folder with a database of `tasks` tasks in 10 categories, every second one with
// a note, every fifth one with a reminder and all of them with their UIDs; built once per size
// and kept for the run.
TDM& BenchDatabase(int tasks);

// Tasks with many equal keys, for the sorts.
std::vector<TMyRec2> RandomTasks(int count);
