#pragma once

#include <QString>

// The entry that starts the program, quietly in the notification area ("/ws"), when the user
// logs on. On Windows a value of the machine's Run key; elsewhere an autostart entry in the
// user's configuration folder, which runs the executable by its absolute path and shows the
// menu entry's icon. Neither call reports a failure: without the right to write the entry,
// nothing changes.
void AddAutostartEntry(const QString& executablePath);
void RemoveAutostartEntry();

// Where the autostart entry lives outside Windows.
QString AutostartEntryPath();
