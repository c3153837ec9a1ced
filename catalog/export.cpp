// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/export.h"

#include "catalog/find.h"
#include "catalog/hit.h"
#include "common/civil_time.h"
#include "common/text.h"

namespace tarvelo::catalog {
namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;

// Text for the file, handed over in large pieces.
class Chunks
{
public:
    explicit Chunks(platform::PendingFile& file) : m_file(file) {}

    void add(std::string_view text)
    {
        m_buffer += text;
        if (m_buffer.size() >= kChunkBytes) flush();
    }

    void flush()
    {
        m_file.write(m_buffer);
        m_buffer.clear();
    }

private:
    platform::PendingFile& m_file;
    std::string m_buffer;
};

std::string xmlText(std::string_view text)
{
    std::string xml;
    for (const char c : common::lineSafe(text)) {
        switch (c) {
        case '&': xml += "&amp;"; break;
        case '<': xml += "&lt;"; break;
        case '>': xml += "&gt;"; break;
        case '"': xml += "&quot;"; break;
        default: xml += c;
        }
    }
    return xml;
}

std::string element(std::string_view name, std::string_view text)
{
    return "<" + std::string(name) + ">" + std::string(text) + "</" + std::string(name) + ">";
}

// A fileobject with the name, type, size and date archivists' tools read, in the order
// the schema gives them; a size known only as a size text is left out rather than given
// wrong, and so is a date the disc does not record.
std::string fileObject(const Hit& hit)
{
    const bool isFolder = hit.kind == HitKind::Folder || hit.path.ends_with('/');
    std::string xml = "      <fileobject>\n        " + element("filename", xmlText(hit.path)) + "\n";
    xml += "        " + element("name_type", isFolder ? "d" : "r") + "\n";
    if (hit.exact && !isFolder)
        xml += "        " + element("filesize", std::to_string(hit.size)) + "\n";
    if (hit.modified)
        xml += "        " + element("mtime", common::isoUtcText(*hit.modified)) + "\n";
    return xml + "      </fileobject>\n";
}

// The document's head as the schema orders it: a Dublin Core type, the program, and the
// discs read, one image_filename each, in the order of their volumes below.
void writeDfxmlHead(const std::vector<DiscRecord>& discs, Chunks& out)
{
    out.add("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<dfxml xmlns=\"http://www.forensicswiki.org/wiki/Category:Digital_Forensics_XML\" "
            "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" version=\"1.0\">\n"
            "  <metadata>\n    <dc:type>Disc catalogue</dc:type>\n  </metadata>\n"
            "  <creator>\n    <program>tarvelo-catalog</program>\n"
            "    <version>" TARVELO_VERSION "</version>\n  </creator>\n  <source>\n");
    for (const DiscRecord& disc : discs)
        out.add("    " + element("image_filename", xmlText(disc.source)) + "\n");
    out.add("  </source>\n");
}

void writeDfxml(Catalog& catalog, const std::vector<DiscRecord>& discs, Chunks& out)
{
    writeDfxmlHead(discs, out);
    for (const DiscRecord& disc : discs) {
        out.add("  <volume>\n");
        listEntries(catalog, {disc}, [&](const Hit& hit) { out.add(fileObject(hit)); });
        out.add("  </volume>\n");
    }
    out.add("</dfxml>\n");
}

} // namespace

void exportEntries(Catalog& catalog, const std::vector<DiscRecord>& discs, ExportFormat format,
                   platform::PendingFile& file)
{
    Chunks out(file);
    if (format == ExportFormat::Dfxml) {
        writeDfxml(catalog, discs, out);
    } else {
        const HitFormat lines = format == ExportFormat::Csv ? HitFormat::Csv : HitFormat::Jsonl;
        out.add(hitListingStart(lines));
        listEntries(catalog, discs, [&](const Hit& hit) { out.add(hitLine(lines, hit)); });
    }
    out.flush();
}

} // namespace tarvelo::catalog
