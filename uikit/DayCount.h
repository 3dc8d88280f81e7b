// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

// Conversions between the program's day counts (days since 1899-12-30, the time of day as the
// fraction, local time) and Qt's dates and times, to the millisecond. A fraction that rounds
// up to a whole day gives the next day at midnight.

// The calendar day of a day count.
QDate DayCountToDate(double dayCount);
// The time of day of a day count.
QTime DayCountToTime(double dayCount);
// Both, as a local date-time.
QDateTime DayCountToDateTime(double dayCount);

// The day count of a date at midnight.
double DateToDayCount(const QDate& date);
// The day count of a date at a time of day.
double DateTimeToDayCount(const QDate& date, const QTime& time);
double DateTimeToDayCount(const QDateTime& dateTime);
