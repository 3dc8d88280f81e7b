// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The entry that starts the program, quietly in the notification area ("/ws"), when the user
// logs on. On Windows a value of the machine's Run key; elsewhere an autostart entry in the
// user's configuration folder, which runs the executable by its absolute path and shows the
// menu entry's icon. An entry of the user's own that cannot be written throws
// std::runtime_error ("Failed to set data for 'Tolvek Organizer'"): the user would believe the
// program starts at log-on. The machine's Run key needs rights a user may lack, so there
// nothing is reported.
void AddAutostartEntry(const QString& executablePath);
void RemoveAutostartEntry();

// Where the autostart entry lives outside Windows.
QString AutostartEntryPath();
