// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/little_endian.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::image::udf {

using common::Bytes;
using common::le16;
using common::le32;
using common::le64;

// Volume recognition: 2048-byte descriptors from byte 32768 on, "NSR02"/"NSR03" naming
// a UDF volume among them.
constexpr std::uint64_t kRecognitionStart = 32768;
constexpr std::size_t kRecognitionSectorSize = 2048;
constexpr std::size_t kRecognitionSectors = 64;
constexpr std::uint32_t kAnchorBlock = 256;

// Descriptor tag identifiers.
constexpr std::uint16_t kTagPrimaryVolume = 1;
constexpr std::uint16_t kTagAnchor = 2;
constexpr std::uint16_t kTagPointer = 3;
constexpr std::uint16_t kTagPartition = 5;
constexpr std::uint16_t kTagLogicalVolume = 6;
constexpr std::uint16_t kTagTerminating = 8;
constexpr std::uint16_t kTagIntegrity = 9;
constexpr std::uint16_t kTagFileSet = 256;
constexpr std::uint16_t kTagFileIdentifier = 257;
constexpr std::uint16_t kTagAllocationExtent = 258;
constexpr std::uint16_t kTagIndirectEntry = 259;
constexpr std::uint16_t kTagFileEntry = 261;
constexpr std::uint16_t kTagExtendedFileEntry = 266;
constexpr std::size_t kTagSize = 16;

// File types of an ICB tag.
constexpr std::uint8_t kFileTypeUnspecified = 0;
constexpr std::uint8_t kFileTypeDirectory = 4;
constexpr std::uint8_t kFileTypeRegular = 5;
constexpr std::uint8_t kFileTypeRealTime = 249; // audio and video recorded as it streams
constexpr std::uint8_t kFileTypeVat = 248;
constexpr std::uint8_t kFileTypeMetadata = 250;
constexpr std::uint8_t kFileTypeMetadataMirror = 251;

// File characteristics of a file identifier descriptor.
constexpr std::uint8_t kFidDirectory = 0x02;
constexpr std::uint8_t kFidDeleted = 0x04;
constexpr std::uint8_t kFidParent = 0x08;

// Partition map identifiers of type 2 maps.
constexpr std::string_view kVirtualMapId = "*UDF Virtual Partition";
constexpr std::string_view kSparableMapId = "*UDF Sparable Partition";
constexpr std::string_view kMetadataMapId = "*UDF Metadata Partition";
constexpr std::string_view kOldVatId = "*UDF Virtual Alloc Tbl";
constexpr std::uint32_t kSparingUnused = 0xFFFFFFF0; // this and above: no packet mapped

// A descriptor's first 16 bytes.
struct Tag
{
    std::uint16_t identifier = 0;
    std::uint16_t crc = 0;
    std::uint16_t crcLength = 0;
    std::uint32_t location = 0;
};

std::optional<Tag> decodeTag(Bytes bytes);
std::uint16_t crc16(Bytes bytes);

// Why a descriptor's tag is not the one expected at location, or nothing when it is.
std::optional<std::string> tagProblem(Bytes descriptor, std::uint16_t identifier,
                                      std::optional<std::uint32_t> location);

// Raises the damaged-volume error naming the descriptor when its tag is wrong.
void requireTag(Bytes descriptor, std::uint16_t identifier, std::optional<std::uint32_t> location,
                std::string_view what);

struct ExtentAd
{
    std::uint32_t length = 0;
    std::uint32_t location = 0;
};

// A block of a partition, numbered as the logical volume's partition maps are.
struct BlockAddress
{
    std::uint32_t block = 0;
    std::uint16_t partition = 0;
};

// An allocation descriptor; kind 0 recorded, 1 allocated only, 2 sparse, 3 more descriptors.
struct Allocation
{
    std::uint8_t kind = 0;
    std::uint32_t length = 0;
    BlockAddress where;
};
constexpr std::uint8_t kAllocationRecorded = 0;
constexpr std::uint8_t kAllocationContinues = 3;

ExtentAd decodeExtentAd(Bytes bytes, std::size_t at);
Allocation decodeLongAd(Bytes bytes, std::size_t at);
Allocation decodeShortAd(Bytes bytes, std::size_t at, std::uint16_t partition);

