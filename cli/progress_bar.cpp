// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progress_bar.h"

#include "cli/outcome_text.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

namespace tarvelo::cli {
namespace {

constexpr std::size_t kBarCells = 30;
constexpr std::size_t kDefaultWidth = 80;

std::size_t terminalWidth(int fd)
{
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kDefaultWidth;
    return size.ws_col;
}

std::string bar(std::int64_t done, std::int64_t total)
{
    const auto filled = total <= 0 ? kBarCells
                                   : static_cast<std::size_t>(std::clamp<std::int64_t>(
                                         done * std::int64_t{kBarCells} / total, 0, kBarCells));
    return '[' + std::string(filled, '#') + std::string(kBarCells - filled, '.') + ']';
}

std::string percent(std::int64_t done, std::int64_t total)
{
    const std::int64_t value =
        total <= 0 ? 100 : std::clamp<std::int64_t>(done * 100 / total, 0, 100);
    return std::to_string(value) + '%';
}

} // namespace

std::string progressLine(const report::Progress& progress, std::size_t width)
{
    std::string line;
    if (progress.phase == report::Progress::Phase::Scanning) {
        line = "Reading the disc: " + counted(progress.foldersDone, "folder", "folders") + ", " +
               counted(progress.filesDone, "file", "files");
    } else {
        line = "Writing " + bar(progress.filesDone, progress.filesTotal) + ' ' +
               percent(progress.filesDone, progress.filesTotal) + ' ' +
               std::to_string(progress.filesDone) + '/' + std::to_string(progress.filesTotal) +
               " files";
    }
    if (line.size() > width) line.resize(width);
    return line;
}

ProgressBar::ProgressBar(int fd, bool enabled) : m_fd(fd), m_enabled(enabled) {}

void ProgressBar::show(const report::Progress& progress)
{
    if (!m_enabled) return;
    const Clock::time_point now = Clock::now();
    if (m_shown && progress.phase == m_lastPhase && now - m_lastDrawn < kRedrawInterval) return;
    m_lastDrawn = now;
    m_lastPhase = progress.phase;
    // One column stays free: a line that fills the terminal would wrap on some of them.
    draw('\r' + progressLine(progress, terminalWidth(m_fd) - 1) + "\x1b[K");
    m_shown = true;
}

void ProgressBar::clear()
{
    if (!m_shown) return;
    draw("\r\x1b[K");
    m_shown = false;
}

void ProgressBar::draw(const std::string& text)
{
    // Progress is a courtesy: a terminal that refuses it does not stop the report.
    [[maybe_unused]] const ssize_t ignored = ::write(m_fd, text.data(), text.size());
}

} // namespace tarvelo::cli
