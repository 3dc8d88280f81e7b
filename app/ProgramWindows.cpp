// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/ProgramWindows.h"

TProgramWindows::TProgramWindows(TDM& dm, const TStartOptions& start)
    : tasks_(dm), reminderPopup_(*this, tasks_), categoryManager_(dm, categoryEditor_),
      taskEditor_(dm, *this), printSettings_(tasks_, printPreview_), syncWindow_(dm),
      mainWindow_(dm, tasks_, start,
                  TOpenedWindows{reminderPopup_, about_, options_, categoryManager_, taskEditor_,
                                 printSettings_, syncWindow_}) {}

void TProgramWindows::PauseReminderCheck() {
    mainWindow_.PauseReminderCheck();
}

void TProgramWindows::ResumeReminderCheck() {
    mainWindow_.ResumeReminderCheck();
}

int32_t TProgramWindows::CategoryShown() const {
    return mainWindow_.CategoryShown();
}

void TProgramWindows::ReloadTaskList() {
    mainWindow_.ReloadTaskList();
}

void TProgramWindows::ShowOrganizer() {
    mainWindow_.ShowOrganizer();
}
