// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelo::archive::zip {

// Words for the coded fields of a central directory entry.

// The host system of a version-made-by or version-needed high byte.
std::string_view SystemName(std::uint8_t code);

// A version low byte as major.minor: 63 is "6.3".
std::string VersionText(std::uint8_t value);

// The compression method.
std::string_view MethodName(std::int16_t code);

} // namespace tarvelo::archive::zip
