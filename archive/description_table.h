// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

namespace tarvelo::archive {

// A description table is data: rows, one lookup, one default. Each reader keeps its
// own tables; the lookup and the version text are the same for both.
struct CodeText
{
    int code;
    std::string_view text;
};

template <std::size_t N>
constexpr std::string_view describe(const CodeText (&table)[N], int code,
                                    std::string_view fallback) noexcept
{
    const auto row = std::find_if(std::begin(table), std::end(table),
                                  [code](const CodeText& r) { return r.code == code; });
    return row == std::end(table) ? fallback : row->text;
}

// A version byte of ten times the major plus the minor version, as "major.minor" (63 is
// "6.3"); the point is fixed, whatever the locale.
inline std::string versionText(std::uint8_t value)
{
    return std::to_string(value / 10) + '.' + static_cast<char>('0' + value % 10);
}

} // namespace tarvelo::archive
