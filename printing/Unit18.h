// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "uikit/SkinnedDialog.h"

#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TForm19;
class TTaskArrays;

// The print settings window: which columns and groupings the task report has, which tasks it
// holds, and on which paper it is printed. "Preview" and "Print" hand the settings and fresh
// copies of the shown tasks to the print preview window, which shows the report or prints it
// at once; the window stays open after either.
//
// Set AllCategories and CategoryName, then exec(). The task options are reset at every
// showing; the page size and orientation keep the user's choice for the rest of the run.
class TForm18 : public TSkinnedDialog {
    Q_OBJECT

public:
    TForm18(const TTaskArrays& tasks, TForm19& preview, QWidget* parent = nullptr);

    // True when the main window shows all categories.
    bool AllCategories = true;
    // With one category shown, its name (UTF-8).
    std::string CategoryName;
    // The page size group has had its first values.
    bool SizeInitialised = false;

    void CheckBox5Click(); // "Separate Categories"
    void ComboBox1Change();
    // The size box check, when the focus leaves a box: a size is tidied at once, a text that
    // is not one is reported as soon as the focus has moved, and the focus goes back to the
    // box. Moving on to a button that hands the report over (or closes the window) only tidies
    // the text: the hand-over reports what is wrong with it.
    void SizeBoxExit(QLineEdit* box, bool report);
    void BitBtn1Click(); // "Print"
    void BitBtn2Click(); // "Preview"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void NameControls();
    void SetTabOrder();
    void FormShow() override;
    void HandOver(bool preview);
    void Refuse(QLineEdit* box, const char* message);

    const TTaskArrays& tasks_;
    // The print preview window the report goes to.
    TForm19& preview_;

    // The window's controls are its own; each has its designed name as its object name.
    QGroupBox* GroupBox1 = nullptr;       // " Task Options "
    QCheckBox* CheckBox1 = nullptr;       // "Print Priority column"
    QCheckBox* CheckBox2 = nullptr;       // "Print Category column"
    QCheckBox* CheckBox3 = nullptr;       // "Print Reminder column"
    QCheckBox* CheckBox4 = nullptr;       // "Print Due Date column"
    QCheckBox* CheckBox5 = nullptr;       // "Separate Categories"
    QCheckBox* CheckBox6 = nullptr;       // "Print each category on a new page"
    QCheckBox* CheckBox7 = nullptr;       // "Print only uncompleted tasks"
    QCheckBox* CheckBox8 = nullptr;       // "Print task notes"
    QGroupBox* GroupBox2 = nullptr;       // " Print Options "
    QLabel* Label2 = nullptr;             // "Orientation:"
    QRadioButton* RadioButton1 = nullptr; // "Portrait"
    QRadioButton* RadioButton2 = nullptr; // "Landscape"
    QLabel* Label3 = nullptr;             // "Page size:"
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr; // "Height:"
    QLineEdit* Edit1 = nullptr;
    QLabel* Label5 = nullptr; // "cm."
    QLabel* Label6 = nullptr; // "Width:"
    QLineEdit* Edit2 = nullptr;
    QLabel* Label7 = nullptr;       // "cm."
    QPushButton* BitBtn1 = nullptr; // "Print"
    QPushButton* BitBtn2 = nullptr; // "Preview"
    QPushButton* BitBtn3 = nullptr; // "Close"
};
