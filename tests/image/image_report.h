// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/report_run.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarvelo::test {

// A report run on a source by the host's opener, as a user who saves where told.
struct ImageReport
{
    report::RunOutcome outcome;
    std::vector<std::string> body; // after the header, with the source's path as "<root>"
};

ImageReport reportOf(const std::filesystem::path& source, const std::filesystem::path& reportFile);

} // namespace tarvelo::test
