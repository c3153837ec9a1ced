#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvelo::common {

// Appends the UTF-8 form of one code point (U+FFFD for values that are not scalar values).
void appendUtf8(std::string& out, char32_t codePoint);

bool isValidUtf8(std::string_view bytes);
bool isValidUtf8(std::span<const std::uint8_t> bytes);

// Text fit to stand on one report line: every invalid UTF-8 sequence and every C0
// control character (NUL, TAB, CR, LF and the rest) becomes U+FFFD, so no name can
// split or forge a line.
std::string lineSafe(std::string_view text);

// Upper-cases ASCII letters only, as the archive test and the name order need.
char asciiUpper(char c) noexcept;

} // namespace tarvelo::common
