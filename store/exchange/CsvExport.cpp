// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/exchange/CsvExport.h"

#include "store/dates/DateText.h"
#include "store/records/TaskTable.h"

#include <initializer_list>

namespace {

// A field goes in quotes when it holds a separator, a quote or a line break; quotes inside
// are doubled, and line breaks are kept as they are.
std::string Field(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

void AppendRecord(std::string& out, std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& field : fields) {
        if (!first)
            out += ',';
        out += Field(field);
        first = false;
    }
    out += "\r\n";
}

} // namespace

std::string ExportCsv(TDM& dm, int32_t category) {
    std::string out;
    AppendRecord(out,
                 {"Name", "Category", "Priority", "Done", "Due date", "Reminder", "Sound", "Note"});
    for (const TMyRec2& task : ReadAllTasks(dm)) {
        if (category > 0 && task.intCategory != category)
            continue;
        AppendRecord(
            out,
            {task.strName, task.strCategory, task.intPriority == 0 ? "High" : "Normal",
             task.intDone == 1 ? "yes" : "no", task.intDue == 1 ? FormatDate(task.dateDue) : "",
             task.intReminder == 1 ? FormatDateMinute(task.datetimeReminder) : "",
             task.intSound == 1 ? task.strSoundFile : "", task.intMemo == 1 ? task.strNote : ""});
    }
    return out;
}
