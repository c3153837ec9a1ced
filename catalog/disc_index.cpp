// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/disc_index.h"

#include "catalog/schema.h"
#include "catalog/search_key.h"
#include "common/error.h"

namespace tarvelo::catalog {
namespace {

struct DiscEntries
{
    std::int64_t disc;
    std::int64_t first;
};

std::vector<DiscEntries> storedDiscs(Database& db)
{
    std::vector<DiscEntries> discs;
    Statement rows = db.prepare("SELECT id, first_entry FROM disc ORDER BY id");
    while (rows.step())
        discs.push_back({rows.integer(0), rows.integer(1)});
    return discs;
}

std::uint32_t offsetOf(std::int64_t id, const DiscEntries& disc)
{
    return static_cast<std::uint32_t>(id - disc.first);
}

DiscIndexWriter indexOfStoredEntries(Database& db, const DiscEntries& disc)
{
    Statement entries = db.prepare(
        "SELECT e.id, e.parent, e.kind, e.name FROM disc d JOIN entry e ON e.id BETWEEN "
        "d.first_entry AND d.last_entry WHERE d.id = ? ORDER BY e.id");
    entries.bind(1, disc.disc);
    DiscIndexWriter index;
    while (entries.step()) {
        const auto parent = entries.isNull(1) ? std::nullopt
                                              : std::optional(offsetOf(entries.integer(1), disc));
        index.add(offsetOf(entries.integer(0), disc), parent, entries.integer(2), entries.text(3));
    }
    return index;
}

// Both in id order, so row by row.
bool sameNameIndex(Statement& stored, std::int64_t disc, const NameIndexRows& expected)
{
    const auto [first, last] = nameIndexRows(disc);
    stored.bind(1, first).bind(2, last);
    std::size_t row = 0;
    bool same = true;
    while (same && stored.step()) {
        same = row < expected.size() && stored.integer(0) - first == expected.hash(row) &&
               stored.blob(1) == expected.entries(row);
        ++row;
    }
    stored.reset();
    return same && row == expected.size();
}

void collect(Database& db, const char* sql, const char* before, const char* after,
             std::vector<std::string>& problems)
{
    Statement strays = db.prepare(sql);
    while (strays.step())
        problems.push_back(before + std::to_string(strays.integer(0)) + after);
}

} // namespace

void DiscIndexWriter::add(std::uint32_t offset, std::optional<std::uint32_t> parentOffset,
                          std::int64_t kind, std::string_view name)
{
    m_key.clear();
    appendSearchKey(m_key, name);
    m_names.add(offset, m_key);
    m_folders.add(offset, parentOffset, static_cast<StoredKind>(kind & kKindMask), name);
}

DiscIndexRows DiscIndexWriter::takeRows()
{
    return {m_names.takeRows(), m_folders.bytes()};
}

void DiscIndexRows::write(Database& db, std::int64_t discId) const
{
    names.write(db, discId);
    db.prepare("INSERT INTO disc_folders(disc, folders) VALUES(?, ?)")
        .bind(1, discId)
        .bindBlob(2, folders)
        .run();
}

void removeDiscIndex(Database& db, std::int64_t discId)
{
    const auto [first, last] = nameIndexRows(discId);
    db.prepare("DELETE FROM name_trigram WHERE id BETWEEN ? AND ?").bind(1, first).bind(2, last).run();
    db.prepare("DELETE FROM disc_folders WHERE disc = ?").bind(1, discId).run();
}

void buildDiscIndexes(Database& db)
{
    for (const DiscEntries& disc : storedDiscs(db))
        indexOfStoredEntries(db, disc).takeRows().write(db, disc.disc);
}

std::vector<std::string> checkDiscIndexes(Database& db)
{
    std::vector<std::string> problems;
    Statement names = db.prepare("SELECT id, entries FROM name_trigram WHERE id BETWEEN ? AND ? ORDER BY id");
    Statement folders = db.prepare("SELECT folders FROM disc_folders WHERE disc = ?");
    for (const DiscEntries& disc : storedDiscs(db)) {
        std::optional<DiscIndexRows> made;
        try {
            made = indexOfStoredEntries(db, disc).takeRows();
        } catch (const Error&) {
            continue; // entries outside their folders, which the entry checks name
        }
        const DiscIndexRows& index = *made;
        if (!sameNameIndex(names, disc.disc, index.names))
            problems.push_back("the name index of disc " + std::to_string(disc.disc) +
                               " does not match its names");
        folders.bind(1, disc.disc);
        if (!folders.step() || folders.blob(0) != index.folders)
            problems.push_back("the folder table of disc " + std::to_string(disc.disc) +
                               " does not match its folders");
        folders.reset();
    }
    collect(db, "SELECT DISTINCT id >> 32 FROM name_trigram WHERE id >> 32 NOT IN (SELECT id FROM disc)",
            "the name index holds entries of disc ", ", which is not in the catalogue", problems);
    collect(db, "SELECT disc FROM disc_folders WHERE disc NOT IN (SELECT id FROM disc)",
            "the folder table holds disc ", ", which is not in the catalogue", problems);
    return problems;
}

} // namespace tarvelo::catalog
