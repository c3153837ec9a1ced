// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/name_index.h"

#include "catalog/multi_row_insert.h"
#include "catalog/packed_numbers.h"
#include "catalog/search_key.h"
#include "common/error.h"
#include "common/text.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace tarvelo::catalog {
namespace {

constexpr std::size_t kTrigram = 3;

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

// The trigram's hash: the last step of splitmix64 over its three code points.
std::uint32_t hashOf(std::uint64_t window)
{
    std::uint64_t x = window + 0x9E3779B97F4A7C15U;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9U;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBU;
    return static_cast<std::uint32_t>((x ^ (x >> 31)) >> 32);
}

std::int64_t rowId(std::int64_t discId, std::uint32_t hash)
{
    if (discId <= 0 || discId > std::numeric_limits<std::int32_t>::max())
        throw Error(ErrorNumber::Overflow, "disc number " + std::to_string(discId) +
                                               " is beyond what the name index holds");
    return discId * (std::int64_t{1} << 32) + hash;
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
        if (startsCharacter(key[at])) starts.push_back(at);
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

void NameIndexWriter::reserve(std::size_t names)
{
    // Most names have fewer trigrams; room not written to takes no memory.
    constexpr std::size_t kTrigramsPerName = 16;
    m_holders.reserve(names * kTrigramsPerName);
}

void NameIndexWriter::add(std::uint32_t offset, std::string_view key)
{
    // The last three characters, 21 bits each, so a trigram is one number to hash.
    std::uint64_t window = 0;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < key.size();) {
        window = ((window << 21) | nextCodePoint(key, at)) & kWindowMask;
        if (++characters < kTrigram) continue;
        m_holders.push_back((std::uint64_t{hashOf(window)} << 32) | offset);
    }
}

namespace {

constexpr unsigned kHashShift = 32;
constexpr unsigned kDigitBits = 11;
constexpr unsigned kPasses = 3; // digits of a 32-bit hash
constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;

std::size_t digitOf(std::uint64_t holder, unsigned pass)
{
    return (holder >> (kHashShift + pass * kDigitBits)) & (kBuckets - 1);
}

// Sorts by hash alone, a digit at a time from the lowest: each pass keeps the order of
// equal digits, so offsets stay ascending within a hash, as they were added. One read
// counts the digits of every pass.
void sortByHash(std::vector<std::uint64_t>& holders)
{
    std::vector<std::array<std::size_t, kPasses>> starts(kBuckets);
    for (const std::uint64_t holder : holders)
        for (unsigned pass = 0; pass < kPasses; ++pass)
            ++starts[digitOf(holder, pass)][pass];
    for (unsigned pass = 0; pass < kPasses; ++pass) {
        std::size_t before = 0;
        for (std::array<std::size_t, kPasses>& bucket : starts)
            before += std::exchange(bucket[pass], before);
    }
    std::vector<std::uint64_t> spare(holders.size());
    for (unsigned pass = 0; pass < kPasses; ++pass) {
        for (const std::uint64_t holder : holders)
            spare[starts[digitOf(holder, pass)][pass]++] = holder;
        holders.swap(spare);
    }
}

} // namespace

void NameIndexRows::add(std::uint32_t hash, std::string_view entries)
{
    m_hashes.push_back(hash);
    m_bytes.append(entries);
    m_ends.push_back(m_bytes.size());
}

std::string_view NameIndexRows::entries(std::size_t row) const
{
    const std::size_t begin = row == 0 ? 0 : m_ends[row - 1];
    return std::string_view(m_bytes).substr(begin, m_ends[row] - begin);
}

void NameIndexRows::write(Database& db, std::int64_t discId) const
{
    MultiRowInsert insert(db, "INSERT INTO name_trigram(id, entries) VALUES", "(?, ?)");
    insert.insert(size(), [&](Statement& statement, int first, std::size_t row) {
        statement.bind(first, rowId(discId, hash(row))).bindBlob(first + 1, entries(row));
    });
}

// Rows in id order, so they go into the table's tree one after another.
NameIndexRows NameIndexWriter::takeRows()
{
    sortByHash(m_holders);
    const std::vector<std::uint64_t> holders = std::move(m_holders);
    m_holders.clear();
    NameIndexRows rows;
    std::string bytes;
    for (std::size_t at = 0; at < holders.size();) {
        const auto hash = static_cast<std::uint32_t>(holders[at] >> kHashShift);
        bytes.clear();
        std::uint32_t previous = 0;
        bool first = true;
        for (; at < holders.size() && holders[at] >> kHashShift == hash; ++at) {
            const auto offset = static_cast<std::uint32_t>(holders[at]);
            if (!first && offset == previous) continue; // a trigram twice in one name
            appendNumber(bytes, offset - previous);
            previous = offset;
            first = false;
        }
        rows.add(hash, bytes);
    }
    return rows;
}

std::pair<std::int64_t, std::int64_t> nameIndexRows(std::int64_t discId)
{
    return {rowId(discId, 0), rowId(discId, std::numeric_limits<std::uint32_t>::max())};
}

NameIndexLookup::NameIndexLookup(Database& db, const std::vector<std::string_view>& trigrams)
    : m_entries(db.prepare("SELECT entries FROM name_trigram WHERE id = ?"))
{
    for (const std::string_view trigram : trigrams) {
        std::uint64_t window = 0;
        for (std::size_t at = 0; at < trigram.size();)
            window = ((window << 21) | nextCodePoint(trigram, at)) & kWindowMask;
        const std::uint32_t hash = hashOf(window);
        if (std::none_of(m_trigrams.begin(), m_trigrams.end(),
                         [&](const Trigram& known) { return known.hash == hash; }))
            m_trigrams.push_back({hash});
    }
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
    m_entries.bind(1, rowId(discId, trigram.hash));
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
