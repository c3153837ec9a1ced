// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"
#include "image/udf_partitions.h"
#include "image/udf_records.h"
#include "tests/support/byte_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvelo::image::udf {
namespace {

using Bytes8 = std::vector<std::uint8_t>;

TEST(UdfRecords, CompressedUnicodeBecomesLineSafeUtf8)
{
    const struct
    {
        const char* name;
        Bytes8 bytes;
        const char* text;
    } cases[] = {
        {"8-bit", {8, 'N', 0xE9, 'e'}, "Née"},
        {"16-bit", {16, 0x04, 0x16, 0x00, 'a'}, "Жa"},
        {"pair outside the basic plane", {16, 0xD8, 0x34, 0xDD, 0x1E}, "\U0001D11E"},
        {"lone surrogate", {16, 0xD8, 0x34, 0x00, 'a'}, "\uFFFDa"},
        {"odd byte of 16-bit text", {16, 0x00, 'a', 0x00}, "a"},
        {"line break", {8, 'a', '\n', 'b'}, "a\uFFFDb"},
        {"254 as 8-bit", {254, 'a'}, "a"},
        {"255 as 16-bit", {255, 0x00, 'a'}, "a"},
        {"unknown compression", {3, 'a'}, "\uFFFD"},
        {"nothing", {}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(decodeDchars(c.bytes), c.text) << c.name;
}

TEST(UdfRecords, DstringUsesItsLengthByteAndNeverReadsPastIt)
{
    EXPECT_EQ(decodeDstring(Bytes8{8, 'A', 'B', 'C', 0, 3}), "AB");
    EXPECT_EQ(decodeDstring(Bytes8{8, 'A', 'B', 200}), "AB"); // a length past the field
    EXPECT_EQ(decodeDstring(Bytes8{}), "");
}

TEST(UdfRecords, CrcIsTheCcittOneOfTheStandard)
{
    const std::string check = "123456789";
    EXPECT_EQ(crc16(Bytes8(check.begin(), check.end())), 0x31C3);
}

void sealTag(Bytes8& bytes)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) sum += i == 4 ? 0 : bytes[i];
    bytes[4] = static_cast<std::uint8_t>(sum);
}

Bytes8 taggedDescriptor(std::uint16_t identifier, std::uint32_t location)
{
    Bytes8 bytes(64, 0);
    for (std::size_t i = 16; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    bytes[0] = static_cast<std::uint8_t>(identifier);
    bytes[1] = static_cast<std::uint8_t>(identifier >> 8);
    const std::uint16_t crc = crc16(Bytes(bytes).subspan(16));
    bytes[8] = static_cast<std::uint8_t>(crc);
    bytes[9] = static_cast<std::uint8_t>(crc >> 8);
    bytes[10] = 48;
    bytes[12] = static_cast<std::uint8_t>(location);
    sealTag(bytes);
    return bytes;
}

TEST(UdfRecords, TagProblemsAreNamed)
{
    const auto good = taggedDescriptor(kTagFileSet, 7);
    EXPECT_EQ(tagProblem(good, kTagFileSet, 7), std::nullopt);
    EXPECT_EQ(tagProblem(good, kTagFileSet, std::nullopt), std::nullopt);
    const struct
    {
        const char* name;
        std::size_t byte;
        bool resealed; // the checksum made right again
        const char* problem;
    } cases[] = {
        {"another descriptor", 0, true, "is missing"},
        {"checksum", 5, false, "has a wrong tag checksum"},
        {"body", 40, true, "has a wrong CRC"},
        {"CRC length past the block", 11, true, "is longer than its block"},
        {"location", 13, true, "names another block as its own"},
    };
    for (const auto& c : cases) {
        auto bad = good;
        bad[c.byte] ^= 0x01;
        if (c.resealed) sealTag(bad);
        EXPECT_EQ(tagProblem(bad, kTagFileSet, 7).value_or("none"), c.problem) << c.name;
    }
}

TEST(UdfRecords, VirtualAllocationTablesOfBothForms)
{
    test::ByteBuilder typed;
    typed.u16(152).zeros(150).u32(10).u32(11);
    EXPECT_THAT(decodeVat(typed.data(), true).value(), testing::ElementsAre(10u, 11u));

    test::ByteBuilder old;
    old.u32(20).u32(21).u8(0).text(kOldVatId).zeros(23 - kOldVatId.size() + 8 + 4);
    EXPECT_THAT(decodeVat(old.data(), false).value(), testing::ElementsAre(20u, 21u));

    EXPECT_FALSE(decodeVat(Bytes8(40, 0), false)) << "no identifier";
    test::ByteBuilder longHeader;
    longHeader.u16(400).zeros(10);
    EXPECT_FALSE(decodeVat(longHeader.data(), true)) << "header past the file";
}

// A sparable partition reads a remapped packet from its spare sectors, and every other
// packet in place.
TEST(UdfPartitions, SparedPacketsAreReadFromTheirSpareSectors)
{
    constexpr std::uint32_t kBlock = 2048;
    Bytes8 disc(64 * kBlock, 0);
    test::ByteBuilder table;
    table.zeros(16).u8(0).text("*UDF Sparing Table").zeros(13).u16(2).u16(0).u32(0);
    table.u32(16).u32(40).u32(0xFFFFFFFF).u32(0); // packet at block 16 moved to sector 40
    auto bytes = table.data();
    bytes.resize(kBlock, 0);
    bytes[10] = static_cast<std::uint8_t>(bytes.size() - 16);
    bytes[11] = static_cast<std::uint8_t>((bytes.size() - 16) >> 8);
    const std::uint16_t crc = crc16(Bytes(bytes).subspan(16));
    bytes[8] = static_cast<std::uint8_t>(crc);
    bytes[9] = static_cast<std::uint8_t>(crc >> 8);
    bytes[12] = 2;
    sealTag(bytes);
    std::copy(bytes.begin(), bytes.end(), disc.begin() + 2 * kBlock);
    const platform::MemoryByteSource source(disc);

    VolumeLayout layout;
    layout.blockSize = kBlock;
    layout.partitions = {{1, 0, 4, 48}}; // starts at sector 4, 48 blocks
    PartitionMap sparable;
    sparable.kind = MapKind::Sparable;
    sparable.packetLength = 16;
    sparable.sparingTableSize = kBlock;
    sparable.sparingTables = {2};
    layout.logicalVolume.maps = {sparable};
    const Partitions partitions(source, layout);

    std::vector<udf::Run> runs;
    partitions.appendRuns({12, 0}, 10 * kBlock, runs); // blocks 12 to 21
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].offset, 16u * kBlock); // blocks 12-15 in place
    EXPECT_EQ(runs[0].length, 4u * kBlock);
    EXPECT_EQ(runs[1].offset, 40u * kBlock); // blocks 16-21 spared
    EXPECT_EQ(runs[1].length, 6u * kBlock);
    EXPECT_THROW(partitions.appendRuns({47, 0}, 2 * kBlock, runs), Error) << "past the partition";
}

