// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include "uikit/SkinnedDialog.h"

#include <vector>

class QAction;
class QPushButton;
class QTableWidget;
class QToolBar;
class TDM;
class TForm16;

// The category manager: lists the categories in their order and adds, edits, deletes and
// reorders them, writing every change to t_category at once. Adding and editing go through
// the category editor. Shown with exec(); it takes nothing and returns nothing, so the caller
// rebuilds whatever shows categories once it has closed.
class TForm15 : public TSkinnedDialog {
    Q_OBJECT

public:
    TForm15(TDM& dm, TForm16& editor, QWidget* parent = nullptr);

    // The categories of the list, one per row in row order, while the window is shown.
    const std::vector<TMyRec1>& Categories() const { return categories_; }

    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton5Click();
    void ToolButton6Click();
    void VSTDblClick();
    void BitBtn1Click();

private:
    void FormCreate();
    void CreateControls();
    void FormShow() override;
    void FormClose() override;
    void ShowRow(int row);
    void FocusRow(int row);
    // The focused row, or -1 when none is.
    int FocusedRow() const;

    TDM& dm_;
    TForm16& editor_;
    std::vector<TMyRec1> categories_;

    // The window's controls are its own; each has its designed name as its object name.
    QToolBar* ToolBar1 = nullptr;
    QAction* ToolButton1 = nullptr; // "Add"
    QAction* ToolButton2 = nullptr; // "Edit"
    QAction* ToolButton3 = nullptr; // "Delete"
    QAction* ToolButton5 = nullptr; // "Move up"
    QAction* ToolButton6 = nullptr; // "Move down"
    QTableWidget* VST = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Close"
};
