// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvelo::common {

using Bytes = std::span<const std::uint8_t>;

// Fields of on-disc records, read byte by byte so that neither the host's byte order
// nor alignment matters. The caller has checked that the field lies inside bytes.

constexpr std::uint16_t le16(Bytes bytes, std::size_t at) noexcept
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

constexpr std::uint32_t le32(Bytes bytes, std::size_t at) noexcept
{
    return static_cast<std::uint32_t>(le16(bytes, at)) |
           static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16;
}

constexpr std::uint64_t le64(Bytes bytes, std::size_t at) noexcept
{
    return static_cast<std::uint64_t>(le32(bytes, at)) |
           static_cast<std::uint64_t>(le32(bytes, at + 4)) << 32;
}

} // namespace tarvelo::common