// OSTA compressed Unicode: a compression byte (8 or 16) then the characters, as line-safe UTF-8.
std::string decodeDchars(Bytes bytes);
// A fixed-size field whose last byte holds the used length.
std::string decodeDstring(Bytes field);

struct PartitionDescriptor
{
    std::uint32_t sequenceNumber = 0;
    std::uint16_t number = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};
PartitionDescriptor decodePartitionDescriptor(Bytes descriptor);

enum class MapKind
{
    Physical,
    Sparable,
    Virtual,
    Metadata,
};

struct PartitionMap
{
    MapKind kind = MapKind::Physical;
    std::uint16_t partitionNumber = 0;
    std::uint16_t packetLength = 0;           // sparable
    std::uint32_t sparingTableSize = 0;       // sparable
    std::vector<std::uint32_t> sparingTables; // sparable
    std::uint32_t metadataFile = 0;           // metadata
    std::uint32_t metadataMirror = 0;         // metadata
};

struct LogicalVolumeDescriptor
{
    std::uint32_t sequenceNumber = 0;
    std::string identifier;
    std::uint32_t blockSize = 0;
    Allocation fileSet;
    ExtentAd integrity;
    std::vector<PartitionMap> maps;
};
// Nothing when the map table is malformed or names an unknown map.
std::optional<LogicalVolumeDescriptor> decodeLogicalVolumeDescriptor(Bytes descriptor);

struct IntegrityDescriptor
{
    ExtentAd next;
    std::vector<std::uint32_t> freeBlocks; // by partition reference
};
std::optional<IntegrityDescriptor> decodeIntegrityDescriptor(Bytes descriptor);

// The serial number Windows shows: four byte-lane sums over the logical block that holds
// the file set descriptor (a 2048-byte sector on optical discs), lane 0 the low byte.
std::int32_t volumeSerialNumber(Bytes sector);

// The root folder's entry, from a file set descriptor.
Allocation decodeFileSetRoot(Bytes descriptor);

// A file entry or an extended file entry, with what the reader needs.
struct FileEntry
{
    std::uint16_t strategy = 0;
    std::uint8_t fileType = 0;
    std::uint8_t allocationForm = 0; // 0 short, 1 long, 2 extended, 3 data embedded
    std::uint64_t size = 0;
    Bytes allocations; // the descriptors, or the embedded data
    std::optional<std::int64_t> modified; // seconds since 1970 UTC; none when damaged
};
constexpr std::uint8_t kFormShort = 0;
constexpr std::uint8_t kFormLong = 1;
constexpr std::uint8_t kFormEmbedded = 3;
// Nothing when its lengths do not fit in the block.
std::optional<FileEntry> decodeFileEntry(Bytes block);

// A 12-byte timestamp as seconds since 1970-01-01 00:00 UTC. Local time is moved to UTC
// by its zone; a time whose zone is not recorded, and one of an agreed zone, are taken
// as UTC. Nothing when it names no moment, or its type or zone is not one a disc records.
std::optional<std::int64_t> decodeTimestamp(Bytes bytes, std::size_t at);

// An indirect entry's pointer to the next entry of the ICB.
Allocation decodeIndirectEntry(Bytes block);

// The allocation descriptors that an allocation extent descriptor holds.
std::optional<Bytes> allocationExtentDescriptors(Bytes block);

struct FileIdentifier
{
    std::uint8_t characteristics = 0;
    Allocation entry;
    Bytes name;
    std::size_t size = 0; // of the whole descriptor, padding included
};
// Nothing until the bytes hold the whole descriptor.
std::optional<FileIdentifier> decodeFileIdentifier(Bytes bytes);
constexpr std::size_t kFileIdentifierFixedSize = 38;

// A sparing table's remapped packets: the packet's first block in the partition, and
// the sector that now holds it.
struct SparedPacket
{
    std::uint32_t original = 0;
    std::uint32_t mapped = 0;
};
std::vector<SparedPacket> decodeSparingTable(Bytes table);

// The virtual allocation table's entries: virtual block to block of the partition below.
// isVatType: the file carries the VAT file type, with its header in front; otherwise the
// older form with a trailing identifier. Nothing when the file is neither.
std::optional<std::vector<std::uint32_t>> decodeVat(Bytes file, bool isVatType);

} // namespace tarvelo::image::udf
