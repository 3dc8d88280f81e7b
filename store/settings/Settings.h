// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

// The settings file tolvekOrganizer.ini: in the Windows folder on Windows, in
// $XDG_CONFIG_HOME (default ~/.config) elsewhere.
std::string SettingsFilePath();

// Reads an integer from a profile file ("[section]" headers, "key=value" lines, names
// without regard to case). A missing file, section or key, or a value that is not a
// whole number, gives the default.
int32_t ReadProfileInteger(const std::string& path, const std::string& section,
                           const std::string& key, int32_t defaultValue);
// Any integer but 0 reads as true.
bool ReadProfileBool(const std::string& path, const std::string& section, const std::string& key,
                     bool defaultValue);

// Reads "Start" and "DoneBottom" of section "general" into StartWithWindows and DoneBottom.
// The file is never created here.
void ReadSettings(const std::string& path);

// Sets a key of a profile file, creating the folder (0700), the file (0600), the section or
// the key as needed and keeping every other line as it was, with the platform's line ends. An
// existing file keeps its mode. The file is replaced whole, so it is never left half written;
// throws StoreError "Unable to write to <path>" when it cannot be written.
void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// Writes StartWithWindows as "Start" (1 or 0), then DoneBottom, to section "general".
void WriteSettings(const std::string& path);
