// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/iso_image_builder.h"
#include "tests/image/volume_listing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace tarvelo::image {
namespace {

using test::IsoImage;
using test::IsoRecord;
using test::listTree;
using test::systemUseEntry;
using test::withSystemUse;

using Entries = std::vector<std::uint8_t>;

Entries nameEntry(const std::string& name)
{
    Entries data(1 + name.size()); // flags 0, then the name
    std::copy(name.begin(), name.end(), data.begin() + 1);
    return systemUseEntry("NM", data);
}

Entries bothEndian(std::uint32_t value)
{
    return {std::uint8_t(value),       std::uint8_t(value >> 8),  std::uint8_t(value >> 16),
            std::uint8_t(value >> 24), std::uint8_t(value >> 24), std::uint8_t(value >> 16),
            std::uint8_t(value >> 8),  std::uint8_t(value)};
}

Entries continuation(std::uint32_t block, std::uint32_t offset, std::uint32_t length)
{
    Entries data;
    for (const auto value : {block, offset, length}) {
        const auto half = bothEndian(value);
        data.insert(data.end(), half.begin(), half.end());
    }
    return systemUseEntry("CE", data);
}

Entries operator+(Entries a, const Entries& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Entries kSharingProtocol = systemUseEntry("SP", {0xBE, 0xEF, 0});

// A disc whose primary tree (root at 18) may carry Rock Ridge entries and which may
// have a Joliet tree too (root at 19).
struct DiscSpec
{
    const char* name;
    Entries rootSystemUse;
    std::vector<IsoRecord> primary;
    std::vector<IsoRecord> joliet;
    std::vector<std::string> listing;
};

IsoImage discOf(const DiscSpec& spec)
{
    IsoImage image(40);
    image.descriptor(16, test::primaryDescriptor("TREE", 18));
    std::size_t next = 17;
    if (!spec.joliet.empty()) image.descriptor(next++, test::jolietDescriptor("", 19));
    image.terminator(next);
    auto primary = test::withSelfAndParent(18, spec.primary);
    primary.front().systemUse = spec.rootSystemUse;
    image.records(18, primary);
    image.records(19, test::withSelfAndParent(19, spec.joliet));
    return image;
}

TEST(IsoTree, NamesComeFromJolietElseRockRidgeElsePrimary)
{
    std::string twoByteLetters; // 50 times "é"
    for (int i = 0; i < 50; ++i) twoByteLetters += "\xC3\xA9";
    const IsoRecord plainFile = test::fileRecord("README.TXT;1", 30, 1);
    const IsoRecord plainFolder = test::folderRecord("DOCS", 20);
    const DiscSpec cases[] = {
        {"primary only", {}, {plainFile, plainFolder}, {}, {"DOCS/", "README.TXT 1"}},
        {"joliet over primary",
         {},
         {plainFile},
         {test::fileRecord(test::ucs2("Read me, please.txt"), 30, 1)},
         {"Read me, please.txt 1"}},
        {"rock ridge names",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry("Read me.txt")),
          withSystemUse(plainFolder, nameEntry("Documents")),
          test::fileRecord("PLAIN.TXT;1", 31, 2)},
         {},
         {"Documents/", "PLAIN.TXT 2", "Read me.txt 1"}},
        {"rock ridge name in parts",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry("Two") + nameEntry(" parts"))},
         {},
         {"Two parts 1"}},
        {"rock ridge name continued elsewhere",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry("Contin") + continuation(25, 100, 12))},
         {},
         {"Continued.txt 1"}},
        {"continuation beyond the disc",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry("Kept") + continuation(9000, 0, 12))},
         {},
         {"Kept 1"}},
        {"name entries without sharing protocol",
         {},
         {withSystemUse(plainFile, nameEntry("Ignored"))},
         {},
         {"README.TXT 1"}},
        {"rock ridge name past 255 bytes",
         kSharingProtocol,
         {withSystemUse(plainFile, continuation(26, 0, 2048))},
         {},
         {std::string(200, 'a') + std::string(55, 'b') + " 1"}},
        {"rock ridge name cut inside a character",
         kSharingProtocol,
         {withSystemUse(plainFile, continuation(27, 0, 2048))},
         {},
         {std::string(200, 'a') + twoByteLetters.substr(0, 54) + " 1"}},
        {"empty rock ridge name",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry(""))},
         {},
         {"README.TXT 1"}},
        {"rock ridge name holding a slash",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry("a/b.txt"))},
         {},
         {"a_b.txt 1"}},
        {"joliet over rock ridge",
         kSharingProtocol,
         {withSystemUse(plainFile, nameEntry("Rock Ridge"))},
         {test::fileRecord(test::ucs2("Joliet"), 30, 1)},
         {"Joliet 1"}},
    };
    for (const auto& c : cases) {
        auto image = discOf(c);
        image.records(20, test::withSelfAndParent(20, {}));
        image.put(25 * 2048 + 100, nameEntry("ued.txt"));
        image.put(26 * 2048, nameEntry(std::string(200, 'a')) + nameEntry(std::string(100, 'b')));
        image.put(27 * 2048, nameEntry(std::string(200, 'a')) + nameEntry(twoByteLetters));
        EXPECT_EQ(listTree(*test::isoVolume(image)), c.listing) << c.name;
    }
}

