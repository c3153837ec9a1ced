// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "report/run_ui.h"

namespace tarvelo::cli {

// One line of progress, at most width characters: what the run does and how far it is.
std::string progressLine(const report::Progress& progress, std::size_t width);

// A progress line kept on a terminal: redrawn now and then, not on every step (a run
// reports every file), and cleared before anything else is printed and at the end.
class ProgressBar
{
public:
    // Draws on the descriptor only when enabled (a terminal, and not asked to be quiet).
    ProgressBar(int fd, bool enabled);

    void show(const report::Progress& progress);
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kRedrawInterval = std::chrono::milliseconds(100);

    void draw(const std::string& text);

    int m_fd;
    bool m_enabled;
    bool m_shown = false;
    Clock::time_point m_lastDrawn{};
    report::Progress::Phase m_lastPhase = report::Progress::Phase::Scanning;
};

} // namespace tarvelo::cli
