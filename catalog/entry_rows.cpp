// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/entry_rows.h"

#include <algorithm>
#include <limits>

namespace tarvelo::catalog {
namespace {

std::int64_t signedOf(std::uint64_t value)
{
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::int64_t>::max()));
}

} // namespace

std::int64_t insertDisc(Database& db, const DiscRecord& disc)
{
    db.prepare("INSERT INTO disc(label, name, note, serial, total_bytes, free_bytes, files, "
               "folders, source, source_kind, root_path, decimal_separator, added, exact, "
               "first_entry, last_entry) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, -1)")
        .bind(1, disc.label)
        .bind(2, disc.name)
        .bind(3, disc.note)
        .bind(4, disc.serial)
        .bind(5, signedOf(disc.totalBytes))
        .bind(6, signedOf(disc.freeBytes))
        .bind(7, disc.files)
        .bind(8, disc.folders)
        .bind(9, disc.source)
        .bind(10, disc.sourceKind)
        .bind(11, disc.rootPath)
        .bind(12, std::string_view(&disc.decimalSeparator, 1))
        .bind(13, disc.added)
        .bind(14, std::int64_t{disc.exact ? 1 : 0})
        .run();
    return db.lastInsertId();
}

EntryRows::EntryRows(Database& db, std::int64_t discId)
    : m_db(db), m_discId(discId),
      m_entry(db.prepare("INSERT INTO entry(disc, parent, kind, name, size, packed, modified) "
                         "VALUES(?, ?, ?, ?, ?, ?, ?)")),
      m_listed(db.prepare("UPDATE entry SET listed = ? WHERE id = ?"))
{
}

std::int64_t EntryRows::insert(std::optional<std::int64_t> parent, std::int64_t kind,
                               std::string_view name, std::uint64_t size,
                               std::optional<std::uint64_t> packedSize,
                               std::optional<std::int64_t> modified)
{
    m_entry.bind(1, m_discId);
    if (parent) m_entry.bind(2, *parent);
    m_entry.bind(3, kind).bind(4, name).bind(5, signedOf(size));
    if (packedSize) m_entry.bind(6, signedOf(*packedSize));
    if (modified) m_entry.bind(7, *modified);
    m_entry.run();
    const std::int64_t id = m_db.lastInsertId();
    if (m_last < m_first) m_first = id;
    m_index.add(static_cast<std::uint32_t>(id - m_first),
                parent ? std::optional(static_cast<std::uint32_t>(*parent - m_first)) : std::nullopt,
                kind, name);
    m_last = id;
    return id;
}

void EntryRows::setListed(std::int64_t archiveId, std::int32_t count)
{
    m_listed.bind(1, std::int64_t{count}).bind(2, archiveId).run();
}

void EntryRows::finish()
{
    m_index.write(m_db, m_discId);
    m_db.prepare("UPDATE disc SET first_entry = ?, last_entry = ? WHERE id = ?")
        .bind(1, m_first)
        .bind(2, m_last)
        .bind(3, m_discId)
        .run();
}

} // namespace tarvelo::catalog