TEST(IsoTree, ContinuationLoopsEnd)
{
    // The continuation area continues at itself: a chain that would never end.
    auto image = discOf({"loop",
                         kSharingProtocol,
                         {withSystemUse(test::fileRecord("LOOP.TXT;1", 30, 1),
                                        nameEntry("x") + continuation(25, 0, 40))},
                         {},
                         {}});
    image.put(25 * 2048, nameEntry("y") + continuation(25, 0, 40));
    const auto listing = listTree(*test::isoVolume(image));
    ASSERT_EQ(listing.size(), 1u);
    EXPECT_THAT(listing.front(), testing::StartsWith("xyyy"));
    EXPECT_LT(listing.front().size(), 64u);
}

// Records whose names all go on through one long chain of continuation areas: each name
// stops at the host's limit, and the shared areas are not read again for every record.
TEST(IsoTree, NamesSharingOneContinuationChainStayShortAndCheap)
{
    constexpr std::uint32_t kChain = 60, kHops = 16, kRootSectors = 30;
    IsoImage image(kChain + kHops + 1);
    auto descriptor = test::primaryDescriptor("CHAIN", 18);
    descriptor.rootLength = kRootSectors * 2048;
    image.descriptor(16, descriptor).terminator(17);
    for (std::uint32_t hop = 0; hop < kHops; ++hop)
        image.put((kChain + hop) * 2048,
                  nameEntry(std::string(240, 'n')) + continuation(kChain + hop + 1, 0, 2048));
    std::vector<IsoRecord> records;
    for (int i = 0; i < 400; ++i)
        records.push_back(withSystemUse(test::fileRecord("F" + std::to_string(i) + ";1", 30, 1),
                                        continuation(kChain, 0, 2048)));
    auto root = test::withSelfAndParent(18, records);
    root.front().systemUse = kSharingProtocol;
    image.records(18, root);

    const auto source = std::make_shared<test::CountingSource>(image);
    const IsoVolume volume(source, "disc.iso");
    const auto entries = volume.listFolder(volume.rootPath());
    ASSERT_EQ(entries.size(), records.size());
    for (const auto& entry : entries)
        ASSERT_EQ(entry.name, std::string(255, 'n'));
    EXPECT_LE(source->reads(), 8);
}

// A writer that keeps folders at most eight deep moves deeper ones into a folder of its
// own and leaves a file with a child link where each was; the tree shows them in place.
TEST(IsoTree, RockRidgeMovedFoldersShowWhereTheyWere)
{
    const auto named = [](IsoRecord record, const char* name, const Entries& more = {}) {
        return withSystemUse(std::move(record), nameEntry(name) + more);
    };
    const auto childLink = [](std::uint32_t block) {
        return systemUseEntry("CL", bothEndian(block));
    };
    const Entries relocated = systemUseEntry("RE", {});
    const struct
    {
        const char* name;
        std::vector<IsoRecord> inA; // the records of folder "a", block 20
        std::vector<std::string> listing;
    } cases[] = {
        {"moved folder",
         {named(test::fileRecord("DEEP", 0, 0), "deep", childLink(22))},
         {"a/", "  deep/", "    leaf.txt 1", "rr_moved/"}},
        {"link to an ancestor",
         {named(test::fileRecord("UP", 0, 0), "up", childLink(18))},
         {"a/", "rr_moved/"}},
    };
    for (const auto& c : cases) {
        auto image = discOf({c.name,
                             kSharingProtocol,
                             {named(test::folderRecord("A", 20), "a"),
                              named(test::folderRecord("RR_MOVED", 21), "rr_moved")},
                             {},
                             {}});
        image.records(20, test::withSelfAndParent(20, c.inA));
        image.records(21, test::withSelfAndParent(
                              21, {named(test::folderRecord("DEEP", 22), "deep", relocated)}));
        image.records(22, test::withSelfAndParent(
                              22, {named(test::fileRecord("LEAF.TXT;1", 30, 1), "leaf.txt")}));
        EXPECT_EQ(listTree(*test::isoVolume(image)), c.listing) << c.name;
    }
}

} // namespace
} // namespace tarvelo::image
