// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar_names.h"

#include <algorithm>

#include "archive/rar_records.h"
#include "common/text.h"

namespace tarvelo::archive::rar {
namespace {

// Reads the encoded name; every step checks the bytes it takes.
class CompactNameDecoder
{
public:
    CompactNameDecoder(Bytes legacy, Bytes encoded) : m_legacy(legacy), m_encoded(encoded) {}

    std::u16string decode()
    {
        std::uint8_t high = 0;
        if (!take(high)) return {};
        std::uint8_t flags = 0;
        int flagBits = 0;
        while (m_at < m_encoded.size()) {
            if (flagBits == 0) {
                take(flags);
                flagBits = 8;
            }
            flagBits -= 2;
            if (!step((flags >> flagBits) & 3, high)) break;
        }
        return std::u16string(m_units.begin(), std::find(m_units.begin(), m_units.end(), 0));
    }

private:
    bool take(std::uint8_t& byte)
    {
        if (m_at >= m_encoded.size()) return false;
        byte = m_encoded[m_at++];
        return true;
    }

    // One 2-bit code; false when the bytes it needs have run out.
    bool step(int code, std::uint8_t high)
    {
        std::uint8_t low = 0;
        std::uint8_t upper = 0;
        switch (code) {
        case 0:
            if (!take(low)) return false;
            m_units.push_back(low);
            return true;
        case 1:
            if (!take(low)) return false;
            m_units.push_back(static_cast<char16_t>(high << 8 | low));
            return true;
        case 2:
            if (!take(low) || !take(upper)) return false;
            m_units.push_back(static_cast<char16_t>(upper << 8 | low));
            return true;
        default:
            return copyRun(high);
        }
    }

    // A run of 2 to 129 units taken from the legacy name at the same positions.
    bool copyRun(std::uint8_t high)
    {
        std::uint8_t length = 0;
        std::uint8_t correction = 0;
        if (!take(length)) return false;
        const bool corrected = (length & 0x80) != 0;
        if (corrected && !take(correction)) return false;
        for (int left = (length & 0x7F) + 2; left > 0 && m_units.size() < m_legacy.size(); --left) {
            const std::uint8_t base = m_legacy[m_units.size()];
            m_units.push_back(
                corrected ? static_cast<char16_t>(high << 8 | ((base + correction) & 0xFF)) : base);
        }
        return true;
    }

    Bytes m_legacy;
    Bytes m_encoded;
    std::size_t m_at = 0;
    std::u16string m_units;
};

std::string utf8FromUtf16(const std::u16string& units)
{
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        const bool pair = cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() &&
                          units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        common::appendUtf8(out, cp); // a lone surrogate becomes U+FFFD
    }
    return out;
}

} // namespace

std::string decodeCompactName(Bytes legacy, Bytes encoded)
{
    return utf8FromUtf16(CompactNameDecoder(legacy, encoded).decode());
}

DecodedText utf8OrOem(Bytes bytes, bool utf8Writer, const common::CodePage& oemCodePage,
                      std::string& scratch)
{
    const common::TextCheck check = common::checkText(bytes);
    if (utf8Writer && check != common::TextCheck::NotUtf8)
        return {{reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                common::keptByLineSafe(check)};
    return oemText(bytes, check, oemCodePage, scratch);
}

DecodedText decodeFileName(Bytes field, std::uint16_t headFlags, std::uint8_t hostOs,
                           const common::CodePage& oemCodePage, std::string& scratch)
{
    const bool utf8Host = hostOs == kHostUnix;
    if ((headFlags & kFileHeadUnicode) == 0)
        return utf8OrOem(field, utf8Host, oemCodePage, scratch);

    const auto zero = std::find(field.begin(), field.end(), 0);
    if (zero == field.end()) return utf8OrOem(field, true, oemCodePage, scratch);
    const Bytes legacy(field.begin(), zero);
    scratch = decodeCompactName(legacy, Bytes(zero + 1, field.end()));
    return scratch.empty() ? utf8OrOem(legacy, utf8Host, oemCodePage, scratch)
                           : checkedText(scratch);
}

} // namespace tarvelo::archive::rar
