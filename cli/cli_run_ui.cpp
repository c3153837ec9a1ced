// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_run_ui.h"

#include <unistd.h>

#include <cerrno>

#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/outcome_text.h"
#include "cli/yes_answer.h"
#include "common/text.h"

namespace tarvelo::cli {
namespace {

std::string g_programName = kProgramName;

void writeToStandardError(const std::string& text)
{
    // Nowhere to report a failure to write to standard error.
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, text.data(), text.size());
}

// One line typed on the terminal, of which only the start is kept (the answer is one
// letter); nothing when input ended or the user interrupted.
std::optional<std::string> readAnswer()
{
    constexpr std::size_t kKeptBytes = 64;
    std::string answer;
    char c = 0;
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR && !interruptRequested()) continue;
        if (got <= 0) return std::nullopt;
        if (c == '\n') return answer;
        if (answer.size() < kKeptBytes) answer += c;
    }
}

} // namespace

void setMessageProgramName(std::string_view name)
{
    g_programName = name;
}

void printMessage(std::string_view message)
{
    writeToStandardError(g_programName + ": " + std::string(message) + '\n');
}

CliRunUi::CliRunUi(Settings settings)
    : m_settings(std::move(settings)), m_progress(STDERR_FILENO, m_settings.showProgress)
{
}

bool CliRunUi::confirmReplace(const std::string& path)
{
    if (m_settings.force) return true;
    if (!m_settings.canAsk) {
        say(quoted(path) + " exists and standard input is not a terminal to ask on; "
                           "use --force to replace it");
        return false;
    }
    writeToStandardError(g_programName + ": replace the existing " + quoted(path) +
                         "? [y/N] ");
    const std::optional<std::string> answer = readAnswer();
    if (!answer) writeToStandardError("\n");
    return answer && meansYes(*answer);
}

void CliRunUi::setBusy(bool busy)
{
    if (!busy) m_progress.clear();
}

bool CliRunUi::stopRequested()
{
    return interruptRequested();
}

void CliRunUi::notice(std::string_view text)
{
    say("warning: " + common::lineSafe(text));
}

void CliRunUi::archiveNotice(const std::string& archivePath, std::string_view text)
{
    say("warning: " + quoted(archivePath) + ": " + common::lineSafe(text));
}

void CliRunUi::say(std::string_view message)
{
    m_progress.clear();
    printMessage(message);
}

} // namespace tarvelo::cli
