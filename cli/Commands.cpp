// SPDX-License-Identifier: GPL-3.0-or-later

#include "cli/Commands.h"

#include "cli/Lookup.h"
#include "cli/OutputFile.h"
#include "store/dates/DateText.h"
#include "store/db/StoreError.h"
#include "store/exchange/CsvExport.h"
#include "store/exchange/IcalExchange.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"

#include <iostream>
#include <iterator>

namespace {

std::string NameOrRefusal(const std::string& name) {
    const std::string trimmed = TrimName(name);
    if (trimmed.empty())
        throw StoreError("The task's name is empty.");
    return trimmed;
}

// What the options say of a task, written over what it had, with the editor's rules: a
// blank note is none, turning the reminder off turns its sound off.
void ApplyOptions(TDM& dm, const TArguments& args, TTaskEdit& task) {
    if (args.name)
        task.strName = NameOrRefusal(*args.name);
    if (args.category)
        task.intCategory = NamedCategory(dm, *args.category);
    if (args.high || args.normal)
        task.intPriority = args.high ? 0 : 1;
    if (args.due) {
        task.intDue = 1;
        task.dateDue = *ParseDate(*args.due);
    }
    if (args.noDue)
        task.intDue = 0;
    if (args.remind) {
        task.intReminder = 1;
        task.datetimeReminder = *ParseDateMinute(*args.remind);
    }
    if (args.noRemind || args.noSound) {
        task.intReminder = args.noRemind ? 0 : task.intReminder;
        task.intSound = 0;
        task.strSoundFile.clear();
    }
    if (args.sound) {
        if (task.intReminder != 1)
            throw StoreError("The task has no reminder for the sound to play at; give --remind "
                             "too.");
        task.intSound = 1;
        task.strSoundFile = NamedSound(dm, *args.sound);
    }
    if (args.note)
        task.strNote = IsBlank(*args.note) ? std::nullopt : args.note;
    if (args.noNote)
        task.strNote.reset();
}

std::string ReadStandardInput() {
    std::cin >> std::noskipws;
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (std::cin.bad())
        throw StoreError("Cannot read standard input.");
    return text;
}

} // namespace

void AddTask(TDM& dm, const TArguments& args, std::ostream& out) {
    TTaskEdit task = NewTaskEdit();
    task.strName = NameOrRefusal(args.operands.front());
    ApplyOptions(dm, args, task);
    if (!args.category) {
        const std::vector<TMyRec1> categories = LoadCategories(dm);
        if (categories.empty())
            throw StoreError("The database has no category to put the task in.");
        task.intCategory = categories.front().id;
    }
    const int32_t id = InsertTask(dm, task);
    NotifyRunningProgram(dm.DatabasePath(), "reload");
    out << "Added task " << id << ".\n";
}

void EditTask(TDM& dm, const TArguments& args, std::ostream& out) {
    const std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    const TMyRec2& record = tasks[NamedTasks(dm, tasks, args.operands).front()];
    TTaskEdit task = TaskEditOf(record);
    ApplyOptions(dm, args, task);
    UpdateTask(dm, record.id, task);
    NotifyRunningProgram(dm.DatabasePath(), "reload");
    out << "Changed task " << record.id << ".\n";
}

void ExportTasks(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t category = args.category ? NamedCategory(dm, *args.category) : 0;
    const std::string text =
        *args.format == "ics" ? ExportIcal(dm, category) : ExportCsv(dm, category);
    if (args.output)
        WriteWholeFile(*args.output, text);
    else
        out << text;
}

void ImportFile(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t fallback = args.category ? NamedCategory(dm, *args.category) : 0;
    const std::string& file = args.operands.front();
    const std::vector<TImportedTask> tasks =
        file == "-" ? ReadIcalText(ReadStandardInput(), "standard input") : ReadIcalFile(file);
    const TImportResult result = ImportTasks(dm, tasks, fallback);
    if (!result.taskIds.empty() || !result.updatedIds.empty())
        NotifyRunningProgram(dm.DatabasePath(), "reload");
    out << result.taskIds.size() << " added, " << result.updatedIds.size() << " updated, "
        << result.unchanged << " unchanged";
    for (size_t i = 0; i < result.newCategories.size(); ++i)
        out << (i == 0 ? "; new categories: " : ", ") << result.newCategories[i];
    out << ".\n";
}

void ListCategories(TDM& dm, const TArguments&, std::ostream& out) {
    for (const TMyRec1& category : LoadCategories(dm))
        out << category.strName << "\n";
}
