// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/civil_time.h"

#include <gtest/gtest.h>

#include <limits>

namespace tarvelo::common {
namespace {

TEST(CivilTime, PlacesRealDatesInTimeAndRefusesImpossibleOnes)
{
    const struct
    {
        const char* row;
        CivilTime time;
        int offsetMinutes;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"the epoch", {1970, 1, 1, 0, 0, 0}, 0, 0},
        {"before the epoch", {1969, 12, 31, 23, 59, 59}, 0, -1},
        {"leap day of a year divisible by 400", {2000, 2, 29, 12, 0, 0}, 0, 951825600},
        {"east of UTC is earlier in UTC", {2003, 5, 1, 14, 0, 0}, 120, 1051790400},
        {"west of UTC is later in UTC", {2003, 5, 1, 7, 0, 0}, -300, 1051790400},
        {"an offset across midnight", {2003, 5, 2, 0, 30, 0}, 780, 1051788600},
        {"the last second of a year", {2155, 12, 31, 23, 59, 59}, 0, 5869583999},
        {"month 13", {2003, 13, 1, 0, 0, 0}, 0, std::nullopt},
        {"month 0", {2003, 0, 1, 0, 0, 0}, 0, std::nullopt},
        {"day 0", {2003, 5, 0, 0, 0, 0}, 0, std::nullopt},
        {"31 April", {2003, 4, 31, 0, 0, 0}, 0, std::nullopt},
        {"29 February of a common year", {1900, 2, 29, 0, 0, 0}, 0, std::nullopt},
        {"hour 24", {2003, 5, 1, 24, 0, 0}, 0, std::nullopt},
        {"minute 60", {2003, 5, 1, 0, 60, 0}, 0, std::nullopt},
        {"second 60", {2003, 5, 1, 0, 0, 60}, 0, std::nullopt},
        {"all zeros, as a writer leaves an unknown date", {0, 0, 0, 0, 0, 0}, 0, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(secondsSinceEpoch(c.time, c.offsetMinutes), c.seconds) << c.row;
}

TEST(CivilTime, WritesMomentsAsIsoTextInUtc)
{
    const struct
    {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {0, "1970-01-01T00:00:00Z"},
        {-1, "1969-12-31T23:59:59Z"},
        {951825600, "2000-02-29T12:00:00Z"},
        {1051790400, "2003-05-01T12:00:00Z"},
        {-2208988800, "1900-01-01T00:00:00Z"},
        {253402300799, "9999-12-31T23:59:59Z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isoUtcText(c.seconds), c.text) << c.seconds;
}

TEST(CivilTime, TextAndDateAgreeOverCenturiesAndTheExtremes)
{
    for (int year = 1600; year <= 2400; year += 37) {
        const CivilTime time{year, 2, year % 4 == 0 && year % 100 != 0 ? 29 : 28, 23, 1, 2};
        const auto seconds = secondsSinceEpoch(time);
        ASSERT_TRUE(seconds) << year;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%04d-02-%02dT23:01:02Z", year, time.day);
        EXPECT_EQ(isoUtcText(*seconds), expected);
    }
    // A host may record any time at all; the text is odd but nothing overflows.
    EXPECT_FALSE(isoUtcText(std::numeric_limits<std::int64_t>::min()).empty());
    EXPECT_FALSE(isoUtcText(std::numeric_limits<std::int64_t>::max()).empty());
}

} // namespace
} // namespace tarvelo::common
