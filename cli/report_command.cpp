// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report_command.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include "cli/catalog_source.h"
#include "cli/cli_run_ui.h"
#include "cli/interrupt.h"
#include "cli/outcome_text.h"
#include "common/error.h"
#include "platform/host_volume_opener.h"
#include "platform/posix_output.h"
#include "report/reader_set.h"
#include "report/report_run.h"

namespace tarvelo::cli {
namespace {

bool isTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

// Whether the report goes to the terminal that standard error shows: a progress line
// drawn there would tear the report apart.
bool reportOnErrorTerminal(const std::string& output)
{
    struct stat error {};
    struct stat report {};
    if (::fstat(STDERR_FILENO, &error) != 0 || !S_ISCHR(error.st_mode)) return false;
    const int got = output == kStandardOutput ? ::fstat(STDOUT_FILENO, &report)
                                              : ::stat(output.c_str(), &report);
    if (got != 0 || !S_ISCHR(report.st_mode)) return false;
    if (report.st_rdev == error.st_rdev) return true;
    // /dev/tty stands for the controlling terminal, whichever that is.
    return report.st_rdev == makedev(5, 0) && ::tcgetpgrp(STDERR_FILENO) != -1;
}

CliRunUi::Settings uiSettings(const Options& options)
{
    return {options.output, options.force, isTerminal(STDIN_FILENO),
            !options.quiet && isTerminal(STDERR_FILENO) && !reportOnErrorTerminal(options.output)};
}

// A destination that can never take a report (a folder) is refused before the disc is
// read, not after.
std::optional<report::RunOutcome> refusedDestination(const platform::PosixOutputService& files,
                                                     const std::string& path)
{
    try {
        files.checkDestination(path);
        return std::nullopt;
    } catch (const Error& error) {
        report::RunOutcome refused;
        refused.kind = report::OutcomeKind::Failed;
        refused.failure = report::FailureKind::CannotWrite;
        refused.reportPath = path;
        refused.problem = report::Problem{path, error.what()};
        return refused;
    }
}

report::RunOutcome runReportTo(const Options& options, char decimalSeparator, CliRunUi& ui,
                               report::InventorySink* inventory)
{
    const platform::HostVolumeOpener volumes;
    platform::PosixOutputService files(&temporaryFileWatch());
    platform::StandardOutputService standardOutput;
    const bool toStandardOutput = options.output == kStandardOutput;
    if (!toStandardOutput) {
        if (auto refused = refusedDestination(files, options.output)) return std::move(*refused);
    }
    platform::OutputService& outputs =
        toStandardOutput ? static_cast<platform::OutputService&>(standardOutput) : files;
    report::ReaderSet readers(options.oemCodePage);
    const report::RunRequest request{options.source, options.listZip, options.listRar,
                                     decimalSeparator};
    return report::runReport(request, {volumes, outputs, readers.readers(), inventory}, ui);
}

} // namespace

int runReportCommand(const Options& options, char decimalSeparator)
{
    CliRunUi ui(uiSettings(options));
    std::optional<ReportCatalog> catalog;
    if (options.catalog) {
        try {
            catalog.emplace(*options.catalog, options.source, decimalSeparator);
        } catch (const Error& error) {
            ui.say(std::string("cannot use the catalogue: ") + error.what() + "; no report written");
            return 1;
        }
    }
    report::RunOutcome outcome =
        runReportTo(options, decimalSeparator, ui, catalog ? &catalog->sink() : nullptr);
    // A reader that left (a pager quit) ends the program as it would any other: quietly.
    if (outcome.kind == report::OutcomeKind::Failed && pipeBroken()) endBySignal(SIGPIPE);
    // A stop that cut the question short or a write short is an interrupt, not a failure.
    const bool cutShort = outcome.kind == report::OutcomeKind::Cancelled ||
                          outcome.kind == report::OutcomeKind::Failed;
    if (cutShort && interruptRequested()) outcome.kind = report::OutcomeKind::Interrupted;
    for (const std::string& message : outcomeMessages(outcome))
        ui.say(message);
    bool notCatalogued = false;
    if (catalog) ui.say(catalog->finish(outcome, notCatalogued));
    endIfInterrupted();
    // The report is there, but the disc the user asked to catalogue is not.
    if (notCatalogued && exitStatus(outcome) == 0) return 1;
    return exitStatus(outcome);
}

} // namespace tarvelo::cli
