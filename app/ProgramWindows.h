// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/Unit1.h"
#include "categories/Unit15.h"
#include "categories/Unit16.h"
#include "editor/Unit17.h"
#include "options/Unit12.h"
#include "options/Unit14.h"
#include "printing/Unit18.h"
#include "printing/Unit19.h"
#include "reminders/Unit3.h"
#include "store/records/TaskArrays.h"
#include "syncing/FormSync.h"
#include "uikit/MainWindowServices.h"

class TDM;

// The program's windows, each made once, here, and reused until the program ends; each gets
// what it works on as it is made. The program and the tests make them the same way.
//
// The main window comes last. Its creation reads the settings, loads the task list, starts
// the reminder check and builds the category menu; the windows made before it read nothing as
// they are made, so the start-up reads, loads and shows what it always did, in the same order.
// The task editor and the reminder popup pause the main window's reminder check and ask it
// what it shows; made before it, they reach it through this object, which passes their calls
// on.
class TProgramWindows final : private TMainWindowServices {
public:
    TProgramWindows(TDM& dm, const TStartOptions& start);

    TForm1& MainWindow() { return mainWindow_; }
    // The task records, which the task list window shows and every window changes through.
    TTaskArrays& Tasks() { return tasks_; }
    TForm3& ReminderPopup() { return reminderPopup_; }
    TForm12& About() { return about_; }
    TForm14& Options() { return options_; }
    TForm15& CategoryManager() { return categoryManager_; }
    TForm16& CategoryEditor() { return categoryEditor_; }
    TForm17& TaskEditor() { return taskEditor_; }
    TForm18& PrintSettings() { return printSettings_; }
    TFormSync& SyncWindow() { return syncWindow_; }

private:
    void PauseReminderCheck() override;
    void ResumeReminderCheck() override;
    int32_t CategoryShown() const override;
    void ReloadTaskList() override;
    void ShowOrganizer() override;

    TTaskArrays tasks_;
    TForm3 reminderPopup_;
    TForm12 about_;
    TForm14 options_;
    TForm16 categoryEditor_;
    TForm15 categoryManager_;
    TForm17 taskEditor_;
    TForm19 printPreview_;
    TForm18 printSettings_;
    TFormSync syncWindow_;
    TForm1 mainWindow_;
};
