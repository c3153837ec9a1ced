// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar_records.h"

#include "archive/rar_descriptions.h"
#include "common/error.h"

namespace tarvelo::archive::rar {
namespace {

// Archive bits kept in a signed field of the same width.
std::int16_t signed16(std::uint16_t value) noexcept
{
    return static_cast<std::int16_t>(value);
}

std::int32_t signed32(std::uint32_t value) noexcept
{
    return static_cast<std::int32_t>(value);
}

bool carriesFileLayout(std::uint8_t headType) noexcept
{
    return headType == kFileHead || headType == kNewSubHead;
}

} // namespace

void throwDamaged(const char* reason)
{
    throw Error(ErrorNumber::InvalidFileFormat, reason);
}

BlockHeader decodeBlockHeader(std::span<const std::uint8_t, kBlockHeaderSize> rec) noexcept
{
    return {le16(rec, 0), rec[2], le16(rec, 3), le16(rec, 5)};
}

bool isMarkBlock(const BlockHeader& header) noexcept
{
    return header.headCrc == le16(kMarkBlock, 0) && header.headType == kMarkBlock[2] &&
           header.headFlags == le16(kMarkBlock, 3) && header.headSize == le16(kMarkBlock, 5);
}

std::size_t fixedPartSize(const BlockHeader& header) noexcept
{
    if (carriesFileLayout(header.headType))
        return header.has(kFileHeadLarge) ? kFileHeadSize + kHighSizesSize : kFileHeadSize;
    switch (header.headType) {
    case kMainHead:
        return kMainHeadSize;
    case kCommHead:
        return kCommHeadSize;
    case kSubHead:
        return kSubHeadSize;
    default:
        return header.has(kLongBlock) ? kLongBlockHeaderSize : kBlockHeaderSize;
    }
}

std::uint64_t dataSize(const BlockHeader& header, Bytes block) noexcept
{
    if (carriesFileLayout(header.headType)) {
        const std::uint64_t high = header.has(kFileHeadLarge) ? le32(block, kFileHeadSize) : 0;
        return high << 32 | le32(block, 7);
    }
    return header.has(kLongBlock) ? le32(block, kBlockHeaderSize) : 0;
}

std::optional<FileHead> decodeFileHead(const BlockHeader& header, Bytes block)
{
    FileHead head;
    RarEntry& e = head.entry;
    e.HeadCrc = signed16(header.headCrc);
    e.HeadType = header.headType;
    e.HeadFlags = signed16(header.headFlags);
    e.HeadSize = header.headSize;
    e.PackSize = signed32(le32(block, 7));
    e.UnpSize = signed32(le32(block, 11));
    e.HostOs = block[15];
    e.FileCrc = signed32(le32(block, 16));
    e.FTime = signed32(le32(block, 20));
    e.FileDate = LongToWord(e.FTime >> 16);
    e.FileTime = LongToWord(e.FTime & 0xFFFF);
    e.UnpVer = block[24];
    e.Method = block[25];
    e.NameSize = signed16(le16(block, 26));
    e.Attr = signed32(le32(block, 28));
    std::size_t nameAt = kFileHeadSize;
    if (header.has(kFileHeadLarge)) {
        e.HighPackSize = signed32(le32(block, kFileHeadSize));
        e.HighUnpSize = signed32(le32(block, kFileHeadSize + 4));
        nameAt += kHighSizesSize;
    }
    const std::size_t nameSize = le16(block, 26);
    if (nameSize > block.size() - nameAt) return std::nullopt;
    head.name = block.subspan(nameAt, nameSize);
    if (header.has(kFileHeadComment)) head.commentBlock = block.subspan(nameAt + nameSize);
    return head;
}

MainHead decodeMainHead(const BlockHeader& header, Bytes block) noexcept
{
    MainHead head;
    head.header.HeadCrc = signed16(header.headCrc);
    head.header.HeadType = header.headType;
    head.header.HeadFlags = signed16(header.headFlags);
    head.header.HeadSize = signed16(header.headSize);
    head.header.Reserved1 = signed16(le16(block, 7));
    head.header.Reserved2 = signed32(le32(block, 9));
    if (header.has(kMainHeadComment)) head.commentBlock = block.subspan(kMainHeadSize);
    return head;
}

std::optional<Bytes> storedComment(Bytes commentBlock) noexcept
{
    if (commentBlock.size() < kCommHeadSize) return std::nullopt;
    const std::size_t size = le16(commentBlock, 5);
    if (commentBlock[2] != kCommHead || commentBlock[10] != kMethodStore) return std::nullopt;
    if (size < kCommHeadSize || size > commentBlock.size()) return std::nullopt;
    return commentBlock.subspan(kCommHeadSize, size - kCommHeadSize);
}

} // namespace tarvelo::archive::rar
