// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/iso_image_builder.h"

#include "tests/support/byte_builder.h"

#include <algorithm>
#include <stdexcept>

namespace tarvelo::test {
namespace {

constexpr std::uint32_t kRootBlock = 18;

void bothEndian32(ByteBuilder& out, std::uint32_t value)
{
    out.u32(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.u8(static_cast<std::uint8_t>(value >> shift));
}

void bothEndian16(ByteBuilder& out, std::uint16_t value)
{
    out.u16(value).u8(static_cast<std::uint8_t>(value >> 8)).u8(static_cast<std::uint8_t>(value));
}

std::string padded(std::string text, std::size_t size, const std::string& pad)
{
    while (text.size() < size)
        text += pad;
    return text.substr(0, size);
}

} // namespace

IsoRecord fileRecord(std::string identifier, std::uint32_t block, std::uint32_t length,
                     std::uint8_t flags)
{
    IsoRecord record;
    record.identifier = std::move(identifier);
    record.block = block;
    record.length = length;
    record.flags = flags;
    return record;
}

IsoRecord folderRecord(std::string identifier, std::uint32_t block, std::uint32_t length)
{
    return fileRecord(std::move(identifier), block, length, kIsoDirectory);
}

IsoRecord withSystemUse(IsoRecord record, std::vector<std::uint8_t> systemUse)
{
    record.systemUse = std::move(systemUse);
    return record;
}

IsoDescriptor primaryDescriptor(std::string label, std::uint32_t rootBlock)
{
    IsoDescriptor descriptor;
    descriptor.label = std::move(label);
    descriptor.rootBlock = rootBlock;
    return descriptor;
}

IsoDescriptor jolietDescriptor(std::string label, std::uint32_t rootBlock)
{
    IsoDescriptor descriptor = primaryDescriptor(std::move(label), rootBlock);
    descriptor.type = 2;
    descriptor.joliet = true;
    return descriptor;
}

std::vector<std::uint8_t> isoRecordBytes(const IsoRecord& record)
{
    const std::size_t padding = record.identifier.size() % 2 == 0 ? 1 : 0;
    const std::size_t length = 33 + record.identifier.size() + padding + record.systemUse.size();
    if (length > 255) throw std::invalid_argument("record too long");
    ByteBuilder out;
    out.u8(static_cast<std::uint8_t>(length)).u8(0);
    bothEndian32(out, record.block);
    bothEndian32(out, record.length);
    out.bytes({record.recorded.begin(), record.recorded.end()}).u8(record.flags).u8(0).u8(0);
    bothEndian16(out, 1);
    out.u8(static_cast<std::uint8_t>(record.identifier.size()))
        .text(record.identifier)
        .zeros(padding);
    out.bytes(record.systemUse);
    return out.data();
}

std::vector<std::uint8_t> systemUseEntry(const char* signature,
                                         const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> bytes{std::uint8_t(signature[0]), std::uint8_t(signature[1]),
                                    std::uint8_t(4 + data.size()), 1};
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

std::string ucs2(const std::string& ascii)
{
    std::string wide;
    for (const char c : ascii)
        wide += std::string(1, '\0') + c;
    return wide;
}

IsoImage& IsoImage::descriptor(std::size_t sector, const IsoDescriptor& descriptor)
{
    ByteBuilder out;
    out.u8(descriptor.type).text("CD001").u8(1).u8(0).zeros(32);
    out.text(descriptor.joliet ? padded(ucs2(descriptor.label), 32, ucs2(" "))
                               : padded(descriptor.label, 32, " "));
    out.zeros(8);
    bothEndian32(out, descriptor.spaceSize != 0
                          ? descriptor.spaceSize
                          : static_cast<std::uint32_t>(m_bytes.size() / kSector));
    out.text(descriptor.joliet ? "%/E" : "").zeros(descriptor.joliet ? 29 : 32);
    bothEndian16(out, 1);
    bothEndian16(out, 1);
    bothEndian16(out, descriptor.blockSize);
    out.zeros(24);
    out.bytes(isoRecordBytes(
        folderRecord(std::string(1, '\0'), descriptor.rootBlock, descriptor.rootLength)));
    return put(sector * kSector, out.data());
}

IsoImage& IsoImage::terminator(std::size_t sector)
{
    ByteBuilder out;
    out.u8(255).text("CD001").u8(1);
    return put(sector * kSector, out.data());
}

IsoImage& IsoImage::records(std::size_t sector, const std::vector<IsoRecord>& records)
{
    std::size_t at = sector * kSector;
    for (const auto& record : records) {
        const auto bytes = isoRecordBytes(record);
        if (at % kSector + bytes.size() > kSector) at += kSector - at % kSector;
        put(at, bytes);
        at += bytes.size();
    }
    return *this;
}

IsoImage& IsoImage::put(std::size_t offset, std::span<const std::uint8_t> bytes)
{
    if (offset + bytes.size() > m_bytes.size()) throw std::out_of_range("past the image's end");
    std::copy(bytes.begin(), bytes.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return *this;
}

IsoImage& IsoImage::put(std::size_t offset, const std::string& bytes)
{
    const std::vector<std::uint8_t> raw(bytes.begin(), bytes.end());
    return put(offset, raw);
}

std::vector<IsoRecord> withSelfAndParent(std::uint32_t block, std::vector<IsoRecord> records)
{
    records.insert(records.begin(), {folderRecord(std::string(1, '\0'), block),
                                     folderRecord(std::string(1, '\1'), kRootBlock)});
    return records;
}

IsoImage plainImage(const std::vector<IsoRecord>& rootRecords, std::size_t sectors)
{
    IsoImage image(sectors);
    image.descriptor(16, primaryDescriptor("PLAIN", kRootBlock));
    image.terminator(17);
    image.records(kRootBlock, withSelfAndParent(kRootBlock, rootRecords));
    return image;
}

std::unique_ptr<image::IsoVolume> isoVolume(const IsoImage& image, const std::string& path,
                                               std::uint64_t sessionStartSector)
{
    return std::make_unique<image::IsoVolume>(
        std::make_shared<platform::MemoryByteSource>(image.bytes()), path, sessionStartSector);
}

} // namespace tarvelo::test
