// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/report_lines.h"

#include "catalog/schema.h"
#include "common/error.h"
#include "common/text.h"

#include <charconv>
#include <map>

namespace tarvelo::catalog {
namespace {

constexpr std::string_view kSectionLine =
    "------------------------------------------------------------";
constexpr std::string_view kFileLine = "\t\t--------------------";
constexpr std::string_view kEntryIndent = "\t\t\t\t";
constexpr std::string_view kFolderMark = "[DIR] ";
// A disc with no folder never shows its root path; reports came from drive D: first.
constexpr std::string_view kUnknownRoot = "D:\\";

template <typename Number>
Number numberOf(ReportLines& lines, std::string_view text)
{
    Number value{};
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
    if (parsed.ec != std::errc{} || parsed.ptr != text.data() + text.size())
        lines.fail("'" + std::string(text) + "' is not a number");
    return value;
}

std::int64_t sizedKind(StoredKind kind, const SizeValue& size)
{
    return static_cast<std::int64_t>(kind) + (size.exact ? 0 : kInexact);
}

// Reads the sections in order, knowing each folder's id by its path.
class BodyReader
{
public:
    BodyReader(ReportLines& lines, EntryRows& rows) : m_lines(lines), m_rows(rows) {}

    std::string read()
    {
        m_lines.expect(kSectionLine);
        m_folder = m_rows.insert(std::nullopt, sizedKind(StoredKind::Folder, {0, false}), "", 0);
        readFiles();
        m_lines.expect(kSectionLine);
        while (!m_lines.atEnd()) {
            m_lines.expect(kSectionLine);
            readFacts();
            readFiles();
            m_lines.expect(kSectionLine);
        }
        return m_root.empty() ? std::string(kUnknownRoot) : m_root;
    }

private:
    void readFacts()
    {
        m_lines.expect("\tFolder:");
        const std::string name(m_lines.expect("\tName: "));
        const std::string parent(m_lines.expect("\tParent folder: "));
        const std::size_t parentLine = m_lines.lineNumber();
        m_lines.expect("\tSubfolders: ");
        m_lines.expect("\tFiles: ");
        const SizeValue size = m_lines.size(m_lines.expect("\tSize: "));
        if (!m_lines.take().empty()) m_lines.fail("expected an empty line after a folder's facts");
        // In report order the first folder after the root is directly under it.
        if (m_root.empty()) {
            m_root = parent;
            m_folders[parent] = m_folder;
        }
        const auto found = m_folders.find(parent);
        if (found == m_folders.end())
            m_lines.failAt(parentLine, "no folder '" + parent + "' came before this one");
        m_folder = m_rows.insert(found->second, sizedKind(StoredKind::Folder, size), name, size.bytes);
        const char separator = m_root.back() == '\\' ? '\\' : '/';
        m_folders[parent.ends_with(separator) ? parent + name : parent + separator + name] = m_folder;
    }

    void readFiles()
    {
        while (m_lines.peek() == kFileLine) {
            m_lines.take();
            const std::string name(m_lines.expect("\t\t"));
            const SizeValue size = m_lines.size(m_lines.expect("\t\tSize: "));
            const std::int64_t file =
                m_rows.insert(m_folder, sizedKind(StoredKind::File, size), name, size.bytes);
            if (m_lines.peek().starts_with("\t\t\tZIP contents:") ||
                m_lines.peek().starts_with("\t\t\tRAR contents:"))
                readListing(file);
        }
    }

    void readListing(std::int64_t archive)
    {
        m_lines.take();
        const auto count = numberOf<std::int32_t>(m_lines, m_lines.expect("\t\t\tTotal files/folders: "));
        m_lines.expect("\t\t\tFiles:");
        m_rows.setListed(archive, count);
        while (m_lines.peek().starts_with(kEntryIndent)) {
            std::string_view entry = m_lines.take().substr(kEntryIndent.size());
            const bool isFolder = entry.starts_with(kFolderMark);
            if (isFolder) entry.remove_prefix(kFolderMark.size());
            const StoredKind kind = isFolder ? StoredKind::ArchiveFolder : StoredKind::ArchiveFile;
            m_rows.insert(archive, sizedKind(kind, {0, false}), entry, 0);
        }
    }

    ReportLines& m_lines;
    EntryRows& m_rows;
    std::string m_root;
    std::int64_t m_folder = 0;
    std::map<std::string, std::int64_t> m_folders;
};

} // namespace

ReportLines::ReportLines(std::string_view text)
{
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        if (end > 0 && text[end - 1] == '\r') --end;
        m_lines.push_back(text.substr(0, end));
        text.remove_prefix(next);
    }
}

std::string_view ReportLines::peek() const
{
    return atEnd() ? std::string_view() : m_lines[m_next];
}

std::string_view ReportLines::take()
{
    if (atEnd()) failAt(m_next + 1, "the report ends too early");
    return m_lines[m_next++];
}

std::string_view ReportLines::expect(std::string_view prefix)
{
    if (!peek().starts_with(prefix) || atEnd())
        failAt(m_next + 1, "expected a line beginning with '" + std::string(prefix) + "'");
    return take().substr(prefix.size());
}

SizeValue ReportLines::size(std::string_view text)
{
    const std::optional<SizeValue> value = sizeTextValue(text);
    if (!value) fail("'" + std::string(text) + "' is not a size");
    if (!m_separator) m_separator = separatorIn(text);
    m_allExact = m_allExact && value->exact;
    return *value;
}

void ReportLines::failAt(std::size_t line, const std::string& reason) const
{
    throw Error(ErrorNumber::InvalidFileFormat,
                "not a disc report: line " + std::to_string(line) + ": " + reason);
}

DiscRecord readHeader(ReportLines& lines)
{
    DiscRecord disc;
    lines.take(); // the title
    lines.expect(kSectionLine);
    const struct
    {
        std::string_view label;
        void (*apply)(ReportLines&, DiscRecord&, std::string_view);
    } kFacts[] = {
        {"CD volume: ", [](ReportLines&, DiscRecord& d, std::string_view v) { d.label = common::lineSafe(v); }},
        {"CD size: ", [](ReportLines& l, DiscRecord& d, std::string_view v) { d.totalBytes = l.size(v).bytes; }},
        {"CD free space: ", [](ReportLines& l, DiscRecord& d, std::string_view v) { d.freeBytes = l.size(v).bytes; }},
        {"CD serial number: ", [](ReportLines& l, DiscRecord& d, std::string_view v) { d.serial = numberOf<std::int32_t>(l, v); }},
        {"Files: ", [](ReportLines& l, DiscRecord& d, std::string_view v) { d.files = numberOf<std::int32_t>(l, v); }},
        {"Folders: ", [](ReportLines& l, DiscRecord& d, std::string_view v) { d.folders = numberOf<std::int32_t>(l, v); }},
    };
    // A fact the writer could not read is missing from its report; the rest stand in order.
    for (const auto& fact : kFacts)
        if (lines.peek().starts_with(fact.label)) fact.apply(lines, disc, lines.expect(fact.label));
    return disc;
}

std::string readBody(ReportLines& lines, EntryRows& rows)
{
    return BodyReader(lines, rows).read();
}

} // namespace tarvelo::catalog
