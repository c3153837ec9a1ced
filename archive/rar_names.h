// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "archive/decoded_text.h"
#include "common/code_page.h"

namespace tarvelo::archive::rar {

// Decodes RAR's compact Unicode name: a high byte, then flag bytes whose 2-bit codes
// (highest first) each give one UTF-16 unit: a byte, a byte under the high byte, two
// bytes, or a run copied from the legacy name (with an optional correction). Decoding
// stops where the bytes run out or at a zero unit. The result is UTF-8.
std::string decodeCompactName(std::span<const std::uint8_t> legacy,
                              std::span<const std::uint8_t> encoded);

// Text from a writer that may have used UTF-8: a view of bytes when they are valid UTF-8
// and the writer is one that uses it, otherwise of scratch, which gets them read through
// the OEM code page.
DecodedText utf8OrOem(std::span<const std::uint8_t> bytes, bool utf8Writer,
                      const common::CodePage& oemCodePage, std::string& scratch);

// The name field of a RAR 1.5 to 4.x file header as UTF-8, a view of the field or of
// scratch, which it overwrites.
DecodedText decodeFileName(std::span<const std::uint8_t> field, std::uint16_t headFlags,
                           std::uint8_t hostOs, const common::CodePage& oemCodePage,
                           std::string& scratch);

} // namespace tarvelo::archive::rar
