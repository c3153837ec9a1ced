// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/name_index.h"

#include "catalog/packed_numbers.h"
#include "catalog/search_key.h"
#include "common/error.h"
#include "common/text.h"

#include <algorithm>
#include <limits>
#include <map>

namespace tarvelo::catalog {
namespace {

constexpr std::size_t kTrigram = 3;

bool isLead(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U;
}

constexpr std::uint64_t kWindowMask = (std::uint64_t{1} << 63) - 1;

// The code point at `at` of valid UTF-8 (search keys are), moving `at` past it.
char32_t nextCodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80U) return lead;
    const int more = lead >= 0xF0U ? 3 : lead >= 0xE0U ? 2 : 1;
    char32_t point = lead & (0x3FU >> more);
    for (int i = 0; i < more && at < text.size(); ++i)
        point = (point << 6) | (static_cast<unsigned char>(text[at++]) & 0x3FU);
    return point;
}

[[noreturn]] void damaged()
{
    throw Error(ErrorNumber::InvalidFileFormat, "the catalogue's name index is damaged");
}

// Calls onOffset with each offset of a stored list (differences between neighbours),
// ascending.
template <typename OnOffset>
void decodeOffsets(std::string_view bytes, OnOffset&& onOffset)
{
    std::uint64_t offset = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        const bool first = at == 0;
        const std::optional<std::uint32_t> delta = readNumber(bytes, at);
        if (!delta || (!first && *delta == 0)) damaged(); // offsets strictly increase
        offset += *delta;
        if (offset > std::numeric_limits<std::uint32_t>::max()) damaged();
        onOffset(static_cast<std::uint32_t>(offset));
    }
}

} // namespace

std::vector<std::string_view> trigramsOf(std::string_view key)
{
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < key.size(); ++at)
        if (isLead(key[at])) starts.push_back(at);
    std::vector<std::string_view> trigrams;
    if (starts.size() < kTrigram) return trigrams;
    starts.push_back(key.size());
    for (std::size_t i = 0; i + kTrigram < starts.size(); ++i) {
        const std::string_view trigram = key.substr(starts[i], starts[i + kTrigram] - starts[i]);
        if (std::find(trigrams.begin(), trigrams.end(), trigram) == trigrams.end())
            trigrams.push_back(trigram);
    }
    return trigrams;
}

void NameIndexWriter::add(std::uint32_t offset, std::string_view key)
{
    // The last three characters, 21 bits each, so a trigram is one number to hash.
    std::uint64_t window = 0;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < key.size();) {
        window = ((window << 21) | nextCodePoint(key, at)) & kWindowMask;
        if (++characters < kTrigram) continue;
        std::vector<std::uint32_t>& offsets = m_entries[window];
        if (offsets.empty() || offsets.back() != offset) offsets.push_back(offset);
    }
}

// Rows in key order (numbers in code point order are UTF-8 text in byte order), so
// they go into the table's tree one after another.
template <typename OnRow>
void NameIndexWriter::forEachRow(OnRow&& onRow) const
{
    std::vector<std::uint64_t> windows;
    windows.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        windows.push_back(entry.first);
    std::sort(windows.begin(), windows.end());
    std::string trigram;
    std::string bytes;
    for (const std::uint64_t window : windows) {
        trigram.clear();
        for (int shift = 42; shift >= 0; shift -= 21)
            common::appendUtf8(trigram, static_cast<char32_t>((window >> shift) & 0x1FFFFFU));
        bytes.clear();
        std::uint32_t previous = 0;
        for (const std::uint32_t offset : m_entries.at(window)) {
            appendNumber(bytes, offset - previous);
            previous = offset;
        }
        onRow(trigram, bytes);
    }
}

NameIndexWriter::Rows NameIndexWriter::rows() const
{
    Rows rows;
    forEachRow([&](const std::string& trigram, const std::string& bytes) { rows.emplace(trigram, bytes); });
    return rows;
}

void NameIndexWriter::write(Database& db, std::int64_t discId) const
{
    Statement insert = db.prepare("INSERT INTO name_trigram(disc, trigram, entries) VALUES(?, ?, ?)");
    forEachRow([&](std::string_view trigram, std::string_view bytes) {
        insert.bind(1, discId).bind(2, trigram).bindBlob(3, bytes).run();
    });
}

NameIndexLookup::NameIndexLookup(Database& db, const std::vector<std::string_view>& trigrams)
    : m_entries(db.prepare("SELECT entries FROM name_trigram WHERE disc = ? AND trigram = ?"))
{
    for (const std::string_view trigram : trigrams)
        m_trigrams.push_back({std::string(trigram)});
}

const std::vector<std::uint32_t>& NameIndexLookup::candidates(std::int64_t discId)
{
    // Rarest first, as far as the discs read so far tell, so most discs are done after
    // one look-up and the lists merged stay short.
    std::stable_sort(m_trigrams.begin(), m_trigrams.end(),
                     [](const Trigram& a, const Trigram& b) { return a.seenBytes < b.seenBytes; });
    m_found.clear();
    bool first = true;
    for (Trigram& trigram : m_trigrams) {
        if (!intersect(discId, trigram, first)) break;
        first = false;
    }
    return m_found;
}

// Keeps the offsets found so far that the trigram's list holds too (all of them for the
// first); false when none are left.
bool NameIndexLookup::intersect(std::int64_t discId, Trigram& trigram, bool first)
{
    m_entries.bind(1, discId).bind(2, trigram.text);
    const std::string_view bytes = m_entries.step() ? m_entries.blob(0) : std::string_view();
    trigram.seenBytes += bytes.size();
    if (first) {
        decodeOffsets(bytes, [&](std::uint32_t offset) { m_found.push_back(offset); });
    } else {
        m_kept.clear();
        auto next = m_found.begin();
        decodeOffsets(bytes, [&](std::uint32_t offset) {
            next = std::lower_bound(next, m_found.end(), offset);
            if (next != m_found.end() && *next == offset) m_kept.push_back(offset);
        });
        m_found.swap(m_kept);
    }
    m_entries.reset();
    return !m_found.empty();
}

} // namespace tarvelo::catalog
