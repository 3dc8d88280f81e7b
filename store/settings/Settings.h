// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The folder of the user's configuration: $XDG_CONFIG_HOME, or ~/.config when it is unset.
std::string ConfigHome();

// The settings file tolvekOrganizer.ini: in the Windows folder on Windows, in
// $XDG_CONFIG_HOME (default ~/.config) elsewhere.
std::string SettingsFilePath();

// The "key=value" lines of a section of a profile file, trimmed, in file order; names match
// without regard to case, and the first line of a key counts.
struct TProfileSection {
    std::vector<std::pair<std::string, std::string>> entries;

    std::optional<std::string> String(const std::string& key) const;
    // A missing key, or a value that is not a whole number, gives the default.
    int32_t Integer(const std::string& key, int32_t defaultValue) const;
    // Any integer but 0 reads as true.
    bool Bool(const std::string& key, bool defaultValue) const;
};

// Reads a section at once; empty when the file or the section is missing.
TProfileSection ReadProfileSection(const std::string& path, const std::string& section);

// Reads a value from a profile file ("[section]" headers, "key=value" lines, names without
// regard to case), trimmed; none when the file, the section or the key is missing.
std::optional<std::string> ReadProfileString(const std::string& path, const std::string& section,
                                             const std::string& key);
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

// Replaces a whole section of a profile file with these keys, in this order (no keys: removes
// the section), keeping every other line as it was; replaced whole as WriteProfileString does.
// A private file is readable and writable by its owner only (0600) from the moment it exists.
void WriteProfileSection(const std::string& path, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& entries,
                         bool privateFile);

// Writes StartWithWindows as "Start" (1 or 0), then DoneBottom, to section "general".
void WriteSettings(const std::string& path);
