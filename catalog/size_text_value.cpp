// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/size_text_value.h"

#include <charconv>

namespace tarvelo::catalog {
namespace {

struct Unit
{
    std::string_view suffix;
    std::uint64_t bytes;
};

constexpr Unit kUnits[] = {{" Bytes", 1}, {" KBytes", 1024}, {" MBytes", 1024 * 1024}};

// Largest whole part that still fits in 64 bits once scaled by a MByte in hundredths.
constexpr std::uint64_t kMostWhole = 1'000'000'000'000;

} // namespace

std::optional<SizeValue> sizeTextValue(std::string_view text)
{
    for (const Unit& unit : kUnits) {
        if (!text.ends_with(unit.suffix)) continue;
        const std::string_view number = text.substr(0, text.size() - unit.suffix.size());
        std::uint64_t whole = 0;
        const char* end = number.data() + number.size();
        auto parsed = std::from_chars(number.data(), end, whole);
        if (parsed.ec != std::errc{} || parsed.ptr == number.data() || whole > kMostWhole)
            return std::nullopt;
        std::uint64_t hundredths = whole * 100;
        if (parsed.ptr != end) {
            const std::string_view decimals(parsed.ptr + 1, static_cast<std::size_t>(end - parsed.ptr - 1));
            if ((*parsed.ptr != '.' && *parsed.ptr != ',') || decimals.empty() || decimals.size() > 2 ||
                decimals.find_first_not_of("0123456789") != std::string_view::npos || unit.bytes == 1)
                return std::nullopt;
            std::uint64_t fraction = static_cast<std::uint64_t>(decimals[0] - '0') * 10;
            if (decimals.size() == 2) fraction += static_cast<std::uint64_t>(decimals[1] - '0');
            hundredths += fraction;
        }
        if (unit.bytes == 1) return SizeValue{whole, true};
        return SizeValue{(hundredths * unit.bytes + 50) / 100, false};
    }
    return std::nullopt;
}

std::optional<char> separatorIn(std::string_view text)
{
    const auto at = text.find_first_of(".,");
    if (at == std::string_view::npos) return std::nullopt;
    return text[at];
}

} // namespace tarvelo::catalog
