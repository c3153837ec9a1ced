// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/host_volume_opener.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>

#include <gtest/gtest.h>

#include "common/error.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;
using test::errorOf;
using test::TempDir;

// A tree with a folder, a file, a FIFO and two block devices of made-up numbers, one of
// them mounted (on the folder "media/disc") in the mount table the opener reads.
class HostVolumeOpenerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_dir.path() / "media/disc");
        m_dir.write("file.iso", "not a disc image yet");
        ASSERT_EQ(::mkfifo(pathOf("fifo").c_str(), 0600), 0);
        if (::mknod(pathOf("sr0").c_str(), S_IFBLK | 0600, makedev(240, 7)) != 0 ||
            ::mknod(pathOf("sr1").c_str(), S_IFBLK | 0600, makedev(240, 8)) != 0)
            GTEST_SKIP() << "making device nodes was refused";
        m_dir.write("mountinfo", "22 1 0:21 / /proc rw - proc proc rw\n"
                                 "36 22 240:7 / " + pathOf("media/disc") +
                                     " ro shared:1 - iso9660 " + pathOf("sr0") + " ro\n");
    }

    std::string pathOf(const std::string& relative) const
    {
        return (m_dir.path() / relative).string();
    }

    HostVolumeOpener opener() const { return HostVolumeOpener(m_dir.path() / "mountinfo"); }

private:
    TempDir m_dir;
};

TEST_F(HostVolumeOpenerTest, FolderOrMountedDriveGivesItsTree)
{
    const struct { const char* name; std::string source; std::string root; } cases[] = {
        {"folder", pathOf("media/disc"), pathOf("media/disc") + "/"},
        {"folder with trailing slashes", pathOf("media/disc") + "//", pathOf("media/disc") + "/"},
        {"mounted drive", pathOf("sr0"), pathOf("media/disc") + "/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(opener().openVolume(c.source)->rootPath(), c.root) << c.name;
}

TEST_F(HostVolumeOpenerTest, AnythingElseIsNotReady)
{
    const struct { const char* name; std::string source; ErrorNumber number; } cases[] = {
        {"missing", pathOf("nothing"), ErrorNumber::FileNotFound},
        {"below a file", pathOf("file.iso/disc"), ErrorNumber::PathNotFound},
        {"file that is no disc image", pathOf("file.iso"), ErrorNumber::InvalidFileFormat},
        {"FIFO", pathOf("fifo"), ErrorNumber::DiskNotReady},
        {"drive not mounted", pathOf("sr1"), ErrorNumber::DiskNotReady},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { opener().openVolume(c.source); }), c.number) << c.name;
}

} // namespace
} // namespace tarvelo::platform
