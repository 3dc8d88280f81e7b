// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/sync/SyncState.h"

// A conflict of the sync log undone: the value that lost becomes the task's again. It is
// written here through the task write every window uses, so the change triggers count it and
// the next sync sends it to the server too.

// Writes the entry's lost value into its task, in one transaction. Throws StoreError when the
// task or the category named is no longer here, or the value cannot be read back.
void UseLostValue(TDM& dm, const TSyncLogEntry& entry);
