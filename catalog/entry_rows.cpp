// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/entry_rows.h"

#include "common/error.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tarvelo::catalog {
namespace {

constexpr std::size_t kBatchRows = 256;

std::int64_t signedOf(std::uint64_t value)
{
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::int64_t>::max()));
}

// Room for the most entries a disc can have: their offsets are 32-bit.
constexpr std::int64_t kLastFirstId =
    std::numeric_limits<std::int64_t>::max() - std::numeric_limits<std::uint32_t>::max();

std::int64_t nextEntryId(Database& db)
{
    Statement highest = db.prepare("SELECT max(id) FROM entry");
    const std::int64_t last = highest.step() && !highest.isNull(0) ? highest.integer(0) : 0;
    if (last >= kLastFirstId)
        throw Error(ErrorNumber::Overflow,
                    db.path() + ": the catalogue has no entry numbers left for another disc");
    return last + 1;
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

EntryRows::EntryRows(Database& db, std::int64_t discId, std::size_t expectedEntries)
    : m_db(db), m_discId(discId), m_first(nextEntryId(db)), m_next(m_first), m_store(db, discId)
{
    m_index.reserve(expectedEntries);
}

std::int64_t EntryRows::insert(std::optional<std::int64_t> parent, std::int64_t kind,
                               std::string_view name, std::uint64_t size,
                               std::optional<std::uint64_t> packedSize,
                               std::optional<std::int64_t> modified)
{
    // Stored only when the next entry comes, so the last one's listed count can be set.
    if (m_batch.rows.size() == kBatchRows) m_store.handOver(m_batch);
    const std::int64_t id = m_next;
    const auto offsetOf = [&](std::int64_t entry) {
        return static_cast<std::uint32_t>(entry - m_first);
    };
    m_index.add(offsetOf(id), parent ? std::optional(offsetOf(*parent)) : std::nullopt, kind, name);
    PendingEntry row;
    row.id = id;
    row.parent = parent;
    row.kind = kind;
    row.size = signedOf(size);
    if (packedSize) row.packed = signedOf(*packedSize);
    row.modified = modified;
    m_batch.add(row, name);
    ++m_next;
    return id;
}

void EntryRows::setListed(std::int64_t archiveId, std::int32_t count)
{
    if (m_batch.rows.empty() || m_batch.rows.back().id != archiveId)
        throw std::logic_error("an archive's count comes right after the archive");
    m_batch.rows.back().listed = count;
}

void EntryRows::finish()
{
    m_store.handOver(m_batch);
    // Made while the last entries are stored.
    const DiscIndexRows index = m_index.takeRows();
    m_store.finish();
    index.write(m_db, m_discId);
    const bool none = m_next == m_first;
    m_db.prepare("UPDATE disc SET first_entry = ?, last_entry = ? WHERE id = ?")
        .bind(1, none ? 0 : m_first)
        .bind(2, none ? -1 : m_next - 1)
        .bind(3, m_discId)
        .run();
}

} // namespace tarvelo::catalog
