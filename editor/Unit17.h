// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/records/TaskWrite.h"
#include "store/varUnit.h"

#include "uikit/SkinnedDialog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimeEdit;
class QToolButton;
class TDM;
class TMainWindowServices;

// The task editor: adds a task or edits one, and on "OK" writes the task and its note to the
// database itself.
//
// Add: set TaskEditorMode to 1 and exec(); the editor resets every control when shown.
// Edit: PrepareEdit(record), then exec(); the show keeps what PrepareEdit put in the controls
// and only refills the lists. Either way, after exec() returns: when EditAccepted is true the
// database holds the task and Results() (with EditTaskId) tells what was saved; when it is
// false nothing was written.
//
// While the editor is shown the main window's reminder check is paused.
class TForm17 : public TSkinnedDialog {
    Q_OBJECT

public:
    TForm17(TDM& dm, TMainWindowServices& mainWindow, QWidget* parent = nullptr);

    // Fills the controls from a task as an edit starts: name, note, priority, due date,
    // reminder and sound, the check boxes running their reactions. Also sets EditTaskId,
    // PresetCategory and PresetSoundFile from the task and TaskEditorMode to 0.
    void PrepareEdit(const TMyRec2& task);

    // What the controls hold, as a save writes it. The name is untrimmed (the store trims it);
    // the note is the text as typed, or none when it is blank. Without a selected category
    // intCategory is 0.
    TTaskEdit Results() const;

    // Reads the categories before the window shows: when the file cannot give them, the error
    // box is the answer and the editor stays closed (Rejected).
    int exec() override;

    // 1: add a new task; 0: edit the task EditTaskId.
    int32_t TaskEditorMode = 1;
    // True only after "OK" saved the task.
    bool EditAccepted = false;
    // The saved task's category row, read by the save itself.
    std::optional<TMyRec1> SavedCategory;
    // True after "OK" found that the database no longer holds the task being edited; the
    // error was shown and the editor closed.
    bool TaskGone = false;
    // Edit: the task being edited. Add: the new task's id after "OK".
    int32_t EditTaskId = 0;
    // The category id of each entry of the category list, in the same order.
    std::vector<int32_t> CategoryIds;
    // Edit: the category selected when the editor is shown.
    int32_t PresetCategory = 0;
    // Edit: the sound file selected when the editor is shown (UTF-8).
    std::string PresetSoundFile;

    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void SpeedButton1Click();
    void BitBtn1Click();
    void BitBtn2Click();

    void setVisible(bool visible) override;

private:
    void FormCreate();
    void CreateControls();
    void NameControls();
    void SetTabOrder();
    void FormShow() override;
    void FormClose() override;
    void ReadCategories();
    void FillCategories();
    void FillSounds();
    void SelectCategory(int32_t id);
    void SetDueDate(bool on, const QDate& date);
    void SetReminder(bool on, const QDate& date, const QTime& time);
    void SetSound(bool on);
    QString NoteText() const;

    TDM& dm_;
    TMainWindowServices& mainWindow_;
    // The category rows the next show lists, read by exec() (or by the show itself).
    std::optional<std::vector<TMyRec1>> categories_;
    // Edit: the note as stored, and as the note box gave it back right after filling it, so
    // that a note left alone is saved with its own bytes.
    std::string storedNote_;
    QString shownNote_;

    // The window's controls are its own; each has its designed name as its object name.
    QLabel* Label2 = nullptr;   // "Task:"
    QLineEdit* Edit1 = nullptr; // name
    QLabel* Label3 = nullptr;   // "Category:"
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr; // "Note:"
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label5 = nullptr; // "Priority:"
    QComboBox* ComboBox2 = nullptr;
    QCheckBox* CheckBox1 = nullptr; // "Due Date:"
    QDateEdit* DateTimePicker1 = nullptr;
    QGroupBox* GroupBox1 = nullptr; // " Remainder "
    QCheckBox* CheckBox2 = nullptr; // "Reminder:"
    QTimeEdit* DateTimePicker2 = nullptr;
    QDateEdit* DateTimePicker3 = nullptr;
    QCheckBox* CheckBox3 = nullptr; // "Sound:"
    QComboBox* ComboBox3 = nullptr;
    QToolButton* SpeedButton1 = nullptr; // play
    QPushButton* BitBtn1 = nullptr;      // "OK"
    QPushButton* BitBtn2 = nullptr;      // "Cancel"
};
