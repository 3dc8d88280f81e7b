// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/Unit2.h"

#include "editor/Unit17.h"
#include "printing/Unit18.h"
#include "store/db/StoreError.h"
#include "store/funUnit.h"
#include "uikit/MainWindowServices.h"
#include "uikit/MessageBox.h"

#include <QKeyEvent>
#include <QTreeView>

// The commands change the database first (the editor, or the records' owner); the records
// and rows follow only once the database has taken the change, so the list never shows what
// the file does not hold.

void TForm2::ShowTaskGone(const TaskGoneError& gone) {
    // Another program removed the task: say so, and show what the file holds.
    ShowErrorBox(this, QString::fromUtf8(gone.what()));
    LoadTasks(LoadedCategory);
}

// A reload of the file (after a sync, or asked for by tolvek-tasks) waits until no modal
// window is open, but it can run in the last round of a modal window's own event loop, just
// before the command that opened it goes on: the rows that command read before are then
// gone, and the records already hold what the window saved.
bool TForm2::ReloadedSince(uint64_t loads) const {
    return tasks_.LoadCount() != loads;
}

int TForm2::FocusedRow() const {
    const QModelIndex current = vdt_->currentIndex();
    return current.isValid() && model_.Task(current.row()) ? current.row() : -1;
}

void TForm2::BitBtn1Click() {
    taskEditor_.TaskEditorMode = 1;
    const uint64_t loads = tasks_.LoadCount();
    taskEditor_.exec();
    if (!taskEditor_.EditAccepted)
        return;
    if (ReloadedSince(loads)) {
        FocusRow(FindTask(ShownTasks, taskEditor_.EditTaskId));
        return;
    }
    // Listed at the end whatever category is shown, until the next reload.
    tasks_.Add(taskEditor_.EditTaskId, taskEditor_.Results(), taskEditor_.SavedCategory);
    FocusRow(static_cast<int>(ShownTasks.size()) - 1);
}

void TForm2::BitBtn2Click() {
    const int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "You have not selected the task you want to edit!");
        return;
    }
    const int32_t id = ShownTasks[static_cast<size_t>(row)].id;
    taskEditor_.PrepareEdit(ShownTasks[static_cast<size_t>(row)]);
    const uint64_t loads = tasks_.LoadCount();
    taskEditor_.exec();
    if (taskEditor_.TaskGone) {
        LoadTasks(LoadedCategory);
        return;
    }
    if (!taskEditor_.EditAccepted)
        return;
    if (ReloadedSince(loads)) {
        FocusRow(FindTask(ShownTasks, id));
        return;
    }
    // The editor ran its own event loop; the row still holds the same task.
    tasks_.EditFromList(row, taskEditor_.Results(), taskEditor_.SavedCategory);
}

void TForm2::VDTDblClick() {
    if (FocusedRow() >= 0)
        BitBtn2Click();
}

bool TForm2::VDTKeyDown(const QKeyEvent& key) {
    // The keys alone: with Ctrl, Alt or Shift they mean something else, or nothing here.
    if (key.modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        BitBtn2Click();
        return true;
    case Qt::Key_Delete:
        BitBtn3Click();
        return true;
    case Qt::Key_Space:
        // Through the check box, as a click on it: the same rules and the same write.
        if (const int row = FocusedRow(); row >= 0) {
            const QModelIndex box = model_.index(row, 0);
            const bool checked =
                box.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
            model_.setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    default:
        return false;
    }
}

void TForm2::BitBtn3Click() {
    int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "You have not selected the task you want to delete!");
        return;
    }
    const int32_t id = ShownTasks[static_cast<size_t>(row)].id;
    const uint64_t loads = tasks_.LoadCount();
    if (!AskConfirm(this, "The selected task will be deleted, are you sure?"))
        return;
    // The task the user was asked about, wherever it is now; gone already, nothing to do.
    if (ReloadedSince(loads) && (row = FindTask(ShownTasks, id)) < 0)
        return;
    try {
        tasks_.Delete(row);
    } catch (const TaskGoneError& gone) {
        ShowTaskGone(gone);
        return;
    }
    if (const int next = tasks_.RowAfterDelete(row); next >= 0)
        FocusRow(next);
}

void TForm2::BitBtn4Click() {
    if (ShownTasks.empty()) {
        ShowErrorBox(this, "No Tasks!");
        return;
    }
    // With one category shown, the report is headed by the name the first row was loaded with.
    printSettings_.AllCategories = mainWindow_.CategoryShown() == 0;
    printSettings_.CategoryName =
        printSettings_.AllCategories ? std::string() : ShownTasks.front().strCategory;
    printSettings_.exec();
}

void TForm2::VDTChecked(int row, bool checked) {
    if (SettingCheck == 1)
        return;
    try {
        tasks_.SetDone(row, checked ? 1 : 0);
    } catch (const TaskGoneError& gone) {
        ShowTaskGone(gone);
        return;
    } catch (...) {
        // The box goes back to what the record, and the file, still say.
        ReinitNode(row);
        throw;
    }
    FocusRow(row);
}
