// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "common/notice_sink.h"
#include "common/stop_check.h"

namespace tarvelo::report {

struct Progress
{
    enum class Phase
    {
        Scanning, // reading the disc's folders; filesTotal is not known yet
        Writing,  // writing the report; filesDone of filesTotal
    };
    Phase phase = Phase::Scanning;
    std::int64_t foldersDone = 0;
    std::int64_t filesDone = 0;
    std::int64_t filesTotal = 0;
};

// How a report run talks to its user. The window, the command line and the tests each
// implement it; notices from the readers (such as "Unknown header") arrive through
// archiveNotice().
class RunUi : public common::NoticeSink, public common::StopCheck
{
public:
    // A reader's notice about the archive at archivePath. The window shows the notice
    // alone; a front end that prints it among other lines names the archive as well.
    virtual void archiveNotice([[maybe_unused]] const std::string& archivePath,
                               std::string_view text)
    {
        notice(text);
    }
    // The report's path, or nothing when the user cancelled.
    virtual std::optional<std::string> askSavePath() = 0;
    // Lets the window handle what happened while the dialog was open.
    virtual void processEvents() = 0;
    // The user's answer to replacing the existing file at path.
    virtual bool confirmReplace(const std::string& path) = 0;
    // The caption while the report is written (true) and after (false).
    virtual void setBusy(bool busy) = 0;
    virtual void progress(const Progress& progress) = 0;
    // Polled during the run (inside archive reads too): true ends it as interrupted,
    // nothing written.
    bool stopRequested() override = 0;
};

// A run nobody watches: no questions, no progress, never stopped. The report goes to
// savePath, replacing what is there; without one the run ends before writing a file.
class UnwatchedRun final : public RunUi
{
public:
    explicit UnwatchedRun(std::optional<std::string> savePath = std::nullopt)
        : m_savePath(std::move(savePath))
    {
    }

    void notice(std::string_view) override {}
    std::optional<std::string> askSavePath() override { return m_savePath; }
    void processEvents() override {}
    bool confirmReplace(const std::string&) override { return true; }
    void setBusy(bool) override {}
    void progress(const Progress&) override {}
    bool stopRequested() override { return false; }

private:
    std::optional<std::string> m_savePath;
};

} // namespace tarvelo::report
