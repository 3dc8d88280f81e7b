// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <ctime>
#include <functional>

// Date-times are day counts since 1899-12-30 with the time of day as the fraction.

struct TCalendarDate {
    int year = 1899;
    int month = 12;
    int day = 30;
};

// The calendar day of a date-time (the time of day is dropped).
TCalendarDate DecodeDate(double dateTime);
// The day count of a calendar day at midnight.
double EncodeDate(int year, int month, int day);

struct TClockTime {
    TCalendarDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The calendar day and time of day of a date-time, to the nearest second.
TClockTime DecodeDateTime(double dateTime);
double EncodeDateTime(const TClockTime& time);

// The local date-time of a moment of the system clock, and the moment of a local date-time
// (to the second; a local time that a clock change skips or repeats is taken as the system's
// time functions take it).
double LocalDateTime(std::time_t moment);
std::time_t MomentOf(double localDateTime);

// The current local date and time as a day count. Everything that asks "what time is it"
// (due reminders, postponing, the editor's defaults) asks here, so a test can set the time.
double Now();
// Makes Now() answer from source; an empty source restores the system clock.
void SetNowSource(std::function<double()> source);
