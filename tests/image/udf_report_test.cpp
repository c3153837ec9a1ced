// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"
#include "platform/host_volume_opener.h"
#include "tests/image/image_report.h"
#include "tests/image/udf_image_builder.h"
#include "tests/image/udf_tools.h"
#include "tests/image/volume_listing.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/corpus.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace tarvelo::image {
namespace {

namespace fs = std::filesystem;

void expectFactsOfUdfinfo(const fs::path& image, const std::string& name)
{
    const auto volume = platform::HostVolumeOpener().openVolume(image.string());
    EXPECT_EQ(volume->facts().label, test::udfinfo(image).at("label")) << name;
    EXPECT_EQ(volume->facts().serialNumber, test::udfinfoSerial(image)) << name;
}

// A bridge disc is shown from its UDF side: the report of the image is the report of the
// tree it was made from, with the UDF label and serial.
TEST(UdfReport, BridgeImageReportsAsTheTreeItWasMadeFrom)
{
    if (!test::commandAvailable("genisoimage") || !test::commandAvailable("udfinfo"))
        GTEST_SKIP() << "genisoimage or udftools is not installed";
    const test::TempDir dir;
    test::writeMixedTree(dir.path() / "tree");
    const auto tree = test::reportOf(dir.path() / "tree", dir.path() / "tree.txt");
    ASSERT_EQ(tree.outcome.kind, report::OutcomeKind::Done);

    const fs::path image = dir.path() / "bridge.iso";
    test::commandOutput("genisoimage -quiet -udf -J -R -V 'BRIDGE DISC' -o " + test::quoted(image) +
                        " " + test::quoted(dir.path() / "tree") + " 2>&1");
    const auto disc = test::reportOf(image, dir.path() / "image.txt");
    EXPECT_EQ(disc.outcome.kind, report::OutcomeKind::Done);
    EXPECT_EQ(disc.outcome.totalFiles, tree.outcome.totalFiles);
    EXPECT_EQ(disc.outcome.totalFolders, tree.outcome.totalFolders);
    EXPECT_EQ(disc.outcome.skippedArchives.size(), 1u);
    EXPECT_EQ(disc.body, tree.body);
    expectFactsOfUdfinfo(image, "bridge");
}

// What newfs_udf formats and udfclient fills (UDF 2.01, the NetBSD writer's layout).
void makeUdfclientImage(const fs::path& tree, const fs::path& image)
{
    test::commandOutput("dd if=/dev/zero bs=64k count=400 status=none of=" + test::quoted(image) +
                        " && newfs_udf -L 'UDFCLIENT DISC' " + test::quoted(image) + " >/dev/null 2>&1");
    // udfclient shows each logical volume as a folder of the root, named after the volume.
    const std::string listing = test::commandOutput("printf 'ls\nquit\n' | udfclient " +
                                                    test::quoted(image) + " 2>/dev/null");
    const auto end = listing.find(":fileset");
    const auto start = listing.rfind("  ", end) + 2;
    std::string commands = "cd \"" + listing.substr(start, end + 8 - start) + "\"\nlcd " +
                           tree.string() + "\n";
    for (const auto& entry : fs::directory_iterator(tree))
        commands += "put \"" + entry.path().filename().string() + "\"\n";
    std::ofstream(image.string() + ".commands") << commands << "quit\n";
    test::commandOutput("udfclient -W " + test::quoted(image) + " < " +
                        test::quoted(image.string() + ".commands") + " >/dev/null 2>&1");
}

TEST(UdfReport, UdfclientImageReportsAsTheTreeItWasMadeFrom)
{
    if (!test::commandAvailable("udfclient") || !test::commandAvailable("udfinfo"))
        GTEST_SKIP() << "udfclient or udftools is not installed";
    const test::TempDir dir;
    test::writeMixedTree(dir.path() / "tree");
    // udfclient records each byte of a UTF-8 name as one 8-bit character (7-Zip shows the
    // same), so only the names in ASCII are the tree's.
    std::vector<fs::path> unicode;
    for (const auto& entry : fs::directory_iterator(dir.path() / "tree")) {
        const std::string name = entry.path().filename().string();
        if (std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; }))
            unicode.push_back(entry.path());
    }
    for (const auto& path : unicode) fs::remove_all(path);
    const auto tree = test::reportOf(dir.path() / "tree", dir.path() / "tree.txt");
    const fs::path image = dir.path() / "udfclient.udf";
    makeUdfclientImage(dir.path() / "tree", image);
    const auto disc = test::reportOf(image, dir.path() / "image.txt");
    EXPECT_EQ(disc.outcome.kind, report::OutcomeKind::Done);
    EXPECT_EQ(disc.body, tree.body);
    expectFactsOfUdfinfo(image, "udfclient");
}

