// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Lookup.h"

#include "store/db/StoreError.h"
#include "store/db/TextCompare.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"

#include <algorithm>
#include <filesystem>

int32_t NamedCategory(TDM& dm, const std::string& name) {
    const std::vector<TMyRec1> categories = LoadCategories(dm);
    const TMyRec1* category = FindCategoryByName(categories, name);
    if (!category)
        throw StoreError("There is no category \"" + TrimName(name) + "\".");
    return category->id;
}

std::vector<size_t> NamedTasks(TDM& dm, const std::vector<TMyRec2>& tasks,
                               const std::vector<std::string>& ids) {
    std::vector<size_t> found;
    for (const std::string& id : ids) {
        int32_t wanted = 0;
        if (id.starts_with("uid:")) {
            const std::optional<int32_t> task = FindTaskByUid(dm, id.substr(4));
            if (!task)
                throw StoreError("No task has the UID \"" + id.substr(4) + "\".");
            wanted = *task;
        } else {
            wanted = static_cast<int32_t>(std::stol(id));
        }
        const auto task = std::find_if(tasks.begin(), tasks.end(),
                                       [&](const TMyRec2& t) { return t.id == wanted; });
        if (task == tasks.end())
            throw StoreError("There is no task " + id + ".");
        const auto position = static_cast<size_t>(task - tasks.begin());
        if (std::find(found.begin(), found.end(), position) == found.end())
            found.push_back(position);
    }
    return found;
}

std::string NamedSound(TDM& dm, const std::string& name) {
    namespace fs = std::filesystem;
    std::vector<std::string> sounds;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dm.SoundFolder(), ec)) {
        const std::string file = entry.path().filename().string();
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file(ec) && SameName(extension, ".wav"))
            sounds.push_back(file);
    }
    if (std::find(sounds.begin(), sounds.end(), name) != sounds.end())
        return name;
    std::sort(sounds.begin(), sounds.end());
    std::string known;
    for (const std::string& sound : sounds)
        known += (known.empty() ? "" : ", ") + sound;
    throw StoreError("There is no sound \"" + name + "\" in " + dm.SoundFolder() +
                     (known.empty() ? "." : "; there are " + known + "."));
}
