// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/search_key.h"

#include "common/text.h"

#include <algorithm>
#include <iterator>

namespace tarvelo::catalog {
namespace {

struct KeyOf
{
    char32_t character;
    const char* key;
};

constexpr KeyOf kKeys[] = {
#include "catalog/search_key_table.inc"
};

static_assert(std::is_sorted(std::begin(kKeys), std::end(kKeys),
                             [](const KeyOf& a, const KeyOf& b) { return a.character < b.character; }));

constexpr char32_t kReplacement = 0xFFFD;

// One code point from text at `at`, moving `at` past it; a malformed sequence gives
// U+FFFD and moves one byte on.
char32_t nextCharacter(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80U ? 1 : lead >= 0xF0U ? 4 : lead >= 0xE0U ? 3 : 2;
    if (lead >= 0x80U && (lead < 0xC2U || lead > 0xF4U)) length = 0;
    if (length == 0 || at + length > text.size()) {
        ++at;
        return kReplacement;
    }
    char32_t point = length == 1 ? lead : lead & (0x7FU >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (startsCharacter(text[at + i])) {
            ++at;
            return kReplacement;
        }
        point = (point << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3FU);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += length;
    return point;
}

const char* tableKey(char32_t character)
{
    const auto* found = std::lower_bound(
        std::begin(kKeys), std::end(kKeys), character,
        [](const KeyOf& entry, char32_t wanted) { return entry.character < wanted; });
    return found != std::end(kKeys) && found->character == character ? found->key : nullptr;
}

} // namespace

std::string searchKey(std::string_view text)
{
    std::string key;
    appendSearchKey(key, text);
    return key;
}

void appendSearchKey(std::string& key, std::string_view text)
{
    key.reserve(key.size() + text.size());
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80U) {
            key += byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a')
                                              : static_cast<char>(byte);
            ++at;
            continue;
        }
        const char32_t character = nextCharacter(text, at);
        if (const char* mapped = tableKey(character))
            key += mapped;
        else
            common::appendUtf8(key, character);
    }
}

std::size_t characterCount(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), startsCharacter));
}

} // namespace tarvelo::catalog
