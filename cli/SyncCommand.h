// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Arguments.h"
#include "store/DmUnit.h"

#include <ostream>

// tolvek-tasks sync: sets the database's account up, changes its lists, shows its state and its
// log, or syncs. Returns the exit status: 0 when everything went through, 1 after an error (the
// reasons on standard error), 3 when deletions wait for the user. Throws StoreError as the
// other commands do.
int SyncCommand(TDM& dm, const TArguments& args, std::ostream& out);

// Whether the sync command, as the arguments ask for it, may make a database that is not
// there yet (it does not for what only reads).
bool SyncMakesDatabase(const TArguments& args);
