// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/sync/SyncAccount.h"
#include "store/varUnit.h"
#include "sync/BlockingCalDav.h"
#include "sync/Credentials.h"

#include <string>
#include <vector>

// Choosing the lists of an account: the server's task lists as a person sees them, and the
// names a person gives turned into the lists to sync.

// How a client talks to the account's server with that password.
TDavOptions AccountOptions(const TSyncAccount& account, const QString& password);
// The account's password, from its command, else from the desktop's secret store; done is
// called from the event loop, unless context is gone by then.
void ReadAccountPassword(const TSyncAccount& account, QObject* context, TPasswordDone done);

// The calendars of the discovery that hold to-dos, in the server's order.
QList<TCollection> TaskLists(const TDiscovery& found);

// What a server list maps to here: the category of its name (whatever the case of its
// letters), a new category, or nothing, as there is no room for an eleventh category.
struct TListMapping {
    enum class Kind { Category, NewCategory, NoRoom };
    Kind kind = Kind::NewCategory;
    // The category's name, for Category.
    std::string category;
};
// Lists earlier in lists take their categories first.
std::vector<TListMapping> MapLists(const QList<TCollection>& lists,
                                   const std::vector<TMyRec1>& categories);
// The same as a person reads it: "category NAME", "a new category", or "not synced: no room
// for an eleventh category".
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

// The categories here that no server list maps to by its name: choosing one makes a list of
// it on the server (see ChooseLists).
std::vector<TMyRec1> CategoriesWithoutList(const QList<TCollection>& lists,
                                           const std::vector<TMyRec1>& categories);

// Lists chosen again after their category was deleted here, or that had no room, are mapped
// anew at the next sync: what the state keeps of them among hrefs goes.
void MapListsAgain(TDM& dm, const std::vector<std::string>& hrefs);

// The names of a comma-separated list, each trimmed; empty ones left out.
std::vector<std::string> SplitNames(const std::string& text);
