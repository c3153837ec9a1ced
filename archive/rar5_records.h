// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "archive/rar_records.h"

namespace tarvelo::archive::rar5 {

using rar::Bytes;

// Header types.
constexpr std::uint64_t kMainHeader = 1;
constexpr std::uint64_t kFileHeader = 2;
constexpr std::uint64_t kServiceHeader = 3;
constexpr std::uint64_t kEncryptionHeader = 4; // every later header is encrypted
constexpr std::uint64_t kEndHeader = 5;

// Flags of every header.
constexpr std::uint64_t kHeaderExtraArea = 0x0001;
constexpr std::uint64_t kHeaderDataArea = 0x0002;

// File header flags.
constexpr std::uint64_t kFileDirectory = 0x0001;
constexpr std::uint64_t kFileUnixTime = 0x0002;
constexpr std::uint64_t kFileCrc32 = 0x0004;

// Extra area record types of a file header.
constexpr std::uint64_t kExtraEncryption = 0x01;

constexpr std::uint64_t kHostWindows = 0;
constexpr std::uint64_t kHostUnix = 1;

constexpr std::size_t kCrcSize = 4;
constexpr std::size_t kMaxVintSize = 10;                  // 70 bits, enough for any 64-bit value
constexpr std::uint64_t kMaxHeaderSize = 2 * 1024 * 1024; // a 3-byte size field at most

// A variable-length integer: 7 bits a byte, lowest first, high bit set on all but the last.
struct Vint
{
    std::uint64_t value = 0;
    std::size_t length = 0;
};

// The vint at the start of bytes; nothing when the bytes end inside it. A vint longer
// than kMaxVintSize or beyond 64 bits is damage.
std::optional<Vint> decodeVint(Bytes bytes);

// Reads the fields of one header in order; a field that runs past the header is damage.
class FieldCursor
{
public:
    explicit FieldCursor(Bytes bytes) : m_bytes(bytes) {}

    // Most fields fit one byte: those are taken inline.
    std::uint64_t vint()
    {
        if (m_at < m_bytes.size() && m_bytes[m_at] < 0x80) return m_bytes[m_at++];
        return longVint();
    }
    std::uint32_t u32();
    Bytes bytes(std::uint64_t count);
    Bytes rest() const noexcept { return m_bytes.subspan(m_at); }

private:
    std::uint64_t longVint();

    Bytes m_bytes;
    std::size_t m_at = 0;
};

// The fields every header has, and its type-specific part and extra area.
struct Header
{
    std::uint64_t type = 0;
    std::uint64_t flags = 0;
    std::uint64_t dataSize = 0;
    Bytes body;  // the type-specific fields
    Bytes extra; // the extra area
};

// Decodes the headerSize bytes that follow a header's size field.
Header decodeHeader(Bytes header);

// A file header's record as the RAR 1.5 to 4.x entries keep theirs: HOST_OS, METHOD and
// UNP_VER carry the codes of the older format, HEAD_FLAGS its directory, password and
// high-size bits.
struct FileHead
{
    RarEntry entry; // every field but FileName and DataPos
    Bytes name;     // UTF-8
};

FileHead decodeFileHead(const Header& header);

} // namespace tarvelo::archive::rar5
