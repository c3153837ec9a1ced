// SPDX-License-Identifier: GPL-3.0-or-later
// tarvelo-catalog: keeps many discs' inventories in one catalogue and finds files in it.

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/catalog_commands.h"
#include "cli/catalog_options.h"
#include "cli/cli_run_ui.h"
#include "cli/interrupt.h"
#include "cli/locale_separator.h"
#include "common/version.h"

namespace {

using namespace tarvelo::cli;

int usageError(const std::string& message)
{
    printMessage(message);
    printMessage(std::string("try '") + kCatalogProgramName + " --help' for more information");
    return 2;
}

int run(const std::vector<std::string>& args)
{
    const auto parsed = parseCatalogCommandLine(args);
    if (const auto* error = std::get_if<CatalogUsageError>(&parsed)) return usageError(error->message);
    const auto& options = std::get<CatalogOptions>(parsed);
    if (options.verb == CatalogVerb::Help) {
        std::cout << catalogUsageText() << std::flush;
        return 0;
    }
    if (options.verb == CatalogVerb::Version) {
        std::cout << tarvelo::common::versionText(kCatalogProgramName) << std::flush;
        return 0;
    }
    installInterruptHandlers();
    int status = 0;
    try {
        status = runCatalogCommand(options, localeDecimalSeparator());
    } catch (const UsageProblem& problem) {
        return usageError(problem.what());
    }
    // Stopped by a signal: the command has cleaned up and said so; end as the signal would.
    endIfInterrupted();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    setMessageProgramName(kCatalogProgramName);
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        // The reader of the output quit (head, a pager): end as the signal would, quietly.
        if (pipeBroken()) endBySignal(SIGPIPE);
        printMessage(error.what());
        return 1;
    }
}
