// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::report {

enum class OutcomeKind
{
    Done,        // the report is complete
    Incomplete,  // a report was written, but part of the disc could not be read
    Failed,      // no report: it could not be written or could not replace the old file
    NotReady,    // no disc, or the source is no folder the service can read
    Cancelled,   // the user cancelled the dialog or kept the existing file
    Interrupted, // stopped by the user while it worked; nothing written
};

enum class FailureKind
{
    None,
    CannotWrite,   // the report could not be created, written or closed
    CannotReplace, // the finished report could not take the old file's place
};

// A path and the system's reason, as the front ends show them.
struct Problem
{
    std::string path;
    std::string reason;
};

struct RunOutcome
{
    OutcomeKind kind = OutcomeKind::Cancelled;
    FailureKind failure = FailureKind::None;
    std::string reportPath;
    // NotReady: the source; Failed: the report; Incomplete: the first folder not read.
    std::optional<Problem> problem;
    // Archives listed as files only, because they could not be read (with the reason).
    std::vector<Problem> skippedArchives;
    std::int32_t totalFiles = 0;
    std::int32_t totalFolders = 0;
};

} // namespace tarvelo::report
