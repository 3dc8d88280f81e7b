#include "store/CategoryTable.h"
#include "store/IcalExchange.h"
#include "store/StoreError.h"
#include "store/TableAccess.h"
#include "store/TaskTable.h"

#include <filesystem>

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

    int32_t For(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (const TMyRec1* category = FindCategoryByName(categories_, name))
                return category->id;
        if (!names.empty() && categories_.size() < MaxCategories)
            return Create(names.front());
        if (!fallback_)
            throw StoreError("The database has no category to put the imported tasks in.");
        return *fallback_;
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

// A task's sound is a file of the sound folder, as the editor sets it: a sound the file names
// keeps its name only when the sound folder has a file of that name, else the task has none.
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

} // namespace

TImportResult ImportTasks(TDM& dm, const std::vector<TImportedTask>& tasks,
                          int32_t fallbackCategory) {
    TImportResult result;
    InTransaction(dm, [&](TTableCursor&) {
        TCategoryChoice choice(dm, fallbackCategory, result);
        for (const TImportedTask& imported : tasks) {
            TTaskEdit task = imported.task;
            task.intCategory = choice.For(imported.categories);
            KeepSoundOfSoundFolder(dm, task);
            result.taskIds.push_back(AppendTaskRows(dm, task, imported.intDone));
        }
    });
    return result;
}
