// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/varUnit.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

// Tasks as list and show print them. Every text goes out as valid UTF-8: a byte that is no
// part of a UTF-8 character becomes U+FFFD.

using TTaskUids = std::unordered_map<int32_t, std::string>;

// For people: a line a task with id, done mark, priority, category, due date, reminder and
// name in aligned columns; line breaks and tabs of a name show as spaces.
void WriteTable(const std::vector<TMyRec2>& tasks, std::ostream& out);
// One JSON array of an object a task, with the keys id, uid, name, category, priority ("high"
// or "normal"), done (true or false), due ("YYYY-MM-DD" or null), reminder
// ("YYYY-MM-DDTHH:MM", local time, or null), sound (the file name or null) and note (the whole
// note or null).
void WriteJson(const std::vector<TMyRec2>& tasks, const TTaskUids& uids, std::ostream& out);
// A header line of the same keys, then a line a task, tab-separated: tabs, line breaks and
// backslashes of the texts as \t, \n (\r for a carriage return) and \\, and nothing for null.
void WriteTsv(const std::vector<TMyRec2>& tasks, const TTaskUids& uids, std::ostream& out);
// A text as one field of a tab-separated line, escaped as WriteTsv escapes it.
std::string TsvField(const std::string& text);
// The text as one line of valid UTF-8: its line breaks and tabs as spaces.
std::string AsOneLine(const std::string& text);
// Every field of one task, a line each, the note whole on the lines after "note:".
void WriteTask(const TMyRec2& task, const std::string& uid, std::ostream& out);
