// SPDX-License-Identifier: GPL-3.0-or-later
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

// What a text is fit for: not UTF-8; valid UTF-8 that lineSafe would change; text that
// lineSafe keeps as it is, so it can stand on a report line without a second look; and,
// the narrowest, printable ASCII alone (U+0020 to U+007E), which most code pages also
// keep as it is.
enum class TextCheck : std::uint8_t
{
    NotUtf8,
    Utf8,
    LineSafe,
    PrintableAscii,
};

constexpr bool keptByLineSafe(TextCheck check) noexcept
{
    return check >= TextCheck::LineSafe;
}

// Finds it in one pass, eight bytes at a time where it can.
TextCheck checkText(std::string_view text);
TextCheck checkText(std::span<const std::uint8_t> bytes);

// The same, one UTF-8 sequence at a time: what checkText falls back to when its fast
// scan cannot tell (a four-byte sequence, or anything that is not line-safe).
TextCheck checkTextBySequence(std::string_view text);

// Text fit to stand on one report line: every invalid UTF-8 sequence, every C0 and C1
// control character (NUL, TAB, CR, LF, NEL and the rest), DEL, the line and paragraph
// separators (U+2028, U+2029) and the bidirectional controls (U+202A to U+202E,
// U+2066 to U+2069) become U+FFFD, so no name can split, forge or disguise a line.
std::string lineSafe(std::string_view text);

// The same, appended to out: a caller that reuses out allocates nothing per line.
void appendLineSafe(std::string& out, std::string_view text);

// A file name read from a disc made one path component: each "/" (which a Joliet, Rock
// Ridge or UDF name can hold) and each NUL becomes "_", so its path names no other file.
std::string asPathComponent(std::string name);

// Upper-cases ASCII letters only, as the archive test and the name order need.
char asciiUpper(char c) noexcept;

} // namespace tarvelo::common
