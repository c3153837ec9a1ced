// SPDX-License-Identifier: GPL-3.0-or-later
// What a forged or merely large image may cost: reads, memory and which file is opened.
#include "common/error.h"
#include "image/iso9660_volume.h"
#include "tests/image/iso_image_builder.h"
#include "tests/image/volume_listing.h"
#include "tests/support/byte_builder.h"
#include "tests/support/error_of.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvelo::image {
namespace {

using test::IsoImage;
using test::IsoRecord;
using test::kIsoMultiExtent;

constexpr std::uint32_t kMaxExtent = 0xFFFFF800; // the largest whole-block extent
constexpr std::size_t kSector = IsoImage::kSector;

using test::CountingSource;

const platform::FolderEntry& entryNamed(const std::vector<platform::FolderEntry>& entries,
                                        const std::string& name)
{
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&name](const auto& entry) { return entry.name == name; });
    if (found == entries.end()) throw std::runtime_error("no entry " + name);
    return *found;
}

std::string contentOf(const IsoVolume& volume, const platform::FolderEntry& entry)
{
    const auto file = volume.openEntry(entry.name, entry.ref);
    const auto bytes = file->read(0, static_cast<std::size_t>(file->size()));
    return {bytes.begin(), bytes.end()};
}

// Lists every folder below the root, depth first in listing order, as the report's scan.
void listEverything(const IsoVolume& volume)
{
    std::vector<std::string> folders{volume.rootPath()};
    while (!folders.empty()) {
        const std::string folder = std::move(folders.back());
        folders.pop_back();
        for (const auto& entry : volume.listFolder(folder))
            if (entry.kind == platform::EntryKind::Folder)
                folders.push_back(volume.childPath(folder, entry.name));
    }
}

// A Joliet name may hold "/": it must neither name a folder's file nor open one.
TEST(IsoBounds, ANameHoldingASlashOpensItsOwnFile)
{
    IsoImage image(40);
    image.descriptor(16, test::primaryDescriptor("SLASH", 18));
    image.descriptor(17, test::jolietDescriptor("", 19));
    image.terminator(18);
    image.records(19,
                  test::withSelfAndParent(19, {test::folderRecord(test::ucs2("A"), 20),
                                               test::fileRecord(test::ucs2("A/B.ZIP"), 31, 5)}));
    image.records(20, test::withSelfAndParent(20, {test::fileRecord(test::ucs2("B.ZIP"), 30, 5)}));
    image.put(30 * kSector, "inner").put(31 * kSector, "outer");
    const auto volume = test::isoVolume(image);

    const auto root = volume->listFolder("disc.iso/");
    EXPECT_EQ(contentOf(*volume, entryNamed(root, "A_B.ZIP")), "outer");
    EXPECT_EQ(contentOf(*volume, entryNamed(volume->listFolder("disc.iso/A"), "B.ZIP")), "inner");
}

TEST(IsoBounds, DataThatCannotBeReadAreRefusedWhenOpened)
{
    const auto extents = [](std::uint32_t block, std::uint32_t length, int count) {
        std::vector<IsoRecord> records;
        for (int i = 0; i < count; ++i)
            records.push_back(test::fileRecord("F.ZIP;1", block, length,
                                               i + 1 < count ? kIsoMultiExtent : std::uint8_t{0}));
        return records;
    };
    const struct
    {
        const char* name;
        std::vector<IsoRecord> records;
        ErrorNumber error;
    } cases[] = {
        {"data beyond the end of the disc", extents(5000, 10, 1), ErrorNumber::InputPastEndOfFile},
        {"ten extents of 4 GiB", extents(30, kMaxExtent, 10), ErrorNumber::InputPastEndOfFile},
        {"extents reading the same bytes again and again", extents(20, 16 * kSector, 10),
         ErrorNumber::InvalidFileFormat},
    };
    for (const auto& c : cases) {
        const auto image = test::plainImage(c.records);
        const auto volume = test::isoVolume(image);
        const auto root = volume->listFolder(volume->rootPath());
        ASSERT_EQ(root.size(), 1u) << c.name;
        EXPECT_EQ(test::errorOf([&] { volume->openEntry("disc.iso/F.ZIP", root[0].ref); }), c.error)
            << c.name;
    }
}

// Files may share data, as hard links do, but records all pointing at one extent must
// not make a small disc read as a large one.
TEST(IsoBounds, SharedDataAreReadNoMoreThanTheDiscHolds)
{
    constexpr std::uint32_t kShared = 4 * kSector;
    std::vector<IsoRecord> records;
    for (int i = 0; i < 60; ++i)
        records.push_back(test::fileRecord("S" + std::to_string(i) + ".ZIP;1", 30, kShared));
    const auto image = test::plainImage(records);
    const auto volume = test::isoVolume(image);
    std::uint64_t opened = 0;
    for (const auto& entry : volume->listFolder(volume->rootPath()))
        if (!test::errorOf([&] { volume->openEntry(entry.name, entry.ref); })) ++opened;
    EXPECT_GE(opened, 2u);
    EXPECT_LE(opened * kShared, 2 * image.bytes().size());
}

