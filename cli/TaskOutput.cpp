// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TaskOutput.h"

#include "store/dates/DateText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <utility>

namespace {

// The length of the UTF-8 character at text[at], 0 when none starts there (a stray byte, a
// cut or overlong sequence, a surrogate).
size_t CharacterLength(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead < 0xC2 || lead > 0xF4 || at + length > text.size())
        return 0;
    uint32_t code = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(at + i) & 0x3Fu);
    }
    const uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

std::string ValidUtf8(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharacterLength(text, at);
        out += length ? text.substr(at, length) : "\xEF\xBF\xBD";
        at += length ? length : 1;
    }
    return out;
}

// Characters, not bytes, so that columns line up under non-Latin names.
size_t Width(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Padded(const std::string& text, size_t width) {
    return text + std::string(width - std::min(width, Width(text)), ' ');
}

struct TField {
    enum TKind { Number, Text, Flag };
    const char* key;
    TKind kind;
    // None for null.
    std::optional<std::string> value;
};

std::array<TField, 10> Fields(const TMyRec2& task, const std::string& uid) {
    using F = TField;
    std::optional<std::string> reminder;
    if (task.intReminder == 1) {
        reminder = FormatDateMinute(task.datetimeReminder);
        (*reminder)[10] = 'T';
    }
    return {{
        {"id", F::Number, std::to_string(task.id)},
        {"uid", F::Text, uid},
        {"name", F::Text, task.strName},
        {"category", F::Text, task.strCategory},
        {"priority", F::Text, task.intPriority == 0 ? "high" : "normal"},
        {"done", F::Flag, task.intDone == 1 ? "true" : "false"},
        {"due", F::Text, task.intDue == 1 ? std::optional(FormatDate(task.dateDue)) : std::nullopt},
        {"reminder", F::Text, reminder},
        {"sound", F::Text,
         task.intSound == 1 && !task.strSoundFile.empty() ? std::optional(task.strSoundFile)
                                                          : std::nullopt},
        {"note", F::Text, task.intMemo == 1 ? std::optional(task.strNote) : std::nullopt},
    }};
}

// The text with a backslash, a line feed, a carriage return and a tab escaped by a backslash,
// and for JSON also a double quote and the other control characters.
std::string Escaped(const std::string& text, bool json) {
    std::string out;
    for (char c : ValidUtf8(text)) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\\' || (json && c == '"')) {
            out += '\\';
            out += c;
        } else if (c == '\n' || c == '\r' || c == '\t') {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (json && code < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", code);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string JsonString(const std::string& text) {
    std::string quoted(1, '"');
    quoted += Escaped(text, true);
    quoted += '"';
    return quoted;
}

} // namespace

std::string TsvField(const std::string& text) {
    return Escaped(text, false);
}

std::string AsOneLine(const std::string& text) {
    std::string line = ValidUtf8(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return line;
}

void WriteTable(const std::vector<TMyRec2>& tasks, std::ostream& out) {
    size_t idWidth = 1, categoryWidth = 1;
    for (const TMyRec2& task : tasks) {
        idWidth = std::max(idWidth, std::to_string(task.id).size());
        categoryWidth = std::max(categoryWidth, Width(AsOneLine(task.strCategory)));
    }
    for (const TMyRec2& task : tasks) {
        const std::string id = std::to_string(task.id);
        out << std::string(idWidth - id.size(), ' ') << id << "  "
            << (task.intDone == 1 ? "[x]" : "[ ]") << "  "
            << (task.intPriority == 0 ? "High  " : "Normal") << "  "
            << Padded(AsOneLine(task.strCategory), categoryWidth) << "  "
            << Padded(task.intDue == 1 ? FormatDate(task.dateDue) : "-", 10) << "  "
            << Padded(task.intReminder == 1 ? FormatDateMinute(task.datetimeReminder) : "-", 16)
            << "  " << AsOneLine(task.strName) << "\n";
    }
}

void WriteJson(const std::vector<TMyRec2>& tasks, const TTaskUids& uids, std::ostream& out) {
    out << "[";
    for (size_t i = 0; i < tasks.size(); ++i) {
        out << (i == 0 ? "\n  {" : ",\n  {");
        bool first = true;
        for (const TField& field : Fields(tasks[i], uids.at(tasks[i].id))) {
            out << (first ? "" : ", ") << JsonString(field.key) << ": ";
            if (!field.value)
                out << "null";
            else
                out << (field.kind == TField::Text ? JsonString(*field.value) : *field.value);
            first = false;
        }
        out << "}";
    }
    out << (tasks.empty() ? "]\n" : "\n]\n");
}

void WriteTsv(const std::vector<TMyRec2>& tasks, const TTaskUids& uids, std::ostream& out) {
    const TMyRec2 none;
    bool first = true;
    for (const TField& field : Fields(none, ""))
        out << (std::exchange(first, false) ? "" : "\t") << field.key;
    out << "\n";
    for (const TMyRec2& task : tasks) {
        first = true;
        for (const TField& field : Fields(task, uids.at(task.id)))
            out << (std::exchange(first, false) ? "" : "\t") << TsvField(field.value.value_or(""));
        out << "\n";
    }
}

void WriteTask(const TMyRec2& task, const std::string& uid, std::ostream& out) {
    const auto line = [&](const char* key, const std::string& value) {
        out << Padded(std::string(key) + ":", 10) << ValidUtf8(value) << "\n";
    };
    line("id", std::to_string(task.id));
    line("uid", uid);
    line("name", task.strName);
    line("category", task.strCategory);
    line("priority", task.intPriority == 0 ? "High" : "Normal");
    line("done", task.intDone == 1 ? "yes" : "no");
    line("due", task.intDue == 1 ? FormatDate(task.dateDue) : "-");
    line("reminder", task.intReminder == 1 ? FormatDateMinute(task.datetimeReminder) : "-");
    line("sound", task.intSound == 1 && !task.strSoundFile.empty() ? task.strSoundFile : "-");
    if (task.intMemo != 1) {
        line("note", "-");
        return;
    }
    out << "note:\n" << ValidUtf8(task.strNote);
    if (!task.strNote.empty() && task.strNote.back() != '\n')
        out << "\n";
}
