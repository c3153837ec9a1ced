// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"
#include "image/udf_volume.h"
#include "tests/image/udf_image_builder.h"
#include "tests/image/volume_listing.h"
#include "tests/support/error_of.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvelo::image {
namespace {

using test::bytesAtPosition;
using test::errorFrom;
using test::listTree;
using test::readAll;
using test::UdfImageBuilder;
using test::UdfImageOptions;
using test::UdfLayout;
using testing::Contains;
using testing::HasSubstr;
using testing::Not;

constexpr std::uint64_t kFiveGigabytes = 5'000'000'000;

std::string notes()
{
    std::string text;
    for (int line = 0; text.size() < 5000; ++line) text += "line " + std::to_string(line) + "\n";
    return text;
}

// A tree with what the reader must get right: 8- and 16-bit names (one outside the
// basic plane), data of several blocks, a folder whose identifiers fill several blocks,
// a file over 4 GB that is mostly sparse, hidden and deleted identifiers.
UdfImageBuilder mixedTree()
{
    UdfImageBuilder tree;
    tree.file("README.TXT", "read me").file("Docs/Notes", notes());
    tree.file("Docs/Deeper/Ђурђевдан \U0001D11E.txt", "Cyrillic").folder("Empty");
    for (int i = 0; i < 60; ++i) tree.file("Many/entry number " + std::to_string(i), "x");
    tree.sparseFile("big.iso", "head", kFiveGigabytes);
    tree.hidden("Hidden.txt").file("Hidden.txt", "hidden");
    tree.file("Gone.txt", "deleted").deleted("Gone.txt");
    return tree;
}

struct Disc
{
    std::shared_ptr<std::vector<std::uint8_t>> bytes;
    std::unique_ptr<UdfVolume> volume;
};

Disc open(std::vector<std::uint8_t> image)
{
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(std::move(image));
    auto source = std::make_shared<platform::MemoryByteSource>(*bytes);
    return {bytes, std::make_unique<UdfVolume>(source, "disc.udf")};
}

UdfImageOptions options(UdfLayout layout, std::uint16_t revision)
{
    UdfImageOptions made;
    made.layout = layout;
    made.revision = revision;
    return made;
}

// The modification time the writer gives every entry: 2020-01-02 02:00 UTC, apart from
// its other times.
constexpr std::int64_t kWriterModified = 1577930400;

platform::ModifiedTime modifiedOf(const UdfVolume& volume, const std::string& name)
{
    for (const auto& entry : volume.listFolder(volume.rootPath()))
        if (entry.name == name) return entry.modified;
    ADD_FAILURE() << "no " << name;
    return std::nullopt;
}

// Every partition kind, entry kind and descriptor form shows the same tree, the same
// bytes and the same dates.
TEST(UdfVolume, EveryLayoutShowsTheSameTree)
{
    const auto tree = mixedTree();
    const auto reference = open(tree.build({}));
    const auto expected = listTree(*reference.volume);
    EXPECT_THAT(expected, Contains("big.iso 5000000000"));
    EXPECT_THAT(expected, Contains("Hidden.txt 6"));
    EXPECT_THAT(expected, Not(Contains("Gone.txt 7")));
    EXPECT_THAT(expected, Contains("  Deeper/"));
    EXPECT_THAT(expected, Contains("    Ђурђевдан \U0001D11E.txt 8"));
    EXPECT_EQ(std::count_if(expected.begin(), expected.end(),
                            [](const auto& line) { return line.starts_with("  entry number"); }),
              60);

    struct Row
    {
        const char* name;
        UdfImageOptions options;
    } rows[] = {
        {"extended entries, long descriptors", {UdfLayout::Physical, 0x0201, "UDF DISC", true, true, false, false}},
        {"fragmented, continued", {UdfLayout::Physical, 0x0102, "UDF DISC", false, false, true, true}},
        {"metadata partition", options(UdfLayout::Metadata, 0x0250)},
        {"metadata, fragmented", {UdfLayout::Metadata, 0x0260, "UDF DISC", true, false, false, true}},
        {"virtual table", options(UdfLayout::Virtual, 0x0201)},
        {"virtual table of UDF 1.50", options(UdfLayout::Virtual, 0x0150)},
        {"virtual, fragmented", {UdfLayout::Virtual, 0x0200, "UDF DISC", false, true, false, true}},
    };
    for (const auto& row : rows) {
        const auto disc = open(tree.build(row.options));
        EXPECT_EQ(listTree(*disc.volume), expected) << row.name;
        EXPECT_EQ(modifiedOf(*disc.volume, "README.TXT"), kWriterModified) << row.name;
        EXPECT_EQ(readAll(*disc.volume->openFile("disc.udf/Docs/Notes")), notes()) << row.name;
        EXPECT_EQ(bytesAtPosition(*disc.volume, "disc.udf/Docs", "Notes", *disc.bytes, 40),
                  notes().substr(0, 40))
            << row.name;
        const auto big = disc.volume->openFile("disc.udf/big.iso");
        EXPECT_EQ(big->size(), kFiveGigabytes) << row.name;
        const auto head = big->read(0, 6);
        EXPECT_EQ(std::string(head.begin(), head.end()), std::string("head\0\0", 6)) << row.name;
        EXPECT_EQ(big->read(kFiveGigabytes - 3, 3), std::vector<std::uint8_t>(3, 0)) << row.name;
    }
}

TEST(UdfVolume, FactsComeFromTheLogicalVolume)
{
    UdfImageOptions made;
    made.label = "Ljetovanje 2009. Đurđevac";
    const auto disc = open(mixedTree().build(made));
    const auto facts = disc.volume->facts();
    EXPECT_EQ(facts.label, "Ljetovanje 2009. Đurđevac");
    EXPECT_EQ(facts.freeBytes, 10u * 2048); // the integrity descriptor's free blocks
    EXPECT_GT(facts.totalBytes, facts.freeBytes);
    EXPECT_NE(facts.serialNumber, 0);
}

// A folder whose identifier names an ancestor, or a folder listed already, is left out,
// so a forged disc cannot loop or multiply the walk.
TEST(UdfVolume, SkipsFoldersThatLoopOrRepeat)
{
    UdfImageBuilder tree;
    tree.file("Docs/a.txt", "a").alias("Docs/Back to root", "").alias("Again", "Docs");
    const auto disc = open(tree.build({}));
    const auto listing = listTree(*disc.volume);
    EXPECT_THAT(listing, testing::ElementsAre("Docs/", "  a.txt 1"));
}

// Damaging a descriptor's tag refuses the volume with its name, or gives way to the
// descriptors' copies where the disc has them.
TEST(UdfVolume, ADamagedDescriptorIsNamed)
{
    UdfImageOptions spread;
    spread.embedSmallFiles = false;
    const struct
    {
        const char* landmark;
        std::size_t byte; // 5 is in the tag's checksum only, 100 in the body's CRC only
        const char* reason; // nullptr: the volume still reads
    } cases[] = {
        {"anchor", 5, nullptr},           // the anchor at the disc's end is read instead
        {"logical volume", 100, nullptr}, // the reserve sequence is read instead
        {"file set", 5, "file set descriptor has a wrong tag checksum"},
        {"file set", 100, "file set descriptor has a wrong CRC"},
        {"root entry", 100, "entry of the root folder has a wrong CRC"},
        {"root folder data", 5, "file identifier in the folder disc.udf/ has a wrong tag checksum"},
    };
    for (const auto& c : cases) {
        UdfImageBuilder tree = mixedTree();
        auto image = tree.build(spread);
        image[tree.landmarks().at(c.landmark) + c.byte] ^= 0x40;
        const auto error = errorFrom([&] { listTree(*open(std::move(image)).volume); });
        if (!c.reason) {
            EXPECT_FALSE(error) << c.landmark << ": " << error->what();
            continue;
        }
        ASSERT_TRUE(error) << c.landmark;
        EXPECT_EQ(error->number(), ErrorNumber::InvalidFileFormat) << c.landmark;
        EXPECT_THAT(error->what(), HasSubstr(c.reason)) << c.landmark;
    }
}

// Cut anywhere, an image opens and lists, or fails with an error: never a crash or a hang.
TEST(UdfVolume, TruncatedImagesFailCleanly)
{
    for (const auto layout : {UdfLayout::Physical, UdfLayout::Metadata, UdfLayout::Virtual}) {
        const auto whole = mixedTree().build(options(layout, 0x0250));
        for (std::size_t size = 0; size < whole.size(); size += 2048 * 7 + 511) {
            const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
            (void)errorFrom([&] {
                const auto disc = open(cut);
                listTree(*disc.volume);
            });
        }
    }
}

} // namespace
} // namespace tarvelo::image
