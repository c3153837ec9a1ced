// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvelo::catalog {

// The byte count a report's size text stands for ("1.21 KBytes" is about 1239 bytes),
// and whether it is exact: a count in Bytes is, a rounded KBytes or MBytes value is not.
struct SizeValue
{
    std::uint64_t bytes = 0;
    bool exact = false;
};

// Nothing when the text is no size text; the decimal separator may be "." or ",".
std::optional<SizeValue> sizeTextValue(std::string_view text);

// The decimal separator a size text shows, if it shows one.
std::optional<char> separatorIn(std::string_view text);

} // namespace tarvelo::catalog
