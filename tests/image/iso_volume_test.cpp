// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/error.h"
#include "image/iso9660_volume.h"
#include "image/udf_descriptors.h"
#include "tests/support/error_of.h"
#include "tests/image/iso_image_builder.h"
#include "tests/image/volume_listing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvelo::image {
namespace {

using test::IsoImage;
using test::IsoRecord;
using test::kIsoAssociated;
using test::kIsoMultiExtent;
using test::errorFrom;
using test::listTree;
using test::readAll;
using testing::ElementsAre;
using testing::HasSubstr;

constexpr std::uint32_t kMaxExtent = 0xFFFFF800; // the largest whole-block extent

TEST(IsoVolume, JoinsTheExtentsOfAMultiExtentFile)
{
    const struct
    {
        const char* name;
        std::vector<std::uint32_t> lengths;
        std::uint64_t size;
    } cases[] = {
        {"exactly 4 GiB", {kMaxExtent, 2048}, 4294967296},
        {"8 GiB in three extents", {kMaxExtent, kMaxExtent, 4096}, 8589934592},
        {"4.7 GB file", {kMaxExtent, 405034752}, 4700000000},
    };
    for (const auto& c : cases) {
        std::vector<IsoRecord> records;
        for (std::size_t i = 0; i < c.lengths.size(); ++i)
            records.push_back(test::fileRecord(
                "BIG.DAT;1", 100 + static_cast<std::uint32_t>(i) * 0x200000, c.lengths[i],
                i + 1 < c.lengths.size() ? kIsoMultiExtent : std::uint8_t{0}));
        records.push_back(test::fileRecord("SMALL.TXT;1", 30, 5));
        const auto image = test::plainImage(records);
        EXPECT_THAT(listTree(*test::isoVolume(image)),
                    ElementsAre("BIG.DAT " + std::to_string(c.size), "SMALL.TXT 5"))
            << c.name;
    }
}

TEST(IsoVolume, OpensAMultiExtentFileAsOneRunOfBytes)
{
    auto image = test::plainImage({
        test::fileRecord("JOINED.TXT;1", 30, 3, kIsoMultiExtent),
        test::fileRecord("JOINED.TXT;1", 31, 2, kIsoMultiExtent),
        test::fileRecord("JOINED.TXT;1", 32, 1),
    });
    image.put(30 * 2048, "abcXX").put(31 * 2048, "deYY").put(32 * 2048, "fZ");
    const auto volume = test::isoVolume(image, "backup/disc07.iso");
    const auto file = volume->openFile("backup/disc07.iso/JOINED.TXT");
    EXPECT_EQ(readAll(*file), "abcdef");
    const auto middle = file->read(2, 3);
    EXPECT_EQ(std::string(middle.begin(), middle.end()), "cde");
    EXPECT_EQ(test::errorOf([&] { file->read(4, 3); }), ErrorNumber::InputPastEndOfFile);
}

TEST(IsoVolume, ListsWhatWindowsShows)
{
    const auto image = test::plainImage({
        test::fileRecord("RESOURCE.DAT;1", 30, 1, kIsoAssociated),
        test::fileRecord("HIDDEN.TXT;1", 30, 2, 0x01),
        test::fileRecord("CUT.DAT;1", 30, 3, kIsoMultiExtent),
        test::fileRecord("NEXT.DAT;1", 31, 4),
        test::fileRecord("README.;1", 30, 5),
        test::fileRecord(";1", 30, 6),
    });
    // The associated file is hidden, the hidden one is not; a multi-extent run cut short
    // by another name keeps what it had; a name that is only a version is left out.
    EXPECT_THAT(listTree(*test::isoVolume(image)),
                ElementsAre("CUT.DAT 3", "HIDDEN.TXT 2", "NEXT.DAT 4", "README 5"));
}

TEST(IsoVolume, PathsAreTheSourcePathThenTheFoldersInside)
{
    auto image = test::plainImage({test::folderRecord("DOCS", 19)});
    image.records(19, test::withSelfAndParent(19, {test::fileRecord("A.TXT;1", 30, 2)}));
    image.put(30 * 2048, "hi");
    const auto volume = test::isoVolume(image, "backup/disc07.iso");
    EXPECT_EQ(volume->rootPath(), "backup/disc07.iso/");
    // A folder can be listed before its parent.
    EXPECT_EQ(volume->listFolder("backup/disc07.iso/DOCS").size(), 1u);
    EXPECT_EQ(readAll(*volume->openFile("backup/disc07.iso/DOCS/A.TXT")), "hi");

    const struct
    {
        const char* path;
        ErrorNumber number;
    } missing[] = {
        {"backup/disc07.iso/DOCS/B.TXT", ErrorNumber::FileNotFound},
        {"backup/disc07.iso/DOCS", ErrorNumber::FileNotFound},
        {"backup/disc07.iso/OTHER/A.TXT", ErrorNumber::PathNotFound},
        {"A.TXT", ErrorNumber::FileNotFound},
    };
    for (const auto& m : missing)
        EXPECT_EQ(test::errorOf([&] { volume->openFile(m.path); }), m.number) << m.path;
}

// Counts the reads that touch one byte range of the disc.
class CountingSource final : public platform::ByteSource
{
public:
    CountingSource(const IsoImage& image, std::uint64_t watchedOffset)
        : m_bytes(image.bytes()), m_watched(watchedOffset)
    {
    }

