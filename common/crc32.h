// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

namespace tarvelo::common {

// The CRC-32 of ZIP, gzip and PNG (reflected polynomial 0xEDB88320). Pass the result of
// an earlier call as crc to continue over more bytes.
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0) noexcept;

} // namespace tarvelo::common
