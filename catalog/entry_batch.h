// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/multi_row_insert.h"
#include "catalog/sqlite.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// One entry row waiting to be stored; its name is in the batch's buffer.
struct PendingEntry
{
    std::int64_t id = 0; // the one the entry table will give it
    std::optional<std::int64_t> parent;
    std::int64_t kind = 0;
    std::size_t nameAt = 0;
    std::size_t nameSize = 0;
    std::int64_t size = 0;
    std::optional<std::int64_t> listed;
    std::optional<std::int64_t> packed;
    std::optional<std::int64_t> modified;
};

// Entries stored together: the rows, and their names in one buffer. A batch is reused
// once stored, so storing an entry seldom allocates.
struct EntryBatch
{
    std::vector<PendingEntry> rows;
    std::string names;

    void add(PendingEntry row, std::string_view name);
    std::string_view nameOf(const PendingEntry& row) const
    {
        return {names.data() + row.nameAt, row.nameSize};
    }
    void clear();
};

// Writes batches of one disc's entries into the entry table. The table numbers each row
// one after its highest, which is cheaper than a number given with it: the rows come
// with the ids that numbering gives, and a batch that gets others is refused.
class EntryInsert
{
public:
    EntryInsert(Database& db, std::int64_t discId);

    void write(const EntryBatch& batch);

private:
    Database& m_db;
    MultiRowInsert m_rows;
};

} // namespace tarvelo::catalog
