// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/progress_bar.h"
#include "report/run_ui.h"

namespace tarvelo::cli {

// Writes one message line on standard error, after the program's name.
void printMessage(std::string_view message);
// The name messages begin with, for a program other than tarvelo-report.
void setMessageProgramName(std::string_view name);

// The report run as the command line drives it: the path comes from -o, the overwrite
// question is asked on the terminal (or refused without one), progress and warnings go
// to standard error, and an interrupt stops the run.
class CliRunUi final : public report::RunUi
{
public:
    struct Settings
    {
        std::string reportPath;
        bool force = false;
        bool canAsk = false;      // standard input is a terminal
        bool showProgress = false; // standard error is a terminal, and not quiet
    };

    explicit CliRunUi(Settings settings);

    std::optional<std::string> askSavePath() override { return m_settings.reportPath; }
    void processEvents() override {}
    bool confirmReplace(const std::string& path) override;
    void setBusy(bool busy) override;
    void progress(const report::Progress& progress) override { m_progress.show(progress); }
    bool stopRequested() override;
    void notice(std::string_view text) override;
    void archiveNotice(const std::string& archivePath, std::string_view text) override;

    // Says something on standard error, the progress bar out of the way first.
    void say(std::string_view message);

private:
    Settings m_settings;
    ProgressBar m_progress;
};

} // namespace tarvelo::cli
