// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar5_records.h"

namespace tarvelo::archive::rar5 {
namespace {

constexpr std::uint8_t kHostWin32 = 2;
constexpr std::uint8_t kHostUnixOld = 3;
constexpr std::uint8_t kHostUnknown = 0xFF;

std::uint8_t hostOs(std::uint64_t host) noexcept
{
    if (host == kHostWindows) return kHostWin32;
    return host == kHostUnix ? kHostUnixOld : kHostUnknown;
}

// The compression information: bits 0-5 the algorithm version (0 is RAR 5.0, 1 is
// RAR 7.0), bits 7-9 the method (0 stores, 1 to 5 compress fastest to best).
std::uint8_t versionNeeded(std::uint64_t compression) noexcept
{
    switch (compression & 0x3F) {
    case 0:
        return 50;
    case 1:
        return 70;
    default:
        return 0;
    }
}

std::uint8_t method(std::uint64_t compression) noexcept
{
    return static_cast<std::uint8_t>(rar::kMethodStore + ((compression >> 7) & 7));
}

bool hasExtraRecord(Bytes extra, std::uint64_t type)
{
    FieldCursor records(extra);
    while (!records.rest().empty()) {
        FieldCursor record(records.bytes(records.vint()));
        if (record.vint() == type) return true;
    }
    return false;
}

std::int32_t low32(std::uint64_t value) noexcept
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t high32(std::uint64_t value) noexcept
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value >> 32));
}

std::uint16_t entryFlags(std::uint64_t fileFlags, bool encrypted, bool large) noexcept
{
    std::uint16_t flags = 0;
    if (fileFlags & kFileDirectory) flags |= rar::kFileHeadDirectory;
    if (encrypted) flags |= rar::kFileHeadPassword;
    if (large) flags |= rar::kFileHeadLarge;
    return flags;
}

} // namespace

std::optional<Vint> decodeVint(Bytes bytes)
{
    Vint v;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint64_t bits = bytes[i] & 0x7F;
        if (i == kMaxVintSize - 1 && bits > 1) rar::throwDamaged("number wider than 64 bits");
        v.value |= bits << (7 * i);
        if ((bytes[i] & 0x80) == 0) {
            v.length = i + 1;
            return v;
        }
        if (i == kMaxVintSize - 1) rar::throwDamaged("number longer than 10 bytes");
    }
    return std::nullopt;
}

std::uint64_t FieldCursor::longVint()
{
    const auto v = decodeVint(rest());
    if (!v) rar::throwDamaged("header field runs past its header");
    m_at += v->length;
    return v->value;
}

std::uint32_t FieldCursor::u32()
{
    return rar::le32(bytes(4), 0);
}

Bytes FieldCursor::bytes(std::uint64_t count)
{
    if (count > rest().size()) rar::throwDamaged("header field runs past its header");
    const Bytes taken = rest().first(static_cast<std::size_t>(count));
    m_at += taken.size();
    return taken;
}

Header decodeHeader(Bytes bytes)
{
    FieldCursor fields(bytes);
    Header header;
    header.type = fields.vint();
    header.flags = fields.vint();
    const std::uint64_t extraSize = header.flags & kHeaderExtraArea ? fields.vint() : 0;
    header.dataSize = header.flags & kHeaderDataArea ? fields.vint() : 0;
    if (extraSize > fields.rest().size()) rar::throwDamaged("extra area larger than its header");
    const std::size_t bodySize = fields.rest().size() - static_cast<std::size_t>(extraSize);
    header.body = fields.bytes(bodySize);
    header.extra = fields.rest();
    return header;
}

FileHead decodeFileHead(const Header& header)
{
    FieldCursor fields(header.body);
    const std::uint64_t fileFlags = fields.vint();
    const std::uint64_t unpackedSize = fields.vint();
    const std::uint64_t attributes = fields.vint();
    if (fileFlags & kFileUnixTime) fields.bytes(4); // the time is not kept
    const std::uint32_t crc = fileFlags & kFileCrc32 ? fields.u32() : 0;
    const std::uint64_t compression = fields.vint();
    const std::uint64_t host = fields.vint();
    FileHead head;
    head.name = fields.bytes(fields.vint());

    RarEntry& e = head.entry;
    const bool large = (header.dataSize | unpackedSize) >> 32 != 0;
    e.HeadType = rar::kFileHead;
    e.HeadFlags = static_cast<std::int16_t>(
        entryFlags(fileFlags, hasExtraRecord(header.extra, kExtraEncryption), large));
    e.PackSize = low32(header.dataSize);
    e.HighPackSize = high32(header.dataSize);
    e.UnpSize = low32(unpackedSize);
    e.HighUnpSize = high32(unpackedSize);
    e.HostOs = hostOs(host);
    e.FileCrc = static_cast<std::int32_t>(crc);
    e.UnpVer = versionNeeded(compression);
    e.Method = method(compression);
    e.NameSize = static_cast<std::int16_t>(head.name.size() & 0xFFFF);
    e.Attr = low32(attributes);
    return head;
}

} // namespace tarvelo::archive::rar5
