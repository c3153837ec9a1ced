// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/folder_path.h"
#include "report/scan.h"
#include "tests/report/run_harness.h"
#include "tests/support/error_of.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

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

// Every folder's path, as a walk in the scan's order builds them.
std::vector<std::string> pathsOf(const DiscScan& scan, const platform::Volume& volume)
{
    FolderPath path(volume.rootPath(), volume.separator());
    std::vector<std::string> paths{path.current()};
    for (std::size_t i = 1; i < scan.folderCount(); ++i)
        paths.push_back(path.enter(i, scan.folder(i).parent, scan.folder(i).name));
    return paths;
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
    const std::vector<std::string> paths = pathsOf(scan, volume);

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
    ASSERT_EQ(scan.folderCount(), std::size(expected));
    for (std::size_t i = 0; i < scan.folderCount(); ++i) {
        const ScannedFolder folder = scan.folder(i);
        EXPECT_EQ(paths[i], expected[i].path);
        EXPECT_EQ(paths[folder.parent], expected[i].parent) << paths[i];
        EXPECT_EQ(folder.fileCount, expected[i].files) << paths[i];
        EXPECT_EQ(folder.subfolderCount, expected[i].subfolders) << paths[i];
        EXPECT_EQ(folder.totalSize, expected[i].totalSize) << paths[i];
        EXPECT_EQ(volume.listings[paths[i]], 1) << paths[i];
    }
    const ScannedFolder b = scan.folder(4);
    EXPECT_EQ(scan.file(b.firstFile).name, "one.bin");
    EXPECT_EQ(scan.file(b.firstFile + 1).kind, platform::EntryKind::OtherFile);
    EXPECT_EQ(scan.totalFiles(), 4);
    EXPECT_EQ(scan.totalFolders(), 4);
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

    ASSERT_EQ(scan.folderCount(), 3u);
    EXPECT_EQ(pathsOf(scan, *volume).back(), "D:\\B");
    EXPECT_EQ(scan.folder(2).subfolderCount, 1u);
    EXPECT_EQ(scan.folder(0).totalSize, 12u);
    EXPECT_EQ(scan.totalFiles(), 2);
    EXPECT_EQ(scan.totalFolders(), 2);
    EXPECT_EQ(scan.end, ScanEnd::Unreadable);
    ASSERT_TRUE(scan.unreadable);
    EXPECT_EQ(scan.unreadable->path, "D:\\B\\broken");
    EXPECT_EQ(scan.unreadable->reason, "Input/output error");
}

// Says of chosen folders that they have gone, as the host says of a folder removed after
// its parent was listed and before it was read.
class VanishingVolume final : public platform::Volume
{
public:
    VanishingVolume(std::unique_ptr<platform::Volume> inner, std::set<std::string> gone)
        : m_inner(std::move(inner)), m_gone(std::move(gone))
    {
    }

    platform::VolumeFacts facts() const override { return m_inner->facts(); }
    std::string rootPath() const override { return m_inner->rootPath(); }
    char separator() const override { return m_inner->separator(); }
    std::vector<platform::FolderEntry> listFolder(const std::string& folderPath) const override
    {
        return m_inner->listFolder(folderPath);
    }
    platform::FolderListing listEntries(const platform::FolderPlace& place,
                                        platform::EntrySink& sink) const override
    {
        if (m_gone.contains(place.path)) return {true, nullptr};
        return m_inner->listEntries(place, sink);
    }
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override
    {
        return m_inner->openFile(path);
    }

private:
    std::unique_ptr<platform::Volume> m_inner;
    std::set<std::string> m_gone;
};

