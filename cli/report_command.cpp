#include "cli/report_command.h"

#include <unistd.h>

#include "cli/cli_run_ui.h"
#include "cli/interrupt.h"
#include "cli/outcome_text.h"
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

CliRunUi::Settings uiSettings(const Options& options)
{
    const bool toStandardOutput = options.output == kStandardOutput;
    // A report shown on the terminal would be torn apart by a progress line beside it.
    const bool reportOnTerminal = toStandardOutput && isTerminal(STDOUT_FILENO);
    return {options.output, options.force, isTerminal(STDIN_FILENO),
            !options.quiet && !reportOnTerminal && isTerminal(STDERR_FILENO)};
}

} // namespace

int runReportCommand(const Options& options, char decimalSeparator)
{
    CliRunUi ui(uiSettings(options));
    const platform::HostVolumeOpener volumes;
    platform::PosixOutputService files;
    platform::StandardOutputService standardOutput;
    platform::OutputService& outputs =
        options.output == kStandardOutput ? static_cast<platform::OutputService&>(standardOutput)
                                          : files;
    report::ReaderSet readers(options.oemCodePage);

    const report::RunRequest request{options.source, options.listZip, options.listRar,
                                     decimalSeparator};
    report::RunOutcome outcome =
        report::runReport(request, {volumes, outputs, readers.readers()}, ui);
    // An interrupt while the overwrite question waited ends the run as a No would.
    if (outcome.kind == report::OutcomeKind::Cancelled && interruptRequested())
        outcome.kind = report::OutcomeKind::Interrupted;
    for (const std::string& message : outcomeMessages(outcome))
        ui.say(message);
    return exitStatus(outcome);
}

} // namespace tarvelo::cli
