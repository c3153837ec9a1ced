// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "common/little_endian.h"

namespace tarvelo::archive::zip {

using common::Bytes;

// Record signatures.
constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;
constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
constexpr std::uint32_t kZip64EndRecordSignature = 0x06064B50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;

// Fixed sizes, signatures included.
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kDataDescriptorSize = 16;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::size_t kZip64EndRecordSize = 56;
constexpr std::size_t kZip64LocatorSize = 20;

// General purpose flags.
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagUtf8 = 0x0800; // language encoding flag: name and comment are UTF-8

// Extra field header ids.
constexpr std::uint16_t kExtraZip64 = 0x0001;
constexpr std::uint16_t kExtraUnicodePath = 0x7075;
constexpr std::uint16_t kExtraUnicodeComment = 0x6375;
constexpr std::uint8_t kUnicodeExtraVersion = 1;

// Hosts (high byte of version made by) whose writers store UTF-8 without the flag.
constexpr std::uint8_t kHostUnix = 3;
constexpr std::uint8_t kHostOsX = 19;

// A 16- or 32-bit field at its maximum says the real value is in a ZIP64 record.
constexpr std::uint16_t kZip64Word = 0xFFFF;
constexpr std::uint32_t kZip64Dword = 0xFFFFFFFF;

using common::le16;
using common::le32;
using common::le64;

// True when bytes hold the signature at offset at (false when they end before it).
inline bool hasSignature(Bytes bytes, std::size_t at, std::uint32_t signature) noexcept
{
    return at <= bytes.size() && bytes.size() - at >= kSignatureSize &&
           le32(bytes, at) == signature;
}

// The local header fields the walk over local headers needs.
struct LocalHeader
{
    std::uint32_t compressedSize = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t extraLength = 0;
};

struct CentralHeader
{
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t modificationTime = 0;
    std::uint16_t modificationDate = 0;
    std::uint32_t crc32 = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint16_t nameLength = 0;
    std::uint16_t extraLength = 0;
    std::uint16_t commentLength = 0;
    std::uint16_t diskNumberStart = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localHeaderOffset = 0;

    // The fixed part plus name, extra field and comment.
    std::size_t totalSize() const noexcept
    {
        return kCentralHeaderSize + std::size_t{nameLength} + extraLength + commentLength;
    }
};

struct EndRecord
{
    std::uint16_t entriesOnDisk = 0;
    std::uint32_t directorySize = 0;
    std::uint32_t directoryOffset = 0;
    std::uint16_t commentLength = 0;
};

struct Zip64Locator
{
    std::uint64_t endRecordOffset = 0;
};

struct Zip64EndRecord
{
    std::uint64_t entriesOnDisk = 0;
    std::uint64_t directorySize = 0;
    std::uint64_t directoryOffset = 0;
};

// The decoders read fields only; the caller has checked the signature.
LocalHeader decodeLocalHeader(std::span<const std::uint8_t, kLocalHeaderSize> rec) noexcept;
CentralHeader decodeCentralHeader(std::span<const std::uint8_t, kCentralHeaderSize> rec) noexcept;
EndRecord decodeEndRecord(std::span<const std::uint8_t, kEndRecordSize> rec) noexcept;
Zip64Locator decodeZip64Locator(std::span<const std::uint8_t, kZip64LocatorSize> rec) noexcept;
Zip64EndRecord
decodeZip64EndRecord(std::span<const std::uint8_t, kZip64EndRecordSize> rec) noexcept;

// The data of the first extra field block with the id; a block cut short counts as absent.
std::optional<Bytes> findExtraBlock(Bytes extra, std::uint16_t id) noexcept;

// The 64-bit values of a central header, from its ZIP64 extra block where the header's own
// field is saturated.
struct Zip64Values
{
    std::uint64_t uncompressedSize = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
};
Zip64Values realValues(const CentralHeader& header, Bytes extra) noexcept;

// Offset in tail of the last end record that starts before `before` and whose comment ends
// inside tail, looking at the last searchSize bytes only; nothing when there is none.
std::optional<std::size_t> findEndRecord(Bytes tail, std::size_t searchSize,
                                         std::size_t before = SIZE_MAX) noexcept;

} // namespace tarvelo::archive::zip