    std::uint64_t size() const override { return m_bytes.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        if (offset <= m_watched && m_watched < offset + out.size()) ++m_watchedReads;
        m_bytes.readAt(offset, out);
    }
    int watchedReads() const { return m_watchedReads; }

private:
    platform::MemoryByteSource m_bytes;
    std::uint64_t m_watched;
    mutable int m_watchedReads = 0;
};

// A folder of many archives must not be read again for each one the walk opens.
TEST(IsoVolume, FilesOpenedThroughTheirEntriesReadNoRecordsAgain)
{
    std::vector<IsoRecord> files;
    for (int i = 0; i < 40; ++i)
        files.push_back(test::fileRecord("A" + std::to_string(i) + ".ZIP;1", 30, 1));
    auto image = test::plainImage({test::folderRecord("DOCS", 19)});
    image.records(19, test::withSelfAndParent(19, files));
    const auto source = std::make_shared<CountingSource>(image, 19 * 2048);
    const IsoVolume volume(source, "disc.iso");
    const int descriptorReads = source->watchedReads(); // the descriptor set is read ahead

    const auto entries = volume.listFolder("disc.iso/DOCS");
    EXPECT_EQ(entries.size(), files.size());
    for (const auto& entry : entries)
        EXPECT_EQ(volume.openEntry("disc.iso/DOCS/" + entry.name, entry.ref)->size(), 1u);
    EXPECT_EQ(source->watchedReads() - descriptorReads, 1);
    // Found by its path instead, a file's folder is read again.
    EXPECT_EQ(volume.openFile("disc.iso/DOCS/A7.ZIP")->size(), 1u);
    EXPECT_EQ(source->watchedReads() - descriptorReads, 2);
}

// Directories that point back up, share records or overlap would make the walk endless
// or exponential: each is left out, and the walk ends.
TEST(IsoVolume, SkipsFoldersThatLoopOrOverlap)
{
    const auto folder = [](const char* name, std::uint32_t block, std::uint32_t length = 2048) {
        return test::folderRecord(name, block, length);
    };
    const struct
    {
        const char* name;
        std::vector<IsoRecord> root;
        std::vector<IsoRecord> folderA; // the records of block 19
        std::vector<std::string> listing;
    } cases[] = {
        {"folder pointing at the root", {folder("LOOP", 18)}, {}, {}},
        {"folder pointing at its parent", {folder("A", 19)}, {folder("BACK", 19)}, {"A/"}},
        {"grandchild pointing at the root", {folder("A", 19)}, {folder("UP", 18)}, {"A/"}},
        {"two folders sharing records", {folder("A", 19), folder("B", 19)}, {}, {"A/"}},
        {"overlapping records", {folder("A", 19, 4096), folder("B", 20)}, {}, {"A/"}},
    };
    for (const auto& c : cases) {
        auto image = test::plainImage(c.root);
        image.records(19, test::withSelfAndParent(19, c.folderA));
        const auto volume = test::isoVolume(image);
        EXPECT_EQ(listTree(*volume), c.listing) << c.name;
        EXPECT_EQ(listTree(*volume), c.listing) << c.name << ", listed again";
    }
}

TEST(IsoVolume, ARecordLengthOfZeroEndsOnlyItsSector)
{
    auto image = test::plainImage({});
    image.records(18, test::withSelfAndParent(18, {test::fileRecord("FIRST.TXT;1", 30, 1)}));
    // A zero length byte mid-sector, then what looks like a record: padding, not read.
    image.put(18 * 2048 + 200, test::isoRecordBytes(test::fileRecord("GHOST.TXT;1", 30, 2)));
    image.records(19, {test::fileRecord("SECOND.TXT;1", 30, 3)});
    // A record that would cross the end of its sector ends that sector too.
    auto crossing = test::isoRecordBytes(test::fileRecord("CROSS.TXT;1", 30, 4));
    image.put(20 * 2048 - 20, crossing);
    auto descriptor = test::primaryDescriptor("PLAIN", 18);
    descriptor.rootLength = 3 * 2048;
    image.descriptor(16, descriptor);
    EXPECT_THAT(listTree(*test::isoVolume(image)), ElementsAre("FIRST.TXT 1", "SECOND.TXT 3"));
}

TEST(IsoVolume, AFolderBeyondTheImageFailsWithTheReason)
{
    const auto image = test::plainImage({
        test::folderRecord("FAR", 5000),
        test::fileRecord("FAR.TXT;1", 5000, 10),
    });
    const auto volume = test::isoVolume(image);
    const auto root = volume->listFolder(volume->rootPath());
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[0].kind, platform::EntryKind::Folder);
    const auto error = errorFrom([&] { volume->listFolder("disc.iso/FAR"); });
    ASSERT_TRUE(error);
    EXPECT_THAT(error->what(), HasSubstr("beyond the end of the disc"));
    // The file is listed with its size; only opening it fails.
    EXPECT_EQ(test::errorOf([&] { volume->openEntry("disc.iso/FAR.TXT", root[1].ref); }),
              ErrorNumber::InputPastEndOfFile);
}

