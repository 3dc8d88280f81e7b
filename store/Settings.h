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
