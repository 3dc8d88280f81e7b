// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's pictures, painted in code so that every one of them is our own.

// Category icon 1 to 10 (16 by 16, transparent ground); any other number gives a null pixmap.
QPixmap CategoryIcon(int number);
// What category icon 1 to 10 shows, in a few words, for those who hear it instead ("a light
// bulb"); empty for any other number.
QString CategoryIconName(int number);
// The "P" column picture: a red exclamation mark in a white bubble, 16 by 16.
QPixmap HighPriorityPicture();
// The "R" column picture: a clock over a sheet of paper, 16 by 16.
QPixmap ReminderPicture();
// The pictures of the task list buttons "Add", "Edit", "Delete" and "Print...", 16 by 16.
QPixmap AddPicture();
QPixmap EditPicture();
QPixmap DeletePicture();
QPixmap PrintPicture();
// The about window's banner, 275 by 90: the program's name in large blue lettering with a
// light outline, on a transparent ground.
QPixmap AboutBanner();
// The program icon, for the windows and the notification area (16, 32 and 48 pixels).
QIcon ProgramIcon();
// The program icon painted at any size, as the installed icon theme gets it.
QImage ProgramIconImage(int size);
