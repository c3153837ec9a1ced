// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_records.h"

#include "common/civil_time.h"
#include "common/error.h"
#include "common/text.h"

#include <algorithm>
#include <array>

namespace tarvelo::image::udf {
namespace {

constexpr std::size_t kTagChecksumAt = 4;
constexpr std::size_t kTagCrcAt = 8;
constexpr std::size_t kTagCrcLengthAt = 10;
constexpr std::size_t kTagLocationAt = 12;

constexpr std::array<std::uint16_t, 256> kCrcTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[byte] = static_cast<std::uint16_t>(crc);
    }
    return table;
}();

std::uint8_t tagChecksum(Bytes bytes)
{
    unsigned sum = 0;
    for (std::size_t at = 0; at < kTagSize; ++at)
        if (at != kTagChecksumAt) sum += bytes[at];
    return static_cast<std::uint8_t>(sum);
}

// The identifier of an entity identifier field, without its trailing NULs.
std::string_view regidIdentifier(Bytes bytes, std::size_t at)
{
    constexpr std::size_t kIdentifierSize = 23;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()) + at + 1, kIdentifierSize);
    return text.substr(0, text.find('\0'));
}

std::optional<PartitionMap> decodePartitionMap(Bytes map)
{
    PartitionMap decoded;
    if (map[0] == 1 && map.size() == 6) {
        decoded.partitionNumber = le16(map, 4);
        return decoded;
    }
    if (map[0] != 2 || map.size() != 64) return std::nullopt;
    decoded.partitionNumber = le16(map, 38);
    const auto identifier = regidIdentifier(map, 4);
    if (identifier == kVirtualMapId) {
        decoded.kind = MapKind::Virtual;
    } else if (identifier == kMetadataMapId) {
        decoded.kind = MapKind::Metadata;
        decoded.metadataFile = le32(map, 40);
        decoded.metadataMirror = le32(map, 44);
    } else if (identifier == kSparableMapId) {
        decoded.kind = MapKind::Sparable;
        decoded.packetLength = le16(map, 40);
        decoded.sparingTableSize = le32(map, 44);
        const std::size_t tables = std::min<std::size_t>(map[42], 4);
        for (std::size_t i = 0; i < tables; ++i) decoded.sparingTables.push_back(le32(map, 48 + 4 * i));
        if (decoded.packetLength == 0) return std::nullopt;
    } else {
        return std::nullopt;
    }
    return decoded;
}

} // namespace

std::optional<Tag> decodeTag(Bytes bytes)
{
    if (bytes.size() < kTagSize) return std::nullopt;
    return Tag{le16(bytes, 0), le16(bytes, kTagCrcAt), le16(bytes, kTagCrcLengthAt),
               le32(bytes, kTagLocationAt)};
}

std::uint16_t crc16(Bytes bytes)
{
    std::uint16_t crc = 0;
    for (const std::uint8_t byte : bytes)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFF]);
    return crc;
}

std::optional<std::string> tagProblem(Bytes descriptor, std::uint16_t identifier,
                                      std::optional<std::uint32_t> location)
{
    const auto tag = decodeTag(descriptor);
    if (!tag || tag->identifier != identifier) return "is missing";
    if (tagChecksum(descriptor) != descriptor[kTagChecksumAt]) return "has a wrong tag checksum";
    if (tag->crcLength > descriptor.size() - kTagSize) return "is longer than its block";
    if (crc16(descriptor.subspan(kTagSize, tag->crcLength)) != tag->crc) return "has a wrong CRC";
    if (location && tag->location != *location) return "names another block as its own";
    return std::nullopt;
}

void requireTag(Bytes descriptor, std::uint16_t identifier, std::optional<std::uint32_t> location,
                std::string_view what)
{
    if (const auto problem = tagProblem(descriptor, identifier, location))
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: its " + std::string(what) + " " + *problem);
}

ExtentAd decodeExtentAd(Bytes bytes, std::size_t at)
{
    return {le32(bytes, at), le32(bytes, at + 4)};
}

Allocation decodeLongAd(Bytes bytes, std::size_t at)
{
    const std::uint32_t length = le32(bytes, at);
    return {static_cast<std::uint8_t>(length >> 30), length & 0x3FFFFFFF,
            {le32(bytes, at + 4), le16(bytes, at + 8)}};
}

