// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/output.h"
#include "platform/volume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tarvelo::report {

// Tab levels of the body's lines; section lines stand at level 0.
inline constexpr int kFactsLevel = 1;
inline constexpr int kFileLevel = 2;
inline constexpr int kArchiveLevel = 3;
inline constexpr int kEntryLevel = 4;

// Report lines, each indented by tabs and ended by CR LF, gathered in large chunks before
// they go to the file. A failing write raises the file's error.
class ReportWriter
{
public:
    explicit ReportWriter(platform::PendingFile& file);

    // One line: level tabs, then label and value as given. Callers make names line-safe.
    void line(int level, std::string_view label, std::string_view value = {});
    void emptyLine() { line(0, {}); }
    void sectionLine(); // 60 hyphens, no tab
    void fileLine();    // 20 hyphens at the files' level
    void flush();       // hands everything gathered to the file

private:
    // Appends text that may not fit in the room left, in as many pieces as it takes.
    void appendInPieces(std::string_view text);

    platform::PendingFile& m_file;
    std::unique_ptr<char[]> m_buffer; // never zero-filled: lines overwrite it
    std::size_t m_used = 0;
};

struct DiscTotals
{
    std::int32_t files = 0;
    std::int32_t folders = 0;
};

// The title and the disc's facts: the report's first eight lines.
void writeHeader(ReportWriter& out, const platform::VolumeFacts& facts, DiscTotals totals,
                 char decimalSeparator);

} // namespace tarvelo::report
