// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_records.h"
#include "tests/image/iso_image_builder.h"

#include <gtest/gtest.h>

#include <map>

namespace tarvelo::image::iso9660 {
namespace {

using test::IsoRecord;
using test::systemUseEntry;
using Bytes7 = std::array<std::uint8_t, 7>;

constexpr std::int64_t kNoonUtc = 1051790400; // 2003-05-01 12:00:00 UTC
constexpr std::uint8_t kTwoHoursEast = 8;
constexpr std::uint8_t kFiveHoursWest = static_cast<std::uint8_t>(-20);

TEST(IsoDates, RecordDatesAreMovedToUtcByTheirZone)
{
    const struct
    {
        const char* row;
        Bytes7 date;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"in UTC", {103, 5, 1, 12, 0, 0, 0}, kNoonUtc},
        {"two hours east", {103, 5, 1, 14, 0, 0, kTwoHoursEast}, kNoonUtc},
        {"five hours west", {103, 5, 1, 7, 0, 0, kFiveHoursWest}, kNoonUtc},
        {"the last year the field holds", {255, 12, 31, 23, 59, 59, 0}, 5869583999},
        {"a zone past 13 hours is ignored", {103, 5, 1, 12, 0, 0, 53}, kNoonUtc},
        {"month 13", {103, 13, 1, 12, 0, 0, 0}, std::nullopt},
        {"30 February", {103, 2, 30, 12, 0, 0, 0}, std::nullopt},
        {"not recorded", {0, 0, 0, 0, 0, 0, 0}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeShortDate(c.date), c.seconds) << c.row;
}

std::vector<std::uint8_t> longDate(const std::string& digits, std::uint8_t zone)
{
    std::vector<std::uint8_t> date(digits.begin(), digits.end());
    date.push_back(zone);
    return date;
}

TEST(IsoDates, LongFormDatesAreDigitsWithAZone)
{
    const struct
    {
        const char* row;
        std::vector<std::uint8_t> date;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"in UTC", longDate("2003050112000000", 0), kNoonUtc},
        {"two hours east", longDate("2003050114000099", kTwoHoursEast), kNoonUtc},
        {"five hours west", longDate("2003050107000000", kFiveHoursWest), kNoonUtc},
        {"not recorded", longDate("0000000000000000", 0), std::nullopt},
        {"a letter in the year", longDate("20O3050112000000", 0), std::nullopt},
        {"month 13", longDate("2003130112000000", 0), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeLongDate(c.date), c.seconds) << c.row;
}

// The "TF" entry with the given flags and times, each as bytes of its form.
std::vector<std::uint8_t> timesEntry(std::uint8_t flags,
                                     const std::vector<std::vector<std::uint8_t>>& times)
{
    std::vector<std::uint8_t> data{flags};
    for (const auto& time : times)
        data.insert(data.end(), time.begin(), time.end());
    return systemUseEntry("TF", data);
}

constexpr std::uint8_t kCreation = 0x01;
constexpr std::uint8_t kModify = 0x02;
constexpr std::uint8_t kAccess = 0x04;
constexpr std::uint8_t kLongForm = 0x80;
const std::vector<std::uint8_t> kShortNoon{103, 5, 1, 12, 0, 0, 0};
const std::vector<std::uint8_t> kShortMidnight{103, 5, 1, 0, 0, 0, 0};
const std::vector<std::uint8_t> kShortMonth13{103, 13, 1, 12, 0, 0, 0};
constexpr Bytes7 kRecordedAt8{103, 5, 1, 8, 0, 0, 0};

// The dates a disc's root lists, by name; the root's "." record carries "SP", so its
// records' Rock Ridge entries are read.
std::map<std::string, std::optional<std::int64_t>> listedDates(std::vector<IsoRecord> records)
{
    const std::vector<std::uint8_t> sharing = systemUseEntry("SP", {0xBE, 0xEF, 0});
    auto root = test::withSelfAndParent(18, std::move(records));
    root.front().systemUse = sharing;
    test::IsoImage image(40);
    image.descriptor(16, test::primaryDescriptor("DATES", 18)).terminator(17).records(18, root);
    std::map<std::string, std::optional<std::int64_t>> dates;
    for (const auto& entry : test::isoVolume(image)->listFolder("disc.iso/"))
        dates[entry.name] = entry.modified;
    return dates;
}

TEST(IsoDates, RockRidgeModifyTimeComesBeforeTheRecordDate)
{
    const struct
    {
        const char* row;
        std::vector<std::uint8_t> systemUse;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"no Rock Ridge time: the record's", {}, kNoonUtc - 4 * 3600},
        {"modify time alone", timesEntry(kModify, {kShortNoon}), kNoonUtc},
        {"after the creation time",
         timesEntry(kCreation | kModify | kAccess, {kShortMidnight, kShortNoon, kShortMidnight}),
         kNoonUtc},
        {"long form", timesEntry(kModify | kLongForm, {longDate("2003050114000000", 8)}),
         kNoonUtc},
        {"creation time alone: the record's", timesEntry(kCreation, {kShortNoon}),
         kNoonUtc - 4 * 3600},
        {"a damaged modify time: the record's", timesEntry(kModify, {kShortMonth13}),
         kNoonUtc - 4 * 3600},
        {"cut short: the record's", timesEntry(kCreation | kModify, {kShortNoon}),
         kNoonUtc - 4 * 3600},
    };
    for (const auto& c : cases) {
        IsoRecord file = test::withSystemUse(test::fileRecord("FILE.TXT;1", 30, 10), c.systemUse);
        file.recorded = kRecordedAt8;
        EXPECT_EQ(listedDates({file}).at("FILE.TXT"), c.seconds) << c.row;
    }
}

TEST(IsoDates, AFileWithoutADateListsNone)
{
    IsoRecord dated = test::fileRecord("DATED.TXT;1", 30, 10);
    dated.recorded = kRecordedAt8;
    IsoRecord broken = test::fileRecord("BROKEN.TXT;1", 31, 10);
    broken.recorded = {103, 13, 1, 8, 0, 0, 0};
    const auto dates = listedDates({dated, broken, test::fileRecord("NONE.TXT;1", 32, 10)});
    EXPECT_EQ(dates.at("DATED.TXT"), kNoonUtc - 4 * 3600);
    EXPECT_EQ(dates.at("BROKEN.TXT"), std::nullopt);
    EXPECT_EQ(dates.at("NONE.TXT"), std::nullopt);
}

} // namespace
} // namespace tarvelo::image::iso9660
