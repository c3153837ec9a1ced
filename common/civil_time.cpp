// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/civil_time.h"

#include <cstdio>

namespace tarvelo::common {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 0000-03-01 to 1970-01-01 in the proleptic Gregorian calendar; counting years
// from March puts the leap day last, so a year's day number needs no leap test.
constexpr std::int64_t kEpochDay = 719468;
constexpr std::int64_t kDaysPerEra = 146097; // 400 years

bool isLeapYear(std::int64_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(std::int64_t year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t floorDivide(std::int64_t value, std::int64_t divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floorDivide(year, 400);
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPerEra + dayOfEra - kEpochDay;
}

struct CivilDate
{
    std::int64_t year = 0;
    int month = 0;
    int day = 0;
};

CivilDate civilFromDays(std::int64_t days)
{
    days += kEpochDay;
    const std::int64_t era = floorDivide(days, kDaysPerEra);
    const std::int64_t dayOfEra = days - era * kDaysPerEra;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const auto month =
        static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month,
            static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1)};
}

} // namespace

std::optional<std::int64_t> secondsSinceEpoch(const CivilTime& time, int offsetMinutes)
{
    if (time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > daysInMonth(time.year, time.month) || time.hour < 0 || time.hour > 23 ||
        time.minute < 0 || time.minute > 59 || time.second < 0 || time.second > 59)
        return std::nullopt;
    return daysFromCivil(time.year, time.month, time.day) * kSecondsPerDay +
           (time.hour * 60 + time.minute - offsetMinutes) * std::int64_t{60} + time.second;
}

std::string isoUtcText(std::int64_t seconds)
{
    const std::int64_t days = floorDivide(seconds, kSecondsPerDay);
    const std::int64_t remainder = seconds % kSecondsPerDay; // days * 86400 may not fit
    const std::int64_t ofDay = remainder < 0 ? remainder + kSecondsPerDay : remainder;
    const CivilDate date = civilFromDays(days);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ",
                  static_cast<long long>(date.year), date.month, date.day,
                  static_cast<int>(ofDay / 3600), static_cast<int>(ofDay / 60 % 60),
                  static_cast<int>(ofDay % 60));
    return text;
}

} // namespace tarvelo::common
