// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvelo::catalog {

class Statement;

// One open SQLite database. Every failure raises a tarvelo::Error naming the file and
// SQLite's reason: a file that is no database is an invalid file format, a full disk is
// a full disk, anything else a file-access error.
class Database
{
public:
    enum class Access
    {
        ReadOnly,
        ReadWrite, // made when missing
    };

    Database(const std::string& path, Access access);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const std::string& path() const noexcept { return m_path; }
    sqlite3* handle() const noexcept { return m_db; }

    void execute(const char* sql);
    Statement prepare(std::string_view sql);
    std::int64_t lastInsertId() const;

    // Raises the error for a SQLite result code; what is the action that failed.
    [[noreturn]] void fail(int code, std::string_view what) const;

private:
    std::string m_path;
    sqlite3* m_db = nullptr;
};

// A prepared statement; columns and parameters are numbered from 0 and 1, as in SQLite.
class Statement
{
public:
    Statement(const Database& db, sqlite3_stmt* statement) : m_db(&db), m_statement(statement) {}
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::string_view bytes);
    Statement& bindNull(int index);

    // True while there is a row to read.
    bool step();
    // Runs a statement that yields no rows and makes it ready to run again.
    void run();
    void reset();

    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    std::string_view text(int column) const;
    std::string_view blob(int column) const;

private:
    const Database* m_db;
    sqlite3_stmt* m_statement;
};

// One write transaction: taken at once (so two writers queue on the busy timeout instead
// of failing midway), rolled back unless committed.
class Transaction
{
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& m_db;
    bool m_open = true;
};

// One read transaction: every statement inside it sees the same state of the catalogue,
// and the locks are taken once instead of for every statement.
class ReadTransaction
{
public:
    explicit ReadTransaction(Database& db);
    ~ReadTransaction();
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    Database& m_db;
};

} // namespace tarvelo::catalog
