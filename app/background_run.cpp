// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/background_run.h"

#include <exception>

#include <QCoreApplication>
#include <QThread>
#include <QWidget>

namespace tarvelo::app {
namespace {

constexpr int kStopPollMilliseconds = 10;

// The run reports its own failures in the outcome; anything else that escapes it ends
// the run as a report that could not be written, rather than the program.
report::RunOutcome runGuarded(const report::RunRequest& request,
                              const report::RunServices& services, report::RunUi& ui)
{
    try {
        return report::runReport(request, services, ui);
    } catch (const std::exception& error) {
        report::RunOutcome outcome;
        outcome.kind = report::OutcomeKind::Failed;
        outcome.failure = report::FailureKind::CannotWrite;
        outcome.problem = report::Problem{request.source, error.what()};
        return outcome;
    }
}

} // namespace

BackgroundRun::BackgroundRun(QWidget& window, ReportSaveDialog& saveDialog,
                             const report::RunRequest& request, const report::RunServices& services,
                             std::function<void(InputBlocker::StopWish)> wishStop)
    : m_window(window), m_blocker(window, std::move(wishStop)), m_ui(window, saveDialog)
{
    m_thread.reset(QThread::create(
        [this, request, services] { m_outcome = runGuarded(request, services, m_ui); }));
    connect(m_thread.get(), &QThread::finished, this, &BackgroundRun::finished);
    m_thread->start();
}

BackgroundRun::~BackgroundRun()
{
    m_ui.requestStop();
    // The run may be waiting for an answer from this thread: hand it the pending calls,
    // which now answer without a dialog, until it has ended.
    while (!m_thread->wait(QDeadlineTimer(kStopPollMilliseconds)))
        QCoreApplication::sendPostedEvents(&m_window, QEvent::MetaCall);
}

} // namespace tarvelo::app
