// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalog/catalog.h"
#include "catalog/entry_rows.h"
#include "catalog/size_text_value.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::catalog {

// A report's text as lines (CR LF or LF), read front to back. Size texts read through it
// leave behind the decimal separator they show and whether all of them were exact.
class ReportLines
{
public:
    explicit ReportLines(std::string_view text);

    bool atEnd() const noexcept { return m_next >= m_lines.size(); }
    // The next line, or an empty view past the end.
    std::string_view peek() const;
    std::string_view take();
    // Takes the next line, which must begin with prefix; gives what follows it.
    std::string_view expect(std::string_view prefix);
    SizeValue size(std::string_view text);

    // The number of the line read last.
    std::size_t lineNumber() const noexcept { return m_next; }
    // An error naming the line read last; failAt names another.
    [[noreturn]] void fail(const std::string& reason) const { failAt(m_next, reason); }
    [[noreturn]] void failAt(std::size_t line, const std::string& reason) const;

    char decimalSeparator() const noexcept { return m_separator.value_or('.'); }
    bool allExact() const noexcept { return m_allExact; }

private:
    std::vector<std::string_view> m_lines;
    std::size_t m_next = 0;
    std::optional<char> m_separator;
    bool m_allExact = true;
};

// The title and the disc's facts: label, sizes, serial number and totals.
DiscRecord readHeader(ReportLines& lines);

// The folder sections, stored through rows; gives the disc's root path ("D:\" when no
// folder names it).
std::string readBody(ReportLines& lines, EntryRows& rows);

} // namespace tarvelo::catalog
