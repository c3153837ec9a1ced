// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/code_page.h"
#include "common/text.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvelo::archive {

// A name or comment decoded to UTF-8, and whether the one check that chose its encoding
// also found it fit for a report line as it is (common::keptByLineSafe), so that nobody
// checks it again.
struct DecodedText
{
    std::string_view text;
    bool lineSafe = false;
};

// text, with what common::checkText finds of it.
DecodedText checkedText(std::string_view text);

// bytes read through the OEM code page, given what common::checkText found of them: a
// view of the bytes themselves when they are printable ASCII that the page keeps as it
// is (most names from DOS and Windows writers), else of scratch, which it overwrites.
DecodedText oemText(std::span<const std::uint8_t> bytes, common::TextCheck check,
                    const common::CodePage& oemCodePage, std::string& scratch);

} // namespace tarvelo::archive
