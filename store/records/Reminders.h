// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <string>
#include <vector>

// Whether the task's reminder is due at `now`: not done, reminder on (exactly 1) and its time
// strictly earlier than now.
bool ReminderDue(const TMyRec2& task, double now);

// Position of the first task at or after `from` whose reminder is due at `now`; -1 when there
// is none.
int FindDueTask(const std::vector<TMyRec2>& tasks, int from, double now);

// The balloon text of a reminder: the note as stored, or a single carriage return for a
// blank note, since a balloon with an empty text is not shown at all.
std::string BalloonText(const std::string& note);

// The choices of "Reminder again after": how much later, as a fraction of a day, for each
// position of the list. Outside 0 to 10 the shortest delay.
double ReminderDelay(int position);
