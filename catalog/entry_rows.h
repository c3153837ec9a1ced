// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "catalog/disc_index.h"
#include "catalog/entry_batch.h"
#include "catalog/entry_store.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvelo::catalog {

// Adds a disc's row; its entry range is set once the entries are in.
std::int64_t insertDisc(Database& db, const DiscRecord& disc);

// Adds one disc's entries, in report order, each with its search key in the index; the
// caller holds the transaction and leaves the database alone until finish(): the rows are
// stored on a thread of their own (EntryStore). Ids are given here, from one after the
// highest stored on, so nothing waits for the rows to be in.
class EntryRows
{
public:
    // expectedEntries: how many are known to come, if any, so memory is taken once.
    EntryRows(Database& db, std::int64_t discId, std::size_t expectedEntries = 0);

    // The new entry's id. kind is a StoredKind, with kInexact added where it applies;
    // modified: seconds since 1970-01-01 00:00 UTC, where the disc records a date.
    std::int64_t insert(std::optional<std::int64_t> parent, std::int64_t kind,
                        std::string_view name, std::uint64_t size,
                        std::optional<std::uint64_t> packedSize = std::nullopt,
                        std::optional<std::int64_t> modified = std::nullopt);
    // The number of entries an archive's directory declared; the archive is the entry
    // inserted last.
    void setListed(std::int64_t archiveId, std::int32_t count);
    // Stores what is left and records the range of ids the disc's entries took.
    void finish();

private:
    Database& m_db;
    std::int64_t m_discId;
    std::int64_t m_first;
    std::int64_t m_next;
    DiscIndexWriter m_index;
    EntryBatch m_batch;
    EntryStore m_store; // last: it stops before the rest goes
};

} // namespace tarvelo::catalog
