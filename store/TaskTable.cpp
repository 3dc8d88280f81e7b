#include "store/TaskTable.h"

#include "store/TableAccess.h"
#include "store/funUnit.h"

std::vector<TMyRec2> ReadAllTasks(TDM& dm) {
    std::vector<TMyRec2> all;
    TTableCursor& table = dm.ADOTable1;

    OpenTable(table, "t_task");
    table.SetSort("Id ASC");
    const int id = table.FieldIndex("id"), name = table.FieldIndex("strName"),
              categoryId = table.FieldIndex("intCategory"),
              priority = table.FieldIndex("intPriority"), due = table.FieldIndex("intDue"),
              dateDue = table.FieldIndex("dateDue"), reminder = table.FieldIndex("intReminder"),
              datetimeReminder = table.FieldIndex("datetimeReminder"),
              sound = table.FieldIndex("intSound"), soundFile = table.FieldIndex("strSoundFile"),
              done = table.FieldIndex("intDone"), memo = table.FieldIndex("intMemo");
    all.reserve(static_cast<size_t>(table.RecordCount()));
    for (table.First(); !table.Eof(); table.Next()) {
        TMyRec2& task = all.emplace_back();
        task.id = table.AsInteger(id);
        task.strName = table.AsString(name);
        task.intCategory = table.AsInteger(categoryId);
        task.intPriority = table.AsInteger(priority);
        task.intDue = table.AsInteger(due);
        task.dateDue = table.AsFloat(dateDue);
        task.intReminder = table.AsInteger(reminder);
        task.datetimeReminder = table.AsFloat(datetimeReminder);
        task.intSound = table.AsInteger(sound);
        task.strSoundFile = table.AsString(soundFile);
        task.intDone = table.AsInteger(done);
        task.intMemo = table.AsInteger(memo);
    }
    table.SetSort("");
    table.Close();

    OpenTable(table, "t_note");
    for (TMyRec2& task : all)
        if (task.intMemo > 0 && table.Locate("idTask", task.id))
            task.strNote = table.AsString("strNote");
    table.Close();

    OpenTable(table, "t_category");
    for (TMyRec2& task : all)
        if (table.Locate("id", task.intCategory)) {
            task.strCategory = table.AsString("strName");
            task.intImg = table.AsInteger("intImg");
            task.intPos = table.AsInteger("intPos");
        }
    table.Close();
    return all;
}

void LoadTaskArrays(TDM& dm, int32_t category, int sortColumn, int32_t sortOrder,
                    std::vector<TMyRec2>& allTasks, std::vector<TMyRec2>& shownTasks) {
    allTasks.clear();
    shownTasks.clear();
    std::vector<TMyRec2> all = ReadAllTasks(dm);
    std::vector<TMyRec2> shown;
    if (category > 0) {
        for (const TMyRec2& task : all)
            if (task.intCategory == category)
                shown.push_back(task);
    } else {
        shown = all;
    }

    if (sortColumn >= 0 && sortColumn <= 4) {
        SortOrder = sortOrder;
        const int kind = sortColumn + 1;
        SortTasks(shown,
                  [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); });
    } else if (DoneBottom == 1) {
        SortOrder = -1;
        SortTasks(shown, CompareDone);
    }
    allTasks = std::move(all);
    shownTasks = std::move(shown);
}

std::vector<TMyRec1> LoadCategories(TDM& dm) {
    std::vector<TMyRec1> categories;
    TTableCursor& table = dm.ADOTable1;
    table.Close();
    OpenTable(table, "t_category");
    table.SetSort("intPos ASC");
    for (table.First(); !table.Eof(); table.Next()) {
        TMyRec1& category = categories.emplace_back();
        category.id = table.AsInteger("id");
        category.strName = table.AsString("strName");
        category.intImg = table.AsInteger("intImg");
        category.intPos = table.AsInteger("intPos");
    }
    table.SetSort("");
    table.Close();
    return categories;
}
