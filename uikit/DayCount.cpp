// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/DayCount.h"

#include "store/dates/dateUnit.h"

#include <cmath>
#include <utility>

namespace {

constexpr long long MillisecondsPerDay = 86400000;

// The day and the time of day are split once, so that rounding the time up to midnight
// moves the day along with it.
std::pair<QDate, QTime> Split(double dayCount) {
    const TCalendarDate day = DecodeDate(dayCount);
    QDate date(day.year, day.month, day.day);
    // Before 1899-12-30 the count is negative but its fraction still runs forward from
    // midnight, so the time of day is the fraction's size whatever its sign.
    long long milliseconds =
        std::llround(std::fabs(dayCount - std::trunc(dayCount)) * MillisecondsPerDay);
    if (milliseconds >= MillisecondsPerDay) {
        date = date.addDays(1);
        milliseconds -= MillisecondsPerDay;
    }
    return {date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds))};
}

} // namespace

QDate DayCountToDate(double dayCount) {
    return Split(dayCount).first;
}

QTime DayCountToTime(double dayCount) {
    return Split(dayCount).second;
}

QDateTime DayCountToDateTime(double dayCount) {
    const auto [date, time] = Split(dayCount);
    return QDateTime(date, time);
}

double DateToDayCount(const QDate& date) {
    return EncodeDate(date.year(), date.month(), date.day());
}

double DateTimeToDayCount(const QDate& date, const QTime& time) {
    const double day = DateToDayCount(date);
    const double fraction = static_cast<double>(time.msecsSinceStartOfDay()) / MillisecondsPerDay;
    return day < 0 ? day - fraction : day + fraction;
}

double DateTimeToDayCount(const QDateTime& dateTime) {
    return DateTimeToDayCount(dateTime.date(), dateTime.time());
}
