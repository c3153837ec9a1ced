// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelo::catalog {

// Numbers in the catalogue's own rows take seven bits a byte, low bits first; the high
// bit says another byte follows.
inline void appendNumber(std::string& out, std::uint32_t value)
{
    while (value >= 0x80U) {
        out += static_cast<char>((value & 0x7FU) | 0x80U);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// The number at `at`, moving `at` past it; none when the bytes end inside it or it does
// not fit in 32 bits.
inline std::optional<std::uint32_t> readNumber(std::string_view bytes, std::size_t& at)
{
    std::uint64_t value = 0;
    for (unsigned shift = 0; shift <= 28; shift += 7) {
        if (at == bytes.size()) return std::nullopt;
        const auto byte = static_cast<unsigned char>(bytes[at++]);
        value |= std::uint64_t{byte & 0x7FU} << shift;
        if ((byte & 0x80U) == 0) {
            if (value > UINT32_MAX) return std::nullopt;
            return static_cast<std::uint32_t>(value);
        }
    }
    return std::nullopt;
}

} // namespace tarvelo::catalog
