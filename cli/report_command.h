// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/options.h"

namespace tarvelo::cli {

// Runs one report on this host as the options ask, says on standard error how it ended,
// and gives the exit status.
int runReportCommand(const Options& options, char decimalSeparator);

} // namespace tarvelo::cli
