// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class TFrameController;
class TMainWindowServices;
class TTaskArrays;

// The reminder popup: shows a due task and, when it closes however it is closed, carries out
// the chosen operation on the task's records and row: postpone, cancel the reminder, mark
// done, or ask the caller to edit the task.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    TForm3(TMainWindowServices& mainWindow, TTaskArrays& tasks, QWidget* parent = nullptr);

    // Set by the caller before showing: the task and the texts of its boxes.
    int32_t TaskId = 0;
    // Read by the caller after the close: "Edit the task." was chosen for a loaded task.
    bool EditRequested = false;

    QLineEdit* Edit1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TFrameController* Frame = nullptr;

    void RadioButton4Click();
    void BitBtn1Click();

public slots:
    // Esc does nothing: the popup only closes by carrying out an operation.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();

    TMainWindowServices& main_;
    TTaskArrays& tasks_;
};
