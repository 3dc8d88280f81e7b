// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/LocalZone.h"

#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"

#include <gtest/gtest.h>

namespace {

TEST(DateText, FormatsDaysAndMinutes) {
    EXPECT_EQ(FormatDate(EncodeDate(2024, 3, 5)), "2024-03-05");
    EXPECT_EQ(FormatDate(EncodeDate(2024, 3, 5) + 0.99), "2024-03-05");
    EXPECT_EQ(FormatDateMinute(EncodeDate(2024, 3, 5) + (14 * 60 + 30) / 1440.0),
              "2024-03-05 14:30");
    // A day count a hair below the next minute, as sums of fractions give, is that minute.
    EXPECT_EQ(FormatDateMinute(EncodeDate(2024, 12, 31) + 1 - 1e-9), "2025-01-01 00:00");
}

TEST(DateText, ParsesOnlyRealDaysAndTimesInTheListForm) {
    EXPECT_EQ(ParseDate("2024-02-29"), EncodeDate(2024, 2, 29));
    EXPECT_EQ(ParseDateMinute("2024-02-29 23:59"), EncodeDate(2024, 2, 29) + 1439 / 1440.0);
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-00-10", "2024-1-5", "24-01-05",
                            "2024-01-05 ", "2024/01/05", "", "2024-01-0x"})
        EXPECT_FALSE(ParseDate(bad)) << bad;
    for (const char* bad : {"2024-01-05 24:00", "2024-01-05 12:60", "2024-01-05 9:30",
                            "2024-01-05T09:30", "2024-01-05 09:30:00", "2024-02-30 10:00"})
        EXPECT_FALSE(ParseDateMinute(bad)) << bad;
}

TEST(DateText, LocalTimesFollowTheZoneAndItsClockChanges) {
    LocalZone zone(NewYork);
    // 2024-01-15 12:00 UTC is 07:00 in winter, 2024-07-15 12:00 UTC is 08:00 in summer.
    EXPECT_EQ(FormatDateMinute(LocalDateTime(1705320000)), "2024-01-15 07:00");
    EXPECT_EQ(FormatDateMinute(LocalDateTime(1721044800)), "2024-07-15 08:00");
    EXPECT_EQ(MomentOf(EncodeDate(2024, 7, 15) + 8 / 24.0), 1721044800);
    const double withSeconds = EncodeDateTime({{2024, 3, 10}, 12, 34, 56});
    EXPECT_EQ(LocalDateTime(MomentOf(withSeconds)), withSeconds);
}

} // namespace
