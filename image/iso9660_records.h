// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/little_endian.h"

namespace tarvelo::image::iso9660 {

using common::Bytes;

// Sectors of a data disc; volume descriptors fill one sector each from sector 16 of a
// session on.
constexpr std::size_t kSectorSize = 2048;
constexpr std::uint64_t kFirstDescriptorSector = 16;

constexpr std::uint8_t kPrimaryDescriptor = 1;
constexpr std::uint8_t kSupplementaryDescriptor = 2;
constexpr std::uint8_t kDescriptorSetTerminator = 255;
constexpr std::string_view kStandardIdentifier = "CD001";

// Field offsets of a primary or supplementary volume descriptor.
constexpr std::size_t kDescriptorIdentifierAt = 1;
constexpr std::size_t kVolumeIdentifierAt = 40;
constexpr std::size_t kVolumeIdentifierSize = 32;
constexpr std::size_t kVolumeSpaceSizeAt = 80;
constexpr std::size_t kEscapeSequencesAt = 88;
constexpr std::size_t kLogicalBlockSizeAt = 128;
constexpr std::size_t kPathTableSizeAt = 132;
constexpr std::size_t kTypeLPathTableAt = 140; // the little-endian path table's block
constexpr std::size_t kRootDirectoryRecordAt = 156;
constexpr std::size_t kRootDirectoryRecordSize = 34;

// Directory record layout and file flags.
constexpr std::size_t kRecordFixedSize = 33;
constexpr std::size_t kExtendedAttributeLengthAt = 1;
constexpr std::size_t kExtentLocationAt = 2;
constexpr std::size_t kDataLengthAt = 10;
constexpr std::size_t kRecordingDateAt = 18;
constexpr std::size_t kShortDateSize = 7;  // years since 1900, month ... second, zone
constexpr std::size_t kLongDateSize = 17;  // 16 digits "YYYYMMDDhhmmsscc", then the zone
constexpr std::size_t kFileFlagsAt = 25;
constexpr std::size_t kFileUnitSizeAt = 26;
constexpr std::size_t kInterleaveGapAt = 27;
constexpr std::size_t kIdentifierLengthAt = 32;
constexpr std::uint8_t kFlagDirectory = 0x02;
constexpr std::uint8_t kFlagAssociatedFile = 0x04;
constexpr std::uint8_t kFlagMultiExtent = 0x80;

using common::le16;
using common::le32;

// Both-endian fields are read from their little-endian half, as the common systems do;
// a writer that gets the big-endian half wrong still reads.
inline std::uint32_t both32(Bytes bytes, std::size_t at)
{
    return le32(bytes, at);
}
inline std::uint16_t both16(Bytes bytes, std::size_t at)
{
    return le16(bytes, at);
}

struct DirectoryRecord
{
    std::uint32_t extentBlock = 0;
    std::uint32_t dataLength = 0;
    std::uint8_t extendedAttributeBlocks = 0;
    std::uint8_t flags = 0;
    bool interleaved = false;
    std::optional<std::int64_t> recorded; // seconds since 1970 UTC; none when damaged
    Bytes identifier;
    Bytes systemUse;

    bool isDirectory() const { return (flags & kFlagDirectory) != 0; }
    std::uint64_t dataBlock() const { return std::uint64_t{extentBlock} + extendedAttributeBlocks; }
    // The "." and ".." records, whose identifiers are the single bytes 0 and 1.
    bool isSelfOrParent() const { return identifier.size() == 1 && identifier[0] <= 1; }
};

// Dates with their zone in quarter hours east of Greenwich, as seconds since 1970-01-01
// 00:00 UTC: the 7-byte form of directory records and the 17-digit form of descriptors.
// A date that names no moment (an unrecorded all-zero one among them) gives nothing; a
// zone outside the 12 hours west to 13 east a disc may record is ignored, as Linux does.
std::optional<std::int64_t> decodeShortDate(Bytes date);
std::optional<std::int64_t> decodeLongDate(Bytes date);

// Decodes one record that fills the whole span; nothing when its lengths disagree.
std::optional<DirectoryRecord> decodeDirectoryRecord(Bytes record);

// Where a directory's records lie, in logical blocks of the volume.
struct DirectoryExtent
{
    std::uint64_t block = 0; // after any extended attribute record
    std::uint32_t length = 0;
};

struct VolumeDescriptor
{
    bool joliet = false; // a supplementary descriptor whose names are UCS-2
    std::string label;
    std::uint32_t volumeSpaceSize = 0;
    std::uint16_t logicalBlockSize = 0;
    std::optional<DirectoryExtent> root; // nothing when the root record is malformed
    DirectoryExtent pathTable;            // every folder's first block, in a table
    std::int32_t serialNumber = 0;
};

using Sector = std::span<const std::uint8_t, kSectorSize>;

bool hasStandardIdentifier(Sector sector);
std::uint8_t descriptorType(Sector sector);
bool isJolietDescriptor(Sector sector);

// The primary or a Joliet descriptor.
VolumeDescriptor decodeVolumeDescriptor(Sector sector);

// The four byte-lane sums of a descriptor sector (each mod 256, lane 0 the top byte).
std::int32_t volumeSerialNumber(Sector sector);

// UCS-2 big-endian text (surrogate pairs joined) as UTF-8.
std::string decodeUcs2(Bytes bytes);

// A file's name as shown: the ";1" version and then a trailing dot removed.
std::string withoutVersion(std::string name);

} // namespace tarvelo::image::iso9660
