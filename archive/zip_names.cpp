// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_names.h"

#include <optional>

#include "common/crc32.h"
#include "common/text.h"

namespace tarvelo::archive::zip {
namespace {

std::string asText(Bytes bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The UTF-8 text of an Info-ZIP Unicode Path or Comment block, when the block was made
// for raw: a writer that changed the plain field afterwards leaves a stale CRC.
std::optional<std::string> unicodeBlockText(Bytes raw, std::uint16_t id, Bytes extra)
{
    constexpr std::size_t kTextAt = 5; // version byte, then the CRC-32 of the plain field
    const std::optional<Bytes> block = findExtraBlock(extra, id);
    if (!block || block->size() < kTextAt || (*block)[0] != kUnicodeExtraVersion)
        return std::nullopt;
    if (le32(*block, 1) != common::crc32(raw)) return std::nullopt;
    const Bytes text = block->subspan(kTextAt);
    if (!common::isValidUtf8(text)) return std::nullopt;
    return asText(text);
}

bool fromUtf8Host(std::uint16_t versionMadeBy)
{
    const auto host = static_cast<std::uint8_t>(versionMadeBy >> 8);
    return host == kHostUnix || host == kHostOsX;
}

} // namespace

std::string_view decodeEntryText(Bytes raw, std::uint16_t unicodeBlock, const TextOrigin& origin,
                                 const common::CodePage& oemCodePage, std::string& scratch)
{
    const std::string_view rawText(reinterpret_cast<const char*>(raw.data()), raw.size());
    const bool utf8 = common::isValidUtf8(raw);
    if (utf8 && (origin.flags & kFlagUtf8) != 0) return rawText;
    if (std::optional<std::string> text = unicodeBlockText(raw, unicodeBlock, origin.extra)) {
        scratch = std::move(*text);
        return scratch;
    }
    if (utf8 && fromUtf8Host(origin.versionMadeBy)) return rawText;
    scratch = oemCodePage.toUtf8(raw);
    return scratch;
}

std::string decodeEntryText(Bytes raw, std::uint16_t unicodeBlock, const TextOrigin& origin,
                            const common::CodePage& oemCodePage)
{
    std::string scratch;
    return std::string(decodeEntryText(raw, unicodeBlock, origin, oemCodePage, scratch));
}

std::string decodeArchiveComment(Bytes raw, const common::CodePage& oemCodePage)
{
    return common::isValidUtf8(raw) ? asText(raw) : oemCodePage.toUtf8(raw);
}

} // namespace tarvelo::archive::zip
