// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_writer.h"

#include "common/text.h"
#include "report/size_text.h"

#include <algorithm>

namespace tarvelo::report {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSectionLine =
    "------------------------------------------------------------";
constexpr std::string_view kFileLine = "--------------------";

} // namespace

ReportWriter::ReportWriter(platform::PendingFile& file)
    : m_file(file), m_buffer(std::make_unique_for_overwrite<char[]>(kChunkBytes))
{
}

// A line that fits is copied in whole, with no check per piece: archive listings write
// millions of them.
void ReportWriter::line(int level, std::string_view label, std::string_view value)
{
    const auto tabs = static_cast<std::size_t>(level);
    if (tabs + label.size() + value.size() + kLineEnd.size() > kChunkBytes - m_used) {
        appendInPieces(std::string(tabs, '\t'));
        appendInPieces(label);
        appendInPieces(value);
        appendInPieces(kLineEnd);
        return;
    }
    char* out = std::fill_n(m_buffer.get() + m_used, tabs, '\t');
    out = std::copy(label.begin(), label.end(), out);
    out = std::copy(value.begin(), value.end(), out);
    out = std::copy(kLineEnd.begin(), kLineEnd.end(), out);
    m_used = static_cast<std::size_t>(out - m_buffer.get());
}

void ReportWriter::appendInPieces(std::string_view text)
{
    while (!text.empty()) {
        if (m_used == kChunkBytes) flush();
        const std::size_t piece = std::min(text.size(), kChunkBytes - m_used);
        std::copy_n(text.begin(), piece, m_buffer.get() + m_used);
        m_used += piece;
        text.remove_prefix(piece);
    }
}

void ReportWriter::sectionLine()
{
    line(0, kSectionLine);
}

void ReportWriter::fileLine()
{
    line(kFileLevel, kFileLine);
}

void ReportWriter::flush()
{
    if (m_used == 0) return;
    m_file.write({m_buffer.get(), m_used});
    m_used = 0;
}

void writeHeader(ReportWriter& out, const platform::VolumeFacts& facts, DiscTotals totals,
                 char decimalSeparator)
{
    out.line(0, "Tarvelo");
    out.sectionLine();
    out.line(0, "CD volume: ", common::lineSafe(facts.label));
    out.line(0, "CD size: ", getSize(facts.totalBytes, decimalSeparator));
    out.line(0, "CD free space: ", getSize(facts.freeBytes, decimalSeparator));
    out.line(0, "CD serial number: ", std::to_string(facts.serialNumber));
    out.line(0, "Files: ", std::to_string(totals.files));
    out.line(0, "Folders: ", std::to_string(totals.folders));
}

} // namespace tarvelo::report
