// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/optical_drives.h"

#include <gtest/gtest.h>

#include "tests/support/fake_discs.h"

namespace tarvelo::platform {
namespace {

using test::FakeDiscOpener;
using test::FakeDiscProbe;
using test::FakeDriveTree;

struct BlockDevice
{
    std::string name;
    int scsiType;
    bool withNode = true;
};

std::vector<std::string> devicePaths(const std::vector<OpticalDrive>& drives)
{
    std::vector<std::string> paths;
    for (const auto& drive : drives) paths.push_back(drive.devicePath);
    return paths;
}

TEST(OpticalDrives, WhichBlockDevicesAreDrivesAndInWhatOrder)
{
    const struct
    {
        const char* name;
        std::vector<BlockDevice> devices;
        std::vector<std::string> expected;
    } cases[] = {
        {"no block devices", {}, {}},
        {"numeric, not text, order",
         {{"sr10", 5}, {"sr2", 5}, {"sr0", 5}},
         {"/dev/sr0", "/dev/sr2", "/dev/sr10"}},
        {"write-once drives count, disks do not",
         {{"sr0", 0}, {"sr1", 4}, {"sr2", 5}, {"sda", 5}},
         {"/dev/sr1", "/dev/sr2"}},
        {"names that only look like drives", {{"sr", 5}, {"srx", 5}, {"sr1a", 5}, {"sr-1", 5}}, {}},
        {"a drive without a device node", {{"sr0", 5, false}, {"sr1", 5}}, {"/dev/sr1"}},
    };
    for (const auto& c : cases) {
        FakeDriveTree tree;
        for (const auto& device : c.devices) tree.addBlockDevice(device.name, device.scsiType, device.withNode);
        const auto drives = findOpticalDrives(tree.root(), FakeDiscProbe({}), FakeDiscOpener());
        EXPECT_EQ(devicePaths(drives), c.expected) << c.name;
    }
}

TEST(OpticalDrives, MissingSysfsGivesNoDrives)
{
    EXPECT_TRUE(findOpticalDrives("/nonexistent-root", FakeDiscProbe({}), FakeDiscOpener()).empty());
}

TEST(OpticalDrives, EntryTextShowsTheLabelOfADiscThatCanBeRead)
{
    FakeDriveTree tree;
    for (const char* name : {"sr0", "sr1", "sr2", "sr3"}) tree.addBlockDevice(name, 5);
    FakeDiscOpener discs;
    discs.insert("/dev/sr0", {"DATA", 0, 0, 0});
    discs.insert("/dev/sr1", {"", 0, 0, 0});
    discs.insert("/dev/sr3", {"NEVER ASKED", 0, 0, 0});
    // sr2 holds a disc that cannot be opened (not mounted); sr3 holds none at all.
    const FakeDiscProbe probe({"sr0", "sr1", "sr2"});

    std::vector<std::string> entries;
    for (const auto& drive : findOpticalDrives(tree.root(), probe, discs))
        entries.push_back(drive.entryText());

    EXPECT_EQ(entries, (std::vector<std::string>{"/dev/sr0  [DATA]", "/dev/sr1  []", "/dev/sr2",
                                                 "/dev/sr3"}));
}

TEST(OpticalDrives, ProbeIsAskedAboutTheNodeBelowTheRoot)
{
    FakeDriveTree tree;
    tree.addBlockDevice("sr0", 5);
    const FakeDiscProbe probe({});
    findOpticalDrives(tree.root(), probe, FakeDiscOpener());
    EXPECT_EQ(probe.asked(), std::vector<std::filesystem::path>{tree.root() / "dev" / "sr0"});
}

TEST(OpticalDrives, RealProbeFindsNoDiscInWhatIsNoDrive)
{
    test::TempDir dir;
    for (const auto& node : {dir.write("plain-file", "not a drive"), dir.path() / "missing"})
        EXPECT_FALSE(CdromDiscProbe().discPresent(node)) << node;
}

} // namespace
} // namespace tarvelo::platform
