// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelo::archive::rar {

// The words behind the RAR reader's description properties.

// The host system that wrote an entry (HOST_OS); "unKnown" past UNIX.
std::string_view SystemName(std::uint8_t code) noexcept;

// A version byte of ten times the major plus the minor version, as "major.minor".
std::string VersionText(std::uint8_t version);

// The packing method (METHOD, 0x30 to 0x35); "Unknown" for any other value.
std::string_view MethodName(std::int16_t method) noexcept;

// The 16-bit signed value with the low 16 bits of x, for x from -32768 to 98303; any
// other x is an overflow error.
std::int16_t LongToWord(std::int32_t x);

} // namespace tarvelo::archive::rar
