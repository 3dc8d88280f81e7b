// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "store/records/TaskArrays.h"
#include "store/varUnit.h"
#include "tasklist/TaskListModel.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QTreeView;
class QDropEvent;
class QKeyEvent;
class QMimeData;
class TBitBtn;
class TaskGoneError;
class TForm17;
class TForm18;
class TMainWindowServices;

// The task list window, docked into the main window: the list VDT of the tasks of one
// category or of all, sortable by a click on any column header, above the buttons "Add",
// "Edit", "Delete" and "Print...". It shows the task records the rest of the program reads,
// and every change to them goes through it or through their owner.
class TForm2 : public QWidget {
    Q_OBJECT

    // First, so that the views below refer to arrays that exist.
    TTaskArrays& tasks_;

public:
    // Builds the window's controls over the task records; nothing is read before FormCreate.
    // "Add" and "Edit" open the task editor, "Print..." the print settings; the main window
    // tells the category it shows.
    TForm2(TDM& dm, TTaskArrays& tasks, TForm17& taskEditor, TForm18& printSettings,
           const TMainWindowServices& mainWindow, QWidget* parent = nullptr);

    // Applies the window's colours, loads every task and then starts the reminder check.
    // A failing load throws before the reminder check is started.
    void FormCreate(const std::function<void()>& startReminderCheck);

    // Reloads both task arrays from the database with the tasks of a category (0 or below:
    // all of them) in the header's order, then selects and focuses the first row. When the
    // database fails the arrays stay empty, the list has no rows, LoadedCategory keeps its
    // value and the error propagates.
    void LoadTasks(int32_t category);
    // LoadTasks of the category shown, for a file that changed behind the list's back: the
    // focused task keeps the focus wherever it is now, if it is still listed.
    void ReloadKeepingFocus();

    // The handler of a click on a column header: sets the sort column and direction,
    // reorders the rows and keeps the focused task selected at its new row.
    void VDTHeaderClick(int column);

    // Reads the row's check box again from its record and repaints the row.
    void ReinitNode(int row);

    // The owner of the task records: every change to them goes through it.
    TTaskArrays& Tasks() { return tasks_; }

    // The commands of the list: "Add", "Edit" (also a double click on a row), "Delete",
    // "Print..." and the done check box of a row.
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void VDTDblClick();
    void VDTChecked(int row, bool checked);
    // A key pressed in the list: Enter or F2 edits the focused task, Delete deletes it (after
    // the confirmation), Space turns its check box over as a click does. True when the key was
    // one of these. Insert and Ctrl+N add a task anywhere in the window; the list moves its
    // focus by the arrows, Home, End, Page Up and Page Down by itself.
    bool VDTKeyDown(const QKeyEvent& key);
    // A drag over the list: iCalendar files are taken; a drop of them imports their to-dos
    // after asking, then reloads the list.
    bool VDTDragOver(QDropEvent* event);
    void VDTDragDrop(const QMimeData* data);

signals:
    // Tasks came in with categories of their own: the category menu reads them again.
    void CategoriesChanged();
    // LoadTasks read the records without an error.
    void TasksLoaded();

public:
    // Every task in id order; the reminder check scans it.
    const std::vector<TMyRec2>& AllTasks;
    // The rows of the list: row i shows entry i.
    const std::vector<TMyRec2>& ShownTasks;
    // The category of the last load, 0 for all.
    int32_t LoadedCategory = 0;
    int32_t RowHeight = 20;
    // 1 while a check box is set from its record, so that the change is not taken for a click.
    int32_t SettingCheck = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormPaint();
    void FormResize();
    void VDTInitNode(int row);
    int VDTMeasureItem() const;
    void VDTFocusChanged(const QModelIndex& current);
    void VDTResize();
    void FocusRow(int row);
    bool ReloadedSince(uint64_t loads) const;
    void CreateKeys();
    int FocusedRow() const;
    void ShowTaskGone(const TaskGoneError& gone);

    TDM& dm_;
    TForm17& taskEditor_;
    TForm18& printSettings_;
    const TMainWindowServices& mainWindow_;
    TTaskListModel model_{ShownTasks};
    // The window's controls are its own; each has its designed name as its object name.
    QTreeView* vdt_;   // VDT
    TBitBtn* bitBtn1_; // BitBtn1 "Add"
    TBitBtn* bitBtn2_; // BitBtn2 "Edit"
    TBitBtn* bitBtn3_; // BitBtn3 "Delete"
    TBitBtn* bitBtn4_; // BitBtn4 "Print..."
};
