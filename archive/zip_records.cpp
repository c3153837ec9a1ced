// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_records.h"

#include <algorithm>

namespace tarvelo::archive::zip {

LocalHeader decodeLocalHeader(std::span<const std::uint8_t, kLocalHeaderSize> rec) noexcept
{
    return {le32(rec, 18), le16(rec, 26), le16(rec, 28)};
}

CentralHeader decodeCentralHeader(std::span<const std::uint8_t, kCentralHeaderSize> rec) noexcept
{
    CentralHeader h;
    h.versionMadeBy = le16(rec, 4);
    h.versionNeeded = le16(rec, 6);
    h.flags = le16(rec, 8);
    h.method = le16(rec, 10);
    h.modificationTime = le16(rec, 12);
    h.modificationDate = le16(rec, 14);
    h.crc32 = le32(rec, 16);
    h.compressedSize = le32(rec, 20);
    h.uncompressedSize = le32(rec, 24);
    h.nameLength = le16(rec, 28);
    h.extraLength = le16(rec, 30);
    h.commentLength = le16(rec, 32);
    h.diskNumberStart = le16(rec, 34);
    h.internalAttributes = le16(rec, 36);
    h.externalAttributes = le32(rec, 38);
    h.localHeaderOffset = le32(rec, 42);
    return h;
}

EndRecord decodeEndRecord(std::span<const std::uint8_t, kEndRecordSize> rec) noexcept
{
    return {le16(rec, 8), le32(rec, 12), le32(rec, 16), le16(rec, 20)};
}

Zip64Locator decodeZip64Locator(std::span<const std::uint8_t, kZip64LocatorSize> rec) noexcept
{
    return {le64(rec, 8)};
}

Zip64EndRecord decodeZip64EndRecord(std::span<const std::uint8_t, kZip64EndRecordSize> rec) noexcept
{
    return {le64(rec, 24), le64(rec, 40), le64(rec, 48)};
}

std::optional<Bytes> findExtraBlock(Bytes extra, std::uint16_t id) noexcept
{
    constexpr std::size_t kBlockHeaderSize = 4;
    std::size_t at = 0;
    while (extra.size() - at >= kBlockHeaderSize) {
        const std::size_t dataSize = le16(extra, at + 2);
        const std::size_t dataAt = at + kBlockHeaderSize;
        if (extra.size() - dataAt < dataSize) return std::nullopt;
        if (le16(extra, at) == id) return extra.subspan(dataAt, dataSize);
        at = dataAt + dataSize;
    }
    return std::nullopt;
}

Zip64Values realValues(const CentralHeader& header, Bytes extra) noexcept
{
    Zip64Values values{header.uncompressedSize, header.compressedSize, header.localHeaderOffset};
    const std::optional<Bytes> block = findExtraBlock(extra, kExtraZip64);
    if (!block) return values;
    // The block holds only the saturated fields, in this order.
    std::size_t at = 0;
    const auto take = [&](std::uint64_t& value, bool saturated) {
        if (!saturated || block->size() - at < 8) return;
        value = le64(*block, at);
        at += 8;
    };
    take(values.uncompressedSize, header.uncompressedSize == kZip64Dword);
    take(values.compressedSize, header.compressedSize == kZip64Dword);
    take(values.localHeaderOffset, header.localHeaderOffset == kZip64Dword);
    return values;
}

std::optional<std::size_t> findEndRecord(Bytes tail, std::size_t searchSize,
                                         std::size_t before) noexcept
{
    if (tail.size() < kEndRecordSize) return std::nullopt;
    const std::size_t lowest = tail.size() - std::min(searchSize, tail.size());
    for (std::size_t at = std::min(before, tail.size() - kEndRecordSize + 1); at-- > lowest;) {
        if (le32(tail, at) != kEndRecordSignature) continue;
        const std::size_t commentLength = le16(tail, at + 20);
        if (tail.size() - at - kEndRecordSize >= commentLength) return at;
    }
    return std::nullopt;
}

} // namespace tarvelo::archive::zip
