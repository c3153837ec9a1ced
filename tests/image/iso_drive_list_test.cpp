// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/host_volume_opener.h"
#include "platform/optical_drives.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/corpus.h"
#include "tests/support/fake_discs.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <gtest/gtest.h>

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;

// The host's opener over the fake tree: "/dev/sr0" is the tree's dev/sr0, a plain file
// holding an image where a drive would hold a disc that nobody mounted. Image files are
// read where they are.
class FakeTreeOpener final : public VolumeOpener
{
public:
    explicit FakeTreeOpener(fs::path root) : m_root(std::move(root)) {}

    std::unique_ptr<Volume> openVolume(const std::string& source) const override
    {
        const fs::path path(source);
        const bool device = path.parent_path() == "/dev";
        return HostVolumeOpener().openVolume(device ? (m_root / path.relative_path()).string()
                                                    : source);
    }

private:
    fs::path m_root;
};

void copyFile(const fs::path& from, const fs::path& to)
{
    fs::create_directories(to.parent_path());
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

class IsoDriveList : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!test::xorrisoAvailable()) GTEST_SKIP() << "xorriso is not installed";
        m_tree.addBlockDevice("sr0", 5); // an empty drive
        test::TempDir disc;
        disc.write("tree/README.TXT", "read me");
        test::makeIsoImage(disc.path() / "tree", m_image, "-J -V 'HOLIDAY 2009'");
    }

    // A loop device as sysfs and /dev show it: attached when it has a backing file, and
    // without a node when the user may not read the device.
    void addLoopDevice(const std::string& name, bool attached, const fs::path& contents,
                       bool readable = true)
    {
        const fs::path sysEntry = m_tree.root() / "sys/block" / name;
        fs::create_directories(sysEntry / "loop");
        if (attached) std::ofstream(sysEntry / "loop/backing_file") << contents.string() << "\n";
        if (readable) copyFile(contents, m_tree.root() / "dev" / name);
    }

    std::vector<OpticalDrive> drives(const DiscProbe& probe) const
    {
        return findOpticalDrives(m_tree.root(), probe, FakeTreeOpener(m_tree.root()));
    }

    std::vector<std::string> entries(const DiscProbe& probe) const
    {
        std::vector<std::string> texts;
        for (const auto& drive : drives(probe)) texts.push_back(drive.entryText());
        return texts;
    }

    test::FakeDriveTree m_tree;
    test::TempDir m_dir;
    const fs::path m_image = m_dir.path() / "holiday.iso";
};

TEST_F(IsoDriveList, AnUnmountedDiscIsReadyWithTheLabelOfItsDescriptor)
{
    copyFile(m_image, m_tree.root() / "dev/sr0");
    EXPECT_EQ(entries(test::FakeDiscProbe({"sr0"})),
              std::vector<std::string>{"/dev/sr0  [HOLIDAY 2009]"});
    EXPECT_EQ(entries(test::FakeDiscProbe({})), std::vector<std::string>{"/dev/sr0"});
}

TEST_F(IsoDriveList, LoopDevicesOverDiscImagesAreDrives)
{
    const fs::path notAnImage = m_dir.write("notes.txt", std::string(40000, 'x'));
    addLoopDevice("loop10", true, m_image);
    addLoopDevice("loop2", true, m_image);
    addLoopDevice("loop0", true, notAnImage);
    addLoopDevice("loop1", false, m_image);
    addLoopDevice("loopy", true, m_image);
    EXPECT_EQ(entries(test::FakeDiscProbe({})),
              (std::vector<std::string>{"/dev/sr0", "/dev/loop2 (holiday.iso)  [HOLIDAY 2009]",
                                        "/dev/loop10 (holiday.iso)  [HOLIDAY 2009]"}));
}

TEST_F(IsoDriveList, LoopDeviceTheUserCannotReadIsReadThroughItsImageFile)
{
    const fs::path notAnImage = m_dir.write("notes.txt", std::string(40000, 'x'));
    const struct
    {
        const char* device;
        fs::path backingFile;
        bool deviceReadable;
        std::string source; // empty: not listed
    } cases[] = {
        {"loop0", m_image, true, "/dev/loop0"},           // the device itself
        {"loop1", m_image, false, m_image.string()},      // its image file instead
        {"loop2", m_dir.path() / "gone.iso", false, ""}, // the image is gone too
        {"loop3", notAnImage, false, ""},                // the image holds no disc
    };
    for (const auto& c : cases) addLoopDevice(c.device, true, c.backingFile, c.deviceReadable);

    std::map<std::string, std::string> listed;
    for (const auto& drive : drives(test::FakeDiscProbe({})))
        listed[drive.devicePath] = drive.source() + "|" + drive.entryText();
    for (const auto& c : cases) {
        const auto found = listed.find(std::string("/dev/") + c.device);
        if (c.source.empty()) {
            EXPECT_TRUE(found == listed.end()) << c.device;
        } else {
            ASSERT_TRUE(found != listed.end()) << c.device;
            const std::string entry = found->first + " (holiday.iso)  [HOLIDAY 2009]";
            EXPECT_EQ(found->second, c.source + "|" + entry) << c.device;
        }
    }
}

// A UDF disc (no ISO 9660 descriptor at all) counts as a disc too, in a drive or behind a
// loop device, and shows the logical volume's label.
TEST_F(IsoDriveList, UdfDiscsAreListedWithTheirLabel)
{
    if (std::system("command -v mkudffs >/dev/null 2>&1") != 0) GTEST_SKIP() << "no udftools";
    const fs::path udf = m_dir.path() / "blu-ray.udf";
    fs::resize_file(m_dir.write("blu-ray.udf", ""), 1 << 20);
    const std::string make = "mkudffs --media-type=bdr --udfrev=2.50 --label='Summer 2009' '" +
                             udf.string() + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0);
    copyFile(udf, m_tree.root() / "dev/sr0");
    addLoopDevice("loop3", true, udf);
    EXPECT_EQ(entries(test::FakeDiscProbe({"sr0"})),
              (std::vector<std::string>{"/dev/sr0  [Summer 2009]",
                                        "/dev/loop3 (blu-ray.udf)  [Summer 2009]"}));
}

} // namespace
} // namespace tarvelo::platform
