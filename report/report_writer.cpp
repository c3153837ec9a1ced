// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_writer.h"

#include "common/text.h"
#include "report/size_text.h"

namespace tarvelo::report {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSectionLine =
    "------------------------------------------------------------";
constexpr std::string_view kFileLine = "--------------------";

} // namespace

ReportWriter::ReportWriter(platform::PendingFile& file) : m_file(file)
{
    m_buffer.reserve(kChunkBytes + kChunkBytes / 4);
}

void ReportWriter::line(int level, std::string_view label, std::string_view value)
{
    m_buffer.append(static_cast<std::size_t>(level), '\t');
    m_buffer.append(label);
    m_buffer.append(value);
    m_buffer.append(kLineEnd);
    if (m_buffer.size() >= kChunkBytes) flush();
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
    if (m_buffer.empty()) return;
    m_file.write(m_buffer);
    m_buffer.clear();
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
