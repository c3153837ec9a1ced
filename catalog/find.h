// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "catalog/hit.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tarvelo::catalog {

struct FindQuery
{
    enum class Only
    {
        Everything,
        Files,
        Folders,
    };

    std::string pattern;
    bool wholePath = false; // match the path from the disc's root, not the name
    bool glob = false;
    Only only = Only::Everything;
    bool archiveEntries = true;
    std::optional<std::int64_t> disc = std::nullopt;
    std::optional<std::uint64_t> minSize = std::nullopt;
    std::optional<std::uint64_t> maxSize = std::nullopt;
    std::optional<std::uint64_t> limit = std::nullopt;
};

// Calls onHit for every entry the query finds, in disc order and, within a disc, in the
// order of its report. Names are looked up through the trigram index; a pattern without
// three characters in a row, or one matched against whole paths, reads every entry.
// Where there are cores to spare, discs are searched on threads of their own, each with
// its own connection seeing the same state of the catalogue; onHit is called on the
// calling thread all the same.
void find(Catalog& catalog, const FindQuery& query, const std::function<void(const Hit&)>& onHit);

// Every entry of the discs, as find gives them (export).
void listEntries(Catalog& catalog, const std::vector<DiscRecord>& discs,
                 const std::function<void(const Hit&)>& onHit);

} // namespace tarvelo::catalog
