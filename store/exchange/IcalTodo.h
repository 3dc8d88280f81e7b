// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/exchange/IcalExchange.h"
#include "store/exchange/IcalHandle.h"
#include "store/varUnit.h"

#include <libical/ical.h>
#include <optional>
#include <string>
#include <vector>

// The mapping between a task and a VTODO, both ways, that the import, the export and the sync
// share, so that a field means the same whichever way it travels. The import also sends a task
// there and back to see which of its fields a to-do of a file changes.

inline constexpr const char* IcalProductId = "-//Tolvek Organizer//Tasks//EN";

// Reading (IcalImport.cpp).

// Every component at the top of the text. Throws StoreError, naming sourceName, when the text
// is not iCalendar, is cut before its last component ends, or is damaged.
std::vector<TIcalComponent> ParseIcalComponents(const std::string& text,
                                                const std::string& sourceName);
// What a VTODO says of its task; its reminder is the first alarm whose time can be told.
TImportedTask ReadTodo(icalcomponent* todo);
// The local date-time of a time of the file: a date at midnight, a floating time as it stands,
// a time in a zone or in UTC moved into the local zone.
double LocalTimeOf(const icaltimetype& time);
// The time of a DUE or DTSTART, its TZID looked up in the calendar's VTIMEZONE; none when the
// to-do has none that can be read.
std::optional<icaltimetype> TimeOf(icalcomponent* todo, icalproperty_kind kind);
// An audio alarm's sound: sets intSound, and strSoundFile to the file name its ATTACH ends in.
// Any other alarm leaves the task alone.
void ReadAlarmSound(icalcomponent* alarm, TTaskEdit& task);

// Writing (IcalExport.cpp).

// The task as a new VTODO with that UID and DTSTAMP; the caller frees it.
icalcomponent* MakeTodo(const TMyRec2& task, const std::string& uid, icaltimetype stamp);
// A day count as a date without a time.
icaltimetype IcalDate(double day);
// A note with every line break as a line feed: libical writes a carriage return as nothing.
std::string WithLineFeeds(const std::string& text);
// The task's reminder as an alarm at an absolute time: an audio alarm naming the sound file, or
// a display alarm with the task's name. The caller owns it.
icalcomponent* MakeReminderAlarm(const TMyRec2& task);
