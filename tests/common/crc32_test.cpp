// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/crc32.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tarvelo::common {
namespace {

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Crc32, KnownValues)
{
    const struct
    {
        const char* name;
        std::string_view bytes;
        std::uint32_t crc;
    } cases[] = {
        {"empty", "", 0x00000000},
        {"check string", "123456789", 0xCBF43926},
        {"one byte", "a", 0xE8B7BE43},
        {"pangram", "The quick brown fox jumps over the lazy dog", 0x414FA339},
    };
    for (const auto& c : cases) EXPECT_EQ(crc32(bytesOf(c.bytes)), c.crc) << c.name;
}

TEST(Crc32, ContinuesOverPieces)
{
    EXPECT_EQ(crc32(bytesOf("56789"), crc32(bytesOf("1234"))), 0xCBF43926u);
}

} // namespace
} // namespace tarvelo::common
