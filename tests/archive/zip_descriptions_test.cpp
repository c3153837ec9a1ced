// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_descriptions.h"

#include <gtest/gtest.h>

namespace tarvelo::archive::zip {
namespace {

TEST(ZipDescriptions, SystemName)
{
    const struct
    {
        std::uint8_t code;
        const char* text;
    } cases[] = {
        {0, "MS-DOS and OS/2 (FAT / VFAT / FAT32 file systems)"},
        {2, "2 - OpenVMS"},
        {3, "UNIX"},
        {6, "OS/2 H.P.F.S."},
        {11, "MVS (OS/390 - Z/OS)"},
        {18, "OS/400"},
        {19, "UnKnown"},
        {255, "UnKnown"},
    };
    for (const auto& c : cases) EXPECT_EQ(SystemName(c.code), c.text) << int{c.code};
}

TEST(ZipDescriptions, VersionText)
{
    const struct
    {
        std::uint8_t value;
        const char* text;
    } cases[] = {{20, "2.0"}, {63, "6.3"}, {5, "0.5"}, {0, "0.0"}, {100, "10.0"}, {255, "25.5"}};
    for (const auto& c : cases) EXPECT_EQ(VersionText(c.value), c.text) << int{c.value};
}

TEST(ZipDescriptions, MethodName)
{
    const struct
    {
        std::int16_t code;
        const char* text;
    } cases[] = {
        {0, "No Compression"}, {1, "Shrunk"},   {5, "Reduce Factor 4"}, {8, "Deflated"},
        {9, "Enhanced Deflating"}, {10, "PKWARE Imploding"}, {12, "BZip2"}, {13, "Unknown"},
        {14, "Unknown"}, {99, "Unknown"}, {-1, "Unknown"}, {-32768, "Unknown"},
    };
    for (const auto& c : cases) EXPECT_EQ(MethodName(c.code), c.text) << c.code;
}

} // namespace
} // namespace tarvelo::archive::zip
