// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

#include "report/run_ui.h"

class QWidget;

namespace tarvelo::app {

class ReportSaveDialog;

// The run's user interface as the run's own thread sees it. Every dialog, message box
// and caption change is carried out on the window's thread while the run waits.
class QtRunUi final : public report::RunUi
{
public:
    QtRunUi(QWidget& window, ReportSaveDialog& saveDialog);

    std::optional<std::string> askSavePath() override;
    void processEvents() override;
    bool confirmReplace(const std::string& path) override;
    void setBusy(bool busy) override;
    void progress(const report::Progress& progress) override;
    bool stopRequested() override;
    void notice(std::string_view text) override;

    // From the window's thread: what the run asks from now on is answered as cancelled
    // without a dialog, and the run stops at its next look.
    void requestStop() noexcept;

private:
    template <typename Action> auto onWindowThread(Action action);

    QWidget& m_window;
    ReportSaveDialog& m_saveDialog;
    std::atomic<bool> m_stop{false};
    int m_percentShown = -1; // touched by the run's thread only
};

} // namespace tarvelo::app
