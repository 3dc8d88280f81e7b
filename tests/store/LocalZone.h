// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Sets the local time zone for as long as it lives. A POSIX rule needs no zone files:
// "EST5EDT,M3.2.0,M11.1.0" is New York's zone with its clock changes.
class LocalZone {
public:
    explicit LocalZone(const char* rule) {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", rule, 1);
        ::tzset();
    }
    ~LocalZone() {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    LocalZone(const LocalZone&) = delete;
    LocalZone& operator=(const LocalZone&) = delete;

private:
    std::optional<std::string> old_;
};

inline constexpr const char* NewYork = "EST5EDT,M3.2.0,M11.1.0";
