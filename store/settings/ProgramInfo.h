// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the program says of itself, in one place: the about window, the printed report's
// footer, the desktop entry and the package all take it from here.

inline constexpr const char* ProgramName = "Tolvek Organizer";
inline constexpr const char* ProgramVersion = "2.01";
// The maker's home page, shown as the about window's link and printed under every report page.
inline constexpr const char* HomePage = "https://tolvek.example.org/";
// The home page's host in reverse order, as desktops and software centres name a program.
inline constexpr const char* ProgramId = "org.example.tolvek.Organizer";
// The name of the executable, of its icon and of its folders once installed.
inline constexpr const char* ProgramFileName = "tolvek-organizer";
