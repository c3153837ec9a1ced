// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/outcome_text.h"

#include "common/text.h"

namespace tarvelo::cli {
namespace {

using report::FailureKind;
using report::OutcomeKind;
using report::Problem;
using report::RunOutcome;

std::string reasonOf(const RunOutcome& outcome)
{
    return outcome.problem ? common::lineSafe(outcome.problem->reason) : "unknown reason";
}

std::string problemPath(const RunOutcome& outcome)
{
    return quoted(outcome.problem ? outcome.problem->path : outcome.reportPath);
}

std::string failureMessage(const RunOutcome& outcome)
{
    if (outcome.failure == FailureKind::CannotReplace)
        return "cannot replace " + quoted(outcome.reportPath) + " with the new report: " +
               reasonOf(outcome);
    return "cannot write the report " + problemPath(outcome) + ": " + reasonOf(outcome);
}

std::string endMessage(const RunOutcome& outcome)
{
    switch (outcome.kind) {
    case OutcomeKind::Done:
        return {};
    case OutcomeKind::Incomplete:
        return "the report " + quoted(outcome.reportPath) + " is incomplete: cannot read " +
               problemPath(outcome) + ": " + reasonOf(outcome);
    case OutcomeKind::Failed:
        return failureMessage(outcome);
    case OutcomeKind::NotReady:
        return "cannot read the disc at " + problemPath(outcome) + ": " + reasonOf(outcome);
    case OutcomeKind::Cancelled:
        return "kept the existing " + quoted(outcome.reportPath) + "; no report written";
    case OutcomeKind::Interrupted:
        return "interrupted; no report written";
    }
    return {};
}

} // namespace

int exitStatus(const RunOutcome& outcome)
{
    switch (outcome.kind) {
    case OutcomeKind::Done:
        return 0;
    case OutcomeKind::Incomplete:
        return 3;
    case OutcomeKind::Interrupted:
        return 130;
    case OutcomeKind::Failed:
    case OutcomeKind::NotReady:
    case OutcomeKind::Cancelled:
        return 1;
    }
    return 1;
}

std::vector<std::string> outcomeMessages(const RunOutcome& outcome)
{
    std::vector<std::string> messages;
    for (const Problem& archive : outcome.skippedArchives)
        messages.push_back("warning: skipped archive " + quoted(archive.path) + ": " +
                           common::lineSafe(archive.reason));
    if (std::string end = endMessage(outcome); !end.empty()) messages.push_back(std::move(end));
    return messages;
}

std::string quoted(std::string_view path)
{
    return '\'' + common::lineSafe(path) + '\'';
}

std::string counted(std::int64_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

} // namespace tarvelo::cli
