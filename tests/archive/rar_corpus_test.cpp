// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/archive/rar_fixtures.h"
#include "tests/support/corpus.h"

namespace tarvelo::test {
namespace {

struct Listing
{
    std::vector<std::string> names;
    std::vector<bool> dirs;

    bool operator==(const Listing&) const = default;
};

Listing listingOf(const RarFixture& f)
{
    Listing out;
    out.names = f.names();
    for (std::int32_t i = 1; i <= f.reader.FileCount(); ++i) out.dirs.push_back(f.reader.IsDir(i));
    return out;
}

bool startsWith(const Bytes& bytes, const Bytes& prefix)
{
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

// RAR 1.5 to 4.x names keep the '\' they were stored with; the manifest writes '/'.
Listing expectedListing(const std::vector<ManifestEntry>& entries, const Bytes& bytes)
{
    Listing out;
    const bool recognised =
        startsWith(bytes, rar4::marker()) || startsWith(bytes, rar5::signature());
    if (!recognised) return out;
    const bool backslashes = startsWith(bytes, rar4::marker());
    for (const ManifestEntry& e : entries) {
        std::string name = e.name;
        if (backslashes) std::replace(name.begin(), name.end(), '/', '\\');
        out.names.push_back(name);
        out.dirs.push_back(e.isDir);
    }
    return out;
}

struct CorpusRar
{
    std::string archive;
    Bytes bytes;
    std::vector<ManifestEntry> entries;
};

std::vector<CorpusRar> corpusRars()
{
    std::vector<CorpusRar> out;
    for (const auto& [archive, entries] : readManifest())
        if (archive.starts_with("rar/"))
            out.push_back({archive, readBytes(corpusDir() / archive), entries});
    return out;
}

TEST(RarCorpus, ListsWhatTheManifestLists)
{
    TARVELO_SKIP_WITHOUT_CORPUS();
    const auto rars = corpusRars();
    ASSERT_FALSE(rars.empty());
    int unrecognised = 0;
    for (const CorpusRar& rar : rars) {
        RarFixture f;
        ASSERT_FALSE(failureOf([&] { f.read(rar.bytes); })) << rar.archive;
        EXPECT_EQ(listingOf(f), expectedListing(rar.entries, rar.bytes)) << rar.archive;
        if (f.state.ReadStatus == 0) ++unrecognised;
    }
    // Three archives behind a prefix (two self-extractors, a JPEG) and the RAR 1.4 one.
    EXPECT_EQ(unrecognised, 4);
}

// Lengths to cut an archive at: every one for a small archive; for a larger one the
// first few hundred, a stride, and both sides of each length where the listing grows,
// found by bisection.
class Truncations
{
public:
    explicit Truncations(const Bytes& bytes) : m_bytes(bytes) {}

    // Reads every cut; each must list a prefix of the whole archive's listing.
    void check(const std::string& archive)
    {
        RarFixture whole;
        whole.read(m_bytes);
        m_full = whole.names();
        constexpr std::size_t kSmallArchive = 4096;
        constexpr std::size_t kEveryLengthUpTo = 512;
        constexpr std::size_t kStride = 61;
        const std::size_t size = m_bytes.size();
        const std::size_t everyLengthUpTo = size <= kSmallArchive ? size : kEveryLengthUpTo;
        std::size_t previousLength = 0;
        std::size_t previousCount = countAt(0, archive);
        for (std::size_t length = 1; length <= size;
             length += length < everyLengthUpTo ? 1 : kStride) {
            const std::size_t count = countAt(length, archive);
            if (count > previousCount && length - previousLength > 1)
                probeGrowth(previousLength, length, previousCount, archive);
            previousLength = length;
            previousCount = count;
        }
        countAt(size, archive);
    }

private:
    std::size_t countAt(std::size_t length, const std::string& archive)
    {
        RarFixture cut;
        const std::span<const std::uint8_t> bytes(m_bytes.data(), length);
        EXPECT_FALSE(failureOf([&] { cut.read(bytes); })) << archive << " cut at " << length;
        const auto names = cut.names();
        EXPECT_LE(names.size(), m_full.size()) << archive << " cut at " << length;
        EXPECT_TRUE(std::equal(names.begin(), names.end(), m_full.begin()))
            << archive << " cut at " << length << " lists other names";
        return names.size();
    }

    // The listing grew somewhere in (low, high]: find the first length and read its sides.
    void probeGrowth(std::size_t low, std::size_t high, std::size_t lowCount,
                     const std::string& archive)
    {
        while (high - low > 1) {
            const std::size_t middle = low + (high - low) / 2;
            (countAt(middle, archive) > lowCount ? high : low) = middle;
        }
        countAt(high - 1, archive);
        if (high + 1 <= m_bytes.size()) countAt(high + 1, archive);
    }

    const Bytes& m_bytes;
    std::vector<std::string> m_full;
};

TEST(RarCorpus, TruncationsListAPrefix)
{
    TARVELO_SKIP_WITHOUT_CORPUS();
    for (const CorpusRar& rar : corpusRars()) Truncations(rar.bytes).check(rar.archive);
}

} // namespace
} // namespace tarvelo::test
