// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/mount_table.h"

#include <gtest/gtest.h>

namespace tarvelo::platform {
namespace {

TEST(MountTable, ParsesMountInfoLines)
{
    const auto disc = parseMountInfoLine(
        "36 35 11:0 / /media/user/MY\\040DISC ro,nosuid shared:1 master:2 - iso9660 /dev/sr0 ro");
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->major, 11u);
    EXPECT_EQ(disc->minor, 0u);
    EXPECT_EQ(disc->mountPoint, "/media/user/MY DISC");
    EXPECT_EQ(disc->fsType, "iso9660");
    EXPECT_EQ(disc->source, "/dev/sr0");

    const auto noOptionalFields = parseMountInfoLine("22 1 0:21 / /proc rw - proc proc rw");
    ASSERT_TRUE(noOptionalFields);
    EXPECT_EQ(noOptionalFields->mountPoint, "/proc");
}

TEST(MountTable, RejectsLinesOutOfFormat)
{
    for (const char* line : {"", "36 35 11:0 / /mnt rw", "36 35 eleven / /mnt rw - ext4 /dev/x rw",
                             "36 35 11:0 / /mnt rw - ext4"})
        EXPECT_FALSE(parseMountInfoLine(line)) << line;
}

} // namespace
} // namespace tarvelo::platform
