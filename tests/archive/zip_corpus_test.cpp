// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "archive/zip_reader.h"
#include "archive/zip_records.h"
#include "common/error.h"
#include "common/text.h"
#include "tests/archive/reader_fixtures.h"
#include "tests/archive/zip_fixtures.h"
#include "tests/support/corpus.h"

namespace tarvelo::test {
namespace {

std::vector<std::string> corpusZips()
{
    std::vector<std::string> zips;
    for (const auto& file : std::filesystem::directory_iterator(corpusDir() / "zip"))
        zips.push_back("zip/" + file.path().filename().string());
    std::sort(zips.begin(), zips.end());
    return zips;
}

const common::CodePage& codePageFor(const std::string& archive)
{
    static const common::CodePage cp866 = *common::CodePage::byName("CP866");
    return archive == "zip/cp866_names.zip" ? cp866 : common::CodePage::defaultOem();
}

// Archives this reader deliberately does not list although some tools do.
const std::set<std::string> kNotListed = {
    "zip/truncated_split_001.zip", // local headers only: no central directory to read
};

std::string withoutTrailingSlash(std::string name)
{
    if (!name.empty() && name.back() == '/') name.pop_back();
    return name;
}

TEST(ZipCorpus, ListsEveryArchiveAsTheManifestSays)
{
    TARVELO_SKIP_WITHOUT_CORPUS();
    const auto manifest = readManifest();
    const std::vector<std::string> zips = corpusZips();
    ASSERT_FALSE(zips.empty());
    for (const std::string& archive : zips) {
        SCOPED_TRACE(archive);
        const auto expected = manifest.find(archive);
        ASSERT_NE(expected, manifest.end()) << "not in the manifest";
        ZipFixture zip(codePageFor(archive));
        if (kNotListed.count(archive) != 0) {
            EXPECT_THROW(zip.read(readBytes(corpusDir() / archive)), Error);
            continue;
        }
        ASSERT_NO_THROW(zip.read(readBytes(corpusDir() / archive)));
        const auto& entries = expected->second;
        ASSERT_EQ(zip.reader.FileCount(), static_cast<std::int32_t>(entries.size()));
        for (const ManifestEntry& entry : entries) {
            EXPECT_EQ(withoutTrailingSlash(zip.reader.FileName(entry.index)), entry.name)
                << "entry " << entry.index;
            EXPECT_EQ(zip.reader.IsDir(entry.index), entry.isDir) << entry.name;
        }
    }
}

// Lengths at which to cut a file: all of them for small files; for larger ones every
// record boundary plus and minus one, and evenly spread samples.
std::set<std::size_t> cutLengths(const std::vector<std::uint8_t>& bytes)
{
    constexpr std::size_t kEveryLengthUpTo = 4096;
    constexpr std::size_t kSamples = 300;
    std::set<std::size_t> lengths;
    if (bytes.size() <= kEveryLengthUpTo) {
        for (std::size_t n = 0; n < bytes.size(); ++n) lengths.insert(n);
        return lengths;
    }
    const std::uint32_t signatures[] = {
        archive::zip::kLocalHeaderSignature, archive::zip::kCentralHeaderSignature,
        archive::zip::kDataDescriptorSignature, archive::zip::kEndRecordSignature,
        archive::zip::kZip64EndRecordSignature, archive::zip::kZip64LocatorSignature};
    for (std::size_t at = 0; at + 4 <= bytes.size(); ++at) {
        const std::uint32_t word = archive::zip::le32(bytes, at);
        if (std::find(std::begin(signatures), std::end(signatures), word) == std::end(signatures))
            continue;
        for (const std::size_t n : {at - 1, at, at + 1})
            if (n < bytes.size()) lengths.insert(n);
    }
    for (std::size_t i = 0; i < kSamples; ++i) lengths.insert(bytes.size() * i / kSamples);
    lengths.insert(bytes.size() - 1);
    return lengths;
}

TEST(ZipCorpus, TruncatedCopiesEndInAListingOrAnError)
{
    TARVELO_SKIP_WITHOUT_CORPUS();
    for (const std::string& archive : corpusZips()) {
        const std::vector<std::uint8_t> bytes = readBytes(corpusDir() / archive);
        for (const std::size_t length : cutLengths(bytes)) {
            const MemoryArchive files({bytes.data(), length});
            RecordedNotices notices;
            archive::ReaderState state;
            archive::Cls_Zip reader(state, common::CodePage::defaultOem());
            try {
                reader.Get_Contents("cut.zip", {files, notices});
            } catch (const Error&) {
                continue;
            }
            SCOPED_TRACE(archive + " cut at " + std::to_string(length));
            ASSERT_LE(static_cast<std::size_t>(reader.FileCount()),
                      length / archive::zip::kCentralHeaderSize);
            ASSERT_LE(notices.texts.size(), 1u);
            for (std::int32_t i = 1; i <= reader.FileCount(); ++i)
                ASSERT_TRUE(common::isValidUtf8(reader.FileName(i))) << "entry " << i;
        }
    }
}

} // namespace
} // namespace tarvelo::test
