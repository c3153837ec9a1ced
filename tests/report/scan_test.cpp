#include "report/scan.h"
#include "tests/report/run_harness.h"

#include <gtest/gtest.h>
#include <map>

namespace tarvelo::report {
namespace {

TEST(NameOrder, FoldsAsciiCaseThenComparesUnsignedBytes)
{
    const struct
    {
        const char* name;
        std::string first;
        std::string second;
    } cases[] = {
        {"case folded", "apple", "Banana"},
        {"ties broken by the unfolded bytes", "README", "ReadMe"},
        {"letters folded before the underscore", "zebra", "_notes"},
        {"prefix first", "DOC", "DOCS"},
        {"ascii before bytes above 127", "Zeta",
         "\xC4\x8C"
         "a"},
        {"non-ascii letters not folded", "\xC4\x8C", "\xC4\x8D"},
        {"digits before letters", "2024", "A"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(nameBefore(c.first, c.second)) << c.name;
        EXPECT_FALSE(nameBefore(c.second, c.first)) << c.name << ", reversed";
        EXPECT_FALSE(nameBefore(c.first, c.first)) << c.name << ", itself";
    }
}

// Counts the listings of each folder, to show that the disc is read once.
class CountingVolume final : public platform::Volume
{
  public:
    explicit CountingVolume(std::unique_ptr<platform::Volume> inner) : m_inner(std::move(inner)) {}

    platform::VolumeFacts facts() const override { return m_inner->facts(); }
    std::string rootPath() const override { return m_inner->rootPath(); }
    char separator() const override { return m_inner->separator(); }
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override
    {
        ++listings[folderPath];
        return m_inner->listFolder(folderPath);
    }
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override
    {
        return m_inner->openFile(path);
    }

    mutable std::map<std::string, int> listings;

  private:
    std::unique_ptr<platform::Volume> m_inner;
};

TEST(Scan, ReadsEachFolderOnceInPreOrderWithTotalsBottomUp)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\root.bin", 100);
    h.files.addSizedFile("D:\\b\\one.bin", 10);
    h.files.addSizedFile("D:\\b\\two.bin", 20, platform::EntryKind::OtherFile);
    h.files.addSizedFile("D:\\A\\X\\deep.bin", 1000);
    h.files.addFolder("D:\\A\\empty");
    CountingVolume volume(h.files.openVolume("D:"));

    const DiscScan scan = scanDisc(volume, h.ui);

    const struct
    {
        const char* path;
        const char* parent;
        std::size_t files;
        std::size_t subfolders;
        std::uint64_t totalSize;
    } expected[] = {
        {"D:\\", "D:\\", 1, 2, 1130},       {"D:\\A", "D:\\", 0, 2, 1000},
        {"D:\\A\\empty", "D:\\A", 0, 0, 0}, {"D:\\A\\X", "D:\\A", 1, 0, 1000},
        {"D:\\b", "D:\\", 2, 0, 30},
    };
    ASSERT_EQ(scan.folders.size(), std::size(expected));
    for (std::size_t i = 0; i < scan.folders.size(); ++i) {
        const ScannedFolder& folder = scan.folders[i];
        EXPECT_EQ(folder.path, expected[i].path);
        EXPECT_EQ(scan.folders[folder.parent].path, expected[i].parent) << folder.path;
        EXPECT_EQ(folder.files.size(), expected[i].files) << folder.path;
        EXPECT_EQ(folder.subfolderCount, expected[i].subfolders) << folder.path;
        EXPECT_EQ(folder.totalSize, expected[i].totalSize) << folder.path;
        EXPECT_EQ(volume.listings[folder.path], 1) << folder.path;
    }
    EXPECT_EQ(scan.folders[4].files[1].kind, platform::EntryKind::OtherFile);
    EXPECT_EQ(scan.totalFiles, 4);
    EXPECT_EQ(scan.totalFolders, 4);
    EXPECT_EQ(scan.end, ScanEnd::Complete);
}

TEST(Scan, StopsAtAnUnreadableFolderKeepingThoseBeforeIt)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\A\\a.bin", 5);
    h.files.addSizedFile("D:\\B\\b.bin", 7);
    h.files.failListing("D:\\B\\broken", "Input/output error");
    h.files.addSizedFile("D:\\C\\c.bin", 9);
    const auto volume = h.files.openVolume("D:");

    const DiscScan scan = scanDisc(*volume, h.ui);

    ASSERT_EQ(scan.folders.size(), 3u);
    EXPECT_EQ(scan.folders.back().path, "D:\\B");
    EXPECT_EQ(scan.folders.back().subfolderCount, 1u);
    EXPECT_EQ(scan.folders.front().totalSize, 12u);
    EXPECT_EQ(scan.totalFiles, 2);
    EXPECT_EQ(scan.totalFolders, 2);
    EXPECT_EQ(scan.end, ScanEnd::Unreadable);
    ASSERT_TRUE(scan.unreadable);
    EXPECT_EQ(scan.unreadable->path, "D:\\B\\broken");
    EXPECT_EQ(scan.unreadable->reason, "Input/output error");
}

TEST(Scan, AFolderPathLongerThanAHostCanOpenEndsTheScan)
{
    test::RunHarness h;
    const std::string name(200, 'n');
    std::string path = "D:";
    for (int depth = 0; depth < 30; ++depth)
        path += "\\" + name;
    h.files.addSizedFile(path + "\\deep.bin", 1);
    const auto volume = h.files.openVolume("D:");

    const DiscScan scan = scanDisc(*volume, h.ui);

    EXPECT_EQ(scan.end, ScanEnd::Unreadable);
    ASSERT_TRUE(scan.unreadable);
    EXPECT_GE(scan.unreadable->path.size(), 4096u);
    EXPECT_EQ(scan.unreadable->reason, "File name too long");
    EXPECT_EQ(scan.totalFiles, 0);
    for (const ScannedFolder& folder : scan.folders)
        EXPECT_LT(folder.path.size(), 4096u);
}

TEST(Scan, ReportsProgressWhileItReads)
{
    test::RunHarness h;
    for (int i = 0; i < 200; ++i)
        h.files.addSizedFile("D:\\F" + std::to_string(i) + "\\x", 1);
    const DiscScan scan = scanDisc(*h.files.openVolume("D:"), h.ui);

    ASSERT_FALSE(h.ui.progressSeen.empty());
    const Progress& last = h.ui.progressSeen.back();
    EXPECT_EQ(last.phase, Progress::Phase::Scanning);
    EXPECT_GT(last.foldersDone, 0);
    EXPECT_LE(last.foldersDone, 201);
    EXPECT_EQ(scan.totalFolders, 200);
}

} // namespace
} // namespace tarvelo::report
