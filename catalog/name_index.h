// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/sqlite.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// The name index: for each disc and each run of three characters (trigram) in its names'
// search keys, the entries whose key holds it, as offsets from the disc's first entry.
// A row's id is the disc's number times 2^32 plus a 32-bit hash of the trigram, so a
// disc's rows are one range of ids: adding or removing a disc writes only that range,
// and a look-up reads a row by its id. Trigrams of one disc whose hashes agree share a
// row, which only adds candidates that the check against the pattern takes out again.

// The trigrams of a search key, each once, in the order they first occur.
std::vector<std::string_view> trigramsOf(std::string_view key);

// One disc's index rows in id order, as they are stored.
class NameIndexRows
{
public:
    void add(std::uint32_t hash, std::string_view entries);

    std::size_t size() const noexcept { return m_hashes.size(); }
    std::uint32_t hash(std::size_t row) const { return m_hashes[row]; }
    std::string_view entries(std::size_t row) const;

    void write(Database& db, std::int64_t discId) const;

private:
    std::vector<std::uint32_t> m_hashes;
    std::vector<std::size_t> m_ends; // where each row's entries end in m_bytes
    std::string m_bytes;
};

// Collects one disc's index rows while its entries are stored.
class NameIndexWriter
{
public:
    // Room for about this many names, so the list of holders is not copied as it grows.
    void reserve(std::size_t names);
    // Offsets must come in increasing order.
    void add(std::uint32_t offset, std::string_view key);
    // The rows of all that was added, made once at the end: the writer gives up what it
    // held to make them.
    NameIndexRows takeRows();

private:
    // Each trigram's hash times 2^32 plus the offset of an entry holding it, in the order
    // added: sorted only when the rows are made, which costs less than a map of lists.
    std::vector<std::uint64_t> m_holders;
};

// The range of row ids a disc's index takes.
std::pair<std::int64_t, std::int64_t> nameIndexRows(std::int64_t discId);

// The entries of a disc that hold every trigram of a pattern: candidates, which the
// caller checks against the pattern itself.
class NameIndexLookup
{
public:
    NameIndexLookup(Database& db, const std::vector<std::string_view>& trigrams);

    // Offsets from the disc's first entry, ascending.
    const std::vector<std::uint32_t>& candidates(std::int64_t discId);

private:
    struct Trigram
    {
        std::uint32_t hash;
        std::uint64_t seenBytes = 0; // how common it has proved on the discs read so far
    };

    bool intersect(std::int64_t discId, Trigram& trigram, bool first);

    Statement m_entries;
    std::vector<Trigram> m_trigrams;
    std::vector<std::uint32_t> m_found;
    std::vector<std::uint32_t> m_kept;
};

} // namespace tarvelo::catalog
