// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/dates/DateText.h"

#include "store/dates/dateUnit.h"

#include <cctype>
#include <cstdio>

namespace {

// Reads exactly `digits` digits at text[at].
std::optional<int> Number(const std::string& text, size_t at, size_t digits) {
    if (at + digits > text.size())
        return std::nullopt;
    int value = 0;
    for (size_t i = at; i < at + digits; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<double> DatePart(const std::string& text) {
    const auto year = Number(text, 0, 4), month = Number(text, 5, 2), day = Number(text, 8, 2);
    if (!year || !month || !day || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const double date = EncodeDate(*year, *month, *day);
    const TCalendarDate back = DecodeDate(date);
    if (back.year != *year || back.month != *month || back.day != *day)
        return std::nullopt;
    return date;
}

} // namespace

std::string FormatDate(double date) {
    const TCalendarDate day = DecodeDate(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year, day.month, day.day);
    return text;
}

std::string FormatDateMinute(double dateTime) {
    const TClockTime time = DecodeDateTime(dateTime);
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", time.date.year, time.date.month,
                  time.date.day, time.hour, time.minute);
    return text;
}

std::optional<double> ParseDate(const std::string& text) {
    if (text.size() != 10)
        return std::nullopt;
    return DatePart(text);
}

std::optional<double> ParseDateMinute(const std::string& text) {
    if (text.size() != 16 || text[10] != ' ' || text[13] != ':')
        return std::nullopt;
    const auto date = DatePart(text.substr(0, 10));
    const auto hour = Number(text, 11, 2), minute = Number(text, 14, 2);
    if (!date || !hour || !minute || *hour > 23 || *minute > 59)
        return std::nullopt;
    return *date + (*hour * 60 + *minute) / 1440.0;
}