// A timestamp's 12 bytes: type and zone, year, then month to second and the fractions.
Bytes8 timestamp(unsigned type, int zoneMinutes, int year, std::uint8_t month, std::uint8_t hour)
{
    const auto typeAndZone = static_cast<std::uint16_t>(type << 12 | (zoneMinutes & 0xFFF));
    test::ByteBuilder bytes;
    bytes.u16(typeAndZone).u16(static_cast<std::uint16_t>(year)).u8(month).u8(1).u8(hour);
    bytes.u8(0).u8(0).u8(99).u8(99).u8(99);
    return bytes.data();
}

TEST(UdfRecords, TimestampsAreMovedToUtcByTheirTypeAndZone)
{
    constexpr std::int64_t kNoonUtc = 1051790400; // 2003-05-01 12:00:00 UTC
    constexpr int kUnknownZone = -2047;
    const struct
    {
        const char* row;
        Bytes8 bytes;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"local time two hours east", timestamp(1, 120, 2003, 5, 14), kNoonUtc},
        {"local time five hours west", timestamp(1, -300, 2003, 5, 7), kNoonUtc},
        {"local time in an unknown zone, taken as UTC", timestamp(1, kUnknownZone, 2003, 5, 12),
         kNoonUtc},
        {"UTC, whatever the zone says", timestamp(0, 120, 2003, 5, 12), kNoonUtc},
        {"an agreed zone, taken as UTC", timestamp(2, 0, 2003, 5, 12), kNoonUtc},
        {"a reserved type", timestamp(3, 0, 2003, 5, 12), std::nullopt},
        {"a zone past a day", timestamp(1, 1441, 2003, 5, 12), std::nullopt},
        {"month 13", timestamp(1, 0, 2003, 13, 12), std::nullopt},
        {"year 0", timestamp(1, 0, 0, 5, 12), std::nullopt},
        {"never recorded", Bytes8(12, 0), std::nullopt},
    };
    for (const auto& c : cases) {
        Bytes8 bytes{0xEE, 0xEE}; // the field need not start a record
        bytes.insert(bytes.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(decodeTimestamp(bytes, 2), c.seconds) << c.row;
    }
}

} // namespace
} // namespace tarvelo::image::udf
