// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/exchange/IcalExchange.h"
#include "store/varUnit.h"

#include <libical/ical.h>
#include <string>

// The mapping between a task and a VTODO, both ways. The import also sends a task there and
// back to see which of its fields a to-do of a file changes.

// The task as a new VTODO with that UID and DTSTAMP; the caller frees it.
icalcomponent* MakeTodo(const TMyRec2& task, const std::string& uid, icaltimetype stamp);
// What a VTODO says of its task.
TImportedTask ReadTodo(icalcomponent* todo);
