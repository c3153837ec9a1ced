// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/schema.h"

#include "catalog/disc_index.h"
#include "catalog/kept_text.h"
#include "common/error.h"

#include <string>

namespace tarvelo::catalog {
namespace {

// Migrations[n] takes a catalogue of version n to version n + 1: its statements, then
// the rows it computes from what is stored. A new catalogue runs them all. Entries are
// stored in the order the report lists them, so a disc's rows are one range of ids
// (first_entry..last_entry) and need no index of their own.
struct Migration
{
    const char* sql;
    void (*fill)(Database& db) = nullptr;
};

void moveKeptTexts(Database& db)
{
    {
        Statement texts = db.prepare("SELECT id, report_text FROM disc WHERE report_text IS NOT NULL");
        while (texts.step())
            keepText(db, texts.integer(0), texts.text(1));
    }
    db.execute("ALTER TABLE disc DROP COLUMN report_text");
}

const Migration kMigrations[] = {
    // A disc's number is never given to another disc, even after it is removed.
    {R"(CREATE TABLE disc(
           id INTEGER PRIMARY KEY AUTOINCREMENT,
           label TEXT NOT NULL, name TEXT NOT NULL, note TEXT NOT NULL,
           serial INTEGER NOT NULL, total_bytes INTEGER NOT NULL, free_bytes INTEGER NOT NULL,
           files INTEGER NOT NULL, folders INTEGER NOT NULL,
           source TEXT NOT NULL, source_kind TEXT NOT NULL, root_path TEXT NOT NULL,
           decimal_separator TEXT NOT NULL, added TEXT NOT NULL, exact INTEGER NOT NULL,
           first_entry INTEGER NOT NULL, last_entry INTEGER NOT NULL,
           report_text BLOB);
       CREATE TABLE entry(
           id INTEGER PRIMARY KEY,
           disc INTEGER NOT NULL,
           parent INTEGER,
           kind INTEGER NOT NULL,
           name TEXT NOT NULL,
           size INTEGER NOT NULL,
           listed INTEGER,
           packed INTEGER,
           modified INTEGER);)"},
    // Version 2 added a full-text index, which version 3 replaced: nothing of it is left
    // to make.
    {""},
    // Kept report texts move to a table of their own, compressed, so reading the discs'
    // rows reads no report; the full-text index goes (version 4 has its successor).
    {R"(DROP TABLE IF EXISTS entry_key;
       CREATE TABLE disc_report(disc INTEGER PRIMARY KEY, size INTEGER NOT NULL, text BLOB NOT NULL);)",
     moveKeptTexts},
    // Substring search: the name index and the folder table (disc_index.h). A full-text
    // index over all discs merged its lists on every add and read every list of a
    // pattern's trigrams; paths took a read for every folder above a hit. Version 3 kept
    // the same index in a table without rowid, whose look-ups read more pages.
    {R"(DROP TABLE IF EXISTS name_trigram;
       DROP TABLE IF EXISTS disc_folders;
       CREATE TABLE name_trigram(id INTEGER PRIMARY KEY, entries BLOB NOT NULL);
       CREATE TABLE disc_folders(disc INTEGER PRIMARY KEY, folders BLOB NOT NULL);)",
     buildDiscIndexes},
};
static_assert(std::size(kMigrations) == kSchemaVersion);

std::int64_t pragmaValue(Database& db, const char* pragma)
{
    Statement statement = db.prepare(std::string("PRAGMA ") + pragma);
    return statement.step() ? statement.integer(0) : 0;
}

bool isEmpty(Database& db)
{
    Statement statement = db.prepare("SELECT count(*) FROM sqlite_schema");
    return statement.step() && statement.integer(0) == 0;
}

void migrate(Database& db, std::int64_t from)
{
    Transaction transaction(db);
    // Read again inside the transaction: another writer may have migrated it meanwhile.
    if (from == 0 && !isEmpty(db)) from = pragmaValue(db, "user_version");
    for (std::int64_t version = from; version < kSchemaVersion; ++version) {
        const Migration& migration = kMigrations[version];
        db.execute(migration.sql);
        if (migration.fill != nullptr) migration.fill(db);
    }
    db.execute(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    db.execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
    transaction.commit();
}

} // namespace

void prepareSchema(Database& db)
{
    const std::int64_t application = pragmaValue(db, "application_id");
    const std::int64_t version = pragmaValue(db, "user_version");
    const bool fresh = application == 0 && version == 0 && isEmpty(db);
    if (!fresh && application != kApplicationId)
        throw Error(ErrorNumber::InvalidFileFormat, db.path() + ": not a catalogue");
    if (version > kSchemaVersion)
        throw Error(ErrorNumber::InvalidFileFormat,
                    db.path() + ": made by a newer version of this program (catalogue version " +
                        std::to_string(version) + ", this program reads up to " +
                        std::to_string(kSchemaVersion) + ")");
    if (version == kSchemaVersion) return;
    if (fresh) db.execute("PRAGMA journal_mode = WAL");
    migrate(db, version);
}

} // namespace tarvelo::catalog
