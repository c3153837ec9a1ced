// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/size_text.h"

#include <array>
#include <string_view>

namespace tarvelo::report {
namespace {

constexpr std::uint64_t kKiloByte = 1024;
constexpr std::uint64_t kMegaByte = 1024 * 1024;
constexpr int kMaxSignificantDigits = 15;

// q rounded up by one when the remainder r of a division by d is above half, or exactly
// half with q odd.
std::uint64_t roundHalfEven(std::uint64_t q, std::uint64_t r, std::uint64_t d)
{
    const std::uint64_t twice = 2 * r;
    return (twice > d || (twice == d && q % 2 == 1)) ? q + 1 : q;
}

// bytes / divisor in hundredths, rounded half to even, computed exactly in integers.
// The whole part fits in 44 bits for either divisor, so nothing overflows.
std::uint64_t hundredths(std::uint64_t bytes, std::uint64_t divisor)
{
    const std::uint64_t whole = bytes / divisor;
    const std::uint64_t fraction = (bytes % divisor) * 100;
    return whole * 100 + roundHalfEven(fraction / divisor, fraction % divisor, divisor);
}

int digitCount(std::uint64_t value)
{
    int count = 1;
    while (value >= 10) {
        value /= 10;
        ++count;
    }
    return count;
}

// Drops the digits beyond the fifteenth significant one of a value in hundredths.
std::uint64_t limitSignificantDigits(std::uint64_t value)
{
    const int excess = digitCount(value) - kMaxSignificantDigits;
    if (excess <= 0) return value;
    std::uint64_t scale = 1;
    for (int i = 0; i < excess; ++i)
        scale *= 10;
    return roundHalfEven(value / scale, value % scale, scale) * scale;
}

// A value in hundredths in its shortest form: no trailing zeros, no separator when whole.
std::string decimalText(std::uint64_t value, char decimalSeparator)
{
    std::string text = std::to_string(value / 100);
    const auto fraction = static_cast<unsigned>(value % 100);
    if (fraction != 0) {
        text += decimalSeparator;
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

} // namespace

std::string getSize(std::uint64_t fileSize, char decimalSeparator)
{
    struct Unit
    {
        std::uint64_t divisor;
        std::string_view suffix;
    };
    static constexpr std::array<Unit, 2> kLargeUnits{{
        {kMegaByte, " MBytes"},
        {kKiloByte, " KBytes"},
    }};
    for (const Unit& unit : kLargeUnits) {
        const std::uint64_t rounded = hundredths(fileSize, unit.divisor);
        if (rounded >= 100)
            return decimalText(limitSignificantDigits(rounded), decimalSeparator) +
                   std::string(unit.suffix);
    }
    return std::to_string(fileSize) + " Bytes";
}

} // namespace tarvelo::report