Allocation decodeShortAd(Bytes bytes, std::size_t at, std::uint16_t partition)
{
    const std::uint32_t length = le32(bytes, at);
    return {static_cast<std::uint8_t>(length >> 30), length & 0x3FFFFFFF,
            {le32(bytes, at + 4), partition}};
}

std::string decodeDchars(Bytes bytes)
{
    if (bytes.empty()) return {};
    const std::uint8_t compression = bytes[0];
    const bool wide = compression == 16 || compression == 255;
    std::string text;
    if (!wide && compression != 8 && compression != 254) {
        common::appendUtf8(text, 0xFFFD); // a name in no known form still shows
        return text;
    }
    const Bytes chars = bytes.subspan(1);
    if (!wide) {
        for (const std::uint8_t c : chars) common::appendUtf8(text, c);
        return common::lineSafe(text);
    }
    for (std::size_t at = 0; at + 1 < chars.size(); at += 2) {
        char32_t unit = static_cast<char32_t>(chars[at] << 8 | chars[at + 1]);
        if (unit >= 0xD800 && unit < 0xDC00 && at + 3 < chars.size()) {
            const char32_t low = static_cast<char32_t>(chars[at + 2] << 8 | chars[at + 3]);
            if (low >= 0xDC00 && low < 0xE000) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        common::appendUtf8(text, unit);
    }
    return common::lineSafe(text);
}

std::string decodeDstring(Bytes field)
{
    if (field.empty()) return {};
    const std::size_t used = std::min<std::size_t>(field.back(), field.size() - 1);
    return decodeDchars(field.first(used));
}

PartitionDescriptor decodePartitionDescriptor(Bytes descriptor)
{
    return {le32(descriptor, 16), le16(descriptor, 22), le32(descriptor, 188), le32(descriptor, 192)};
}

std::optional<LogicalVolumeDescriptor> decodeLogicalVolumeDescriptor(Bytes descriptor)
{
    constexpr std::size_t kMapsAt = 440;
    LogicalVolumeDescriptor lvd;
    lvd.sequenceNumber = le32(descriptor, 16);
    lvd.identifier = decodeDstring(descriptor.subspan(84, 128));
    lvd.blockSize = le32(descriptor, 212);
    lvd.fileSet = decodeLongAd(descriptor, 248);
    lvd.integrity = decodeExtentAd(descriptor, 432);
    const std::uint32_t tableLength = le32(descriptor, 264);
    const std::uint32_t count = le32(descriptor, 268);
    if (tableLength > descriptor.size() - kMapsAt) return std::nullopt;
    const Bytes table = descriptor.subspan(kMapsAt, tableLength);
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (table.size() - at < 2 || table[at + 1] < 2 || table[at + 1] > table.size() - at)
            return std::nullopt;
        auto map = decodePartitionMap(table.subspan(at, table[at + 1]));
        if (!map) return std::nullopt;
        lvd.maps.push_back(std::move(*map));
        at += table[at + 1];
    }
    return lvd;
}

std::optional<IntegrityDescriptor> decodeIntegrityDescriptor(Bytes descriptor)
{
    constexpr std::size_t kFreeTableAt = 80;
    IntegrityDescriptor lvid;
    lvid.next = decodeExtentAd(descriptor, 32);
    const std::uint32_t partitions = le32(descriptor, 72);
    if (partitions > (descriptor.size() - kFreeTableAt) / 8) return std::nullopt;
    for (std::uint32_t i = 0; i < partitions; ++i)
        lvid.freeBlocks.push_back(le32(descriptor, kFreeTableAt + 4 * i));
    return lvid;
}

std::int32_t volumeSerialNumber(Bytes sector)
{
    std::array<std::uint8_t, 4> lanes{};
    for (std::size_t at = 0; at < sector.size(); ++at)
        lanes[at % 4] = static_cast<std::uint8_t>(lanes[at % 4] + sector[at]);
    return static_cast<std::int32_t>(le32(lanes, 0));
}

Allocation decodeFileSetRoot(Bytes descriptor)
{
    return decodeLongAd(descriptor, 400);
}

