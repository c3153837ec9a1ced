// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/find.h"
#include "catalog/folder_table.h"
#include "catalog/name_index.h"
#include "catalog/pattern.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarvelo::catalog {

// Turns entry rows into hits: the disc they are on and their path from the disc's root,
// made from the disc's folder table.
class HitMaker
{
public:
    HitMaker(Database& db, const std::vector<DiscRecord>& discs) : m_discs(discs), m_folders(db) {}

    FolderPaths& folders() noexcept { return m_folders; }

    // kind is a StoredKind, kInexact added or not.
    Hit make(std::int64_t disc, std::int64_t parent, std::int64_t kind, std::string_view name,
             std::uint64_t size, std::optional<std::int64_t> modified);

    static std::string joined(std::string_view folder, std::string_view name);

private:
    const DiscRecord& discOf(std::int64_t id);

    const std::vector<DiscRecord>& m_discs; // in number order
    std::vector<DiscRecord>::const_iterator m_last = m_discs.end();
    FolderPaths m_folders;
};

// A query's search of one disc after another, on one connection to the catalogue.
class DiscSearch
{
public:
    // Takes a hit; false when no more are wanted.
    using Emit = std::function<bool(Hit&&)>;

    // discs: every disc of the catalogue, which hits point into.
    DiscSearch(Database& db, const FindQuery& query, const std::vector<DiscRecord>& discs);
    DiscSearch(const DiscSearch&) = delete; // its trigrams point into its pattern
    DiscSearch& operator=(const DiscSearch&) = delete;

    // Gives the disc's hits in the order of its report; false once emit asked to stop.
    bool search(const DiscRecord& disc, const Emit& emit);

private:
    struct Row;

    static Row rowOf(const Statement& statement);
    bool readEveryEntry(const DiscRecord& disc, const Emit& emit);
    bool lookUpNames(const DiscRecord& disc, const Emit& emit);
    bool lookUpPaths(const DiscRecord& disc, const Emit& emit);

    using Spans = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
    std::vector<std::uint32_t> containersMatching(const DiscRecord& disc,
                                                  const std::vector<std::uint32_t>& named);
    Spans spansToRead(const DiscRecord& disc, const std::vector<std::uint32_t>& named,
                      const std::vector<std::uint32_t>& under);
    std::string pathKey(const Row& row);
    bool nameMatches(std::string_view name);
    bool wanted(const Row& row) const;
    bool give(const Row& row, const Emit& emit);

    const FindQuery& m_query;
    Pattern m_pattern;
    const std::vector<std::string_view> m_trigrams;
    std::optional<NameIndexLookup> m_index;
    Statement m_entriesBetween;
    Statement m_entry;
    HitMaker m_hits;
    std::unordered_map<std::int64_t, std::string> m_pathKeys;
    std::string m_key; // reused for each name's search key
};

} // namespace tarvelo::catalog
