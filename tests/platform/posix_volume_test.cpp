// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_volume.h"

#include <sys/resource.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/error.h"
#include "report/folder_path.h"
#include "report/scan.h"
#include "tests/report/run_harness.h"
#include "tests/support/error_of.h"
#include "tests/platform/scoped_mount.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;
using test::errorOf;
using test::ScopedMount;
using test::TempDir;

using Listed = std::tuple<std::string, EntryKind, std::uint64_t>;

std::vector<Listed> listed(const PosixVolume& volume, const std::string& folder)
{
    std::vector<Listed> out;
    for (const FolderEntry& entry : volume.listFolder(folder))
        out.emplace_back(entry.name, entry.kind, entry.size);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(PosixVolumePaths, SourceIsKeptWithoutItsTrailingSlashes)
{
    const struct { const char* name; const char* source; const char* kept; } cases[] = {
        {"plain", "disc", "disc"},
        {"one slash", "disc/", "disc"},
        {"many slashes", "disc///", "disc"},
        {"nested", "media/disc/", "media/disc"},
        {"root", "/", "/"},
        {"root written twice", "//", "/"},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withoutTrailingSlashes(c.source), c.kept) << c.name;
}

TEST(PosixVolumePaths, RootAndChildPathsAreBuiltOnTheSource)
{
    TempDir dir;
    fs::create_directory(dir.path() / "DOCS");
    const std::string source = dir.path().string();

    const PosixVolume volume(source + "//");
    EXPECT_EQ(volume.rootPath(), source + "/");
    EXPECT_EQ(volume.childPath(volume.rootPath(), "DOCS"), source + "/DOCS");
    EXPECT_EQ(PosixVolume("/").rootPath(), "/");
    EXPECT_EQ(PosixVolume("/").childPath("/", "etc"), "/etc");
}

TEST(PosixVolume, ListsEveryKindOfEntryWithoutFollowingLinks)
{
    TempDir dir;
    dir.write("README.TXT", std::string(1234, 'r'));
    fs::create_directory(dir.path() / "DOCS");
    dir.write("DOCS/inside.txt", "not listed with the root");
    fs::resize_file(dir.write("disc.iso", ""), 4'700'000'000); // sparse
    ASSERT_EQ(::mkfifo((dir.path() / "x.zip").c_str(), 0600), 0);
    fs::create_symlink("loop-b", dir.path() / "loop-a");
    fs::create_symlink("loop-a", dir.path() / "loop-b");
    fs::create_directory_symlink(".", dir.path() / "up");

    const PosixVolume volume(dir.path().string());
    const std::vector<Listed> expected = {
        {"DOCS", EntryKind::Folder, 0},
        {"README.TXT", EntryKind::RegularFile, 1234},
        {"disc.iso", EntryKind::RegularFile, 4'700'000'000},
        {"loop-a", EntryKind::OtherFile, 6}, // a link's own size: its target's length
        {"loop-b", EntryKind::OtherFile, 6},
        {"up", EntryKind::OtherFile, 1},
        {"x.zip", EntryKind::OtherFile, 0},
    };
    EXPECT_EQ(listed(volume, volume.rootPath()), expected);
}

// Sets a file's modification time without following a link, as the listing reads it.
void setModified(const fs::path& path, std::int64_t seconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

TEST(PosixVolume, FilesCarryTheirModificationTime)
{
    TempDir dir;
    const struct
    {
        const char* name;
        std::int64_t seconds;
    } cases[] = {
        {"2003.txt", 1051790400},
        {"before 1970.txt", -86400},
        {"past 2038.txt", 4102444800},
    };
    for (const auto& c : cases)
        setModified(dir.write(c.name, "x"), c.seconds);
    fs::create_symlink("2003.txt", dir.path() / "link");
    setModified(dir.path() / "link", 86400);
    fs::create_directory(dir.path() / "DOCS");

    const PosixVolume volume(dir.path().string());
    std::map<std::string, ModifiedTime> dates;
    for (const FolderEntry& entry : volume.listFolder(volume.rootPath()))
        dates[entry.name] = entry.modified;
    for (const auto& c : cases)
        EXPECT_EQ(dates[c.name], c.seconds) << c.name;
    EXPECT_EQ(dates["link"], 86400) << "the link's own time, not its target's";
    EXPECT_EQ(dates["DOCS"], std::nullopt) << "a folder is not looked at";
}

TEST(PosixVolume, KeepsNamesAsTheirBytes)
{
    const std::vector<std::string> names = {
        "Čačak Šabac.txt", "Ђурђевдан", "文件.txt", "bad\xff\xfe.txt", "tab\there", "line\nbreak",
    };
    TempDir dir;
    for (const std::string& name : names)
        dir.write(name, "x");

    const PosixVolume volume(dir.path().string());
    std::vector<std::string> found;
    for (const FolderEntry& entry : volume.listFolder(volume.rootPath()))
        found.push_back(entry.name);
    std::sort(found.begin(), found.end());
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
}

TEST(PosixVolume, FolderOfAnotherFileSystemIsListedButNotEntered)
{
    TempDir dir;
    const auto mount = ScopedMount::tmpfs(dir.path() / "mnt", "64k");
    if (!mount) GTEST_SKIP() << "mounting a tmpfs was refused";
    dir.write("mnt/elsewhere.txt", "on the tmpfs");

    const PosixVolume volume(dir.path().string());
    EXPECT_EQ(listed(volume, volume.rootPath()), (std::vector<Listed>{{"mnt", EntryKind::Folder, 0}}));
    EXPECT_TRUE(volume.listFolder(volume.childPath(volume.rootPath(), "mnt")).empty());
}

TEST(PosixVolume, FolderThatCannotBeReadRaisesTheReason)
{
    TempDir dir;
    dir.write("file.txt", "a file, not a folder");
    const PosixVolume volume(dir.path().string());
    const std::string root = volume.rootPath();

    const struct { const char* name; std::string path; ErrorNumber number; } cases[] = {
        {"missing", root + "gone", ErrorNumber::FileNotFound},
        {"file used as a folder", root + "file.txt/sub", ErrorNumber::PathNotFound},
        {"a file", root + "file.txt", ErrorNumber::PathNotFound},
        {"path too long", root + std::string(5000, 'n'), ErrorNumber::BadFileName},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { volume.listFolder(c.path); }), c.number) << c.name;
    EXPECT_EQ(errorOf([&] { PosixVolume{root + "file.txt"}; }), ErrorNumber::PathNotFound);
}

class NameCollector final : public EntrySink
{
public:
    void entry(std::string_view name, EntryKind, std::uint64_t, std::uint64_t,
               ModifiedTime, std::uint64_t) override
    {
        names.emplace_back(name);
    }
    std::vector<std::string> names;
};

// The folder's listing with the anchor its parent's listing gave, after a change made in
// between: gone, an error, or its names.
TEST(PosixVolume, SubfolderChangedAfterItsParentWasListed)
{
    const struct {
        const char* name;
        void (*change)(const fs::path& folder);
        bool gone;
        std::optional<ErrorNumber> error;
        std::vector<std::string> names;
    } cases[] = {
        {"unchanged", [](const fs::path&) {}, false, std::nullopt, {"inside.txt"}},
        {"removed", [](const fs::path& folder) { fs::remove_all(folder); }, true, std::nullopt, {}},
        {"replaced by a file",
         [](const fs::path& folder) {
             fs::remove_all(folder);
             std::ofstream(folder) << "x";
         },
         false, ErrorNumber::PathNotFound, {}},
        {"replaced by a link to a folder",
         [](const fs::path& folder) {
             fs::remove_all(folder);
             fs::create_directory_symlink(folder.parent_path() / "OTHER", folder);
         },
         false, ErrorNumber::PathNotFound, {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("SUB/inside.txt", "x");
        dir.write("OTHER/elsewhere.txt", "x");
        const PosixVolume volume(dir.path().string());
        NameCollector ignored;
        const FolderListing root = volume.listEntries({volume.rootPath(), nullptr, {}}, ignored);
        ASSERT_NE(root.anchor, nullptr) << c.name;
        c.change(dir.path() / "SUB");

        NameCollector sub;
        const std::string path = volume.childPath(volume.rootPath(), "SUB");
        FolderListing listing;
        EXPECT_EQ(errorOf([&] { listing = volume.listEntries({path, root.anchor, "SUB"}, sub); }),
                  c.error)
            << c.name;
        EXPECT_EQ(listing.gone, c.gone) << c.name;
        EXPECT_EQ(sub.names, c.names) << c.name;
    }
}

// Removes a folder of the host just before the scan lists it.
class RemovingVolume final : public Volume
{
public:
    RemovingVolume(const PosixVolume& inner, std::string victim)
        : m_inner(inner), m_victim(std::move(victim))
    {
    }

    VolumeFacts facts() const override { return m_inner.facts(); }
    std::string rootPath() const override { return m_inner.rootPath(); }
    char separator() const override { return m_inner.separator(); }
    std::vector<FolderEntry> listFolder(const std::string& folderPath) const override
    {
        return m_inner.listFolder(folderPath);
    }
    FolderListing listEntries(const FolderPlace& place, EntrySink& sink) const override
    {
        if (place.path == m_victim) fs::remove_all(m_victim);
        return m_inner.listEntries(place, sink);
    }
    std::unique_ptr<ByteSource> openFile(const std::string& path) const override
    {
        return m_inner.openFile(path);
    }

private:
    const PosixVolume& m_inner;
    std::string m_victim;
};

TEST(PosixVolumeScan, AFolderRemovedBeforeItIsReadIsLeftOutAndTheRestIsRead)
{
    TempDir dir;
    dir.write("A/a.txt", "a");
    dir.write("B/deep/b.txt", "b");
    dir.write("C/c.txt", "c");
    const PosixVolume host(dir.path().string());
    const RemovingVolume volume(host, host.childPath(host.rootPath(), "B"));
    test::ScriptedUi ui;

    const report::DiscScan scan = report::scanDisc(volume, ui);

    EXPECT_EQ(scan.end, report::ScanEnd::Complete);
    EXPECT_EQ(scan.totalFolders(), 2);
    EXPECT_EQ(scan.totalFiles(), 2);
    EXPECT_EQ(scan.folder(0).subfolderCount, 2u);
    EXPECT_EQ(scan.folder(2).name, "C");
}

// Sets the soft limit of open descriptors for the test's length.
class DescriptorLimit
{
public:
    explicit DescriptorLimit(rlim_t soft)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        const struct rlimit lowered = {soft, m_saved.rlim_max};
        m_set = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;
    bool set() const noexcept { return m_set; }

private:
    struct rlimit m_saved {};
    bool m_set = false;
};

TEST(PosixVolumeScan, ADeepTreeKeepsFewerFolderDescriptorsThanTheProcessMayOpen)
{
    // At every level a folder still to be listed ("b") holds its parent: without a budget
    // every level would keep one descriptor open until the walk came back up.
    constexpr int kDepth = 150;
    TempDir dir;
    fs::path level = dir.path();
    for (int depth = 0; depth < kDepth; ++depth) {
        fs::create_directories(level / "b");
        level /= "a";
    }
    dir.write(fs::relative(level / "bottom.txt", dir.path()), "x");
    const DescriptorLimit limit(64);
    if (!limit.set()) GTEST_SKIP() << "the descriptor limit could not be lowered";
    const PosixVolume volume(dir.path().string());
    test::ScriptedUi ui;

    const report::DiscScan scan = report::scanDisc(volume, ui);

    EXPECT_EQ(scan.end, report::ScanEnd::Complete)
        << (scan.unreadable ? scan.unreadable->reason : "");
    EXPECT_EQ(scan.totalFolders(), 2 * kDepth);
    EXPECT_EQ(scan.totalFiles(), 1);
}

TEST(PosixVolume, FactsComeFromTheFileSystemHoldingTheSource)
{
    TempDir dir;
    const auto mount = ScopedMount::tmpfs(dir.path() / "disc", "64k");
    if (!mount) GTEST_SKIP() << "mounting a tmpfs was refused";

    const VolumeFacts facts = PosixVolume(mount->folder().string()).facts();
    EXPECT_EQ(facts.totalBytes, 65536u);
    EXPECT_EQ(facts.freeBytes, 65536u);
    EXPECT_EQ(facts.label, "");
    EXPECT_EQ(facts.serialNumber, 0);
}

TEST(PosixVolume, LabelComesFromTheDevice)
{
    TempDir dir;
    const auto mount = ScopedMount::labelledImage(dir.path() / "disc.img", "MYDISC",
                                                  dir.path() / "disc");
    if (!mount) GTEST_SKIP() << "making or mounting an ext2 image was refused";

    EXPECT_EQ(PosixVolume(mount->folder().string()).facts().label, "MYDISC");
}

} // namespace
} // namespace tarvelo::platform
