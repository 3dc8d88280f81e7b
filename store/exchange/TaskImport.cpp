// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/exchange/IcalExchange.h"
#include "store/exchange/IcalHandle.h"
#include "store/exchange/IcalTodo.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"

#include <filesystem>
#include <tuple>
#include <unordered_map>

namespace {

constexpr size_t MaxCategories = 10;

class TCategoryChoice {
public:
    TCategoryChoice(TDM& dm, int32_t fallbackId, TImportResult& result)
        : dm_(dm), categories_(LoadCategories(dm)), result_(result) {
        if (fallbackId > 0) {
            for (const TMyRec1& category : categories_)
                if (category.id == fallbackId)
                    fallback_ = category.id;
            if (!fallback_)
                throw StoreError("The category for the imported tasks is no longer in the "
                                 "database.");
        } else if (!categories_.empty()) {
            fallback_ = categories_.front().id;
        }
    }

    // The first of the named categories that exists, else a new one of the first name while
    // there is room; none otherwise.
    std::optional<int32_t> Named(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (const TMyRec1* category = FindCategoryByName(categories_, name))
                return category->id;
        if (!names.empty() && categories_.size() < MaxCategories)
            return Create(names.front());
        return std::nullopt;
    }

    // Where a new task of a to-do with these categories goes.
    int32_t For(const std::vector<std::string>& names) {
        if (const std::optional<int32_t> named = Named(names))
            return *named;
        if (!fallback_)
            throw StoreError("The database has no category to put the imported tasks in.");
        return *fallback_;
    }

    // Whether one of the names is that of the category.
    bool Names(const std::vector<std::string>& names, int32_t id) const {
        for (const std::string& name : names) {
            const TMyRec1* category = FindCategoryByName(categories_, name);
            if (category && category->id == id)
                return true;
        }
        return false;
    }

private:
    int32_t Create(const std::string& name) {
        TMyRec1 category;
        category.id = NewCategoryId(categories_);
        category.strName = name;
        category.intImg = 1;
        category.intPos = static_cast<int32_t>(categories_.size()) + 1;
        AppendCategoryRow(dm_, category);
        categories_.push_back(category);
        result_.newCategories.push_back(name);
        return category.id;
    }

    TDM& dm_;
    std::vector<TMyRec1> categories_;
    TImportResult& result_;
    std::optional<int32_t> fallback_;
};

// What the task's own export says of it: the fields as the mapping carries them.
TImportedTask AsExported(const TMyRec2& task) {
    const TIcalComponent todo(MakeTodo(task, "", icaltime_null_time()));
    return ReadTodo(todo.get());
}

auto Due(const TTaskEdit& task) {
    const bool on = task.intDue == 1;
    return std::make_tuple(on, on ? task.dateDue : 0.0);
}

auto Reminder(const TTaskEdit& task) {
    const bool on = task.intReminder == 1, sound = on && task.intSound == 1;
    return std::make_tuple(on, on ? task.datetimeReminder : 0.0, sound,
                           sound ? task.strSoundFile : std::string());
}

// The task as the to-do leaves it, and whether that differs from the task as it is.
struct TUpdate {
    TTaskEdit task;
    int32_t done = 0;
    bool changed = false;
};

// Every field that the to-do says otherwise than the task's export comes from the to-do; the
// rest, and what the mapping does not carry (a due date switched off, say), stays as it is.
TUpdate Update(const TDM& dm, const TMyRec2& current, const TImportedTask& file,
               TCategoryChoice& choice) {
    const TImportedTask seen = AsExported(current);
    TUpdate update{TaskEditOf(current), current.intDone};
    TTaskEdit& task = update.task;
    const auto take = [&](bool differs, auto apply) {
        if (differs) {
            apply();
            update.changed = true;
        }
    };
    take(seen.task.strName != file.task.strName, [&] { task.strName = file.task.strName; });
    take(seen.task.strNote != file.task.strNote, [&] { task.strNote = file.task.strNote; });
    take(seen.task.intPriority != file.task.intPriority,
         [&] { task.intPriority = file.task.intPriority; });
    take(seen.intDone != file.intDone, [&] { update.done = file.intDone; });
    take(Due(seen.task) != Due(file.task), [&] {
        task.intDue = file.task.intDue;
        if (task.intDue == 1)
            task.dateDue = file.task.dateDue;
    });
    take(Reminder(seen.task) != Reminder(file.task), [&] {
        task.intReminder = file.task.intReminder;
        if (task.intReminder != 1)
            return;
        task.datetimeReminder = file.task.datetimeReminder;
        task.intSound = file.task.intSound;
        if (task.intSound == 1) {
            task.strSoundFile = file.task.strSoundFile;
            KeepSoundOfSoundFolder(dm, task);
        }
    });
    if (!file.categories.empty() && !choice.Names(file.categories, current.intCategory))
        if (const std::optional<int32_t> named = choice.Named(file.categories))
            take(*named != current.intCategory, [&] { task.intCategory = *named; });
    return update;
}

} // namespace

void KeepSoundOfSoundFolder(const TDM& dm, TTaskEdit& task) {
    if (task.strSoundFile.empty())
        return;
    const std::filesystem::path name(task.strSoundFile);
    std::error_code ec;
    if (name == name.filename() && name != "." && name != ".." &&
        std::filesystem::is_regular_file(dm.SoundFile(task.strSoundFile), ec))
        return;
    task.intSound = 0;
    task.strSoundFile.clear();
}

TImportResult ImportTasks(TDM& dm, const std::vector<TImportedTask>& tasks,
                          int32_t fallbackCategory) {
    TImportResult result;
    InTransaction(dm, [&](TTableCursor&) {
        TCategoryChoice choice(dm, fallbackCategory, result);
        // The tasks as they stand, by id, and their ids by UID (of two tasks with one UID, the
        // older one); both follow what the import does, for a file that names a task twice.
        std::unordered_map<int32_t, TMyRec2> known;
        for (TMyRec2& task : ReadAllTasks(dm))
            known.try_emplace(task.id, std::move(task));
        std::unordered_map<std::string, int32_t> byUid;
        for (const auto& [id, uid] : ReadTaskUids(dm))
            if (const auto [at, added] = byUid.try_emplace(uid, id); !added && id < at->second)
                at->second = id;

        for (const TImportedTask& imported : tasks) {
            const auto match = imported.uid.empty() ? byUid.end() : byUid.find(imported.uid);
            if (match == byUid.end()) {
                TTaskEdit task = imported.task;
                task.intCategory = choice.For(imported.categories);
                KeepSoundOfSoundFolder(dm, task);
                const int32_t id = AppendTaskRows(dm, task, imported.intDone, imported.uid);
                result.taskIds.push_back(id);
                TMyRec2& record = known[id];
                record.id = id;
                record.intDone = imported.intDone;
                ApplyEdit(record, task);
                if (!imported.uid.empty())
                    byUid.emplace(imported.uid, id);
                continue;
            }
            TMyRec2& current = known.at(match->second);
            const TUpdate update = Update(dm, current, imported, choice);
            if (!update.changed) {
                ++result.unchanged;
                continue;
            }
            RewriteTaskRows(dm, current.id, update.task, update.done);
            result.updatedIds.push_back(current.id);
            current.intDone = update.done;
            ApplyEdit(current, update.task);
        }
    });
    return result;
}
