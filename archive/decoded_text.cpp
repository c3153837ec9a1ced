// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/decoded_text.h"

namespace tarvelo::archive {

DecodedText checkedText(std::string_view text)
{
    return {text, common::keptByLineSafe(common::checkText(text))};
}

DecodedText oemText(std::span<const std::uint8_t> bytes, common::TextCheck check,
                    const common::CodePage& oemCodePage, std::string& scratch)
{
    if (check == common::TextCheck::PrintableAscii && oemCodePage.keepsPrintableAscii())
        return {{reinterpret_cast<const char*>(bytes.data()), bytes.size()}, true};
    oemCodePage.toUtf8(bytes, scratch);
    return checkedText(scratch);
}

} // namespace tarvelo::archive
