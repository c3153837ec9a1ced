// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_names.h"

#include <gtest/gtest.h>

#include "common/crc32.h"
#include "tests/support/byte_builder.h"

namespace tarvelo::archive::zip {
namespace {

using test::ByteBuilder;

Bytes bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// An Info-ZIP Unicode Path or Comment block made for the plain bytes crcOf.
std::vector<std::uint8_t> unicodeBlock(std::uint16_t id, std::string_view crcOf,
                                       std::string_view text, std::uint8_t version = 1)
{
    return ByteBuilder()
        .u16(id)
        .u16(static_cast<std::uint16_t>(5 + text.size()))
        .u8(version)
        .u32(common::crc32(bytesOf(crcOf)))
        .text(text)
        .data();
}

std::vector<std::uint8_t> concat(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::uint8_t> withoutLastByte(std::vector<std::uint8_t> bytes)
{
    bytes.pop_back();
    return bytes;
}

constexpr std::uint16_t kDos = 0x0014;
constexpr std::uint16_t kUnix = 0x031E;
constexpr std::uint16_t kOsX = 0x1315;
constexpr std::uint16_t kNtfs = 0x0A3F;

TEST(ZipNames, DecodesInTheWriterEncoding)
{
    const std::vector<std::uint8_t> timestamp =
        ByteBuilder().u16(0x5455).u16(5).u8(1).u32(0).data();
    const struct
    {
        const char* name;
        std::string raw;
        std::uint16_t flags;
        std::uint16_t madeBy;
        std::vector<std::uint8_t> extra;
        std::string text;
    } cases[] = {
        {"ascii from DOS", "README.TXT", 0, kDos, {}, "README.TXT"},
        {"OEM bytes from DOS", "\x9F\x82.txt", 0, kDos, {}, "čé.txt"},
        {"UTF-8 flag", "世界.txt", 0x0800, kDos, {}, "世界.txt"},
        {"UTF-8 flag on bytes that are not UTF-8", "\x8F\xA0", 0x0800, kDos, {}, "Ćá"},
        {"Unicode Path block", "\x8F", 0, kNtfs, unicodeBlock(0x7075, "\x8F", "Š"), "Š"},
        {"Unicode Path block after another block", "\x8F", 0, kDos,
         concat(timestamp, unicodeBlock(0x7075, "\x8F", "Š")), "Š"},
        {"Unicode Path block made for other bytes", "\x8F", 0, kDos,
         unicodeBlock(0x7075, "old", "Š"), "Ć"},
        {"Unicode Path block of an unknown version", "\x8F", 0, kDos,
         unicodeBlock(0x7075, "\x8F", "Š", 2), "Ć"},
        {"Unicode Path block cut short", "\x8F", 0, kDos,
         withoutLastByte(unicodeBlock(0x7075, "\x8F", "Š")), "Ć"},
        {"Unicode Path block that is not UTF-8", "\x8F", 0, kDos,
         unicodeBlock(0x7075, "\x8F", "\xFF"), "Ć"},
        {"Unicode Comment block does not name the entry", "\x8F", 0, kDos,
         unicodeBlock(0x6375, "\x8F", "Š"), "Ć"},
        {"UTF-8 from UNIX without the flag", "Извештај", 0, kUnix, {}, "Извештај"},
        {"UTF-8 from macOS without the flag", "世界", 0, kOsX, {}, "世界"},
        {"OEM bytes from UNIX", "\x9F\x82", 0, kUnix, {}, "čé"},
        {"UTF-8 look-alike from DOS", "\xC3\xA9", 0, kDos, {}, "├ę"},
    };
    for (const auto& c : cases) {
        const TextOrigin origin{c.flags, c.madeBy, c.extra};
        EXPECT_EQ(decodeEntryText(bytesOf(c.raw), kExtraUnicodePath, origin,
                                  common::CodePage::defaultOem()),
                  c.text)
            << c.name;
    }
}

TEST(ZipNames, EntryCommentsUseTheirOwnUnicodeBlock)
{
    const std::vector<std::uint8_t> extra = unicodeBlock(0x6375, "\x8F", "Ćao");
    const TextOrigin origin{0, kDos, extra};
    EXPECT_EQ(decodeEntryText(bytesOf("\x8F"), kExtraUnicodeComment, origin,
                              common::CodePage::defaultOem()),
              "Ćao");
}

TEST(ZipNames, ArchiveCommentIsUtf8WhenValidElseOem)
{
    const common::CodePage& oem = common::CodePage::defaultOem();
    EXPECT_EQ(decodeArchiveComment(bytesOf("Disk 1: čćž"), oem), "Disk 1: čćž");
    EXPECT_EQ(decodeArchiveComment(bytesOf("Disk \x9F\x82"), oem), "Disk čé");
}

TEST(ZipNames, TheOemPageIsTheCallers)
{
    const auto cp866 = common::CodePage::byName("CP866");
    ASSERT_TRUE(cp866);
    const TextOrigin origin{0, kDos, {}};
    EXPECT_EQ(decodeEntryText(bytesOf("\x8F\xE0\xA8"), kExtraUnicodePath, origin, *cp866), "При");
    // ASCII bytes are decoded too where the page does not keep them (EBCDIC).
    const auto ibm037 = common::CodePage::byName("IBM037");
    ASSERT_TRUE(ibm037);
    EXPECT_EQ(decodeEntryText(bytesOf("ABC"), kExtraUnicodePath, origin, *ibm037), "\u00A0âä");
}

} // namespace
} // namespace tarvelo::archive::zip
