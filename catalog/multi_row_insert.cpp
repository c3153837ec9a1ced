// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/multi_row_insert.h"

#include <algorithm>
#include <string>

namespace tarvelo::catalog {
namespace {

std::string insertSql(std::string_view head, std::string_view row, std::size_t rows)
{
    std::string sql(head);
    for (std::size_t i = 0; i < rows; ++i) {
        if (i > 0) sql += ", ";
        sql += row;
    }
    return sql;
}

} // namespace

MultiRowInsert::MultiRowInsert(Database& db, std::string_view head, std::string_view row)
    : m_parametersPerRow(static_cast<int>(std::count(row.begin(), row.end(), '?'))),
      m_many(db.prepare(insertSql(head, row, kRowsPerStatement))),
      m_one(db.prepare(insertSql(head, row, 1)))
{
}

} // namespace tarvelo::catalog
