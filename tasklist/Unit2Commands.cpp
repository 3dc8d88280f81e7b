// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/Unit2.h"

#include "editor/Unit17.h"
#include "printing/Unit18.h"
#include "store/db/StoreError.h"
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

int TForm2::FocusedRow() const {
    const QModelIndex current = vdt_->currentIndex();
    return current.isValid() && model_.Task(current.row()) ? current.row() : -1;
}

void TForm2::BitBtn1Click() {
    taskEditor_.TaskEditorMode = 1;
    taskEditor_.exec();
    if (!taskEditor_.EditAccepted)
        return;
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
    taskEditor_.PrepareEdit(ShownTasks[static_cast<size_t>(row)]);
    taskEditor_.exec();
    if (taskEditor_.TaskGone) {
        LoadTasks(LoadedCategory);
        return;
    }
    if (!taskEditor_.EditAccepted)
        return;
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
    const int row = FocusedRow();
    if (row < 0) {
        ShowErrorBox(this, "You have not selected the task you want to delete!");
        return;
    }
    if (!AskConfirm(this, "The selected task will be deleted, are you sure?"))
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
