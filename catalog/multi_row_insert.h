// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/sqlite.h"

#include <cstddef>
#include <string_view>

namespace tarvelo::catalog {

// Inserts rows into one table many at a time: most of an insert's cost is the
// statement's, not the row's. One statement takes a full run of rows, another the few
// left at the end.
class MultiRowInsert
{
public:
    // head is "INSERT INTO t(a, b) VALUES", row "(?, ?)": the values of one row.
    MultiRowInsert(Database& db, std::string_view head, std::string_view row);

    // Inserts `count` rows; bindRow(statement, first, i) binds the values of row i to
    // parameters first, first + 1, ... Parameters left unbound are null.
    template <typename BindRow> void insert(std::size_t count, BindRow&& bindRow)
    {
        std::size_t at = 0;
        for (; count - at >= kRowsPerStatement; at += kRowsPerStatement) {
            for (std::size_t i = 0; i < kRowsPerStatement; ++i)
                bindRow(m_many, firstParameter(i), at + i);
            m_many.run();
        }
        for (; at < count; ++at) {
            bindRow(m_one, 1, at);
            m_one.run();
        }
    }

private:
    static constexpr std::size_t kRowsPerStatement = 64;

    int firstParameter(std::size_t row) const
    {
        return 1 + static_cast<int>(row) * m_parametersPerRow;
    }

    int m_parametersPerRow;
    Statement m_many;
    Statement m_one;
};

} // namespace tarvelo::catalog
