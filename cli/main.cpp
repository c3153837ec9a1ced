// SPDX-License-Identifier: GPL-3.0-or-later
// tarvelo-report: writes the report of a disc from the command line.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_run_ui.h"
#include "cli/code_page_list.h"
#include "cli/interrupt.h"
#include "cli/locale_separator.h"
#include "cli/options.h"
#include "cli/report_command.h"
#include "common/version.h"

namespace {

using namespace tarvelo::cli;

// A descriptor among 0-2 left closed by the caller would be taken by the first file the
// program opens, and messages meant for standard error would land in the report.
void openMissingStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is this one.
        if (::open("/dev/null", O_RDWR) != fd) std::_Exit(1);
    }
}

int run(const std::vector<std::string>& args)
{
    const auto parsed = parseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        printMessage(error->message);
        printMessage(std::string("try '") + kProgramName + " --help' for more information");
        return 2;
    }
    const auto& command = std::get<ParsedCommand>(parsed);
    switch (command.command) {
    case Command::Help:
        std::cout << usageText() << std::flush;
        return 0;
    case Command::Version:
        std::cout << tarvelo::common::versionText(kProgramName) << std::flush;
        return 0;
    case Command::CodePages:
        std::cout << codePageListText() << std::flush;
        return 0;
    case Command::Report:
        break;
    }
    installInterruptHandlers();
    return runReportCommand(command.options, localeDecimalSeparator());
}

} // namespace

int main(int argc, char** argv)
{
    openMissingStandardDescriptors();
    try {
        return run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        printMessage(error.what());
        return 1;
    }
}