TEST(Scan, AFolderGoneBeforeItIsReadIsLeftOutAndTheRestIsRead)
{
    const struct
    {
        const char* name;
        std::set<std::string> gone;
        std::vector<std::string> paths;
        std::size_t rootSubfolders;
        std::uint64_t rootSize;
    } cases[] = {
        {"a leaf", {"D:\\B"}, {"D:\\", "D:\\A", "D:\\A\\deep", "D:\\C"}, 2, 101},
        {"a folder with a subtree", {"D:\\A"}, {"D:\\", "D:\\B", "D:\\C"}, 2, 110},
        {"the last one", {"D:\\C"}, {"D:\\", "D:\\A", "D:\\A\\deep", "D:\\B"}, 2, 11},
        {"two in a row", {"D:\\A", "D:\\B"}, {"D:\\", "D:\\C"}, 1, 100},
    };
    for (const auto& c : cases) {
        test::RunHarness h;
        h.files.addSizedFile("D:\\A\\deep\\a.bin", 1);
        h.files.addSizedFile("D:\\B\\b.bin", 10);
        h.files.addSizedFile("D:\\C\\c.bin", 100);
        const VanishingVolume volume(h.files.openVolume("D:"), c.gone);

        const DiscScan scan = scanDisc(volume, h.ui);

        EXPECT_EQ(scan.end, ScanEnd::Complete) << c.name;
        EXPECT_EQ(pathsOf(scan, volume), c.paths) << c.name;
        EXPECT_EQ(scan.folder(0).subfolderCount, c.rootSubfolders) << c.name;
        EXPECT_EQ(scan.folder(0).totalSize, c.rootSize) << c.name;
        EXPECT_EQ(scan.totalFolders(), static_cast<std::int32_t>(c.paths.size() - 1)) << c.name;
    }
}

TEST(Scan, AGoneRootEndsTheScan)
{
    test::RunHarness h;
    const VanishingVolume volume(h.files.openVolume("D:"), {"D:\\"});

    const DiscScan scan = scanDisc(volume, h.ui);

    EXPECT_EQ(scan.end, ScanEnd::Unreadable);
    EXPECT_EQ(scan.folderCount(), 0u);
}

// A ref for some files, none for others; one whose low byte sorts after every letter.
std::uint64_t refFor(std::size_t added)
{
    return added % 3 == 0 ? 0 : added * 0x1000 + 0xFF;
}

// Every fifth file has no date; the others lie on both sides of 1970.
platform::ModifiedTime dateFor(std::size_t added)
{
    if (added % 5 == 0) return std::nullopt;
    return static_cast<std::int64_t>(added) * 100'000 - 1'000'000'000;
}

TEST(DiscScan, KeepsEveryNameWholeAcrossTheArenaBlocksWithItsKindRefAndDate)
{
    for (const auto dates : {DiscScan::Dates::Dropped, DiscScan::Dates::Kept}) {
        const bool kept = dates == DiscScan::Dates::Kept;
        // Enough names of varied lengths to fill several blocks and end many mid-block, and
        // names that begin other names, whose refs and dates must not change their order.
        DiscScan scan(dates);
        std::vector<std::string> names{"DOC", "DOCS", "DOCS2"};
        for (int i = 0; i < 20000; ++i)
            names.push_back(std::to_string(i) +
                            std::string(static_cast<std::size_t>(i % 251), 'x'));
        names.push_back(std::string(NameArena::kLongestName - 16, 'z')); // and a ref and a date
        scan.addFolder({}, 0);
        for (std::size_t i = 0; i < names.size(); ++i)
            scan.addFile(names[i],
                         i % 2 ? platform::EntryKind::OtherFile : platform::EntryKind::RegularFile,
                         i, refFor(i), dateFor(i));
        scan.sortFiles();

        std::sort(names.begin(), names.end(), nameBefore);
        ASSERT_EQ(scan.folder(0).fileCount, names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            const ScannedFile file = scan.file(i);
            ASSERT_EQ(file.name, names[i]) << kept;
            // The size was the name's place when added, which decided its kind, ref and date.
            EXPECT_EQ(file.kind, file.size % 2 ? platform::EntryKind::OtherFile
                                               : platform::EntryKind::RegularFile);
            EXPECT_EQ(file.ref, refFor(file.size)) << file.name;
            EXPECT_EQ(file.modified, kept ? dateFor(file.size) : std::nullopt) << file.name;
        }
        EXPECT_EQ(
            test::errorOf([&] { scan.keepName(std::string(NameArena::kLongestName + 1, 'n')); }),
            ErrorNumber::BadFileName);
    }
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
    EXPECT_EQ(scan.totalFiles(), 0);
    for (const std::string& folderPath : pathsOf(scan, *volume))
        EXPECT_LT(folderPath.size(), 4096u);
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
    EXPECT_EQ(scan.totalFolders(), 200);
}

} // namespace
} // namespace tarvelo::report