TEST(IsoBounds, ReadsAcrossManyExtentsGiveTheBytesInOrder)
{
    // 200 one-sector extents laid on the disc in reverse, each sector filled with its number.
    constexpr std::uint32_t kCount = 200;
    std::vector<IsoRecord> records;
    IsoImage image(30 + kCount);
    for (std::uint32_t i = 0; i < kCount; ++i) {
        const std::uint32_t block = 30 + kCount - 1 - i;
        records.push_back(test::fileRecord("MANY.DAT;1", block, kSector,
                                           i + 1 < kCount ? kIsoMultiExtent : std::uint8_t{0}));
        image.put(block * kSector, std::string(kSector, static_cast<char>(i)));
    }
    auto descriptor = test::primaryDescriptor("MANY", 18);
    descriptor.rootLength = 10 * kSector;
    image.descriptor(16, descriptor).terminator(17);
    image.records(18, test::withSelfAndParent(18, records));
    const auto volume = test::isoVolume(image);
    const auto root = volume->listFolder(volume->rootPath());
    ASSERT_EQ(root.size(), 1u);
    const auto file = volume->openEntry("disc.iso/MANY.DAT", root[0].ref);
    ASSERT_EQ(file->size(), kCount * kSector);
    for (const std::uint64_t offset : {0ul, 2047ul, 2048ul, 150 * 2048ul - 1, 199 * 2048ul}) {
        const auto bytes = file->read(offset, 3 * kSector / 2 > file->size() - offset
                                                  ? static_cast<std::size_t>(file->size() - offset)
                                                  : 3 * kSector / 2);
        for (std::size_t at = 0; at < bytes.size(); ++at)
            ASSERT_EQ(bytes[at], static_cast<std::uint8_t>((offset + at) / kSector))
                << "offset " << offset + at;
    }
}

// A tree of folders lying side by side is read in requests of many folders, each folder
// once, however the writer ordered them.
TEST(IsoBounds, FoldersLyingTogetherAreReadInFewRequests)
{
    constexpr std::uint32_t kFanOut = 20; // folders in the root, and in each of those
    const struct
    {
        const char* name;
        bool breadthFirst;
    } cases[] = {{"laid out level by level", true}, {"laid out depth first", false}};
    for (const auto& c : cases) {
        IsoImage image(20 + kFanOut * (kFanOut + 1));
        image.descriptor(16, test::primaryDescriptor("TREE", 18)).terminator(17);
        std::vector<IsoRecord> top;
        for (std::uint32_t i = 0; i < kFanOut; ++i) {
            const std::uint32_t block = c.breadthFirst ? 19 + i : 19 + i * (kFanOut + 1);
            top.push_back(test::folderRecord("F" + std::to_string(i), block));
            std::vector<IsoRecord> below;
            for (std::uint32_t j = 0; j < kFanOut; ++j) {
                const std::uint32_t child =
                    c.breadthFirst ? 19 + kFanOut + i * kFanOut + j : block + 1 + j;
                below.push_back(test::folderRecord("G" + std::to_string(j), child));
                image.records(child, test::withSelfAndParent(child, {}));
            }
            image.records(block, test::withSelfAndParent(block, below));
        }
        image.records(18, test::withSelfAndParent(18, top));
        const auto source = std::make_shared<CountingSource>(image);
        const IsoVolume volume(source, "disc.iso");
        listEverything(volume);
        // The descriptors, the root's first record, then at most one request per 256 KiB
        // of the 421 folders' records.
        const std::size_t treeBytes = (1 + kFanOut * (kFanOut + 1)) * kSector;
        EXPECT_LE(source->reads(), 2 + static_cast<int>(treeBytes / (256 << 10) + 1)) << c.name;
    }
}

// A path table only says where to read ahead: one that names blocks of file data, blocks
// beyond the disc or the same block again changes nothing in the tree.
TEST(IsoBounds, APathTableIsOnlyAHint)
{
    auto image =
        test::plainImage({test::folderRecord("DOCS", 20), test::fileRecord("A.TXT;1", 30, 1)});
    image.records(20, test::withSelfAndParent(20, {test::fileRecord("B.TXT;1", 31, 2)}));
    test::ByteBuilder table;
    for (const std::uint32_t block : {18u, 30u, 900000u, 30u, 20u})
        table.u8(1).u8(0).u32(block).u16(1).u8('X').u8(0);
    image.put(25 * kSector, table.data());
    image.put(16 * kSector + 132,
              test::ByteBuilder().u32(static_cast<std::uint32_t>(table.size())).data());
    image.put(16 * kSector + 140, test::ByteBuilder().u32(25).data());
    EXPECT_THAT(test::listTree(*test::isoVolume(image)),
                testing::ElementsAre("A.TXT 1", "DOCS/", "  B.TXT 2"));
}

} // namespace
} // namespace tarvelo::image
