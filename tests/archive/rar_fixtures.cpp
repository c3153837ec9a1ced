// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/archive/rar_fixtures.h"

#include "tests/support/byte_builder.h"

namespace tarvelo::test {
namespace {

Bytes concat(std::initializer_list<Bytes> parts)
{
    ByteBuilder out;
    for (const Bytes& part : parts) out.bytes(part);
    return out.data();
}

} // namespace

void RarFixture::read(std::span<const std::uint8_t> bytes)
{
    const MemoryArchive files(bytes);
    reader.Get_Contents("test.rar", {files, notices});
}

std::vector<std::string> RarFixture::names() const
{
    std::vector<std::string> out;
    for (std::int32_t i = 1; i <= reader.FileCount(); ++i) out.push_back(reader.FileName(i));
    return out;
}

namespace rar4 {

Bytes marker()
{
    return {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
}

Bytes block(std::uint8_t type, std::uint16_t flags, std::string_view body)
{
    ByteBuilder out;
    out.u16(0).u8(type).u16(flags).u16(static_cast<std::uint16_t>(7 + body.size())).text(body);
    return out.data();
}

Bytes longBlock(std::uint8_t type, std::string_view moreFields, std::string_view data)
{
    ByteBuilder body;
    body.u32(static_cast<std::uint32_t>(data.size())).text(moreFields);
    ByteBuilder out;
    out.bytes(block(type, kLongBlock, std::string(body.data().begin(), body.data().end())));
    out.text(data);
    return out.data();
}

Bytes mainHead(std::uint16_t flags, std::string_view afterFixedPart)
{
    ByteBuilder body;
    body.u16(0).u32(0).text(afterFixedPart);
    return block(0x73, flags, std::string(body.data().begin(), body.data().end()));
}

Bytes file(const FileBlock& wanted)
{
    const bool large = (wanted.flags & 0x0100) != 0;
    ByteBuilder body;
    body.u32(static_cast<std::uint32_t>(wanted.data.size())).u32(wanted.unpSize).u8(wanted.hostOs);
    body.u32(wanted.crc).u32(0).u8(wanted.unpVer).u8(wanted.method);
    body.u16(static_cast<std::uint16_t>(wanted.name.size())).u32(0x20);
    if (large) body.u32(wanted.highPackSize).u32(wanted.highUnpSize);
    body.text(wanted.name).text(wanted.afterName);
    ByteBuilder out;
    out.bytes(
        block(wanted.type, wanted.flags, std::string(body.data().begin(), body.data().end())));
    out.text(wanted.data);
    return out.data();
}

Bytes endArc()
{
    return block(0x7B, 0x4000, {});
}

std::string commentBlock(std::string_view text, std::uint8_t method)
{
    ByteBuilder body;
    body.u16(static_cast<std::uint16_t>(text.size())).u8(15).u8(method).u16(0).text(text);
    const Bytes bytes = block(0x75, 0, std::string(body.data().begin(), body.data().end()));
    return std::string(bytes.begin(), bytes.end());
}

Bytes archive(std::initializer_list<Bytes> blocks)
{
    return concat(blocks);
}

} // namespace rar4

namespace rar5 {

std::string vint(std::uint64_t value)
{
    std::string out;
    do {
        const auto low = static_cast<char>(value & 0x7F);
        value >>= 7;
        out += static_cast<char>(low | (value ? 0x80 : 0));
    } while (value);
    return out;
}

Bytes signature()
{
    return {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
}

Bytes header(std::uint64_t type, std::uint64_t flags, std::string_view fields,
             std::string_view extra, std::string_view data)
{
    std::string inner = vint(type);
    const std::uint64_t allFlags = flags | (extra.empty() ? 0 : 1) | (data.empty() ? 0 : 2);
    inner += vint(allFlags);
    if (!extra.empty()) inner += vint(extra.size());
    if (!data.empty()) inner += vint(data.size());
    inner.append(fields).append(extra);
    ByteBuilder out;
    out.u32(0).text(vint(inner.size())).text(inner).text(data);
    return out.data();
}

Bytes mainHeader()
{
    return header(1, 0, vint(0));
}

Bytes file(const FileHeader& wanted)
{
    std::string fields = vint(wanted.fileFlags) + vint(wanted.unpackedSize) + vint(0x20);
    if (wanted.fileFlags & 0x0004) {
        ByteBuilder crc;
        crc.u32(wanted.crc);
        fields.append(crc.data().begin(), crc.data().end());
    }
    fields +=
        vint(wanted.compression) + vint(wanted.hostOs) + vint(wanted.name.size()) + wanted.name;
    return header(wanted.type, 0, fields, wanted.extra, wanted.data);
}

Bytes endHeader()
{
    return header(5, 0, vint(0));
}

} // namespace rar5

} // namespace tarvelo::test
