#include "platform/posix_volume.h"

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "common/error.h"
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
