// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_commands.h"

#include "catalog/export.h"
#include "catalog/stored_report.h"
#include "cli/cli_run_ui.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/outcome_text.h"
#include "common/error.h"
#include "platform/posix_output.h"

#include <functional>

namespace tarvelo::cli {
namespace {

catalog::ExportFormat exportFormat(const std::string& typed)
{
    if (typed == "jsonl") return catalog::ExportFormat::Jsonl;
    if (typed == "csv") return catalog::ExportFormat::Csv;
    if (typed == "dfxml") return catalog::ExportFormat::Dfxml;
    throw UsageProblem(typed.empty() ? "export needs --format jsonl, csv or dfxml"
                                     : "unknown --format '" + typed + "' (jsonl, csv or dfxml)");
}

// Writes a file the way reports are written: beside the destination first, in its place
// only when complete. An existing file is replaced only with --force. False when the
// writing was stopped.
bool saveFile(const CatalogOptions& options,
              const std::function<bool(platform::PendingFile&)>& write)
{
    if (options.output.empty()) throw UsageProblem("missing -o FILE");
    // The signal handlers know the temporary file, so a stop leaves none behind.
    platform::PosixOutputService files(&temporaryFileWatch());
    platform::StandardOutputService standardOutput;
    platform::OutputService& outputs =
        options.output == kStandardOutput ? static_cast<platform::OutputService&>(standardOutput)
                                          : files;
    if (outputs.exists(options.output) && !options.force)
        throw Error(ErrorNumber::PathFileAccess,
                    cli::quoted(options.output) + " exists; use --force to replace it");
    try {
        std::unique_ptr<platform::PendingFile> file = outputs.create(options.output);
        // A stop that came while writing, noticed or not: the file is not put in place.
        if (!write(*file) || interruptRequested()) return false;
        file->finish();
        file->replace();
    } catch (const Error& error) {
        // The system's reason alone does not say which file it is about.
        throw Error(error.number(),
                    "cannot write " + cli::quoted(options.output) + ": " + error.what());
    }
    return true;
}

} // namespace

int writeReportAgain(const CatalogOptions& options, const std::string& catalogFile)
{
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    const catalog::DiscRecord disc = catalog.disc(options.operands.front());
    CliRunUi ui({options.output, true, false, false});
    const bool written = saveFile(options, [&](platform::PendingFile& file) {
        return catalog::writeStoredReport(catalog.db(), disc, file, ui);
    });
    if (!written) {
        printMessage("interrupted; no report written");
        return 130;
    }
    return 0;
}

int exportEntries(const CatalogOptions& options, const std::string& catalogFile)
{
    const catalog::ExportFormat format = exportFormat(options.format);
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Refuse);
    std::vector<catalog::DiscRecord> discs;
    for (const std::string& spec : options.operands)
        discs.push_back(catalog.disc(spec));
    if (options.operands.empty()) discs = catalog.discs();
    const bool written = saveFile(options, [&](platform::PendingFile& file) {
        catalog::exportEntries(catalog, discs, format, file);
        return true;
    });
    if (!written) {
        printMessage("interrupted; nothing exported");
        return 130;
    }
    return 0;
}

} // namespace tarvelo::cli
