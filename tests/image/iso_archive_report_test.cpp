// SPDX-License-Identifier: GPL-3.0-or-later
// Archives inside a disc image, as the whole report run lists them.
#include "common/code_page.h"
#include "report/reader_set.h"
#include "report/report_run.h"
#include "tests/image/iso_image_builder.h"
#include "tests/report/run_harness.h"
#include "tests/support/byte_builder.h"
#include "tests/support/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>

namespace tarvelo::image {
namespace {

// A stored ZIP archive of one empty entry.
std::vector<std::uint8_t> zipOf(const std::string& entry)
{
    const auto size = static_cast<std::uint16_t>(entry.size());
    test::ByteBuilder zip;
    zip.u32(0x04034b50).u16(20).u16(0).u16(0).u32(0).u32(0).u32(0).u32(0).u16(size).u16(0);
    zip.text(entry);
    const auto central = static_cast<std::uint32_t>(zip.size());
    zip.u32(0x02014b50).u16(20).u16(20).u16(0).u16(0).u32(0).u32(0).u32(0).u32(0).u16(size);
    zip.u16(0).u16(0).u16(0).u16(0).u32(0).u32(0).text(entry);
    const auto centralSize = static_cast<std::uint32_t>(zip.size()) - central;
    zip.u32(0x06054b50).u16(0).u16(0).u16(1).u16(1).u32(centralSize).u32(central).u16(0);
    return zip.data();
}

// Opens the one image it holds as the disc, whatever the source is called.
class ImageOpener final : public platform::VolumeOpener
{
public:
    explicit ImageOpener(const test::IsoImage& image) : m_image(image) {}

    std::unique_ptr<platform::Volume> openVolume(const std::string& source) const override
    {
        return test::isoVolume(m_image, source);
    }

private:
    const test::IsoImage& m_image;
};

// A Joliet name may hold "/", which the report shows as "_": two archives may then show
// the same name, and each is still listed from its own bytes, never found by its name.
TEST(IsoArchiveReport, EachArchiveIsListedFromItsOwnRecord)
{
    const auto first = zipOf("first.txt");
    const auto second = zipOf("second.txt");
    test::IsoImage image(40);
    image.descriptor(16, test::primaryDescriptor("SLASH", 18));
    image.descriptor(17, test::jolietDescriptor("", 19));
    image.terminator(18);
    const auto length = [](const auto& bytes) { return static_cast<std::uint32_t>(bytes.size()); };
    image.records(19, test::withSelfAndParent(
                          19, {test::fileRecord(test::ucs2("A/B.ZIP"), 30, length(first)),
                               test::fileRecord(test::ucs2("A_B.ZIP"), 31, length(second))}));
    image.put(30 * test::IsoImage::kSector, first).put(31 * test::IsoImage::kSector, second);

    platform::MemoryFileSystem outputs;
    outputs.addDrive('C', {});
    const ImageOpener volumes(image);
    report::ReaderSet readers(common::CodePage::defaultOem());
    test::ScriptedUi ui;
    const auto outcome = report::runReport({"disc.iso"}, {volumes, outputs, readers.readers()}, ui);
    ASSERT_EQ(outcome.kind, report::OutcomeKind::Done);

    const std::string text = outputs.contents("C:\\REPORT.TXT").value_or("");
    for (const char* entry : {"first.txt", "second.txt"}) {
        const auto at = text.find(entry);
        ASSERT_NE(at, std::string::npos) << entry << " in\n" << text;
        EXPECT_EQ(text.find(entry, at + 1), std::string::npos) << entry << " in\n" << text;
    }
}

// An image's bytes, with the offset of every read noted in order.
class ReadLog final : public platform::ByteSource
{
public:
    explicit ReadLog(const test::IsoImage& image) : m_bytes(image.bytes()) {}

    std::uint64_t size() const override { return m_bytes.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        offsets.push_back(offset);
        m_bytes.readAt(offset, out);
    }

    mutable std::vector<std::uint64_t> offsets;

private:
    platform::MemoryByteSource m_bytes;
};

class LoggedImageOpener final : public platform::VolumeOpener
{
public:
    explicit LoggedImageOpener(std::shared_ptr<const ReadLog> log) : m_log(std::move(log)) {}

    std::unique_ptr<platform::Volume> openVolume(const std::string& source) const override
    {
        return std::make_unique<IsoVolume>(m_log, source);
    }

private:
    std::shared_ptr<const ReadLog> m_log;
};

struct LoggedReport
{
    std::string text;
    std::vector<std::uint64_t> archiveReads; // offsets from the first archive's block on
};

// Three archives A, B, C at the blocks given, each listing its own name.
LoggedReport reportOfArchivesAt(const std::array<std::uint32_t, 3>& blocks)
{
    std::vector<test::IsoRecord> records;
    auto image = test::plainImage({}, 40);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::string name(1, static_cast<char>('A' + i));
        const auto zip = zipOf(name + ".txt");
        records.push_back(
            test::fileRecord(name + ".ZIP;1", blocks[i], static_cast<std::uint32_t>(zip.size())));
        image.put(blocks[i] * test::IsoImage::kSector, zip);
    }
    image.records(18, test::withSelfAndParent(18, records));
    const auto log = std::make_shared<ReadLog>(image);
    platform::MemoryFileSystem outputs;
    outputs.addDrive('C', {});
    const LoggedImageOpener volumes(log);
    report::ReaderSet readers(common::CodePage::defaultOem());
    test::ScriptedUi ui;
    const auto outcome = report::runReport({"disc.iso"}, {volumes, outputs, readers.readers()}, ui);
    EXPECT_EQ(outcome.kind, report::OutcomeKind::Done);
    LoggedReport seen{outputs.contents("C:\\REPORT.TXT").value_or(""), {}};
    const std::uint64_t firstArchive = *std::min_element(blocks.begin(), blocks.end()) *
                                       std::uint64_t{test::IsoImage::kSector};
    std::copy_if(log->offsets.begin(), log->offsets.end(), std::back_inserter(seen.archiveReads),
                 [&](std::uint64_t offset) { return offset >= firstArchive; });
    return seen;
}

// Archives whose names and places on the disc come in opposite orders are read from the
// front of the disc to its back, and the report is the one their name order gives.
TEST(IsoArchiveReport, ArchivesAreReadInTheOrderTheyLie)
{
    const auto inNameOrder = reportOfArchivesAt({30, 32, 34});
    const auto reversed = reportOfArchivesAt({34, 32, 30});
    EXPECT_EQ(reversed.text, inNameOrder.text);
    EXPECT_NE(reversed.text.find("A.txt"), std::string::npos) << reversed.text;
    ASSERT_FALSE(reversed.archiveReads.empty());
    EXPECT_TRUE(std::is_sorted(reversed.archiveReads.begin(), reversed.archiveReads.end()))
        << testing::PrintToString(reversed.archiveReads);
    EXPECT_EQ(reversed.archiveReads.front(), 30u * test::IsoImage::kSector);
}

} // namespace
} // namespace tarvelo::image