// On a drive every read costs a seek: telling a disc without UDF looks at each session's
// recognition area once.
TEST(IsoVolume, UdfRecognitionAreaIsReadOncePerSession)
{
    const auto image = test::plainImage({}, 300);
    const struct
    {
        const char* name;
        std::uint64_t sessionStart;
        int reads;
    } rows[] = {{"one session", 0, 1}, {"a later session, then the first", 100, 2}};
    for (const auto& row : rows) {
        const test::CountingSource source(image);
        EXPECT_FALSE(udf::hasUdfRecognition(source, row.sessionStart)) << row.name;
        EXPECT_EQ(source.reads(), row.reads) << row.name;
    }
}

TEST(IsoVolume, ADiscWithoutAnIsoTreeNamesTheReason)
{
    IsoImage udf(40);
    udf.put(16 * 2048, std::string("\0BEA01\1", 7)).put(17 * 2048, std::string("\0NSR02\1", 7));
    udf.put(18 * 2048, std::string("\0TEA01\1", 7));
    IsoImage garbage(40);
    garbage.put(16 * 2048, "not a disc at all");
    const IsoImage tooShort(16);
    IsoImage badBlockSize(40);
    auto largeBlocks = test::primaryDescriptor("LARGE", 18);
    largeBlocks.blockSize = 4096;
    badBlockSize.descriptor(16, largeBlocks).terminator(17);
    const struct
    {
        const char* name;
        const IsoImage& image;
        const char* reason;
    } cases[] = {
        {"UDF only", udf, "no ISO 9660 file system"},
        {"no descriptors", garbage, "no ISO 9660 file system"},
        {"too short", tooShort, "no ISO 9660 file system"},
        {"unusable block size", badBlockSize, "no ISO 9660 file system"},
    };
    for (const auto& c : cases) {
        const auto error = errorFrom([&] { test::isoVolume(c.image); });
        ASSERT_TRUE(error) << c.name;
        EXPECT_EQ(error->number(), ErrorNumber::InvalidFileFormat) << c.name;
        EXPECT_THAT(error->what(), HasSubstr(c.reason)) << c.name;
    }
}

TEST(IsoVolume, ReadsTheDescriptorsOfTheSessionGiven)
{
    IsoImage image(160);
    image.descriptor(16, test::primaryDescriptor("FIRST", 18)).terminator(17);
    image.records(18, test::withSelfAndParent(18, {test::fileRecord("OLD.TXT;1", 30, 1)}));
    image.descriptor(116, test::primaryDescriptor("SECOND", 118)).terminator(117);
    image.records(118, test::withSelfAndParent(118, {test::fileRecord("NEW.TXT;1", 130, 2)}));
    const struct
    {
        std::uint64_t sessionStart;
        const char* label;
        const char* listing;
    } cases[] = {{0, "FIRST", "OLD.TXT 1"}, {100, "SECOND", "NEW.TXT 2"}};
    for (const auto& c : cases) {
        const auto volume = test::isoVolume(image, "/dev/sr0", c.sessionStart);
        EXPECT_EQ(volume->facts().label, c.label);
        EXPECT_THAT(listTree(*volume), ElementsAre(c.listing)) << "session at " << c.sessionStart;
    }
    EXPECT_TRUE(errorFrom([&] { test::isoVolume(image, "/dev/sr0", 150); }));
}

} // namespace
} // namespace tarvelo::image
