// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/entry_batch.h"

#include "common/error.h"

#include <string>

namespace tarvelo::catalog {

void EntryBatch::add(PendingEntry row, std::string_view name)
{
    row.nameAt = names.size();
    row.nameSize = name.size();
    names.append(name);
    rows.push_back(row);
}

void EntryBatch::clear()
{
    rows.clear();
    names.clear();
}

// The disc's number is written out: it is the same in every row.
EntryInsert::EntryInsert(Database& db, std::int64_t discId)
    : m_db(db),
      m_rows(db,
             "INSERT INTO entry(disc, parent, kind, name, size, listed, packed, modified) VALUES",
             "(" + std::to_string(discId) + ", ?, ?, ?, ?, ?, ?, ?)")
{
}

void EntryInsert::write(const EntryBatch& batch)
{
    m_rows.insert(batch.rows.size(), [&](Statement& statement, int first, std::size_t i) {
        const PendingEntry& row = batch.rows[i];
        const auto bindIf = [&](int parameter, const std::optional<std::int64_t>& value) {
            if (value) statement.bind(parameter, *value);
        };
        bindIf(first, row.parent);
        statement.bind(first + 1, row.kind)
            .bind(first + 2, batch.nameOf(row))
            .bind(first + 3, row.size);
        bindIf(first + 4, row.listed);
        bindIf(first + 5, row.packed);
        bindIf(first + 6, row.modified);
    });
    // Ids run on by one from the first, so the last one tells whether all came as given.
    if (!batch.rows.empty() && m_db.lastInsertId() != batch.rows.back().id)
        throw Error(ErrorNumber::InvalidFileFormat,
                    m_db.path() + ": the catalogue did not number the entries one after another");
}

} // namespace tarvelo::catalog
