#include "tasklist/Unit2.h"

#include "app/MessageBox.h"
#include "editor/Unit17.h"
#include "store/TaskWrite.h"
#include "store/funUnit.h"

#include <QTreeView>
#include <algorithm>

// The commands change the database first; the records and rows follow only once the
// database has taken the change, so the list never shows what the file does not hold.

int TForm2::FocusedRow() const {
    const QModelIndex current = vdt_->currentIndex();
    return current.isValid() && model_.Task(current.row()) ? current.row() : -1;
}

void TForm2::BitBtn1Click() {
    Form17->TaskEditorMode = 1;
    Form17->exec();
    if (!Form17->EditAccepted)
        return;
    TMyRec2 task;
    task.id = Form17->EditTaskId;
    ApplyEdit(task, Form17->Results());
    task.intDone = 0;
    CopyCategoryFields(dm_, task, true);
    AllTasks.push_back(task);
    // Listed at the end whatever category is shown, until the next reload.
    ShownTasks.push_back(task);
    model_.AppendRow();
    FocusRow(FindTask(ShownTasks, task.id));
}

void TForm2::BitBtn2Click() {
    const int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "You have not selected the task you want to edit!");
        return;
    }
    const int32_t id = ShownTasks[static_cast<size_t>(row)].id;
    Form17->PrepareEdit(ShownTasks[static_cast<size_t>(row)]);
    Form17->exec();
    if (!Form17->EditAccepted)
        return;
    const TTaskEdit results = Form17->Results();
    for (TMyRec2& task : AllTasks)
        if (task.id == id) {
            ApplyEdit(task, results);
            CopyCategoryFields(dm_, task, false);
        }
    // The editor ran its own event loop; the row still holds the same task.
    TMyRec2& shown = ShownTasks[static_cast<size_t>(row)];
    ApplyEdit(shown, results);
    CopyCategoryFields(dm_, shown, false);
    ReinitNode(row);
}

void TForm2::VDTDblClick() {
    if (FocusedRow() >= 0)
        BitBtn2Click();
}

void TForm2::BitBtn3Click() {
    const int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "You have not selected the task you want to delete!");
        return;
    }
    if (!AskConfirm(this, "The selected task will be deleted, are you sure?"))
        return;
    const int32_t id = ShownTasks[static_cast<size_t>(row)].id;
    DeleteTask(dm_, id);
    if (const int all = FindTask(AllTasks, id); all >= 0)
        AllTasks.erase(AllTasks.begin() + all);
    ShownTasks.erase(ShownTasks.begin() + row);
    model_.RemoveRow(row);
    if (!ShownTasks.empty())
        FocusRow(std::min(row, static_cast<int>(ShownTasks.size()) - 1));
}

void TForm2::BitBtn4Click() {
    if (ShownTasks.empty())
        ShowErrorBox(this, "No Tasks!");
}

void TForm2::VDTChecked(int row, bool checked) {
    if (SettingCheck == 1)
        return;
    TMyRec2& task = ShownTasks.at(static_cast<size_t>(row));
    const int32_t done = checked ? 1 : 0;
    try {
        WriteDoneMark(dm_, task.id, done);
    } catch (...) {
        // The box goes back to what the record, and the file, still say.
        ReinitNode(row);
        throw;
    }
    task.intDone = done;
    if (const int all = FindTask(AllTasks, task.id); all >= 0)
        AllTasks[static_cast<size_t>(all)].intDone = done;
    vdt_->viewport()->update();
    FocusRow(row);
}
