// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarvelo::common {

// A date and a time of day as a disc records them, before they are placed in time.
struct CivilTime
{
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;   // 1 to the month's length
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The moment a civil time names in a zone offsetMinutes east of UTC, in seconds since
// 1970-01-01 00:00 UTC; nothing when it names no moment at all (month 13, 31 April,
// 29 February of a common year, hour 24), which is how a damaged date shows.
std::optional<std::int64_t> secondsSinceEpoch(const CivilTime& time, int offsetMinutes = 0);

// A moment as ISO 8601 in UTC, to the second: "2003-05-01T12:00:00Z".
std::string isoUtcText(std::int64_t seconds);

} // namespace tarvelo::common
