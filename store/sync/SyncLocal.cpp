// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/SyncLocal.h"

#include "store/db/FieldValues.h"
#include "store/exchange/IcalExchange.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"

#include <algorithm>
#include <iterator>

namespace {

int32_t Int(const TFieldValue& value) {
    return static_cast<int32_t>(AsInteger(value));
}

TTaskEdit EditOf(const TDM& dm, const TSyncTask& fields, TTaskEdit task, int32_t& done) {
    ApplySyncTask(AsKeptHere(dm, fields), task, done);
    return task;
}

} // namespace

TSyncTask AsKeptHere(const TDM& dm, TSyncTask task) {
    task.name = TrimName(task.name);
    if (task.sound) {
        TTaskEdit sound;
        sound.intSound = 1;
        sound.strSoundFile = *task.sound;
        KeepSoundOfSoundFolder(dm, sound);
        if (sound.intSound != 1)
            task.sound.reset();
    }
    return task;
}

TSyncTask TowardsServer(const TDM& dm, const TSyncTask& here, const TSyncTask& server) {
    const TSyncTask serverHere = AsKeptHere(dm, server);
    TSyncTask out = here;
    for (TSyncField field : SyncFields)
        if (SameField(field, here, serverHere))
            CopyField(field, server, out);
    return out;
}

std::optional<TLocalTask> ReadLocalTask(TDM& dm, int32_t id) {
    std::optional<TLocalTask> found;
    dm.ADOTable1.Query(
        "SELECT t.strName, t.intCategory, t.intPriority, t.intDone, t.intDue, t.dateDue, "
        "t.intReminder, t.datetimeReminder, t.intSound, t.strSoundFile, t.intMemo, "
        "(SELECT strNote FROM t_note WHERE idTask = t.id ORDER BY rowid LIMIT 1), "
        "(SELECT strUid FROM t_uid WHERE idTask = t.id) FROM t_task t WHERE t.id = ?1",
        {Integer(id)}, [&](const std::vector<TFieldValue>& values) {
            TMyRec2& task = found.emplace().record;
            task.id = id;
            task.strName = values[0].s;
            task.intCategory = Int(values[1]);
            task.intPriority = Int(values[2]);
            task.intDone = Int(values[3]);
            task.intDue = Int(values[4]);
            task.dateDue = AsReal(values[5]);
            task.intReminder = Int(values[6]);
            task.datetimeReminder = AsReal(values[7]);
            task.intSound = Int(values[8]);
            task.strSoundFile = values[9].s;
            task.intMemo = Int(values[10]);
            if (task.intMemo > 0)
                task.strNote = values[11].s;
            found->uid = values[12].kind == TFieldValue::Text && !values[12].s.empty()
                             ? values[12].s
                             : LegacyTaskUid(id, dm.DatabasePath());
        });
    return found;
}

int32_t CreateTaskFromServer(TDM& dm, const TSyncTask& fields, const std::string& uid) {
    int32_t done = 0;
    const TTaskEdit task = EditOf(dm, fields, NewTaskEdit(), done);
    return AppendTaskRows(dm, task, done, uid);
}

void RewriteTaskFromServer(TDM& dm, const TMyRec2& task, const TSyncTask& fields) {
    int32_t done = task.intDone;
    const TTaskEdit edit = EditOf(dm, fields, TaskEditOf(task), done);
    RewriteTaskRows(dm, task.id, edit, done);
}

std::optional<int32_t> FreeCategoryByName(const std::vector<TMyRec1>& categories,
                                          const std::string& name,
                                          const std::vector<int32_t>& taken) {
    std::vector<TMyRec1> free;
    std::copy_if(categories.begin(), categories.end(), std::back_inserter(free),
                 [&](const TMyRec1& category) {
                     return std::find(taken.begin(), taken.end(), category.id) == taken.end();
                 });
    const TMyRec1* found = FindCategoryByName(free, name);
    return found ? std::optional<int32_t>(found->id) : std::nullopt;
}

std::optional<int32_t> CategoryForList(TDM& dm, const std::string& name,
                                       const std::vector<int32_t>& taken) {
    const std::vector<TMyRec1> categories = LoadCategories(dm);
    if (const std::optional<int32_t> found = FreeCategoryByName(categories, name, taken))
        return found;
    if (categories.size() >= MaxCategories)
        return std::nullopt;
    TMyRec1 category;
    category.id = NewCategoryId(categories);
    category.strName = TrimName(name).empty() ? "Tasks" : TrimName(name);
    category.intImg = 1;
    category.intPos = static_cast<int32_t>(categories.size()) + 1;
    AppendCategoryRow(dm, category);
    return category.id;
}
