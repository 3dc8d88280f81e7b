// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Commands.h"

#include "cli/OutputFile.h"
#include "store/dates/DateText.h"
#include "store/db/StoreError.h"
#include "store/exchange/CsvExport.h"
#include "store/exchange/IcalExchange.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"

#include <algorithm>

namespace {

// The category the option names, 0 when it names none; an unknown name fails.
int32_t NamedCategory(TDM& dm, const TArguments& args) {
    if (!args.category)
        return 0;
    const std::vector<TMyRec1> categories = LoadCategories(dm);
    const TMyRec1* category = FindCategoryByName(categories, *args.category);
    if (!category)
        throw StoreError("There is no category \"" + TrimName(*args.category) + "\".");
    return category->id;
}

// Characters, not bytes, so that columns line up under non-Latin names.
size_t Width(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Padded(const std::string& text, size_t width) {
    return text + std::string(width - std::min(width, Width(text)), ' ');
}

} // namespace

void ListTasks(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t category = NamedCategory(dm, args);
    std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    std::erase_if(
        tasks, [&](const TMyRec2& task) { return category > 0 && task.intCategory != category; });
    size_t idWidth = 1, categoryWidth = 1;
    for (const TMyRec2& task : tasks) {
        idWidth = std::max(idWidth, std::to_string(task.id).size());
        categoryWidth = std::max(categoryWidth, Width(task.strCategory));
    }
    for (const TMyRec2& task : tasks) {
        const std::string id = std::to_string(task.id);
        out << std::string(idWidth - id.size(), ' ') << id << "  "
            << (task.intDone == 1 ? "[x]" : "[ ]") << "  "
            << (task.intPriority == 0 ? "High  " : "Normal") << "  "
            << Padded(task.strCategory, categoryWidth) << "  "
            << Padded(task.intDue == 1 ? FormatDate(task.dateDue) : "-", 10) << "  "
            << Padded(task.intReminder == 1 ? FormatDateMinute(task.datetimeReminder) : "-", 16)
            << "  " << task.strName << "\n";
    }
}

void AddTask(TDM& dm, const TArguments& args, std::ostream& out) {
    TTaskEdit task = NewTaskEdit();
    task.strName = TrimName(args.operand);
    if (task.strName.empty())
        throw StoreError("The task's name is empty.");
    if (args.high)
        task.intPriority = 0;
    if (args.due) {
        task.intDue = 1;
        task.dateDue = *ParseDate(*args.due);
    }
    if (args.remind) {
        task.intReminder = 1;
        task.datetimeReminder = *ParseDateMinute(*args.remind);
    }
    if (args.note && !IsBlank(*args.note))
        task.strNote = *args.note;
    task.intCategory = NamedCategory(dm, args);
    if (task.intCategory == 0) {
        const std::vector<TMyRec1> categories = LoadCategories(dm);
        if (categories.empty())
            throw StoreError("The database has no category to put the task in.");
        task.intCategory = categories.front().id;
    }
    const int32_t id = InsertTask(dm, task);
    NotifyRunningProgram(dm.DatabasePath(), "reload");
    out << "Added task " << id << ".\n";
}

void ExportTasks(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t category = NamedCategory(dm, args);
    const std::string text =
        *args.format == "ics" ? ExportIcal(dm, category) : ExportCsv(dm, category);
    if (args.output)
        WriteWholeFile(*args.output, text);
    else
        out << text;
}

void ImportFile(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t fallback = NamedCategory(dm, args);
    const std::vector<TImportedTask> tasks = ReadIcalFile(args.operand);
    const TImportResult result = ImportTasks(dm, tasks, fallback);
    NotifyRunningProgram(dm.DatabasePath(), "reload");
    out << "Imported " << result.taskIds.size()
        << (result.taskIds.size() == 1 ? " task" : " tasks");
    for (size_t i = 0; i < result.newCategories.size(); ++i)
        out << (i == 0 ? "; new categories: " : ", ") << result.newCategories[i];
    out << ".\n";
}
