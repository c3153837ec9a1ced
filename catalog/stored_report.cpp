// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/stored_report.h"

#include "catalog/stored_archive_reader.h"
#include "catalog/stored_disc.h"
#include "report/folder_walk.h"
#include "report/report_writer.h"

#include <optional>

namespace tarvelo::catalog {
namespace {

// An imported report the walk cannot write back as it was is kept as its text.
std::optional<std::string> keptText(Database& db, const DiscRecord& disc)
{
    Statement query = db.prepare("SELECT text FROM disc_report WHERE disc = ?");
    query.bind(1, disc.id);
    if (!query.step() || query.isNull(0)) return std::nullopt;
    return std::string(query.text(0));
}

} // namespace

bool writeStoredReport(Database& db, const DiscRecord& disc, platform::PendingFile& file,
                       report::RunUi& ui)
{
    if (const auto text = keptText(db, disc)) {
        file.write(*text);
        return true;
    }
    const StoredDisc stored = loadDisc(db, disc);
    const StoredVolume volume(disc, stored);
    StoredArchiveReader reader(stored);
    const report::RunRequest request{disc.source, true, true, disc.decimalSeparator};
    report::ReportWriter out(file);
    report::writeHeader(out, volume.facts(), {stored.scan.totalFiles(), stored.scan.totalFolders()},
                        disc.decimalSeparator);
    report::FolderWalk walk(volume, request, {reader, reader}, out, ui);
    if (!walk.writeBody(stored.scan)) return false;
    out.flush();
    return true;
}

} // namespace tarvelo::catalog