// Flips a byte inside the file set descriptor, found by its tag, as a bad sector would.
void damageFileSet(const fs::path& image)
{
    auto bytes = test::readBytes(image);
    const auto isFileSet = [&bytes](std::size_t at) {
        unsigned sum = 0;
        for (std::size_t i = 0; i < 16; ++i) sum += i == 4 ? 0 : bytes[at + i];
        return bytes[at] == 0x00 && bytes[at + 1] == 0x01 && bytes[at + 4] == (sum & 0xFF);
    };
    for (std::size_t at = 0; at + 2048 <= bytes.size(); at += 2048) {
        if (isFileSet(at)) {
            bytes[at + 100] ^= 0x40;
            std::ofstream(image, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            return;
        }
    }
    FAIL() << "no file set descriptor in " << image;
}

// A bridge disc whose UDF side is damaged is shown from its ISO 9660 tree, as Windows
// mounts that instead; a UDF-only disc so damaged is refused with the descriptor named.
TEST(UdfReport, ADamagedUdfSideGivesWayToTheIsoTree)
{
    if (!test::commandAvailable("genisoimage") || !test::commandAvailable("mkudffs"))
        GTEST_SKIP() << "genisoimage or udftools is not installed";
    const test::TempDir dir;
    dir.write("tree/README.TXT", "read me");
    const fs::path bridge = dir.path() / "bridge.iso";
    test::commandOutput("genisoimage -quiet -udf -J -V BRIDGE -o " + test::quoted(bridge) + " " +
                        test::quoted(dir.path() / "tree") + " 2>&1");
    damageFileSet(bridge);
    const auto volume = platform::HostVolumeOpener().openVolume(bridge.string());
    EXPECT_EQ(volume->facts().label, "BRIDGE");
    EXPECT_THAT(test::listTree(*volume), ::testing::ElementsAre("README.TXT 7"));

    const fs::path udfOnly = dir.path() / "udf-only.udf";
    test::commandOutput("truncate -s 1M " + test::quoted(udfOnly) +
                        " && mkudffs --media-type=hd --blocksize=2048 " + test::quoted(udfOnly) +
                        " >/dev/null 2>&1");
    damageFileSet(udfOnly);
    try {
        platform::HostVolumeOpener().openVolume(udfOnly.string());
        ADD_FAILURE() << "a damaged UDF-only image opened";
    } catch (const Error& error) {
        EXPECT_THAT(error.what(), ::testing::HasSubstr("file set descriptor has a wrong CRC"));
    }
}

// Every revision on every kind of media that mkudffs formats (Type 1, sparable, virtual
// and metadata partitions, blocks of 512 and 2048 bytes): read, empty, with the label and
// serial udfinfo gives.
TEST(UdfReport, FormattedImagesOfEveryRevisionAndMedia)
{
    if (!test::commandAvailable("mkudffs") || !test::commandAvailable("udfinfo"))
        GTEST_SKIP() << "udftools is not installed";
    const test::TempDir dir;
    int made = 0;
    for (const char* revision : {"1.02", "1.50", "2.00", "2.01", "2.50", "2.60"}) {
        for (const char* media : {"hd", "cdrw", "dvdrw", "dvdr", "cdr", "bdr"}) {
            const std::string name = std::string(revision) + "-" + media;
            const fs::path image = dir.path() / (name + ".img");
            const std::string make = "truncate -s 8M " + test::quoted(image) +
                                     " && mkudffs --media-type=" + std::string(media) + " --udfrev=" + revision +
                                     " --label='Disc " + name + "' " + test::quoted(image) +
                                     " >/dev/null 2>&1 && echo made";
            if (test::commandOutput(make).empty()) continue; // a pairing mkudffs refuses
            ++made;
            expectFactsOfUdfinfo(image, name);
            const auto volume = platform::HostVolumeOpener().openVolume(image.string());
            // Sparable media of UDF 1.50 keep their defect list as a hidden file, which is listed.
            EXPECT_THAT(test::listTree(*volume),
                        ::testing::AnyOf(::testing::IsEmpty(),
                                         ::testing::ElementsAre("Non-Allocatable Space 0")))
                << name;
            EXPECT_GT(volume->facts().totalBytes, volume->facts().freeBytes) << name;
        }
    }
    EXPECT_GE(made, 20);
}

// "path size" of every file, as 7-Zip lists the image.
std::set<std::string> sevenZipFiles(const fs::path& image)
{
    std::set<std::string> files;
    std::istringstream lines(test::commandOutput("7zz l -tudf -slt " + test::quoted(image)));
    std::string path;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("Path = ")) path = line.substr(7);
        if (line.starts_with("Size = ") && line.size() > 7) files.insert(path + " " + line.substr(7));
    }
    files.erase(image.string() + " " + std::to_string(fs::file_size(image)));
    return files;
}

