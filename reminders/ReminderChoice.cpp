// SPDX-License-Identifier: GPL-3.0-or-later

#include "reminders/ReminderChoice.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/records/Reminders.h"
#include "store/records/TaskArrays.h"
#include "uikit/MainWindowServices.h"
#include "uikit/MessageBox.h"

#include <QString>

void CarryOutReminderChoice(TTaskArrays& tasks, TMainWindowServices& mainWindow, QWidget* parent,
                            int32_t taskId, TReminderChoice choice, int delayPosition) {
    try {
        switch (choice) {
        case TReminderChoice::Postpone:
            tasks.PostponeReminder(taskId, Now() + ReminderDelay(delayPosition));
            break;
        case TReminderChoice::CancelReminder:
            tasks.CancelReminder(taskId);
            break;
        case TReminderChoice::MarkDone:
            tasks.MarkDone(taskId);
            break;
        }
    } catch (const TaskGoneError& gone) {
        ShowErrorBox(parent, QString::fromUtf8(gone.what()));
        mainWindow.ReloadTaskList();
    }
}
