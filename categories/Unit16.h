// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"
#include "uikit/SkinnedDialog.h"

#include <array>
#include <cstdint>
#include <string>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// The category editor: one category's name and icon, for a new category or an existing one.
// It writes nothing; the category manager reads the results after exec() returns.
//
// Add: set CategoryEditorMode to 1 and exec(). Edit: PrepareEdit(category), then exec().
// Afterwards, when CategoryAccepted is true, CategoryName() is the name as typed and
// CategoryIcon the chosen icon.
class TForm16 : public TSkinnedDialog {
    Q_OBJECT

public:
    explicit TForm16(QWidget* parent = nullptr);

    // Puts a category's name into the name box and its icon into CategoryIcon, and sets
    // CategoryEditorMode to 0.
    void PrepareEdit(const TMyRec1& category);
    // The name box's text as typed (UTF-8).
    std::string CategoryName() const;

    // 1: add a new category; 0: edit an existing one.
    int32_t CategoryEditorMode = 1;
    // The icon number, 1 to 10.
    int32_t CategoryIcon = 1;
    // True only after the window closed through "OK".
    bool CategoryAccepted = false;

    // Icon button n is SpeedButtons[n - 1].

    void BitBtn1Click();
    void BitBtn2Click();

    void setVisible(bool visible) override;

private:
    void FormCreate();
    void CreateControls();
    void FormShow() override;
    void SetTitle(const QString& title);

    QButtonGroup* icons_ = nullptr;

    // The window's controls are its own; each has its designed name as its object name.
    QLabel* Label2 = nullptr;   // "Category Name:"
    QLineEdit* Edit1 = nullptr; // the name
    QLabel* Label3 = nullptr;   // "Select Icon:"
    std::array<QToolButton*, 10> SpeedButtons{};
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"
};
