// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/schema.h"

#include "catalog/search_key.h"
#include "common/error.h"

#include <sqlite3.h>

#include <string>

namespace tarvelo::catalog {
namespace {

// Migrations[n] takes a catalogue of version n to version n + 1; a new catalogue runs
// them all. Entries are stored in the order the report lists them, so a disc's rows are
// one range of ids (first_entry..last_entry) and need no index of their own.
constexpr const char* kMigrations[] = {
    // A disc's number is never given to another disc, even after it is removed.
    R"(CREATE TABLE disc(
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
           modified INTEGER);)",
    // Substring search: a trigram index over each name's search key. The keys are not
    // stored twice: search_key(name) gives them back when rows are removed.
    R"(CREATE VIRTUAL TABLE entry_key USING fts5(
           key, content='', tokenize='trigram case_sensitive 1', detail=none, columnsize=0);
       INSERT INTO entry_key(rowid, key) SELECT id, search_key(name) FROM entry WHERE name <> '';)",
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
    for (std::int64_t version = from; version < kSchemaVersion; ++version)
        db.execute(kMigrations[version]);
    db.execute(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    db.execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
    transaction.commit();
}

void searchKeyFunction(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* text = sqlite3_value_text(arguments[0]);
    const int size = sqlite3_value_bytes(arguments[0]);
    if (text == nullptr) return sqlite3_result_null(context);
    const std::string key =
        searchKey({reinterpret_cast<const char*>(text), static_cast<std::size_t>(size)});
    sqlite3_result_text(context, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

} // namespace

void registerSearchKey(Database& db)
{
    const int code = sqlite3_create_function_v2(db.handle(), "search_key", 1,
                                                SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                                searchKeyFunction, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) db.fail(code, "cannot prepare the search key");
}

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
