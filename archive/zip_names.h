// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/decoded_text.h"
#include "archive/zip_records.h"
#include "common/code_page.h"

namespace tarvelo::archive::zip {

// What tells how a writer encoded an entry's name and comment.
struct TextOrigin
{
    std::uint16_t flags = 0;
    std::uint16_t versionMadeBy = 0;
    Bytes extra; // the entry's extra field, for the Info-ZIP Unicode blocks
};

// An entry's name (unicodeBlock kExtraUnicodePath) or comment (kExtraUnicodeComment) as
// UTF-8, from the first source that applies: the UTF-8 flag, the Info-ZIP Unicode block
// made for these very bytes, UTF-8 bytes from a UNIX or macOS writer, else the OEM page.
std::string decodeEntryText(Bytes raw, std::uint16_t unicodeBlock, const TextOrigin& origin,
                            const common::CodePage& oemCodePage);

// The same as a view of raw or of its Unicode block when that is the text, else of
// scratch, which it overwrites: no copy for the usual name that is UTF-8 already.
DecodedText decodeEntryText(Bytes raw, std::uint16_t unicodeBlock, const TextOrigin& origin,
                          const common::CodePage& oemCodePage, std::string& scratch);

// The archive comment has no flag or host of its own: UTF-8 when it is valid UTF-8,
// else the OEM page.
std::string decodeArchiveComment(Bytes raw, const common::CodePage& oemCodePage);

} // namespace tarvelo::archive::zip
