// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/sqlite.h"

#include "common/error.h"

#include <sqlite3.h>

#include <limits>

namespace tarvelo::catalog {
namespace {

// Long enough for another add to finish its transaction on a slow disc.
constexpr int kBusyTimeoutMilliseconds = 10 * 60'000;
// In WAL mode NORMAL still keeps every transaction whole; only the last ones before a
// power cut may be lost, never half kept.
constexpr const char* kTuning = "PRAGMA synchronous = NORMAL";

ErrorNumber errorNumberFor(int code)
{
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return ErrorNumber::InvalidFileFormat;
    case SQLITE_FULL:
        return ErrorNumber::DiskFull;
    case SQLITE_CANTOPEN:
        return ErrorNumber::PathNotFound;
    case SQLITE_PERM:
    case SQLITE_READONLY:
        return ErrorNumber::PermissionDenied;
    default:
        return ErrorNumber::PathFileAccess;
    }
}

// SQLite counts every allocation under one lock for all connections, which threads
// searching at once would queue on; the counts are never read.
void stopCountingMemory()
{
    static const int once = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    static_cast<void>(once); // refused when SQLite is already in use: then it counts
}

} // namespace

Database::Database(const std::string& path, Access access) : m_path(path)
{
    stopCountingMemory();
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY
                                                 : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int code = sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const std::string reason = m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw Error(errorNumberFor(code), path + ": " + reason);
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMilliseconds);
    // The file is read, not mapped: a search reads pages here and there, and reading one
    // costs less than the page fault of a mapped one, which every run would pay again.
    sqlite3_exec(m_db, kTuning, nullptr, nullptr, nullptr);
}

Database::~Database()
{
    sqlite3_close_v2(m_db);
}

void Database::execute(const char* sql)
{
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) fail(code, "cannot run the catalogue's statement");
}

Statement Database::prepare(std::string_view sql)
{
    sqlite3_stmt* statement = nullptr;
    const int code = sqlite3_prepare_v2(m_db, sql.data(), static_cast<int>(sql.size()),
                                        &statement, nullptr);
    if (code != SQLITE_OK) fail(code, "not a catalogue this program can read");
    return Statement(*this, statement);
}

std::int64_t Database::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

void Database::fail(int code, std::string_view what) const
{
    const char* detail = sqlite3_errmsg(m_db);
    throw Error(errorNumberFor(code), m_path + ": " + std::string(what) + " (" +
                                          (detail != nullptr ? detail : sqlite3_errstr(code)) + ")");
}

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db), m_statement(other.m_statement)
{
    other.m_statement = nullptr;
}

Statement& Statement::bind(int index, std::int64_t value)
{
    const int code = sqlite3_bind_int64(m_statement, index, value);
    if (code != SQLITE_OK) m_db->fail(code, "cannot bind a value");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        m_db->fail(SQLITE_TOOBIG, "text too long");
    const int code = sqlite3_bind_text(m_statement, index, text.data(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (code != SQLITE_OK) m_db->fail(code, "cannot bind a value");
    return *this;
}

Statement& Statement::bindBlob(int index, std::string_view bytes)
{
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        m_db->fail(SQLITE_TOOBIG, "value too long");
    const int code = sqlite3_bind_blob(m_statement, index, bytes.data(),
                                       static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    if (code != SQLITE_OK) m_db->fail(code, "cannot bind a value");
    return *this;
}

Statement& Statement::bindNull(int index)
{
    const int code = sqlite3_bind_null(m_statement, index);
    if (code != SQLITE_OK) m_db->fail(code, "cannot bind a value");
    return *this;
}

bool Statement::step()
{
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    sqlite3_reset(m_statement);
    m_db->fail(code, "cannot read or write the catalogue");
}

void Statement::run()
{
    step();
    reset();
}

void Statement::reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::int64_t Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string_view Statement::text(int column) const
{
    const auto* bytes = sqlite3_column_text(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    if (bytes == nullptr) return {};
    return {reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size)};
}

std::string_view Statement::blob(int column) const
{
    const void* bytes = sqlite3_column_blob(m_statement, column);
    const int size = sqlite3_column_bytes(m_statement, column);
    if (bytes == nullptr) return {};
    return {static_cast<const char*>(bytes), static_cast<std::size_t>(size)};
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_db.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (m_open) sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit()
{
    m_db.execute("COMMIT");
    m_open = false;
}

ReadTransaction::ReadTransaction(Database& db) : m_db(db)
{
    m_db.execute("BEGIN");
}

ReadTransaction::~ReadTransaction()
{
    sqlite3_exec(m_db.handle(), "COMMIT", nullptr, nullptr, nullptr);
}

} // namespace tarvelo::catalog
