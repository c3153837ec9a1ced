// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"
#include "tests/support/memory_file_system.h"
#include "tests/support/error_of.h"

#include <gtest/gtest.h>

namespace tarvelo::platform {
namespace {

using test::errorOf;

class MemoryFileSystemTest : public ::testing::Test
{
protected:
    MemoryFileSystemTest()
    {
        files.addDrive('D', {"DISC", 100, 0, 5});
        files.addEmptyDrive('E');
        files.addDrive('C', {"SYSTEM", 100, 50, 7});
    }

    MemoryFileSystem files;
};

TEST_F(MemoryFileSystemTest, OpensDrivesWithADiscOnly)
{
    EXPECT_EQ(files.openVolume("D:")->rootPath(), "D:\\");
    EXPECT_EQ(files.openVolume("d:\\")->facts().label, "DISC");
    const struct
    {
        const char* source;
        ErrorNumber number;
    } refused[] = {
        {"E:", ErrorNumber::DiskNotReady},
        {"Q:", ErrorNumber::PathNotFound},
        {"D:\\DOCS", ErrorNumber::PathNotFound},
        {"", ErrorNumber::PathNotFound},
    };
    for (const auto& c : refused)
        EXPECT_EQ(errorOf([&] { files.openVolume(c.source); }), c.number) << c.source;
}

TEST_F(MemoryFileSystemTest, ListsFoldersAndReadsFiles)
{
    files.addFile("D:\\DOCS\\a.txt", "abc");
    files.addSizedFile("D:\\DOCS\\big.iso", 4700000000);
    files.addSizedFile("D:\\DOCS\\pipe", 0, EntryKind::OtherFile);
    files.failListing("D:\\LOCKED", "Permission denied");
    const auto volume = files.openVolume("D:");

    const auto docs = volume->listFolder(volume->childPath(volume->rootPath(), "DOCS"));
    ASSERT_EQ(docs.size(), 3u);
    EXPECT_EQ(docs[0].name, "a.txt");
    EXPECT_EQ(docs[1].size, 4700000000u);
    EXPECT_EQ(docs[2].kind, EntryKind::OtherFile);
    EXPECT_EQ(volume->listFolder("D:\\").size(), 2u);

    EXPECT_EQ(volume->openFile("D:\\DOCS\\a.txt")->read(1, 2),
              (std::vector<std::uint8_t>{'b', 'c'}));
    const auto sparse = volume->openFile("D:\\DOCS\\big.iso");
    EXPECT_EQ(sparse->read(4699999998, 2), (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(errorOf([&] { sparse->read(4699999999, 2); }), ErrorNumber::InputPastEndOfFile);
    EXPECT_EQ(errorOf([&] { volume->listFolder("D:\\LOCKED"); }), ErrorNumber::PathFileAccess);
    EXPECT_EQ(errorOf([&] { volume->listFolder("D:\\DOCS\\a.txt"); }), ErrorNumber::PathNotFound);
    EXPECT_EQ(errorOf([&] { volume->openFile("D:\\DOCS"); }), ErrorNumber::FileNotFound);
}

TEST_F(MemoryFileSystemTest, PendingFileChangesNothingUntilItReplaces)
{
    files.addFile("C:\\out.txt", "old");
    {
        const auto pending = files.create("C:\\out.txt");
        pending->write("new");
        pending->finish();
        EXPECT_EQ(files.contents("C:\\out.txt"), "old");
        EXPECT_EQ(files.openVolume("C:")->listFolder("C:\\").size(), 2u);
    }
    EXPECT_EQ(files.contents("C:\\out.txt"), "old");
    EXPECT_EQ(files.openVolume("C:")->listFolder("C:\\").size(), 1u);

    const auto pending = files.create("C:\\out.txt");
    pending->write("new");
    pending->finish();
    pending->replace();
    EXPECT_EQ(files.contents("C:\\out.txt"), "new");
    EXPECT_TRUE(files.exists("C:\\out.txt"));
    EXPECT_EQ(files.openVolume("C:")->listFolder("C:\\").size(), 1u);
}

TEST_F(MemoryFileSystemTest, OutputsFailWhereTheTestSays)
{
    files.outputFaults().spaceLeft = 4;
    const auto pending = files.create("C:\\out.txt");
    pending->write("abc");
    EXPECT_EQ(errorOf([&] { pending->write("de"); }), ErrorNumber::DiskFull);

    files.outputFaults() = {"Read-only file system", std::nullopt, std::nullopt};
    EXPECT_EQ(errorOf([&] { files.create("C:\\other.txt"); }), ErrorNumber::PermissionDenied);

    files.outputFaults() = {std::nullopt, std::nullopt, "Device busy"};
    const auto refused = files.create("C:\\other.txt");
    EXPECT_EQ(errorOf([&] { refused->replace(); }), ErrorNumber::PermissionDenied);
    EXPECT_FALSE(files.exists("C:\\other.txt"));
    EXPECT_EQ(errorOf([&] { files.create("C:\\missing\\x.txt"); }), ErrorNumber::PathNotFound);
}

} // namespace
} // namespace tarvelo::platform
