// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/varUnit.h"
#include "sync/BlockingCalDav.h"

#include <string>
#include <vector>

// Choosing the lists of an account: the server's task lists as a person sees them, and the
// names a person gives turned into the lists to sync.

// The calendars of the discovery that hold to-dos, in the server's order.
QList<TCollection> TaskLists(const TDiscovery& found);

// What a server list maps to here: "category NAME" (the category of that name, whatever the
// case of its letters), "a new category", or "not synced: no room for an eleventh category".
// Lists earlier in lists take their categories first.
std::vector<std::string> MappingTexts(const QList<TCollection>& lists,
                                      const std::vector<TMyRec1>& categories);

// The hrefs of the lists the names choose: a task list of the server with that name (whatever
// the case of its letters), else a category here of that name, for which a list of to-dos of
// that name is made on the server beside the others (made gets its name). Throws StoreError
// naming a name that is neither, or saying what the server refused.
std::vector<std::string> ChooseLists(TBlockingCalDav& client, const TDiscovery& found,
                                     const std::vector<TMyRec1>& categories,
                                     const std::vector<std::string>& names,
                                     std::vector<std::string>& made);

// The names of a comma-separated list, each trimmed; empty ones left out.
std::vector<std::string> SplitNames(const std::string& text);
