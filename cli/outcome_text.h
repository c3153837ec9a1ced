// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/outcome.h"

namespace tarvelo::cli {

// The exit status of a run: 0 complete, 1 no report, 3 incomplete, 130 interrupted.
int exitStatus(const report::RunOutcome& outcome);

// What the command line says about a finished run, one message a line, without the
// program's name: a warning per skipped archive, then how the run ended (nothing for a
// complete report).
std::vector<std::string> outcomeMessages(const report::RunOutcome& outcome);

// A count with its noun, singular for one: "1 folder", "345 files".
std::string counted(std::int64_t count, std::string_view one, std::string_view many);

// A path or a name as a message shows it: quoted, and unable to move the cursor or
// break the line.
std::string quoted(std::string_view path);

} // namespace tarvelo::cli
