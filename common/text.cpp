// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/text.h"

#include "common/text_scan.h"

#include <algorithm>

namespace tarvelo::common {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// True for a well-formed sequence that could break or disguise a report line: C0 and C1
// controls, DEL, the line and paragraph separators, and the bidirectional embeddings,
// overrides and isolates, which reorder what follows them on the line.
inline bool breaksALine(std::string_view sequence) noexcept
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(sequence[i]); };
    switch (sequence.size()) {
    case 1:
        return at(0) < 0x20 || at(0) == 0x7F;
    case 2:
        return at(0) == 0xC2 && at(1) < 0xA0; // U+0080 to U+009F
    case 3:
        return at(0) == 0xE2 && ((at(1) == 0x80 && at(2) >= 0xA8 && at(2) <= 0xAE) ||
                                 (at(1) == 0x81 && at(2) >= 0xA6 && at(2) <= 0xA9));
    default:
        return false;
    }
}

// Length of the well-formed UTF-8 sequence at p (RFC 3629 table), with left bytes there,
// or 0 when it is not one. Inlined into the loops below: names are scanned per sequence.
inline std::size_t sequenceLength(const unsigned char* p, std::size_t left) noexcept
{
    const unsigned char lead = p[0];
    const auto continuation = [&](std::size_t i, unsigned char low = 0x80,
                                  unsigned char high = 0xBF) {
        return i < left && p[i] >= low && p[i] <= high;
    };
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;
    if (lead <= 0xDF) return continuation(1) ? 2 : 0;
    if (lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(1, low, high) && continuation(2) ? 3 : 0;
    }
    if (lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(1, low, high) && continuation(2) && continuation(3) ? 4 : 0;
    }
    return 0;
}

} // namespace

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

TextCheck checkTextBySequence(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    bool lineSafe = true;
    bool printable = true;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(p + at, text.size() - at);
        if (length == 0) return TextCheck::NotUtf8;
        if (breaksALine(text.substr(at, length))) lineSafe = false;
        if (length > 1) printable = false;
        at += length;
    }
    if (!lineSafe) return TextCheck::Utf8;
    return printable ? TextCheck::PrintableAscii : TextCheck::LineSafe;
}

TextCheck checkText(std::string_view text)
{
    const std::optional<TextCheck> fast = fastCheck(text);
    return fast ? *fast : checkTextBySequence(text);
}

TextCheck checkText(std::span<const std::uint8_t> bytes)
{
    return checkText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool isValidUtf8(std::string_view bytes)
{
    return checkText(bytes) != TextCheck::NotUtf8;
}

bool isValidUtf8(std::span<const std::uint8_t> bytes)
{
    return checkText(bytes) != TextCheck::NotUtf8;
}

std::string lineSafe(std::string_view text)
{
    std::string out;
    appendLineSafe(out, text);
    return out;
}

void appendLineSafe(std::string& out, std::string_view text)
{
    if (fastCheck(text)) {
        out.append(text);
        return;
    }
    out.reserve(out.size() + text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t kept = 0; // text before this is in out already
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceLength(p + at, text.size() - at);
        if (length > 0 && !breaksALine(text.substr(at, length))) {
            at += length;
            continue;
        }
        out.append(text.substr(kept, at - kept));
        appendUtf8(out, kReplacement);
        at += length == 0 ? 1 : length;
        kept = at;
    }
    out.append(text.substr(kept));
}

std::string asPathComponent(std::string name)
{
    std::replace_if(
        name.begin(), name.end(), [](char c) { return c == '/' || c == '\0'; }, '_');
    return name;
}

char asciiUpper(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace tarvelo::common
