// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/little_endian.h"

namespace tarvelo::archive {

// One file header as a walk hands it over. Numbers keep the archive's bits in signed
// fields of the record's width; the high size words sit beside the low ones. The texts
// are views, valid while the walk's listener looks at the entry.
struct RarEntry
{
    std::int16_t HeadCrc = 0;
    std::uint8_t HeadType = 0;
    std::int16_t HeadFlags = 0;
    std::int32_t HeadSize = 0;
    std::int32_t PackSize = 0;
    std::int32_t UnpSize = 0;
    std::uint8_t HostOs = 0;
    std::int32_t FileCrc = 0;
    std::int32_t FTime = 0;
    std::int16_t FileDate = 0;
    std::int16_t FileTime = 0;
    std::uint8_t UnpVer = 0;
    std::uint8_t Method = 0;
    std::int16_t NameSize = 0;
    std::int32_t Attr = 0;
    std::int32_t HighPackSize = 0;
    std::int32_t HighUnpSize = 0;
    std::string_view FileName;
    bool FileNameLineSafe = false; // see DecodedText::lineSafe
    std::string_view FileComment;
    std::int64_t DataPos = 0; // 1-based file position of the packed data
};

// The archive header's fields the reader keeps, one per reader object.
struct RarArchiveHeader
{
    std::int16_t HeadCrc = 0;
    std::uint8_t HeadType = 0;
    std::int16_t HeadFlags = 0;
    std::int16_t HeadSize = 0;
    std::int16_t Reserved1 = 0;
    std::int32_t Reserved2 = 0;
    std::string ArcComment;
};

} // namespace tarvelo::archive

namespace tarvelo::archive::rar {

using common::Bytes;

// The marker block that opens every RAR 1.5 to 4.x archive, and the RAR 5 signature.
constexpr std::array<std::uint8_t, 7> kMarkBlock = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::array<std::uint8_t, 8> kRar5Signature = {0x52, 0x61, 0x72, 0x21,
                                                        0x1A, 0x07, 0x01, 0x00};

// Block kinds (HEAD_TYPE).
constexpr std::uint8_t kMarkHead = 0x72;
constexpr std::uint8_t kMainHead = 0x73;
constexpr std::uint8_t kFileHead = 0x74;
constexpr std::uint8_t kCommHead = 0x75;
constexpr std::uint8_t kSubHead = 0x77;
constexpr std::uint8_t kNewSubHead = 0x7A; // service header: file header layout
constexpr std::uint8_t kEndArcHead = 0x7B;

// HEAD_FLAGS bits.
constexpr std::uint16_t kLongBlock = 0x8000; // data of the block's ADD_SIZE follows it
constexpr std::uint16_t kMainHeadComment = 0x0002;
constexpr std::uint16_t kMainHeadPassword = 0x0080; // block headers are encrypted
constexpr std::uint16_t kFileHeadSplitAfter = 0x0002;
constexpr std::uint16_t kFileHeadPassword = 0x0004;
constexpr std::uint16_t kFileHeadComment = 0x0008;
constexpr std::uint16_t kFileHeadDirectory = 0x00E0;
constexpr std::uint16_t kFileHeadLarge = 0x0100; // high size words follow ATTR
constexpr std::uint16_t kFileHeadUnicode = 0x0200;

// Fixed parts, block header included.
constexpr std::size_t kBlockHeaderSize = 7;
constexpr std::size_t kLongBlockHeaderSize = 11; // with the 4-byte ADD_SIZE
constexpr std::size_t kMainHeadSize = 13;
constexpr std::size_t kFileHeadSize = 32;
constexpr std::size_t kHighSizesSize = 8;
constexpr std::size_t kCommHeadSize = 13;
constexpr std::size_t kSubHeadSize = 14;

constexpr std::uint8_t kHostUnix = 3;
constexpr std::uint8_t kMethodStore = 0x30;

using common::le16;
using common::le32;

// Raises the invalid-file-format error for a damaged archive.
[[noreturn]] void throwDamaged(const char* reason);

// The 7 bytes every block starts with.
struct BlockHeader
{
    std::uint16_t headCrc = 0;
    std::uint8_t headType = 0;
    std::uint16_t headFlags = 0;
    std::uint16_t headSize = 0;

    bool has(std::uint16_t flags) const noexcept { return (headFlags & flags) == flags; }
};

BlockHeader decodeBlockHeader(std::span<const std::uint8_t, kBlockHeaderSize> rec) noexcept;

bool isMarkBlock(const BlockHeader& header) noexcept;

// The smallest HEAD_SIZE a block of this kind and these flags can have.
std::size_t fixedPartSize(const BlockHeader& header) noexcept;

// The data bytes that follow a whole block (its HEAD_SIZE bytes, at least its fixed part).
std::uint64_t dataSize(const BlockHeader& header, Bytes block) noexcept;

// A file or service header: its numbers, and where its name and inline comment lie.
struct FileHead
{
    RarEntry entry; // every field but FileName, FileComment and DataPos
    Bytes name;
    Bytes commentBlock; // empty unless an inline comment block is flagged
};

// Decodes a whole file header block; nothing when its name runs past HEAD_SIZE.
std::optional<FileHead> decodeFileHead(const BlockHeader& header, Bytes block);

// The archive header's fields and its inline comment block.
struct MainHead
{
    RarArchiveHeader header; // without ArcComment
    Bytes commentBlock;
};

MainHead decodeMainHead(const BlockHeader& header, Bytes block) noexcept;

// The text bytes of an inline comment block, when it holds its comment stored; a packed
// comment or a block cut short yields nothing.
std::optional<Bytes> storedComment(Bytes commentBlock) noexcept;

} // namespace tarvelo::archive::rar
