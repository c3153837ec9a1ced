// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/stored_report.h"

#include "catalog/kept_text.h"
#include "catalog/stored_archive_reader.h"
#include "catalog/stored_disc.h"
#include "report/folder_walk.h"
#include "report/report_writer.h"

#include <optional>

namespace tarvelo::catalog {
bool writeStoredReport(Database& db, const DiscRecord& disc, platform::PendingFile& file,
                       report::RunUi& ui)
{
    if (const auto text = keptText(db, disc.id)) {
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
