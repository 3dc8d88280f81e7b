// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/settings/Settings.h"

#include "store/db/PrivateFiles.h"
#include "store/db/StoreError.h"
#include "store/db/TextCompare.h"
#include "store/varUnit.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The platform's line end; either is read.
#ifdef _WIN32
const char* const LineEnd = "\r\n";
#else
const char* const LineEnd = "\n";
#endif

std::string Trim(const std::string& s) {
    const size_t begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return s.substr(begin, s.find_last_not_of(" \t\r\n") + 1 - begin);
}

// The lines of a profile file without their line ends; none for a missing file. A file that is
// there but cannot be read is never replaced: its other sections would be lost with it.
std::vector<std::string> ReadProfileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::error_code ec;
    const bool exists = std::filesystem::exists(path, ec);
    std::ifstream file(path, std::ios::binary);
    if ((exists || ec) && !file)
        throw StoreError("Unable to write to " + path);
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line.size() && line.back() == '\r' ? line.substr(0, line.size() - 1)
                                                           : line);
    if (file.bad())
        throw StoreError("Unable to write to " + path);
    return lines;
}

// Where a section's lines are: its header, and the next section's header or the end.
struct TSectionLines {
    std::optional<size_t> header;
    size_t end = 0;
};

TSectionLines FindSection(const std::vector<std::string>& lines, const std::string& section) {
    TSectionLines found{std::nullopt, lines.size()};
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string text = Trim(lines[i]);
        if (text.empty() || text.front() != '[')
            continue;
        if (found.header) {
            found.end = i;
            break;
        }
        const size_t close = text.find(']');
        if (close != std::string::npos && SameName(Trim(text.substr(1, close - 1)), section))
            found.header = i;
    }
    return found;
}

// Replaces the file whole, so it is never left half written. A new file, and its folder when
// a new account has none yet, are the user's alone from the moment they exist; an existing
// file keeps the mode its owner gave it, except a private one, which stays closed to others.
void ReplaceProfileFile(const std::string& path, const std::vector<std::string>& lines,
                        bool privateFile) {
    std::ostringstream text;
    for (const std::string& line : lines)
        text << line << LineEnd;
    const std::string partial = path + ".new";
    std::error_code ec;
    std::filesystem::remove(partial, ec);
    try {
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty() && !std::filesystem::exists(folder, ec))
            CreatePrivateFolders(folder.string());
        CreatePrivateFile(partial);
        const auto status = std::filesystem::status(path, ec);
        if (!privateFile && !ec && std::filesystem::is_regular_file(status))
            std::filesystem::permissions(partial, status.permissions(), ec);
    } catch (const StoreError&) {
        throw StoreError("Unable to write to " + path);
    }
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text.str();
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(partial, ec);
            throw StoreError("Unable to write to " + path);
        }
    }
    std::filesystem::rename(partial, path, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        throw StoreError("Unable to write to " + path);
    }
}

} // namespace

TProfileSection ReadProfileSection(const std::string& path, const std::string& section) {
    TProfileSection entries;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    bool inSection = false;
    bool firstLine = true;
    while (std::getline(file, line)) {
        if (firstLine && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);
        firstLine = false;
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';')
            continue;
        if (text.front() == '[') {
            const size_t close = text.find(']');
            inSection =
                close != std::string::npos && SameName(Trim(text.substr(1, close - 1)), section);
            continue;
        }
        const size_t equals = text.find('=');
        if (inSection && equals != std::string::npos)
            entries.entries.emplace_back(Trim(text.substr(0, equals)),
                                         Trim(text.substr(equals + 1)));
    }
    return entries;
}

std::optional<std::string> TProfileSection::String(const std::string& key) const {
    for (const auto& [name, value] : entries)
        if (SameName(name, key))
            return value;
    return std::nullopt;
}

int32_t TProfileSection::Integer(const std::string& key, int32_t defaultValue) const {
    const auto value = String(key);
    if (!value || value->empty())
        return defaultValue;
    errno = 0;
    char* end = nullptr;
    const long long number = std::strtoll(value->c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < std::numeric_limits<int32_t>::min() ||
        number > std::numeric_limits<int32_t>::max())
        return defaultValue;
    return static_cast<int32_t>(number);
}

bool TProfileSection::Bool(const std::string& key, bool defaultValue) const {
    return Integer(key, defaultValue ? 1 : 0) != 0;
}

std::optional<std::string> ReadProfileString(const std::string& path, const std::string& section,
                                             const std::string& key) {
    return ReadProfileSection(path, section).String(key);
}

std::string ConfigHome() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return config;
    const char* home = std::getenv("HOME");
    return (std::filesystem::path(home ? home : ".") / ".config").string();
}

std::string SettingsFilePath() {
#ifdef _WIN32
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return (std::filesystem::path(folder) / "tolvekOrganizer.ini").string();
#else
    return (std::filesystem::path(ConfigHome()) / "tolvekOrganizer.ini").string();
#endif
}

int32_t ReadProfileInteger(const std::string& path, const std::string& section,
                           const std::string& key, int32_t defaultValue) {
    return ReadProfileSection(path, section).Integer(key, defaultValue);
}

bool ReadProfileBool(const std::string& path, const std::string& section, const std::string& key,
                     bool defaultValue) {
    return ReadProfileSection(path, section).Bool(key, defaultValue);
}

void ReadSettings(const std::string& path) {
    const TProfileSection general = ReadProfileSection(path, "general");
    StartWithWindows = general.Bool("Start", true);
    DoneBottom = general.Integer("DoneBottom", 1);
}

void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::vector<std::string> lines = ReadProfileLines(path);
    const std::string entry = key + "=" + value;
    const TSectionLines found = FindSection(lines, section);
    bool written = false;
    if (found.header) {
        for (size_t i = *found.header + 1; i < found.end && !written; ++i) {
            const std::string text = Trim(lines[i]);
            const size_t equals = text.find('=');
            if (!text.empty() && text[0] != ';' && equals != std::string::npos &&
                SameName(Trim(text.substr(0, equals)), key)) {
                lines[i] = entry;
                written = true;
            }
        }
        if (!written) {
            // After the section's last line that is not blank.
            size_t at = found.end;
            while (at > *found.header + 1 && Trim(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
        }
    } else {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    }
    ReplaceProfileFile(path, lines, false);
}

void WriteProfileSection(const std::string& path, const std::string& section,
                         const std::vector<std::pair<std::string, std::string>>& entries,
                         bool privateFile) {
    std::vector<std::string> lines = ReadProfileLines(path);
    std::vector<std::string> replacement;
    if (!entries.empty()) {
        replacement.push_back("[" + section + "]");
        for (const auto& [key, value] : entries)
            replacement.push_back(key + "=" + value);
    }
    const TSectionLines found = FindSection(lines, section);
    const auto begin =
        lines.begin() + static_cast<std::ptrdiff_t>(found.header.value_or(lines.size()));
    const auto end =
        lines.begin() + static_cast<std::ptrdiff_t>(found.header ? found.end : lines.size());
    lines.insert(lines.erase(begin, end), replacement.begin(), replacement.end());
    ReplaceProfileFile(path, lines, privateFile);
}

void WriteSettings(const std::string& path) {
    WriteProfileString(path, "general", "Start", StartWithWindows ? "1" : "0");
    WriteProfileString(path, "general", "DoneBottom", std::to_string(DoneBottom));
}
