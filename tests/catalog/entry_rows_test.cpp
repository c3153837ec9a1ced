// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalog.h"
#include "catalog/check.h"
#include "catalog/entry_rows.h"
#include "catalog/schema.h"
#include "common/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::catalog {
namespace {

// An entry as it should be stored.
struct Row
{
    std::int64_t id;
    std::optional<std::int64_t> parent;
    std::int64_t kind;
    std::string name;
    std::int64_t size;
    std::optional<std::int64_t> listed;
    std::optional<std::int64_t> packed;
    std::optional<std::int64_t> modified;

    bool operator==(const Row&) const = default;
};

// Folders of many files and an archive each: many batches for the storing thread, the
// first archive the last row of a full batch, and a count of rows that is no multiple of
// a batch.
constexpr int kFolders = 13;
constexpr int kFilesPerFolder = 253;
constexpr int kEntriesPerArchive = 3;

Row entry(std::optional<std::int64_t> parent, StoredKind kind, std::string name, std::int64_t size)
{
    return {0, parent, static_cast<std::int64_t>(kind), std::move(name), size, {}, {}, {}};
}

std::vector<Row> addEntries(EntryRows& rows)
{
    std::vector<Row> added;
    const auto add = [&](Row row) {
        const auto packed =
            row.packed ? std::optional(static_cast<std::uint64_t>(*row.packed)) : std::nullopt;
        row.id = rows.insert(row.parent, row.kind, row.name, static_cast<std::uint64_t>(row.size),
                             packed, row.modified);
        added.push_back(row);
        return row.id;
    };
    const std::int64_t root = add(entry(std::nullopt, StoredKind::Folder, "", 0));
    for (int f = 0; f < kFolders; ++f) {
        const std::string number = std::to_string(f);
        const std::int64_t folder = add(entry(root, StoredKind::Folder, "folder " + number, f));
        for (int i = 0; i < kFilesPerFolder; ++i) {
            Row file =
                entry(folder, StoredKind::File, std::to_string(i) + " of " + number, i * 1000);
            if (i % 2 == 0) file.modified = 1'000'000 + i;
            add(file);
        }
        const std::int64_t archive = add(entry(folder, StoredKind::File, "archive.zip", 5000));
        rows.setListed(archive, kEntriesPerArchive);
        added.back().listed = kEntriesPerArchive;
        for (int i = 0; i < kEntriesPerArchive; ++i) {
            Row inner = entry(archive, StoredKind::ArchiveFile, "inner " + std::to_string(i), 10);
            inner.packed = 4;
            add(inner);
        }
    }
    return added;
}

std::vector<Row> storedRows(Database& db, std::int64_t discId)
{
    Statement stored = db.prepare("SELECT id, parent, kind, name, size, listed, packed, modified "
                                  "FROM entry WHERE disc = ? ORDER BY id");
    stored.bind(1, discId);
    const auto optional = [&](int column) {
        return stored.isNull(column) ? std::nullopt : std::optional(stored.integer(column));
    };
    std::vector<Row> rows;
    while (stored.step())
        rows.push_back({stored.integer(0), optional(1), stored.integer(2),
                        std::string(stored.text(3)), stored.integer(4), optional(5), optional(6),
                        optional(7)});
    return rows;
}

std::int64_t number(Database& db, const std::string& sql)
{
    Statement query = db.prepare(sql);
    query.step();
    return query.integer(0);
}

class EntryRowsTest : public ::testing::Test
{
protected:
    std::int64_t newDisc(const std::string& label)
    {
        DiscRecord disc;
        disc.label = label;
        disc.files = kFolders * (kFilesPerFolder + 1);
        disc.folders = kFolders;
        return insertDisc(catalog.db(), disc);
    }

    test::TempDir dir;
    Catalog catalog{(dir.path() / "c.sqlite").string(), Catalog::Missing::Make};
};

TEST_F(EntryRowsTest, EveryRowIsStoredAsGivenAcrossBatches)
{
    std::vector<Row> first;
    for (const char* label : {"FIRST", "SECOND"}) {
        Transaction transaction(catalog.db());
        const std::int64_t disc = newDisc(label);
        EntryRows rows(catalog.db(), disc);
        const std::vector<Row> added = addEntries(rows);
        rows.finish();
        transaction.commit();
        EXPECT_EQ(storedRows(catalog.db(), disc), added) << label;
        const DiscRecord stored = catalog.disc(label);
        EXPECT_EQ(stored.firstEntry, added.front().id) << label;
        EXPECT_EQ(stored.lastEntry, added.back().id) << label;
        if (!first.empty()) {
            EXPECT_EQ(added.front().id, first.back().id + 1) << "ids go on";
        }
        first = added;
    }
    EXPECT_EQ(checkCatalog(catalog), std::vector<std::string>{});
}

// A failure on the storing thread reaches the caller; a stop midway ends the thread.
// Either way the rollback leaves the catalogue as it was, and it takes the next disc.
TEST_F(EntryRowsTest, AFailedOrStoppedAddKeepsNothing)
{
    const struct
    {
        const char* name;
        bool diskFull;
    } cases[] = {{"the disk fills up", true}, {"stopped before the end", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.diskFull) {
            const std::string pages = std::to_string(number(catalog.db(), "PRAGMA page_count") + 4);
            catalog.db().execute(("PRAGMA max_page_count = " + pages).c_str());
        }
        try {
            Transaction transaction(catalog.db());
            EntryRows rows(catalog.db(), newDisc("DISC"));
            addEntries(rows);
            if (c.diskFull) rows.finish();
            if (c.diskFull) ADD_FAILURE() << "a full disk went unnoticed";
        } catch (const Error& error) {
            EXPECT_TRUE(c.diskFull) << error.what();
            EXPECT_EQ(error.number(), ErrorNumber::DiskFull) << error.what();
        }
        catalog.db().execute("PRAGMA max_page_count = 1073741823");
        EXPECT_TRUE(catalog.discs().empty());
        EXPECT_EQ(number(catalog.db(), "SELECT count(*) FROM entry"), 0);
        EXPECT_EQ(number(catalog.db(), "SELECT count(*) FROM name_trigram"), 0);
    }
    Transaction transaction(catalog.db());
    EntryRows rows(catalog.db(), newDisc("DISC"));
    addEntries(rows);
    rows.finish();
    transaction.commit();
    EXPECT_EQ(checkCatalog(catalog), std::vector<std::string>{});
}

TEST_F(EntryRowsTest, ACatalogueOutOfEntryNumbersRefusesTheDisc)
{
    const std::int64_t last = std::numeric_limits<std::int64_t>::max() - 10;
    catalog.db().execute(("INSERT INTO entry(id, disc, kind, name, size) VALUES(" +
                          std::to_string(last) + ", 1, 0, 'x', 0)")
                             .c_str());
    Transaction transaction(catalog.db());
    const std::int64_t disc = newDisc("DISC");
    try {
        EntryRows rows(catalog.db(), disc);
        ADD_FAILURE() << "entries would be numbered past the largest number";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::Overflow) << error.what();
    }
}

} // namespace
} // namespace tarvelo::catalog
