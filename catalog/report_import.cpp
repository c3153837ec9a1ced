// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/report_import.h"

#include "catalog/disc_writer.h"
#include "catalog/entry_rows.h"
#include "catalog/kept_text.h"
#include "catalog/report_lines.h"
#include "catalog/stored_report.h"
#include "common/code_page.h"
#include "common/error.h"
#include "common/text.h"

#include <span>

namespace tarvelo::catalog {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

using platform::TextFile;

void refuseSameDisc(Catalog& catalog, const DiscRecord& disc, bool replace)
{
    for (const DiscRecord& same : catalog.sameDiscs(disc)) {
        if (!replace)
            throw Error(ErrorNumber::PathFileAccess,
                        "the catalogue already holds this disc as number " +
                            std::to_string(same.id) + "; give --replace to import it in its place");
        removeRows(catalog.db(), same);
    }
}

// Keeps the text when writing the disc's report again does not give it back.
void keepTextUnlessRewritten(Catalog& catalog, DiscRecord disc, const std::string& text)
{
    Statement query = catalog.db().prepare("SELECT first_entry, last_entry FROM disc WHERE id = ?");
    query.bind(1, disc.id);
    if (query.step()) {
        disc.firstEntry = query.integer(0);
        disc.lastEntry = query.integer(1);
    }
    TextFile rewritten;
    report::UnwatchedRun nobody;
    writeStoredReport(catalog.db(), disc, rewritten, nobody);
    if (rewritten.text == text) return;
    keepText(catalog.db(), disc.id, text);
}

} // namespace

std::string reportTextOf(std::string_view bytes)
{
    if (common::isValidUtf8(bytes)) {
        if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
        return std::string(bytes);
    }
    static const std::optional<common::CodePage> windows = common::CodePage::byName("CP1250");
    if (!windows) throw Error(ErrorNumber::InvalidFileFormat, "the Windows-1250 code page is not available");
    return windows->toUtf8(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::int64_t importReport(Catalog& catalog, const std::string& source, std::string_view bytes,
                          bool replace)
{
    const std::string text = reportTextOf(bytes);
    ReportLines lines(text);
    DiscRecord disc = readHeader(lines);
    disc.source = source;
    disc.sourceKind = std::string(kFromReport);
    disc.added = isoTimeNow();
    Transaction transaction(catalog.db());
    refuseSameDisc(catalog, disc, replace);
    disc.id = insertDisc(catalog.db(), disc);
    EntryRows rows(catalog.db(), disc.id);
    disc.rootPath = readBody(lines, rows);
    rows.finish();
    disc.decimalSeparator = lines.decimalSeparator();
    disc.exact = lines.allExact();
    catalog.db()
        .prepare("UPDATE disc SET root_path = ?, decimal_separator = ?, exact = ? WHERE id = ?")
        .bind(1, disc.rootPath)
        .bind(2, std::string_view(&disc.decimalSeparator, 1))
        .bind(3, std::int64_t{disc.exact ? 1 : 0})
        .bind(4, disc.id)
        .run();
    keepTextUnlessRewritten(catalog, disc, text);
    transaction.commit();
    return disc.id;
}

} // namespace tarvelo::catalog
