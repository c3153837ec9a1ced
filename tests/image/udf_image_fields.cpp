// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/image/udf_image_fields.h"

#include <algorithm>

namespace tarvelo::test::udf_fields {
namespace {

std::uint16_t crc(Span b, std::size_t from, std::size_t length)
{
    unsigned value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
        value ^= unsigned{b[i]} << 8;
        for (int bit = 0; bit < 8; ++bit) value = (value & 0x8000) ? (value << 1) ^ 0x1021 : value << 1;
    }
    return static_cast<std::uint16_t>(value);
}

std::vector<char32_t> codePoints(std::string_view utf8)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        unsigned point = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (std::size_t k = 1; k <= extra; ++k)
            point = point << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        points.push_back(static_cast<char32_t>(point));
        i += extra + 1;
    }
    return points;
}

} // namespace

void put16(Span b, std::size_t at, std::uint64_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Span b, std::size_t at, std::uint64_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
void put64(Span b, std::size_t at, std::uint64_t v)
{
    put32(b, at, v & 0xFFFFFFFF);
    put32(b, at + 4, v >> 32);
}
void putText(Span b, std::size_t at, std::string_view text)
{
    std::copy(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// The tag of the descriptor of length bytes at the block's start, written last.
void putTag(Span b, std::uint16_t identifier, std::uint32_t location, std::size_t length)
{
    put16(b, 0, identifier);
    put16(b, 2, 2);
    put16(b, 6, 1);
    put16(b, 8, crc(b, 16, length - 16));
    put16(b, 10, length - 16);
    put32(b, 12, location);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 16; ++i) sum += i == 4 ? 0 : b[i];
    b[4] = static_cast<std::uint8_t>(sum);
}

// OSTA compressed Unicode: 8 bits a character when every one fits, else UTF-16 big-endian.
Block dchars(std::string_view utf8)
{
    const auto points = codePoints(utf8);
    const bool narrow = std::all_of(points.begin(), points.end(), [](char32_t c) { return c < 256; });
    Block out{static_cast<std::uint8_t>(narrow ? 8 : 16)};
    for (char32_t c : points) {
        if (narrow) {
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        std::vector<char32_t> units{c};
        if (c >= 0x10000) units = {0xD800 + ((c - 0x10000) >> 10), 0xDC00 + ((c - 0x10000) & 0x3FF)};
        for (char32_t u : units) {
            out.push_back(static_cast<std::uint8_t>(u >> 8));
            out.push_back(static_cast<std::uint8_t>(u));
        }
    }
    return out;
}

void putDstring(Span b, std::size_t at, std::size_t size, std::string_view text)
{
    const Block chars = dchars(text);
    std::copy(chars.begin(), chars.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
    b[at + size - 1] = static_cast<std::uint8_t>(chars.size());
}

void putRegid(Span b, std::size_t at, std::string_view identifier, std::uint16_t revision)
{
    putText(b, at + 1, identifier);
    put16(b, at + 24, revision);
}

void putCharspec(Span b, std::size_t at)
{
    putText(b, at + 1, "OSTA Compressed Unicode");
}

void putTime(Span b, std::size_t at, std::uint8_t hour)
{
    put16(b, at, 0x1000);
    put16(b, at + 2, 2020);
    b[at + 4] = 1;
    b[at + 5] = 2;
    b[at + 6] = hour;
}

} // namespace tarvelo::test::udf_fields
