// SPDX-License-Identifier: GPL-3.0-or-later
// Reads that must stay bounded by the input and stoppable, whatever the archive claims.
#include "archive/entry_store.h"
#include "common/stop_check.h"
#include "fuzz/fuzz_reader_support.h"
#include "tests/archive/rar_fixtures.h"
#include "tests/archive/zip_fixtures.h"

#include <array>
#include <gtest/gtest.h>

namespace tarvelo::test {
namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// Serves one sparse file: the held bytes at its start and at its end, zeros between.
class SparseFile final : public platform::FileOpener
{
public:
    SparseFile(std::vector<std::uint8_t> held, std::uint64_t size)
        : m_held(std::move(held)), m_size(size)
    {
    }
    std::unique_ptr<platform::ByteSource> openFile(const std::string&) const override
    {
        return std::make_unique<fuzz::TwoEndedSparseSource>(m_held, m_size);
    }

private:
    std::vector<std::uint8_t> m_held;
    std::uint64_t m_size;
};

std::vector<std::uint8_t> manyZipEntries(int count)
{
    std::vector<ZipMember> members(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < members.size(); ++i)
        members[i].name = "f" + std::to_string(i);
    return buildZip(members).bytes;
}

std::vector<std::uint8_t> manyRarEntries(int count)
{
    Bytes bytes = rar4::archive({rar4::marker(), rar4::mainHead()});
    for (int i = 0; i < count; ++i) {
        const Bytes file = rar4::file(rar4::FileBlock("f" + std::to_string(i)));
        bytes.insert(bytes.end(), file.begin(), file.end());
    }
    return bytes;
}

// The ZIP and the RAR reader side by side, each given the input a test made for it.
struct BothReaders
{
    struct Case
    {
        const char* name;
        archive::ArchiveReader& reader;
        const std::vector<std::uint8_t>& bytes;
    };

    archive::ReaderState state;
    archive::Cls_Zip zip{state, common::CodePage::defaultOem()};
    archive::Cls_Rar rar{state, common::CodePage::defaultOem()};

    std::array<Case, 2> over(const std::vector<std::uint8_t>& zipBytes,
                             const std::vector<std::uint8_t>& rarBytes)
    {
        return {{{"zip", zip, zipBytes}, {"rar", rar, rarBytes}}};
    }
};

// A stop lands inside one archive, long before its end, and is no failure of the archive.
TEST(ArchiveBounds, StopRequestedMidReadEndsTheRead)
{
    BothReaders readers;
    const std::vector<std::uint8_t> zipBytes = manyZipEntries(30000);
    const std::vector<std::uint8_t> rarBytes = manyRarEntries(30000);
    const auto cases = readers.over(zipBytes, rarBytes);
    for (const auto& c : cases) {
        const MemoryArchive files(c.bytes);
        IgnoredNotices notices;
        StopAtPoll stop(3);
        EXPECT_THROW(c.reader.Get_Contents("big", {files, notices, stop}), common::Stopped)
            << c.name;
        StopAtPoll never(1 << 30);
        c.reader.Get_Contents("big", {files, notices, never});
        EXPECT_EQ(c.reader.FileCount(), 30000) << c.name;
        EXPECT_LT((1 << 30) - never.pollsLeft(), 1000) << c.name << ": polled on every record";
    }
}

// A sparse file claims a range far beyond its bytes: the listing reads what is there and
// stops at the damage, and never allocates for the claim.
TEST(ArchiveBounds, SparseFilesClaimingGigabytes)
{
    const ZipImage one = buildZip({{.name = "a"}});
    std::vector<std::uint8_t> zipHeld(
        one.bytes.begin() + static_cast<std::ptrdiff_t>(one.centralHeaders[0]), one.bytes.end());
    // The end record: three entries in a directory that "starts at 0" and spans 2 GiB.
    poke32(zipHeld, zipHeld.size() - 22 + 8, 0x00030003);
    poke32(zipHeld, zipHeld.size() - 22 + 12, 0x7FFFFFFF);
    poke32(zipHeld, zipHeld.size() - 22 + 16, 0);

    const Bytes rarHeld =
        rar4::archive({rar4::marker(), rar4::mainHead(),
                       rar4::file(rar4::FileBlock("a").withFlags(0x8100).withHighSizes(8, 0))});

    BothReaders readers;
    const auto cases = readers.over(zipHeld, rarHeld);
    for (const auto& c : cases) {
        const SparseFile files(c.bytes, 40 * kGiB);
        RecordedNotices notices;
        c.reader.Get_Contents("sparse", {files, notices});
        ASSERT_EQ(c.reader.FileCount(), 1) << c.name;
        EXPECT_EQ(c.reader.FileName(1), "a") << c.name;
        EXPECT_EQ(notices.texts.size(), 1u) << c.name;
    }
}

// The name without a copy is the name, and empty where FileName is empty.
TEST(ArchiveBounds, NameViewsMatchTheNames)
{
    BothReaders readers;
    const std::vector<std::uint8_t> zipBytes = manyZipEntries(5000);
    const std::vector<std::uint8_t> rarBytes = manyRarEntries(5000);
    const auto cases = readers.over(zipBytes, rarBytes);
    for (const auto& c : cases) {
        const MemoryArchive files(c.bytes);
        IgnoredNotices notices;
        c.reader.Get_Contents("names", {files, notices});
        for (std::int32_t n : {0, 1, 2, 4999, 5000, 5001})
            EXPECT_EQ(c.reader.fileNameView(n), c.reader.FileName(n)) << c.name << " " << n;
        EXPECT_EQ(c.reader.fileNameView(5000), "f4999") << c.name;
    }
}

// Texts go in and come out unchanged, across blocks and in blocks of their own.
TEST(TextArena, KeepsEveryPairOfTexts)
{
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"", ""},
        {"a", ""},
        {"name", "comment"},
        {std::string(200, 'n'), std::string(130, 'c')},
        {std::string(3 << 20, 'L'), "larger than a block"},
        {"after the large one", std::string(70000, 'c')},
    };
    archive::TextArena arena;
    std::vector<archive::TextArena::Handle> handles;
    for (int round = 0; round < 40; ++round)
        for (const auto& [name, comment] : pairs)
            handles.push_back(arena.add(name, comment));
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const auto& [name, comment] = pairs[i % pairs.size()];
        ASSERT_EQ(arena.name(handles[i]), name) << i;
        ASSERT_EQ(arena.comment(handles[i]), comment) << i;
    }
}

} // namespace
} // namespace tarvelo::test
