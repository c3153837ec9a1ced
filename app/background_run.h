// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include <QObject>

#include "app/input_blocker.h"
#include "app/qt_run_ui.h"
#include "report/report_run.h"

class QThread;

namespace tarvelo::app {

// One report run on a thread of its own, so that the window keeps painting. While the
// run works the window takes no input but Esc and closing, which go to wishStop; dialogs
// and messages come back to its thread.
class BackgroundRun final : public QObject
{
    Q_OBJECT

public:
    BackgroundRun(QWidget& window, ReportSaveDialog& saveDialog, const report::RunRequest& request,
                  const report::RunServices& services,
                  std::function<void(InputBlocker::StopWish)> wishStop);
    // A run still working is stopped (its questions answered as cancelled) and waited for.
    ~BackgroundRun() override;

    // How the run ended; read it once finished() has come.
    const report::RunOutcome& outcome() const noexcept { return m_outcome; }

    // The run stops at its next look, keeping the old report, and asks nothing more.
    void stop() noexcept { m_ui.requestStop(); }

signals:
    void finished();

private:
    QWidget& m_window;
    InputBlocker m_blocker;
    QtRunUi m_ui;
    report::RunOutcome m_outcome;
    std::unique_ptr<QThread> m_thread;
};

} // namespace tarvelo::app
