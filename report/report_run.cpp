// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report_run.h"

#include "common/error.h"
#include "report/folder_walk.h"
#include "report/report_writer.h"
#include "report/scan.h"

#include <utility>

namespace tarvelo::report {
namespace {

// The busy caption stands for the writing steps and goes on every way out of them.
class BusyCaption
{
public:
    explicit BusyCaption(RunUi& ui) : m_ui(ui) { m_ui.setBusy(true); }
    ~BusyCaption() { m_ui.setBusy(false); }
    BusyCaption(const BusyCaption&) = delete;
    BusyCaption& operator=(const BusyCaption&) = delete;

private:
    RunUi& m_ui;
};

void endAs(RunOutcome& outcome, OutcomeKind kind, std::optional<Problem> problem = {})
{
    outcome.kind = kind;
    outcome.problem = std::move(problem);
}

void failAs(RunOutcome& outcome, FailureKind failure, const Error& error)
{
    endAs(outcome, OutcomeKind::Failed, Problem{outcome.reportPath, error.what()});
    outcome.failure = failure;
}

// Everything one run writes from, read before the report file exists.
struct RunInputs
{
    const RunRequest& request;
    const platform::Volume& volume;
    const platform::VolumeFacts& facts;
    const DiscScan& scan;
};

// Writes the whole report into a pending file; false when the user stopped it first.
bool writeReport(const RunInputs& in, const RunServices& services, platform::PendingFile& file,
                 RunUi& ui, RunOutcome& outcome)
{
    ReportWriter out(file);
    writeHeader(out, in.facts, {in.scan.totalFiles(), in.scan.totalFolders()},
                in.request.decimalSeparator);
    if (services.inventory)
        services.inventory->volume(in.facts, in.scan.totalFiles(), in.scan.totalFolders(),
                                   in.volume.rootPath(), in.volume.separator());
    FolderWalk walk(in.volume, in.request, services.readers, out, ui, services.inventory);
    const bool finished = walk.writeBody(in.scan);
    outcome.skippedArchives = walk.skippedArchives();
    if (finished) out.flush();
    return finished;
}

// The report goes to a file beside the destination and takes its place only when it is
// complete, so any failure or stop leaves the old file as it was.
void saveReport(const RunInputs& in, const RunServices& services, RunUi& ui, RunOutcome& outcome)
{
    std::unique_ptr<platform::PendingFile> file;
    try {
        file = services.outputs.create(outcome.reportPath);
        if (!writeReport(in, services, *file, ui, outcome))
            return endAs(outcome, OutcomeKind::Interrupted);
        file->finish();
    } catch (const Error& error) {
        return failAs(outcome, FailureKind::CannotWrite, error);
    }
    try {
        file->replace();
    } catch (const Error& error) {
        return failAs(outcome, FailureKind::CannotReplace, error);
    }
    if (in.scan.end == ScanEnd::Unreadable)
        endAs(outcome, OutcomeKind::Incomplete, in.scan.unreadable);
    else
        endAs(outcome, OutcomeKind::Done);
}

} // namespace

RunOutcome runReport(const RunRequest& request, const RunServices& services, RunUi& ui)
{
    RunOutcome outcome;
    std::unique_ptr<platform::Volume> volume;
    platform::VolumeFacts facts;
    try {
        volume = services.volumes.openVolume(request.source);
        facts = volume->facts();
    } catch (const Error& error) {
        endAs(outcome, OutcomeKind::NotReady, Problem{request.source, error.what()});
        return outcome;
    }

    const std::optional<std::string> path = ui.askSavePath();
    ui.processEvents();
    if (!path) {
        endAs(outcome, OutcomeKind::Cancelled);
        return outcome;
    }
    outcome.reportPath = *path;
    if (services.outputs.exists(*path) && !ui.confirmReplace(*path)) {
        endAs(outcome, OutcomeKind::Cancelled);
        return outcome;
    }

    const BusyCaption busy(ui);
    // The scan is complete before the report file exists, so a report saved inside the
    // disc's tree never lists itself.
    const DiscScan scan = scanDisc(
        *volume, ui, services.inventory ? DiscScan::Dates::Kept : DiscScan::Dates::Dropped);
    outcome.totalFiles = scan.totalFiles();
    outcome.totalFolders = scan.totalFolders();
    if (scan.end == ScanEnd::Stopped) {
        endAs(outcome, OutcomeKind::Interrupted);
        return outcome;
    }
    saveReport({request, *volume, facts, scan}, services, ui, outcome);
    return outcome;
}

} // namespace tarvelo::report
