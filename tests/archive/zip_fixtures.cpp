// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/archive/zip_fixtures.h"

#include "common/error.h"
#include "tests/support/byte_builder.h"

namespace tarvelo::test {
namespace {

class CountedSource final : public platform::ByteSource
{
public:
    CountedSource(std::span<const std::uint8_t> bytes, std::shared_ptr<MemoryFiles::Counts> counts)
        : m_bytes(bytes), m_counts(std::move(counts))
    {
        ++m_counts->open;
    }
    ~CountedSource() override { --m_counts->open; }
    CountedSource(const CountedSource&) = delete;
    CountedSource& operator=(const CountedSource&) = delete;

    std::uint64_t size() const override { return m_bytes.size(); }
    void readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override
    {
        m_counts->bytesRead += out.size();
        m_bytes.readAt(offset, out);
    }

private:
    platform::MemoryByteSource m_bytes;
    std::shared_ptr<MemoryFiles::Counts> m_counts;
};

std::uint32_t sizeOf(const std::string& text)
{
    return static_cast<std::uint32_t>(text.size());
}

std::uint16_t lengthOf(const std::string& text)
{
    return static_cast<std::uint16_t>(text.size());
}

} // namespace

std::unique_ptr<platform::ByteSource> MemoryFiles::openFile(const std::string& path) const
{
    const auto found = m_files.find(path);
    if (found == m_files.end()) throw Error(ErrorNumber::FileNotFound, "file not found");
    return std::make_unique<CountedSource>(found->second, m_counts);
}

ZipImage buildZip(const std::vector<ZipMember>& members, const ZipOptions& options)
{
    ByteBuilder out;
    out.text(options.prefix);
    std::vector<std::uint32_t> localOffsets;
    for (const ZipMember& m : members) {
        localOffsets.push_back(static_cast<std::uint32_t>(out.size() - options.prefix.size()));
        out.u32(0x04034B50).u16(m.versionNeeded).u16(m.flags).u16(m.method).u32(0).u32(m.crc32)
            .u32(m.compressedSize.value_or(sizeOf(m.data))).u32(m.uncompressedSize)
            .u16(lengthOf(m.name)).u16(0).text(m.name).text(m.data);
    }
    ZipImage image;
    const std::size_t directoryAt = out.size();
    for (std::size_t i = 0; i < members.size(); ++i) {
        const ZipMember& m = members[i];
        image.centralHeaders.push_back(out.size());
        out.u32(0x02014B50).u16(m.versionMadeBy).u16(m.versionNeeded).u16(m.flags).u16(m.method)
            .u32(0).u32(m.crc32).u32(m.compressedSize.value_or(sizeOf(m.data)))
            .u32(m.uncompressedSize).u16(lengthOf(m.name)).u16(lengthOf(m.extra))
            .u16(lengthOf(m.comment)).u16(0).u16(0).u32(0).u32(localOffsets[i])
            .text(m.name).text(m.extra).text(m.comment);
    }
    const auto directorySize = static_cast<std::uint32_t>(out.size() - directoryAt);
    const auto directoryOffset = static_cast<std::uint32_t>(directoryAt - options.prefix.size());
    const auto count = static_cast<std::uint16_t>(members.size());
    if (options.zip64End) {
        const std::size_t recordAt = out.size() - options.prefix.size();
        out.u32(0x06064B50).u64(44).u16(45).u16(45).u32(0).u32(0)
            .u64(members.size()).u64(members.size()).u64(directorySize).u64(directoryOffset);
        out.u32(0x07064B50).u32(0).u64(recordAt).u32(1);
    }
    image.endRecord = out.size();
    out.u32(0x06054B50).u16(0).u16(0)
        .u16(options.zip64End ? 0xFFFF : count).u16(options.zip64End ? 0xFFFF : count)
        .u32(options.zip64End ? 0xFFFFFFFF : directorySize)
        .u32(options.zip64End ? 0xFFFFFFFF : directoryOffset)
        .u16(lengthOf(options.comment)).text(options.comment);
    image.bytes = out.data();
    return image;
}

void poke32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

void ZipFixture::read(std::vector<std::uint8_t> bytes)
{
    files.add("test.zip", std::move(bytes));
    reader.Get_Contents("test.zip", {files, notices});
}

std::vector<std::string> ZipFixture::names() const
{
    std::vector<std::string> result;
    for (std::int32_t i = 1; i <= reader.FileCount(); ++i) result.push_back(reader.FileName(i));
    return result;
}

} // namespace tarvelo::test
