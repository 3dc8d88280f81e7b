// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/LostValue.h"

#include "store/dates/DateText.h"
#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/sync/SyncLocal.h"
#include "store/sync/SyncMerge.h"

namespace {

StoreError Unreadable(const TSyncLogEntry& entry) {
    return StoreError("The " + entry.field + " \"" + entry.lost + "\" of \"" + entry.task +
                      "\" cannot be read back.");
}

template <class T> T Required(const std::optional<T>& value, const TSyncLogEntry& entry) {
    if (!value)
        throw Unreadable(entry);
    return *value;
}

// The log keeps each field as SyncFieldText wrote it (a category by its name); this reads it
// back into the task's fields.
void ReadLostInto(TDM& dm, const TSyncLogEntry& entry, TSyncTask& task) {
    const std::string& lost = entry.lost;
    if (entry.field == "name") {
        if (IsBlank(lost))
            throw Unreadable(entry);
        task.name = lost;
    } else if (entry.field == "note") {
        task.note = lost.empty() ? std::nullopt : std::optional<std::string>(lost);
    } else if (entry.field == "priority") {
        if (lost != "high" && lost != "normal")
            throw Unreadable(entry);
        task.high = lost == "high";
    } else if (entry.field == "done") {
        if (lost != "yes" && lost != "no")
            throw Unreadable(entry);
        task.done = lost == "yes";
    } else if (entry.field == "due") {
        task.due =
            lost.empty() ? std::nullopt : std::optional<double>(Required(ParseDate(lost), entry));
    } else if (entry.field == "reminder") {
        // "YYYY-MM-DD HH:MM", then " sound FILE" when it plays one.
        constexpr size_t minute = 16;
        const std::string sound = " sound ";
        task.reminder =
            lost.empty()
                ? std::nullopt
                : std::optional<double>(Required(ParseDateMinute(lost.substr(0, minute)), entry));
        task.sound.reset();
        if (lost.size() > minute) {
            if (lost.compare(minute, sound.size(), sound) != 0)
                throw Unreadable(entry);
            task.sound = lost.substr(minute + sound.size());
        }
    } else if (entry.field == "category") {
        const std::vector<TMyRec1> categories = LoadCategories(dm);
        const TMyRec1* category = FindCategoryByName(categories, lost);
        if (!category)
            throw StoreError("The category \"" + lost + "\" of \"" + entry.task +
                             "\" is no longer here.");
        task.category = category->id;
    } else {
        throw Unreadable(entry);
    }
}

} // namespace

void UseLostValue(TDM& dm, const TSyncLogEntry& entry) {
    InTransaction(dm, [&](TTableCursor&) {
        const std::optional<int32_t> id = FindTaskByUid(dm, entry.uid);
        const std::optional<TLocalTask> local = id ? ReadLocalTask(dm, *id) : std::nullopt;
        if (!local)
            throw StoreError("The task \"" + entry.task + "\" is no longer here.");
        TSyncTask fields = SyncTaskOf(local->record);
        ReadLostInto(dm, entry, fields);
        RewriteTaskFromServer(dm, local->record, fields);
    });
}
