// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/rar_reader.h"
#include "tests/archive/reader_fixtures.h"

namespace tarvelo::test {

using Bytes = std::vector<std::uint8_t>;

// A RAR reader with its own shared state, as a test needs it.
struct RarFixture
{
    archive::ReaderState state;
    archive::Cls_Rar reader{state, common::CodePage::defaultOem()};
    RecordedNotices notices;

    // Reads bytes as the archive "test.rar"; failures reach the caller.
    void read(std::span<const std::uint8_t> bytes);
    std::vector<std::string> names() const;
};

// Hand-made RAR 1.5 to 4.x blocks. Header CRCs are left 0: the reader never checks them.
namespace rar4 {

constexpr std::uint16_t kLongBlock = 0x8000;

// A file header (or, with type 0x7A, a service header) and its packed data.
struct FileBlock
{
    explicit FileBlock(std::string storedName) : name(std::move(storedName)) {}

    FileBlock& withData(std::string bytes) { return set(data, std::move(bytes)); }
    FileBlock& withFlags(std::uint16_t value) { return set(flags, value); }
    FileBlock& withType(std::uint8_t value) { return set(type, value); }
    FileBlock& withHost(std::uint8_t value) { return set(hostOs, value); }
    FileBlock& withCrc(std::uint32_t value) { return set(crc, value); }
    FileBlock& withUnpSize(std::uint32_t value) { return set(unpSize, value); }
    FileBlock& withUnpVer(std::uint8_t value) { return set(unpVer, value); }
    FileBlock& withMethod(std::uint8_t value) { return set(method, value); }
    FileBlock& withHighSizes(std::uint32_t pack, std::uint32_t unp)
    {
        highPackSize = pack;
        return set(highUnpSize, unp);
    }
    FileBlock& withAfterName(std::string bytes) { return set(afterName, std::move(bytes)); }

    std::string name; // the name field's bytes as stored
    std::string data;
    std::uint16_t flags = kLongBlock;
    std::uint8_t type = 0x74;
    std::uint8_t hostOs = 2;
    std::uint32_t crc = 0;
    std::uint32_t unpSize = 0;
    std::uint8_t unpVer = 29;
    std::uint8_t method = 0x30;
    std::uint32_t highPackSize = 0; // written with the unpacked one when flags hold 0x100
    std::uint32_t highUnpSize = 0;
    std::string afterName; // salt, extended time or comment block, inside HEAD_SIZE

private:
    template <typename T> FileBlock& set(T& field, T value)
    {
        field = std::move(value);
        return *this;
    }
};

Bytes marker();
Bytes block(std::uint8_t type, std::uint16_t flags, std::string_view body);
// A block with flag 0x8000: ADD_SIZE, more fixed fields, then the data ADD_SIZE counts.
Bytes longBlock(std::uint8_t type, std::string_view moreFields, std::string_view data);
Bytes mainHead(std::uint16_t flags = 0, std::string_view afterFixedPart = {});
Bytes file(const FileBlock& wanted);
Bytes endArc();
// An inline comment block (old style) holding text, stored or marked as packed.
std::string commentBlock(std::string_view text, std::uint8_t method = 0x30);

Bytes archive(std::initializer_list<Bytes> blocks);

} // namespace rar4

// Hand-made RAR 5 headers, CRCs left 0 as well.
namespace rar5 {

std::string vint(std::uint64_t value);

struct FileHeader
{
    explicit FileHeader(std::string utf8Name) : name(std::move(utf8Name)) {}

    FileHeader& withData(std::string bytes) { return set(data, std::move(bytes)); }
    FileHeader& withType(std::uint64_t value) { return set(type, value); }
    FileHeader& withFileFlags(std::uint64_t value) { return set(fileFlags, value); }
    FileHeader& withUnpackedSize(std::uint64_t value) { return set(unpackedSize, value); }
    FileHeader& withCrc(std::uint32_t value) { return set(crc, value); }
    FileHeader& withCompression(std::uint64_t value) { return set(compression, value); }
    FileHeader& withHost(std::uint64_t value) { return set(hostOs, value); }
    FileHeader& withExtra(std::string records) { return set(extra, std::move(records)); }

    std::string name;
    std::string data;
    std::uint64_t type = 2;
    std::uint64_t fileFlags = 0x0004; // CRC32 present
    std::uint64_t unpackedSize = 0;
    std::uint32_t crc = 0;
    std::uint64_t compression = 0;
    std::uint64_t hostOs = 0;
    std::string extra; // the extra area's records

private:
    template <typename T> FileHeader& set(T& field, T value)
    {
        field = std::move(value);
        return *this;
    }
};

Bytes signature();
Bytes header(std::uint64_t type, std::uint64_t flags, std::string_view fields,
             std::string_view extra = {}, std::string_view data = {});
Bytes mainHeader();
Bytes file(const FileHeader& wanted);
Bytes endHeader();

} // namespace rar5

} // namespace tarvelo::test