std::optional<std::int64_t> decodeTimestamp(Bytes bytes, std::size_t at)
{
    constexpr unsigned kTypeLocal = 1; // 0 is UTC
    constexpr unsigned kTypeAgreed = 2;
    constexpr int kZoneUnknown = -2047;
    constexpr int kMostZoneMinutes = 1440;
    const std::uint16_t typeAndZone = le16(bytes, at);
    const unsigned type = typeAndZone >> 12;
    const int zone = (typeAndZone & 0x7FF) - (typeAndZone & 0x800); // 12-bit two's complement
    if (type > kTypeAgreed) return std::nullopt;
    const bool zoned = type == kTypeLocal && zone != kZoneUnknown;
    if (zoned && (zone < -kMostZoneMinutes || zone > kMostZoneMinutes)) return std::nullopt;
    const common::CivilTime time{static_cast<std::int16_t>(le16(bytes, at + 2)),
                                 bytes[at + 4], bytes[at + 5], bytes[at + 6], bytes[at + 7],
                                 bytes[at + 8]};
    if (time.year < 1 || time.year > 9999) return std::nullopt;
    return common::secondsSinceEpoch(time, zoned ? zone : 0);
}

std::optional<FileEntry> decodeFileEntry(Bytes block)
{
    const bool extended = le16(block, 0) == kTagExtendedFileEntry;
    const std::size_t fixed = extended ? 216 : 176;
    const std::size_t lengthsAt = extended ? 208 : 168;
    const std::size_t modifiedAt = extended ? 92 : 84;
    if (block.size() < fixed) return std::nullopt;
    FileEntry entry;
    entry.strategy = le16(block, 20);
    entry.fileType = block[27];
    entry.allocationForm = static_cast<std::uint8_t>(le16(block, 34) & 7);
    entry.size = le64(block, 56);
    entry.modified = decodeTimestamp(block, modifiedAt);
    const std::uint64_t attributes = le32(block, lengthsAt);
    const std::uint64_t allocations = le32(block, lengthsAt + 4);
    if (attributes + allocations > block.size() - fixed) return std::nullopt;
    entry.allocations = block.subspan(fixed + attributes, allocations);
    return entry;
}

Allocation decodeIndirectEntry(Bytes block)
{
    return decodeLongAd(block, 36);
}

std::optional<Bytes> allocationExtentDescriptors(Bytes block)
{
    constexpr std::size_t kDescriptorsAt = 24;
    const std::uint32_t length = le32(block, 20);
    if (length > block.size() - kDescriptorsAt) return std::nullopt;
    return block.subspan(kDescriptorsAt, length);
}

std::optional<FileIdentifier> decodeFileIdentifier(Bytes bytes)
{
    if (bytes.size() < kFileIdentifierFixedSize) return std::nullopt;
    const std::size_t nameLength = bytes[19];
    const std::size_t useLength = le16(bytes, 36);
    const std::size_t size = (kFileIdentifierFixedSize + useLength + nameLength + 3) / 4 * 4;
    if (bytes.size() < size) return std::nullopt;
    return FileIdentifier{bytes[18], decodeLongAd(bytes, 20),
                          bytes.subspan(kFileIdentifierFixedSize + useLength, nameLength), size};
}

std::vector<SparedPacket> decodeSparingTable(Bytes table)
{
    constexpr std::size_t kEntriesAt = 56;
    const std::size_t count = std::min<std::size_t>(le16(table, 48), (table.size() - kEntriesAt) / 8);
    std::vector<SparedPacket> packets;
    for (std::size_t i = 0; i < count; ++i) {
        const SparedPacket packet{le32(table, kEntriesAt + 8 * i), le32(table, kEntriesAt + 8 * i + 4)};
        if (packet.original < kSparingUnused) packets.push_back(packet);
    }
    return packets;
}

std::optional<std::vector<std::uint32_t>> decodeVat(Bytes file, bool isVatType)
{
    constexpr std::size_t kOldTrailerSize = 36;
    std::size_t begin = 0;
    std::size_t end = file.size();
    if (isVatType) {
        if (file.size() < 2 || le16(file, 0) > file.size()) return std::nullopt;
        begin = le16(file, 0);
    } else {
        if (file.size() < kOldTrailerSize || regidIdentifier(file, end - kOldTrailerSize) != kOldVatId)
            return std::nullopt;
        end -= kOldTrailerSize;
    }
    std::vector<std::uint32_t> entries;
    entries.reserve((end - begin) / 4);
    for (std::size_t at = begin; at + 4 <= end; at += 4) entries.push_back(le32(file, at));
    return entries;
}

} // namespace tarvelo::image::udf
