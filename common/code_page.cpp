// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "common/error.h"
#include "common/text.h"

namespace tarvelo::common {
namespace {

struct IconvCloser
{
    void operator()(iconv_t handle) const noexcept { iconv_close(handle); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

enum class ByteKind
{
    Character,
    Unassigned,
    PartOfLongerSequence,
};

// Decodes one byte of the page on its own into out.
ByteKind decodeByte(iconv_t handle, std::uint8_t byte, std::string& out)
{
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(byte);
    char buffer[16];
    char* inPtr = &in;
    char* outPtr = buffer;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof buffer;
    if (iconv(handle, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
        return errno == EINVAL ? ByteKind::PartOfLongerSequence : ByteKind::Unassigned;
    out.assign(buffer, static_cast<std::size_t>(outPtr - buffer));
    return out.empty() ? ByteKind::PartOfLongerSequence : ByteKind::Character;
}

} // namespace

std::optional<CodePage> CodePage::byName(const std::string& name)
{
    const iconv_t raw = iconv_open("UTF-8", name.c_str());
    if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    const IconvHandle handle(raw);

    CodePage page(name);
    for (unsigned byte = 0; byte < 256; ++byte) {
        std::string text;
        switch (decodeByte(handle.get(), static_cast<std::uint8_t>(byte), text)) {
        case ByteKind::PartOfLongerSequence:
            return std::nullopt; // a multi-byte page, not a single-byte one
        case ByteKind::Unassigned:
            appendUtf8(text, 0xFFFD);
            break;
        case ByteKind::Character:
            break;
        }
        if (text.size() > 4) return std::nullopt;
        Glyph& glyph = page.m_glyphs[byte];
        glyph.size = static_cast<std::uint8_t>(text.size());
        std::copy(text.begin(), text.end(), glyph.bytes.begin());
    }
    page.m_keepsPrintableAscii = true;
    for (unsigned byte = 0x20; byte < 0x7F; ++byte) {
        const Glyph& glyph = page.m_glyphs[byte];
        if (glyph.size != 1 || static_cast<unsigned char>(glyph.bytes[0]) != byte)
            page.m_keepsPrintableAscii = false;
    }
    return page;
}

const CodePage& CodePage::defaultOem()
{
    static const CodePage page = [] {
        std::optional<CodePage> found = byName(kDefaultOemName);
        // Only a system without iconv's module for the page gets here.
        if (!found)
            throw Error(ErrorNumber::FileNotFound,
                        std::string("iconv does not know the code page ") + kDefaultOemName);
        return *std::move(found);
    }();
    return page;
}

std::string CodePage::toUtf8(std::span<const std::uint8_t> bytes) const
{
    std::string out;
    toUtf8(bytes, out);
    return out;
}

void CodePage::toUtf8(std::span<const std::uint8_t> bytes, std::string& out) const
{
    out.clear();
    out.reserve(bytes.size());
    for (const std::uint8_t byte : bytes) {
        const Glyph& glyph = m_glyphs[byte];
        out.append(glyph.bytes.data(), glyph.size);
    }
}

} // namespace tarvelo::common
