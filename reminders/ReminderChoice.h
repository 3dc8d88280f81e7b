// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

class QWidget;
class TMainWindowServices;
class TTaskArrays;

// What the user can do to a due reminder without editing its task.
enum class TReminderChoice { Postpone, CancelReminder, MarkDone };

// The one place where a reminder's answer changes its task, whichever road it came by (the
// reminder popup, a notification's buttons): the records' owner writes the file and then the
// records and the list's row. Postpone reckons from now by the delay list's position. A task
// no longer loaded changes nothing; one gone from the file is told over parent, and the list is
// read again.
void CarryOutReminderChoice(TTaskArrays& tasks, TMainWindowServices& mainWindow, QWidget* parent,
                            int32_t taskId, TReminderChoice choice, int delayPosition = 0);
