// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/outcome_text.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tarvelo::cli {
namespace {

using report::FailureKind;
using report::OutcomeKind;
using report::Problem;
using report::RunOutcome;
using Lines = std::vector<std::string>;

RunOutcome outcome(OutcomeKind kind, std::optional<Problem> problem = {},
                   FailureKind failure = FailureKind::None)
{
    RunOutcome result;
    result.kind = kind;
    result.failure = failure;
    result.reportPath = "out/disc.txt";
    result.problem = std::move(problem);
    return result;
}

TEST(OutcomeText, EachEndHasItsStatusAndMessage)
{
    const struct { const char* name; RunOutcome outcome; int status; Lines messages; } cases[] = {
        {"done", outcome(OutcomeKind::Done), 0, {}},
        {"incomplete", outcome(OutcomeKind::Incomplete, Problem{"disc/DEEP", "Permission denied"}),
         3, {"the report 'out/disc.txt' is incomplete: cannot read 'disc/DEEP': Permission denied"}},
        {"cannot write",
         outcome(OutcomeKind::Failed, Problem{"out/disc.txt", "No space left on device"},
                 FailureKind::CannotWrite),
         1, {"cannot write the report 'out/disc.txt': No space left on device"}},
        {"cannot replace",
         outcome(OutcomeKind::Failed, Problem{"out/disc.txt", "Is a directory"},
                 FailureKind::CannotReplace),
         1, {"cannot replace 'out/disc.txt' with the new report: Is a directory"}},
        {"not ready", outcome(OutcomeKind::NotReady, Problem{"/media/cdrom", "No such file or directory"}),
         1, {"cannot read the disc at '/media/cdrom': No such file or directory"}},
        {"kept", outcome(OutcomeKind::Cancelled), 1,
         {"kept the existing 'out/disc.txt'; no report written"}},
        {"interrupted", outcome(OutcomeKind::Interrupted), 130, {"interrupted; no report written"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exitStatus(c.outcome), c.status) << c.name;
        EXPECT_EQ(outcomeMessages(c.outcome), c.messages) << c.name;
    }
}

TEST(OutcomeText, SkippedArchivesWarnOneLineEachWithoutBreakingLines)
{
    RunOutcome run = outcome(OutcomeKind::Done);
    run.skippedArchives = {{"disc/a.zip", "no end of central directory"},
                           {"disc/evil\n\x1b[2J.rar", "bad\rreason"}};
    EXPECT_EQ(outcomeMessages(run),
              (Lines{"warning: skipped archive 'disc/a.zip': no end of central directory",
                     "warning: skipped archive 'disc/evil\xEF\xBF\xBD\xEF\xBF\xBD[2J.rar': "
                     "bad\xEF\xBF\xBDreason"}));
    EXPECT_EQ(exitStatus(run), 0);
}

} // namespace
} // namespace tarvelo::cli
