// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>

// Dates and reminder times as text, the way the list shows them: "2024-03-05" and
// "2024-03-05 14:30" (local time).

std::string FormatDate(double date);
// To the minute: the time to the nearest second, without the seconds.
std::string FormatDateMinute(double dateTime);

// "YYYY-MM-DD" as a day count; none for anything else or for a day the calendar lacks.
std::optional<double> ParseDate(const std::string& text);
// "YYYY-MM-DD HH:MM" as a date-time; none for anything else.
std::optional<double> ParseDateMinute(const std::string& text);