std::set<std::string> filesOf(const platform::Volume& volume, const std::string& folder,
                              std::set<std::string> files = {})
{
    for (const auto& entry : volume.listFolder(folder)) {
        const std::string path = volume.childPath(folder, entry.name);
        if (entry.kind == platform::EntryKind::Folder)
            files = filesOf(volume, path, std::move(files));
        else
            files.insert(path.substr(volume.rootPath().size()) + " " + std::to_string(entry.size));
    }
    return files;
}

// The images of our own writer, of every partition kind: the report is the tree's, the
// label and serial udfinfo's, the files those 7-Zip lists (udfinfo and 7-Zip check the
// writer, so the in-memory tests built on it test the reader against real layouts).
TEST(UdfReport, BuiltImagesReportAsTheTreeTheyWereMadeFrom)
{
    if (!test::commandAvailable("udfinfo") || !test::commandAvailable("7zz"))
        GTEST_SKIP() << "udftools or 7zip is not installed";
    const test::TempDir dir;
    test::writeMixedTree(dir.path() / "tree");
    const auto tree = test::reportOf(dir.path() / "tree", dir.path() / "tree.txt");
    const auto builder = test::UdfImageBuilder::fromFolder(dir.path() / "tree");
    using test::UdfLayout;
    const struct
    {
        const char* name;
        test::UdfImageOptions options;
        bool sevenZipReads; // 7-Zip has no virtual partitions
    } rows[] = {
        {"type 1", {UdfLayout::Physical, 0x0201, "Type 1", false, false, true, false}, true},
        {"metadata", {UdfLayout::Metadata, 0x0250, "Metadata", true, true, false, true}, true},
        {"virtual", {UdfLayout::Virtual, 0x0201, "Virtual", false, false, true, true}, false},
    };
    for (const auto& row : rows) {
        const fs::path image = dir.path() / (std::string(row.name) + ".udf");
        const auto bytes = builder.build(row.options);
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        const auto disc = test::reportOf(image, dir.path() / "image.txt");
        EXPECT_EQ(disc.outcome.kind, report::OutcomeKind::Done) << row.name;
        EXPECT_EQ(disc.body, tree.body) << row.name;
        expectFactsOfUdfinfo(image, row.name);
        if (!row.sevenZipReads) continue;
        const auto volume = platform::HostVolumeOpener().openVolume(image.string());
        EXPECT_EQ(filesOf(*volume, volume->rootPath()), sevenZipFiles(image)) << row.name;
    }
}

} // namespace
} // namespace tarvelo::image
