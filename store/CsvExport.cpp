#include "store/CsvExport.h"

#include "store/DateText.h"
#include "store/TaskTable.h"

#include <initializer_list>
#include <string_view>

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

// A spreadsheet takes a cell that begins with one of these for a formula (a tab or a carriage
// return may hide one): such a text cell goes out with a leading apostrophe, so that it stays
// text when opened there.
std::string Text(const std::string& text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        return "'" + text;
    return text;
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
    using std::to_string;
    std::string out;
    AppendRecord(out, {"id", "strName", "intCategory", "intPriority", "intDone", "intDue",
                       "dateDue", "intReminder", "datetimeReminder", "intSound", "strSoundFile",
                       "intMemo", "strCategory", "strNote"});
    for (const TMyRec2& task : ReadAllTasks(dm)) {
        if (category > 0 && task.intCategory != category)
            continue;
        AppendRecord(out,
                     {to_string(task.id), Text(task.strName), to_string(task.intCategory),
                      to_string(task.intPriority), to_string(task.intDone), to_string(task.intDue),
                      task.intDue == 1 ? FormatDate(task.dateDue) : "", to_string(task.intReminder),
                      task.intReminder == 1 ? FormatDateMinute(task.datetimeReminder) : "",
                      to_string(task.intSound), Text(task.strSoundFile), to_string(task.intMemo),
                      Text(task.strCategory), Text(task.strNote)});
    }
    return out;
}
