// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/entry_store.h"

#include "common/error.h"

#include <algorithm>
#include <cstring>

namespace tarvelo::archive {
namespace {

constexpr std::size_t kFirstBlock = 16 * 1024;
constexpr std::size_t kMaxBlocks = std::size_t{1} << (32 - TextArena::kOffsetBits);
constexpr std::size_t kMaxLengthSize = 5; // a 32-bit length, 7 bits a byte

char* putLength(char* out, std::size_t length) noexcept
{
    while (length >= 0x80) {
        *out++ = static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    *out++ = static_cast<char>(length);
    return out;
}

// The text whose length starts at p; p moves past the text.
std::string_view takeText(const char*& p) noexcept
{
    std::size_t length = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        length |= std::size_t{byte & 0x7Fu} << shift;
        if (byte < 0x80) break;
    }
    const std::string_view text(p, length);
    p += length;
    return text;
}

} // namespace

char* TextArena::newBlock(std::size_t size)
{
    if (m_blocks.size() == kMaxBlocks)
        throw Error(ErrorNumber::Overflow, "more names than one listing can hold");
    const std::size_t grown = m_blocks.empty() ? kFirstBlock : m_blocks.back().capacity * 2;
    const std::size_t capacity = std::max(size, std::min(grown, kLargestBlock));
    m_blocks.push_back({std::make_unique_for_overwrite<char[]>(capacity), capacity, 0});
    return m_blocks.back().bytes.get();
}

TextArena::Handle TextArena::add(std::string_view name, std::string_view comment)
{
    char* out = room(2 * kMaxLengthSize + name.size() + comment.size());
    Block& block = m_blocks.back();
    const auto handle = static_cast<Handle>((m_blocks.size() - 1) << kOffsetBits | block.used);
    out = putLength(out, name.size());
    out = std::copy(name.begin(), name.end(), out);
    out = putLength(out, comment.size());
    out = std::copy(comment.begin(), comment.end(), out);
    block.used = static_cast<std::size_t>(out - block.bytes.get());
    return handle;
}

const char* TextArena::at(Handle handle) const noexcept
{
    return m_blocks[handle >> kOffsetBits].bytes.get() + (handle & (kLargestBlock - 1));
}

std::string_view TextArena::name(Handle handle) const noexcept
{
    const char* p = at(handle);
    return takeText(p);
}

std::string_view TextArena::comment(Handle handle) const noexcept
{
    const char* p = at(handle);
    takeText(p);
    return takeText(p);
}

void TextArena::clear() noexcept
{
    m_blocks.clear();
}

} // namespace tarvelo::archive
