// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/records/Reminders.h"

#include "store/records/TaskWrite.h"

#include <array>

bool ReminderDue(const TMyRec2& task, double now) {
    return task.intDone == 0 && task.intReminder == 1 && now > task.datetimeReminder;
}

int FindDueTask(const std::vector<TMyRec2>& tasks, int from, double now) {
    for (size_t k = from < 0 ? 0 : static_cast<size_t>(from); k < tasks.size(); ++k)
        if (ReminderDue(tasks[k], now))
            return static_cast<int>(k);
    return -1;
}

std::string BalloonText(const std::string& note) {
    return IsBlank(note) ? "\r" : note;
}

double ReminderDelay(int position) {
    static constexpr std::array<double, 11> Minutes{5,   10,  15,  30,  60,  120,
                                                    180, 360, 540, 720, 1440};
    if (position < 0 || position >= static_cast<int>(Minutes.size()))
        position = 0;
    return Minutes[static_cast<size_t>(position)] / 1440.0;
}
