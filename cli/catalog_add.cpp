// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/catalog_commands.h"

#include "catalog/disc_writer.h"
#include "cli/catalog_source.h"
#include "cli/cli_run_ui.h"
#include "cli/interrupt.h"
#include "cli/outcome_text.h"
#include "platform/host_volume_opener.h"
#include "report/reader_set.h"
#include "report/report_run.h"

#include <unistd.h>


namespace tarvelo::cli {
namespace {

// The report text of an add goes nowhere: the catalogue keeps what it needs to write it
// again.
class NoReport final : public platform::OutputService
{
public:
    bool exists(const std::string&) const override { return false; }
    std::unique_ptr<platform::PendingFile> create(const std::string&) override
    {
        return std::make_unique<Discarded>();
    }

private:
    class Discarded final : public platform::PendingFile
    {
    public:
        void write(std::string_view) override {}
        void finish() override {}
        void replace() override {}
    };
};

int exitStatusOf(report::OutcomeKind kind)
{
    switch (kind) {
    case report::OutcomeKind::Done:
        return 0;
    case report::OutcomeKind::Incomplete:
        return 3;
    case report::OutcomeKind::Interrupted:
        return 130;
    default:
        return 1;
    }
}

// The worse of two exit statuses, an interrupt being the worst.
int worse(int a, int b)
{
    const auto rank = [](int status) { return status == 130 ? 4 : status == 1 ? 3 : status; };
    return rank(a) >= rank(b) ? a : b;
}

int addOne(const CatalogOptions& options, catalog::Catalog& catalog, const std::string& source,
           char decimalSeparator)
{
    const SourceIdentity identity = identifySource(source);
    catalog::DiscWriter writer(catalog, {options.name, options.note, identity.source,
                                         identity.kind, decimalSeparator, options.replace});
    CliRunUi ui({"-", true, false, !options.quiet && ::isatty(STDERR_FILENO) == 1});
    const platform::HostVolumeOpener volumes;
    NoReport noReport;
    report::ReaderSet readers(options.oemCodePage);
    const report::RunRequest request{source, options.listZip, options.listRar, decimalSeparator};
    const report::RunOutcome outcome =
        report::runReport(request, {volumes, noReport, readers.readers(), &writer}, ui);
    for (const report::Problem& archive : outcome.skippedArchives)
        ui.say("warning: skipped archive " + cli::quoted(archive.path) + ": " + archive.reason);
    if (outcome.kind == report::OutcomeKind::NotReady) {
        ui.say("cannot read the disc at " + cli::quoted(source) + ": " +
               (outcome.problem ? outcome.problem->reason : "unknown reason"));
        return 1;
    }
    if (outcome.kind == report::OutcomeKind::Interrupted) {
        ui.say("interrupted; the catalogue is as it was");
        return 130;
    }
    try {
        const std::int64_t number = writer.commit();
        ui.say("added " + cli::quoted(source) + " as disc " + std::to_string(number) + " (" +
               counted(outcome.totalFiles, "file", "files") + ", " +
               counted(outcome.totalFolders, "folder", "folders") + ")");
    } catch (const Error& error) {
        ui.say("cannot add " + cli::quoted(source) + ": " + error.what() +
               "; the catalogue is as it was");
        return 1;
    }
    if (outcome.kind == report::OutcomeKind::Incomplete && outcome.problem)
        ui.say("the disc is incomplete: cannot read " + cli::quoted(outcome.problem->path) + ": " +
               outcome.problem->reason);
    return exitStatusOf(outcome.kind);
}

} // namespace

int addDiscs(const CatalogOptions& options, const std::string& catalogFile, char decimalSeparator)
{
    catalog::Catalog catalog(catalogFile, catalog::Catalog::Missing::Make);
    int status = 0;
    for (const std::string& source : options.operands) {
        status = worse(status, addOne(options, catalog, source, decimalSeparator));
        if (interruptRequested()) break;
    }
    return status;
}

} // namespace tarvelo::cli
