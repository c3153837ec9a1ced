// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_records.h"
#include "tests/image/iso_image_builder.h"

#include <gtest/gtest.h>

namespace tarvelo::image::iso9660 {
namespace {

using test::IsoImage;

TEST(IsoSerialNumber, SumsTheFourByteLanesOfTheSector)
{
    const struct
    {
        const char* name;
        std::vector<std::pair<std::size_t, std::uint8_t>> bytes;
        std::int32_t serial;
    } cases[] = {
        {"first four bytes", {{0, 1}, {1, 2}, {2, 3}, {3, 4}}, 16909060},
        {"lane sums wrap at 256", {{0, 0x80}, {4, 0x80}, {8, 0x01}}, 16777216},
        {"last byte is lane 3", {{2047, 7}}, 7},
        {"top bit set is negative", {{0, 0xFF}}, -16777216},
        {"all bits set is -1", {{0, 0xFF}, {1, 0xFF}, {2, 0xFF}, {3, 0xFF}}, -1},
        {"empty sector", {}, 0},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, kSectorSize> sector{};
        for (const auto& [at, value] : c.bytes)
            sector[at] = value;
        EXPECT_EQ(volumeSerialNumber(sector), c.serial) << c.name;
    }
}

platform::VolumeFacts factsOf(const IsoImage& image)
{
    return test::isoVolume(image)->facts();
}

TEST(IsoVolumeFacts, LabelIsTrimmedOfTrailingSpacesAndNuls)
{
    const struct
    {
        const char* name;
        std::string label;
        bool joliet;
        const char* expected;
    } cases[] = {
        {"spaces", "MY DISC", false, "MY DISC"},
        {"inner spaces kept", "A  B", false, "A  B"},
        {"nuls then spaces", std::string("DATA\0\0  \0", 9), false, "DATA"},
        {"no label", "", false, ""},
        {"joliet label", "Holiday 2009", true, "Holiday 2009"},
    };
    for (const auto& c : cases) {
        IsoImage image(24);
        image.descriptor(16, c.joliet ? test::jolietDescriptor(c.label, 18)
                                      : test::primaryDescriptor(c.label, 18));
        image.terminator(17);
        image.records(18, test::withSelfAndParent(18, {}));
        EXPECT_EQ(factsOf(image).label, c.expected) << c.name;
    }
}

TEST(IsoVolumeFacts, TotalIsSpaceSizeTimesBlockSizeAndNothingIsFree)
{
    const struct
    {
        std::uint32_t spaceSize;
        std::uint16_t blockSize;
        std::uint64_t total;
    } cases[] = {{1000, 2048, 2048000}, {300, 512, 153600}, {2295104, 2048, 4700372992}};
    for (const auto& c : cases) {
        IsoImage image(24);
        auto descriptor = test::primaryDescriptor("SIZE", 18);
        descriptor.spaceSize = c.spaceSize;
        descriptor.blockSize = c.blockSize;
        image.descriptor(16, descriptor);
        image.terminator(17);
        const auto facts = factsOf(image);
        EXPECT_EQ(facts.totalBytes, c.total) << c.spaceSize << " blocks of " << c.blockSize;
        EXPECT_EQ(facts.freeBytes, 0u);
    }
}

TEST(IsoVolumeFacts, SerialAndLabelComeFromTheChosenDescriptor)
{
    IsoImage image(24);
    image.descriptor(16, test::primaryDescriptor("PRIMARY", 18));
    image.descriptor(17, test::jolietDescriptor("Joliet", 19));
    image.terminator(18);
    const auto& bytes = image.bytes();
    const auto facts = factsOf(image);
    EXPECT_EQ(facts.label, "Joliet");
    EXPECT_EQ(facts.serialNumber,
              volumeSerialNumber(Sector(bytes.data() + 17 * kSectorSize, kSectorSize)));
    EXPECT_NE(facts.serialNumber,
              volumeSerialNumber(Sector(bytes.data() + 16 * kSectorSize, kSectorSize)));
}

TEST(IsoNames, Ucs2BecomesUtf8)
{
    const struct
    {
        const char* name;
        std::string ucs2;
        std::string utf8;
    } cases[] = {
        {"ascii", test::ucs2("Read me.txt"), "Read me.txt"},
        {"latin extended", std::string("\x01\x0D\x01\x61", 4), "\xC4\x8D\xC5\xA1"},
        {"cyrillic", std::string("\x04\x02", 2), "\xD0\x82"},
        {"surrogate pair", std::string("\xD8\x3D\xDE\x00", 4), "\xF0\x9F\x98\x80"},
        {"lone surrogate", std::string("\xD8\x3D\x00\x41", 4),
         "\xEF\xBF\xBD"
         "A"},
        {"odd last byte dropped", std::string("\x00\x41\x00", 3), "A"},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> bytes(c.ucs2.begin(), c.ucs2.end());
        EXPECT_EQ(decodeUcs2(bytes), c.utf8) << c.name;
    }
}

TEST(IsoNames, VersionAndTrailingDotAreRemoved)
{
    const struct
    {
        const char* identifier;
        const char* shown;
    } cases[] = {
        {"README.TXT;1", "README.TXT"},
        {"README.;1", "README"},
        {"NOVER.TXT", "NOVER.TXT"},
        {"ARCHIVE.ZIP;32767", "ARCHIVE.ZIP"},
        {"EMPTY.TXT;", "EMPTY.TXT"},
        {"ODD;NAME", "ODD;NAME"},
        {"TWO..;1", "TWO."},
        {";1", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withoutVersion(c.identifier), c.shown) << c.identifier;
}

TEST(IsoDirectoryRecord, DecodesFieldsAndRejectsInconsistentLengths)
{
    auto bytes = test::isoRecordBytes(
        test::withSystemUse(test::fileRecord("AB", 0x12345, 0x800, 0x82), {'N', 'M', 5, 1, 0}));
    bytes[6] ^= 0xFF; // a broken big-endian half is not read
    const auto record = decodeDirectoryRecord(bytes);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->extentBlock, 0x12345u);
    EXPECT_EQ(record->dataLength, 0x800u);
    EXPECT_TRUE(record->isDirectory());
    EXPECT_EQ(record->flags & kFlagMultiExtent, kFlagMultiExtent);
    EXPECT_EQ(std::string(record->identifier.begin(), record->identifier.end()), "AB");
    EXPECT_EQ(record->systemUse.size(), 5u); // after the padding byte of an even identifier

    const struct
    {
        const char* name;
        std::size_t at;
        std::uint8_t value;
    } broken[] = {
        {"length byte disagrees", 0, 40},
        {"identifier empty", 32, 0},
        {"identifier past the record", 32, 10},
    };
    for (const auto& b : broken) {
        auto copy = test::isoRecordBytes(test::fileRecord("AB", 1, 1));
        copy[b.at] = b.value;
        EXPECT_FALSE(decodeDirectoryRecord(copy)) << b.name;
    }
}

} // namespace
} // namespace tarvelo::image::iso9660
