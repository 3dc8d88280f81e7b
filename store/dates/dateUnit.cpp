// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/dates/dateUnit.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace {
// Day 0 of the count is 1899-12-30, which is day -25569 counted from 1970-01-01.
constexpr long long DaysFrom1970To1899 = 25569;

// Civil calendar from days since 1970-01-01 (proleptic Gregorian).
TCalendarDate CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

long long DaysFromCivil(int year, int month, int day) {
    const long long y = month <= 2 ? year - 1 : year;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = month > 2 ? month - 3 : month + 9;
    const long long doy = (153 * mp + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
} // namespace

TCalendarDate DecodeDate(double dateTime) {
    // The day is the whole part, cut toward zero: before 1899-12-30 the fraction still
    // counts forward from midnight.
    return CivilFromDays(static_cast<long long>(std::trunc(dateTime)) - DaysFrom1970To1899);
}

double EncodeDate(int year, int month, int day) {
    return static_cast<double>(DaysFromCivil(year, month, day) + DaysFrom1970To1899);
}

TClockTime DecodeDateTime(double dateTime) {
    double day = std::trunc(dateTime);
    long long seconds = std::llround(std::abs(dateTime - day) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += 1;
    }
    TClockTime time;
    time.date = DecodeDate(day);
    time.hour = static_cast<int>(seconds / 3600);
    time.minute = static_cast<int>(seconds / 60 % 60);
    time.second = static_cast<int>(seconds % 60);
    return time;
}

double EncodeDateTime(const TClockTime& time) {
    return EncodeDate(time.date.year, time.date.month, time.date.day) +
           (time.hour * 3600.0 + time.minute * 60.0 + time.second) / 86400.0;
}

double LocalDateTime(std::time_t moment) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
#else
    localtime_r(&moment, &local);
#endif
    return EncodeDateTime({{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday},
                           local.tm_hour,
                           local.tm_min,
                           local.tm_sec});
}

std::time_t MomentOf(double localDateTime) {
    const TClockTime time = DecodeDateTime(localDateTime);
    std::tm local{};
    local.tm_year = time.date.year - 1900;
    local.tm_mon = time.date.month - 1;
    local.tm_mday = time.date.day;
    local.tm_hour = time.hour;
    local.tm_min = time.minute;
    local.tm_sec = time.second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

namespace {

double SystemNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const double fraction =
        static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000) /
        1000.0;
    return LocalDateTime(system_clock::to_time_t(now)) + fraction / 86400.0;
}

std::function<double()>& NowSource() {
    static std::function<double()> source;
    return source;
}

} // namespace

double Now() {
    return NowSource() ? NowSource()() : SystemNow();
}

void SetNowSource(std::function<double()> source) {
    NowSource() = std::move(source);
}
