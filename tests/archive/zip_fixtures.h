// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/zip_reader.h"
#include "common/notice_sink.h"
#include "platform/byte_source.h"
#include "tests/archive/reader_fixtures.h"

namespace tarvelo::test {

// Archives held in memory by path; counts how many opened sources are still open and
// how many bytes were read from them.
class MemoryFiles final : public platform::FileOpener
{
public:
    struct Counts
    {
        int open = 0;
        std::uint64_t bytesRead = 0;
    };

    void add(const std::string& path, std::vector<std::uint8_t> bytes)
    {
        m_files[path] = std::move(bytes);
    }
    std::unique_ptr<platform::ByteSource> openFile(const std::string& path) const override;
    int openCount() const noexcept { return m_counts->open; }
    std::uint64_t bytesRead() const noexcept { return m_counts->bytesRead; }

private:
    std::map<std::string, std::vector<std::uint8_t>> m_files;
    std::shared_ptr<Counts> m_counts = std::make_shared<Counts>();
};

// One member of a hand-made archive: local header, data, and its central header.
struct ZipMember
{
    std::string name{};
    std::string data{};
    std::uint16_t versionMadeBy = 20;
    std::uint16_t versionNeeded = 20;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::optional<std::uint32_t> compressedSize{}; // the data's size when not given
    std::uint32_t uncompressedSize = 0;
    std::string extra{};
    std::string comment{};
};

struct ZipOptions
{
    std::string comment{};
    std::string prefix{};    // data in front; offsets still count from the first local header
    bool zip64End = false; // ZIP64 end record and locator, classic fields saturated
};

// Where buildZip put things, so tests can damage exactly one record.
struct ZipImage
{
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> centralHeaders;
    std::size_t endRecord = 0;
};

ZipImage buildZip(const std::vector<ZipMember>& members, const ZipOptions& options = {});

void poke32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

// A reader with its own state, files and notices, as a test needs them.
struct ZipFixture
{
    archive::ReaderState state;
    archive::Cls_Zip reader;
    MemoryFiles files;
    RecordedNotices notices;

    explicit ZipFixture(const common::CodePage& oemCodePage = common::CodePage::defaultOem())
        : reader(state, oemCodePage)
    {
    }

    // Reads bytes as the archive "test.zip".
    void read(std::vector<std::uint8_t> bytes);
    std::vector<std::string> names() const;
};

} // namespace tarvelo::test
