#include "tests/image/iso_image_builder.h"
#include "tests/image/volume_listing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvelo::image {
namespace {

using test::IsoImage;
using test::IsoRecord;
using test::listTree;
using test::withSystemUse;

using Entries = std::vector<std::uint8_t>;

Entries entry(const char* signature, const std::vector<std::uint8_t>& data)
{
    Entries bytes{std::uint8_t(signature[0]), std::uint8_t(signature[1]),
                  std::uint8_t(4 + data.size()), 1};
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

Entries nameEntry(const std::string& name)
{
    std::vector<std::uint8_t> data{0};
    data.insert(data.end(), name.begin(), name.end());
    return entry("NM", data);
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
    return entry("CE", data);
}

Entries operator+(Entries a, const Entries& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Entries kSharingProtocol = entry("SP", {0xBE, 0xEF, 0});

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

// A writer that keeps folders at most eight deep moves deeper ones into a folder of its
// own and leaves a file with a child link where each was; the tree shows them in place.
TEST(IsoTree, RockRidgeMovedFoldersShowWhereTheyWere)
{
    const auto named = [](IsoRecord record, const char* name, const Entries& more = {}) {
        return withSystemUse(std::move(record), nameEntry(name) + more);
    };
    const auto childLink = [](std::uint32_t block) { return entry("CL", bothEndian(block)); };
    const Entries relocated = entry("RE", {});
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
