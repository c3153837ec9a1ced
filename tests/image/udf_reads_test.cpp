// SPDX-License-Identifier: GPL-3.0-or-later
// How a UDF disc is read: each folder's entries in a few forward requests, no byte twice,
// and files opened from their listing without their entries read again.
#include "image/udf_volume.h"
#include "tests/image/udf_image_builder.h"
#include "tests/image/volume_listing.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarvelo::image {
namespace {

using test::readAll;
using test::UdfImageBuilder;
using test::UdfImageOptions;
using test::UdfLayout;

struct Read
{
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// The image's bytes with every request kept in order.
class RecordingSource final : public platform::ByteSource
{
public:
    explicit RecordingSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint64_t size() const override { return m_bytes.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        log.push_back({offset, out.size()});
        m_bytes.readAt(offset, out);
    }

    mutable std::vector<Read> log;

private:
    platform::MemoryByteSource m_bytes;
};

constexpr int kFilesInBigFolder = 700; // entries of more than 1 MiB: two requests' worth

std::string contentsOf(const std::string& name)
{
    return name + std::string(3000, '.');
}

// A folder whose entries fill more than one request, folders below it, and archives.
UdfImageBuilder manyFilesTree()
{
    UdfImageBuilder tree;
    for (int i = 0; i < kFilesInBigFolder; ++i) {
        const std::string name = "Big/file " + std::to_string(i);
        tree.file(name, contentsOf(name));
    }
    for (const char* name : {"Big/Sub/a.zip", "Big/Sub/Deeper/b.zip", "Other/c.rar", "d.zip"})
        tree.file(name, contentsOf(name));
    return tree;
}

struct Layout
{
    const char* name;
    UdfImageOptions options;
};

const Layout kLayouts[] = {
    {"physical", {UdfLayout::Physical, 0x0201, "UDF DISC", false, false, false, false}},
    {"physical, extended entries, long descriptors",
     {UdfLayout::Physical, 0x0201, "UDF DISC", true, true, false, false}},
    {"metadata partition", {UdfLayout::Metadata, 0x0250, "UDF DISC", false, false, false, false}},
    {"virtual table", {UdfLayout::Virtual, 0x0201, "UDF DISC", false, false, false, false}},
};

struct Disc
{
    std::vector<std::uint8_t> bytes;
    std::shared_ptr<RecordingSource> source;
    std::unique_ptr<UdfVolume> volume;
};

std::unique_ptr<Disc> open(const UdfImageBuilder& tree, const UdfImageOptions& options)
{
    auto disc = std::make_unique<Disc>();
    disc->bytes = tree.build(options);
    disc->source = std::make_shared<RecordingSource>(disc->bytes);
    disc->volume = std::make_unique<UdfVolume>(disc->source, "disc.udf");
    disc->source->log.clear(); // the volume's descriptors are not the subject here
    return disc;
}

// What a walk of the whole tree finds: every file by its path with its ref, and the
// requests each folder's listing made. Each folder is listed once, as a report does.
struct Walk
{
    std::map<std::string, std::uint64_t> files;
    std::map<std::string, std::vector<Read>> listingReads;
};

void walk(const Disc& disc, const std::string& folder, Walk& found)
{
    const std::size_t readsBefore = disc.source->log.size();
    const auto entries = disc.volume->listFolder(folder);
    found.listingReads[folder].assign(disc.source->log.begin() +
                                          static_cast<std::ptrdiff_t>(readsBefore),
                                      disc.source->log.end());
    for (const auto& entry : entries) {
        const std::string path = disc.volume->childPath(folder, entry.name);
        if (entry.kind == platform::EntryKind::Folder)
            walk(disc, path, found);
        else
            found.files.emplace(path, entry.ref);
    }
}

Walk walk(const Disc& disc)
{
    Walk found;
    walk(disc, disc.volume->rootPath(), found);
    return found;
}

// The first place where two requests read the same byte, or "" when none do.
std::string firstByteReadTwice(std::vector<Read> log)
{
    std::sort(log.begin(), log.end(),
              [](const Read& a, const Read& b) { return a.offset < b.offset; });
    for (std::size_t i = 1; i < log.size(); ++i)
        if (log[i].offset < log[i - 1].offset + log[i - 1].length)
            return "byte " + std::to_string(log[i].offset) + " read twice";
    return "";
}

// Listing the whole tree and opening every file reads no byte twice; a folder of 700
// files is read in its identifiers and then two forward requests for its entries.
TEST(UdfReads, ListingAndOpeningReadEveryByteOnceInForwardRuns)
{
    const auto tree = manyFilesTree();
    const auto ascending = [](const Read& a, const Read& b) { return a.offset < b.offset; };
    for (const auto& layout : kLayouts) {
        const auto disc = open(tree, layout.options);
        const Walk found = walk(*disc);
        ASSERT_EQ(found.files.size(), kFilesInBigFolder + 4) << layout.name;
        // Big's identifiers were read ahead with its parent's listing.
        const auto& big = found.listingReads.at("disc.udf/Big");
        EXPECT_EQ(big.size(), 2) << layout.name;
        EXPECT_TRUE(std::is_sorted(big.begin(), big.end(), ascending)) << layout.name;
        for (const Read& read : disc->source->log)
            EXPECT_LE(read.length, std::uint64_t{1} << 20) << layout.name;

        for (const auto& [path, ref] : found.files)
            ASSERT_EQ(readAll(*disc->volume->openEntry(path, ref)),
                      contentsOf(path.substr(std::string("disc.udf/").size())))
                << layout.name << ": " << path;
        EXPECT_EQ(firstByteReadTwice(disc->source->log), "") << layout.name;
    }
}

// A file opened through its ref reads only its data, in one request: the listing kept
// where they lie, so its entry is not read again, even by a volume that never read it.
// A fragmented file (several runs, continued descriptors) is found through its entry.
TEST(UdfReads, OpeningAListedFileReadsOnlyItsData)
{
    const auto tree = manyFilesTree();
    for (const auto& layout : kLayouts) {
        const auto files = walk(*open(tree, layout.options)).files;
        const auto fresh = open(tree, layout.options);
        for (const char* path :
             {"disc.udf/d.zip", "disc.udf/Big/Sub/Deeper/b.zip", "disc.udf/Other/c.rar"}) {
            fresh->source->log.clear();
            const auto file = fresh->volume->openEntry(path, files.at(path));
            EXPECT_EQ(readAll(*file), contentsOf(std::string(path).substr(9))) << layout.name;
            ASSERT_EQ(fresh->source->log.size(), 1) << layout.name << ": " << path;
            EXPECT_EQ(fresh->source->log.front().length, file->size()) << layout.name;
        }
    }
    auto fragmented = kLayouts[0].options;
    fragmented.fragment = true;
    const auto disc = open(tree, fragmented);
    const auto files = walk(*disc).files;
    EXPECT_EQ(readAll(*disc->volume->openEntry("disc.udf/d.zip", files.at("disc.udf/d.zip"))),
              contentsOf("d.zip"));
}

} // namespace
} // namespace tarvelo::image
