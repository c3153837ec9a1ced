// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/check.h"

#include "catalog/disc_index.h"
#include "catalog/schema.h"

namespace tarvelo::catalog {
namespace {

void collect(Database& db, const std::string& sql, std::vector<std::string>& problems)
{
    Statement rows = db.prepare(sql);
    while (rows.step())
        problems.emplace_back(rows.text(0));
}

} // namespace

std::vector<std::string> checkCatalog(Catalog& catalog)
{
    // Kinds as stored: 0 folder, 1 and 2 files, 3 and 4 archive entries (StoredKind).
    static_assert(static_cast<int>(StoredKind::ArchiveFile) == 4);
    Database& db = catalog.db();
    std::vector<std::string> problems;
    collect(db, "SELECT integrity_check FROM pragma_integrity_check WHERE integrity_check <> 'ok'",
            problems);
    for (std::string& problem : checkDiscIndexes(db))
        problems.push_back(std::move(problem));
    collect(db,
            "SELECT 'entry ' || e.id || ' lies in the range of disc ' || d.id || ' but belongs "
            "to disc ' || e.disc FROM disc d JOIN entry e ON e.id BETWEEN d.first_entry AND "
            "d.last_entry WHERE e.disc <> d.id",
            problems);
    collect(db,
            "SELECT 'entry ' || e.id || ' lies outside the range of its disc ' || e.disc FROM "
            "entry e LEFT JOIN disc d ON d.id = e.disc WHERE d.id IS NULL OR e.id NOT BETWEEN "
            "d.first_entry AND d.last_entry",
            problems);
    collect(db,
            "SELECT 'disc ' || d.id || ' does not begin with its root folder' FROM disc d LEFT "
            "JOIN entry e ON e.id = d.first_entry WHERE e.id IS NULL OR e.parent IS NOT NULL OR "
            "e.kind & 7 <> 0",
            problems);
    collect(db,
            "SELECT 'entry ' || e.id || ' is not below a folder or archive before it on its disc' "
            "FROM entry e LEFT JOIN entry p ON p.id = e.parent WHERE e.parent IS NOT NULL AND "
            "(p.id IS NULL OR p.id >= e.id OR p.disc <> e.disc OR "
            "(e.kind & 7 IN (3, 4)) <> (p.kind & 7 IN (1, 2)) OR p.kind & 7 IN (3, 4))",
            problems);
    collect(db,
            "SELECT 'disc ' || d.id || ' counts ' || d.files || ' files and ' || d.folders || "
            "' folders, its entries ' || (SELECT count(*) FROM entry WHERE id BETWEEN d.first_entry AND d.last_entry AND kind & 7 "
            "IN (1, 2)) || ' and ' || (SELECT count(*) - 1 FROM entry WHERE id BETWEEN d.first_entry AND d.last_entry AND kind & "
            "7 = 0) FROM disc d WHERE NOT EXISTS (SELECT 1 FROM disc_report WHERE disc = d.id) AND (d.files, d.folders) <> ((SELECT "
            "count(*) FROM entry WHERE id BETWEEN d.first_entry AND d.last_entry AND kind & 7 IN (1, 2)), (SELECT count(*) - 1 "
            "FROM entry WHERE id BETWEEN d.first_entry AND d.last_entry AND kind & 7 = 0))",
            problems);
    return problems;
}

} // namespace tarvelo::catalog
