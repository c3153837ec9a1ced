// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/posix_output.h"

namespace tarvelo::cli {

// From here on, SIGINT, SIGTERM and SIGHUP ask the run to stop: it cleans up, and the
// program then ends by that signal (endIfInterrupted), so a shell sees 130, 143 or 129. A
// run that has not ended shortly after, or a second signal, ends the program at once,
// removing the temporary file the watch knows of. A closed pipe becomes a write error,
// remembered, instead of a silent death.
void installInterruptHandlers();

bool interruptRequested() noexcept;

// A write met a pipe with no reader.
bool pipeBroken() noexcept;

// The temporary report file, as the signal handlers need to know it.
platform::TemporaryFileWatch& temporaryFileWatch() noexcept;

// Ends the program by the stop signal it received, if any; returns when there was none.
void endIfInterrupted() noexcept;

// Ends the program by the signal, as the system would have without a handler.
[[noreturn]] void endBySignal(int number) noexcept;

} // namespace tarvelo::cli
