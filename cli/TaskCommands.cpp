// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"

#include "cli/Lookup.h"
#include "cli/TaskOutput.h"
#include "cli/TextSearch.h"
#include "store/dates/DateText.h"
#include "store/funUnit.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/records/TaskWrite.h"
#include "store/settings/Settings.h"

#include <cmath>

namespace {

// Whether the task passes every filter the options set.
bool Wanted(const TMyRec2& task, const TArguments& args, int32_t category) {
    if (category > 0 && task.intCategory != category)
        return false;
    if ((args.open && task.intDone == 1) || (args.done && task.intDone != 1))
        return false;
    // Before the day, not on it: a due date with a time of day still counts as its day.
    if (args.dueBefore &&
        (task.intDue != 1 || std::floor(task.dateDue) >= *ParseDate(*args.dueBefore)))
        return false;
    return !args.search || HoldsIgnoringCase(task.strName, *args.search) ||
           (task.intMemo == 1 && HoldsIgnoringCase(task.strNote, *args.search));
}

// The list's column a --sort names: its kind for CompareTasks.
int SortKind(const std::string& sort) {
    return sort == "name"       ? 1
           : sort == "priority" ? 2
           : sort == "category" ? 3
           : sort == "reminder" ? 4
                                : 5;
}

std::string Quoted(const TMyRec2& task) {
    return "task " + std::to_string(task.id) + " (" + AsOneLine(task.strName) + ")";
}

} // namespace

void ListTasks(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t category = args.category ? NamedCategory(dm, *args.category) : 0;
    std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    std::erase_if(tasks, [&](const TMyRec2& task) { return !Wanted(task, args, category); });
    if (args.sort) {
        // Ascending, with done tasks last when the organizer's settings keep them at the bottom.
        ReadSettings(SettingsFilePath());
        SortOrder = -1;
        const int kind = SortKind(*args.sort);
        SortTasks(tasks,
                  [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); });
    }
    const std::string format = args.format.value_or("table");
    if (format == "table") {
        WriteTable(tasks, out);
        return;
    }
    // A task that another program deleted between the two reads is left out.
    const TTaskUids uids = ReadTaskUids(dm);
    std::erase_if(tasks, [&](const TMyRec2& task) { return !uids.contains(task.id); });
    if (format == "json")
        WriteJson(tasks, uids, out);
    else
        WriteTsv(tasks, uids, out);
}

void ShowTask(TDM& dm, const TArguments& args, std::ostream& out) {
    const TTaskUids uids = ReadTaskUids(dm);
    const std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    const TMyRec2& task = tasks[NamedTasks(dm, tasks, args.operands).front()];
    const auto uid = uids.find(task.id);
    WriteTask(task, uid != uids.end() ? uid->second : std::string(), out);
}

void MarkTasks(TDM& dm, const TArguments& args, std::ostream& out) {
    const int32_t done = args.command == "done" ? 1 : 0;
    const std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    std::vector<int32_t> ids;
    for (size_t position : NamedTasks(dm, tasks, args.operands))
        ids.push_back(tasks[position].id);
    WriteDoneMarks(dm, ids, done);
    NotifyRunningProgram(dm.DatabasePath(), "reload");
    for (int32_t id : ids)
        out << "Task " << id << (done ? " is done.\n" : " is not done.\n");
}

void DeleteNamedTasks(TDM& dm, const TArguments& args, std::ostream& out) {
    const std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    const std::vector<size_t> named = NamedTasks(dm, tasks, args.operands);
    std::vector<int32_t> ids;
    for (size_t position : named)
        ids.push_back(tasks[position].id);
    if (!args.dryRun) {
        DeleteTasks(dm, ids);
        NotifyRunningProgram(dm.DatabasePath(), "reload");
    }
    for (size_t position : named)
        out << (args.dryRun ? "Would delete " : "Deleted ") << Quoted(tasks[position]) << ".\n";
}
