// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarvelo::common {

// A single-byte code page (such as the DOS page CP852), decoded to UTF-8 through a
// table of all 256 bytes built once from iconv.
class CodePage
{
public:
    static constexpr const char* kDefaultOemName = "CP852";

    // The named page, or nothing when iconv does not know it or it is not single-byte.
    static std::optional<CodePage> byName(const std::string& name);
    static const CodePage& defaultOem();

    const std::string& name() const noexcept { return m_name; }
    std::string toUtf8(std::span<const std::uint8_t> bytes) const;
    // The same into out, which it overwrites: a caller that reuses out allocates nothing.
    void toUtf8(std::span<const std::uint8_t> bytes, std::string& out) const;

    // True when every printable ASCII byte (0x20 to 0x7E) stands for itself, as in the DOS
    // and Windows pages: text of those bytes alone needs no decoding.
    bool keepsPrintableAscii() const noexcept { return m_keepsPrintableAscii; }

private:
    struct Glyph
    {
        std::array<char, 4> bytes{};
        std::uint8_t size = 0;
    };

    explicit CodePage(std::string name) : m_name(std::move(name)) {}

    std::string m_name;
    std::array<Glyph, 256> m_glyphs{};
    bool m_keepsPrintableAscii = false;
};

} // namespace tarvelo::common
