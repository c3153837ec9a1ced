// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelo::catalog {

// The form names and patterns are compared in, so people find names the way they type
// them: case-folded, Serbian Cyrillic read as Gaj's Latin, diacritics dropped and "đ"
// spelled "dj" ("ČAŠA" and "čaša" give "casa", "Ђурђевак" gives "djurdjevak").
// Invalid UTF-8 becomes U+FFFD.
std::string searchKey(std::string_view text);
// The same key added to the end of key, which a caller making many keys reuses.
void appendSearchKey(std::string& key, std::string_view text);

// Whether the byte starts a character of UTF-8 text (is not a continuation byte).
constexpr bool startsCharacter(char byte) noexcept
{
    return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U;
}

// The number of characters (code points) of valid UTF-8 text.
std::size_t characterCount(std::string_view text);

} // namespace tarvelo::catalog
