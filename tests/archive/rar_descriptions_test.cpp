// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "archive/rar_descriptions.h"
#include "tests/archive/rar_fixtures.h"

namespace tarvelo::test {
namespace {

using namespace archive::rar;

TEST(RarDescriptions, SystemName)
{
    const struct
    {
        std::uint8_t code;
        const char* text;
    } cases[] = {{0, "MS-DOS"}, {1, "OS/2"},    {2, "Win32"},
                 {3, "UNIX"},   {4, "unKnown"}, {255, "unKnown"}};
    for (const auto& c : cases) EXPECT_EQ(SystemName(c.code), c.text) << int{c.code};
}

TEST(RarDescriptions, MethodName)
{
    const struct
    {
        std::int16_t method;
        const char* text;
    } cases[] = {{0x30, "No Compression"}, {0x31, "Fastest"}, {0x32, "Fast"},
                 {0x33, "Normal"},         {0x34, "Good"},    {0x35, "Maximum"},
                 {0x2F, "Unknown"},        {0x36, "Unknown"}, {0, "Unknown"}};
    for (const auto& c : cases) EXPECT_EQ(MethodName(c.method), c.text) << c.method;
}

TEST(RarDescriptions, VersionText)
{
    const struct
    {
        std::uint8_t version;
        const char* text;
    } cases[] = {{29, "2.9"}, {20, "2.0"}, {15, "1.5"}, {7, "0.7"},    {0, "0.0"},
                 {9, "0.9"},  {10, "1.0"}, {36, "3.6"}, {100, "10.0"}, {255, "25.5"}};
    for (const auto& c : cases) EXPECT_EQ(VersionText(c.version), c.text) << int{c.version};
}

TEST(RarDescriptions, LongToWord)
{
    const struct
    {
        std::int32_t x;
        std::int16_t word;
    } cases[] = {{65535, -1}, {32768, -32768},  {32767, 32767},
                 {-1, -1},    {-32768, -32768}, {98303, 32767}};
    for (const auto& c : cases) EXPECT_EQ(LongToWord(c.x), c.word) << c.x;
    for (std::int32_t x : {-32769, 98304, INT32_MAX, INT32_MIN})
        EXPECT_EQ(failureOf([x] { LongToWord(x); }), ErrorNumber::Overflow) << x;
}

} // namespace
} // namespace tarvelo::test
