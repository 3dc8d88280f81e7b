// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"
#include "uikit/SkinnedDialog.h"

#include <cstdint>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TMainWindowServices;
class TTaskArrays;

// The reminder popup: shows a due task and, when it closes however it is closed, carries out
// the chosen operation on the task's records and row: postpone, cancel the reminder, mark
// done, or ask the caller to edit the task.
class TForm3 : public TSkinnedDialog {
    Q_OBJECT

public:
    TForm3(TMainWindowServices& mainWindow, TTaskArrays& tasks, QWidget* parent = nullptr);

    // Puts the due task into the popup before it is shown: TaskId, and its name and note into
    // their boxes.
    void Announce(const TMyRec2& task);

    // The task the popup works on.
    int32_t TaskId = 0;
    // Read by the caller after the close: "Edit the task." was chosen for a loaded task.
    bool EditRequested = false;

    void RadioButton4Click();
    void BitBtn1Click();

public slots:
    // Esc does nothing: the popup only closes by carrying out an operation.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow() override;
    void FormClose() override;

    TMainWindowServices& main_;
    TTaskArrays& tasks_;

    // The window's controls are its own; each has its designed name as its object name.
    QLineEdit* Edit1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};
