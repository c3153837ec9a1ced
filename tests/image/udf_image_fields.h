// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Little-endian fields, tags and strings of UDF descriptors, for the tests' image writer.
namespace tarvelo::test::udf_fields {

using Block = std::vector<std::uint8_t>;
using Span = std::span<std::uint8_t>;

constexpr std::uint32_t kBlock = 2048;

void put16(Span b, std::size_t at, std::uint64_t v);
void put32(Span b, std::size_t at, std::uint64_t v);
void put64(Span b, std::size_t at, std::uint64_t v);
void putText(Span b, std::size_t at, std::string_view text);
// The tag of the descriptor of length bytes at the block's start, written last.
void putTag(Span b, std::uint16_t identifier, std::uint32_t location, std::size_t length);
// OSTA compressed Unicode: 8 bits a character when every one fits, else UTF-16 big-endian.
Block dchars(std::string_view utf8);
void putDstring(Span b, std::size_t at, std::size_t size, std::string_view text);
void putRegid(Span b, std::size_t at, std::string_view identifier, std::uint16_t revision = 0);
void putCharspec(Span b, std::size_t at);
// 2020-01-02, local time in UTC's zone, at the hour given.
void putTime(Span b, std::size_t at, std::uint8_t hour = 0);

} // namespace tarvelo::test::udf_fields
