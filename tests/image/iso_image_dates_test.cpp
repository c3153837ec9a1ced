// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/host_volume_opener.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace tarvelo::image {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kNoon2003 = 1051790400;   // 2003-05-01 12:00:00 UTC
constexpr std::int64_t kLastOf1999 = 946684799;  // 1999-12-31 23:59:59 UTC

std::string upper(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

// Images that genisoimage and xorriso make of files with known times, in time zones on
// both sides of UTC: genisoimage records local time with its zone, xorriso UTC.
TEST(IsoImageDates, FilesShowTheTimesTheImageWasMadeFrom)
{
    if (std::system("command -v genisoimage >/dev/null && command -v xorriso >/dev/null") != 0)
        GTEST_SKIP() << "genisoimage or xorriso is not installed";
    const test::TempDir dir;
    const struct
    {
        const char* name;
        std::int64_t seconds;
    } files[] = {{"a.txt", kNoon2003}, {"b.txt", kLastOf1999}};
    for (const auto& file : files) {
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(file.seconds), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, dir.write(std::string("tree/") + file.name, "x").c_str(),
                              times, 0),
                  0);
    }
    const char* makers[] = {
        "TZ=America/New_York genisoimage -quiet",      // record dates 4 and 5 hours west
        "TZ=Asia/Kolkata genisoimage -quiet",          // five and a half hours east
        "TZ=Asia/Kolkata genisoimage -quiet -R",       // Rock Ridge times, local too
        "TZ=Pacific/Auckland genisoimage -quiet -J",   // a Joliet tree's own records
        "TZ=America/New_York xorriso -as mkisofs -quiet -R",
    };
    for (const char* maker : makers) {
        const fs::path image = dir.path() / "dated.iso";
        const std::string command = std::string(maker) + " -o '" + image.string() + "' '" +
                                    (dir.path() / "tree").string() + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const auto volume = platform::HostVolumeOpener().openVolume(image.string());
        std::map<std::string, platform::ModifiedTime> dates;
        for (const auto& entry : volume->listFolder(volume->rootPath()))
            dates[upper(entry.name)] = entry.modified;
        for (const auto& file : files)
            EXPECT_EQ(dates[upper(file.name)], file.seconds) << file.name << " by " << maker;
    }
}

} // namespace
} // namespace tarvelo::image
