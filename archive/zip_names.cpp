// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_names.h"

#include <optional>

#include "common/crc32.h"
#include "common/text.h"

namespace tarvelo::archive::zip {
namespace {

std::string_view asText(Bytes bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The UTF-8 text of an Info-ZIP Unicode Path or Comment block, when the block was made
// for raw: a writer that changed the plain field afterwards leaves a stale CRC.
std::optional<DecodedText> unicodeBlockText(Bytes raw, std::uint16_t id, Bytes extra)
{
    constexpr std::size_t kTextAt = 5; // version byte, then the CRC-32 of the plain field
    const std::optional<Bytes> block = findExtraBlock(extra, id);
    if (!block || block->size() < kTextAt || (*block)[0] != kUnicodeExtraVersion)
        return std::nullopt;
    if (le32(*block, 1) != common::crc32(raw)) return std::nullopt;
    const Bytes text = block->subspan(kTextAt);
    const common::TextCheck check = common::checkText(text);
    if (check == common::TextCheck::NotUtf8) return std::nullopt;
    return DecodedText{asText(text), common::keptByLineSafe(check)};
}

bool fromUtf8Host(std::uint16_t versionMadeBy)
{
    const auto host = static_cast<std::uint8_t>(versionMadeBy >> 8);
    return host == kHostUnix || host == kHostOsX;
}

} // namespace

DecodedText decodeEntryText(Bytes raw, std::uint16_t unicodeBlock, const TextOrigin& origin,
                            const common::CodePage& oemCodePage, std::string& scratch)
{
    const common::TextCheck check = common::checkText(raw);
    const bool utf8 = check != common::TextCheck::NotUtf8;
    if (utf8 && (origin.flags & kFlagUtf8) != 0)
        return {asText(raw), common::keptByLineSafe(check)};
    if (std::optional<DecodedText> text = unicodeBlockText(raw, unicodeBlock, origin.extra))
        return *text;
    if (utf8 && fromUtf8Host(origin.versionMadeBy))
        return {asText(raw), common::keptByLineSafe(check)};
    return oemText(raw, check, oemCodePage, scratch);
}

std::string decodeEntryText(Bytes raw, std::uint16_t unicodeBlock, const TextOrigin& origin,
                            const common::CodePage& oemCodePage)
{
    std::string scratch;
    return std::string(decodeEntryText(raw, unicodeBlock, origin, oemCodePage, scratch).text);
}

std::string decodeArchiveComment(Bytes raw, const common::CodePage& oemCodePage)
{
    return common::isValidUtf8(raw) ? std::string(asText(raw)) : oemCodePage.toUtf8(raw);
}

} // namespace tarvelo::archive::zip
