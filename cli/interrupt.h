#pragma once

namespace tarvelo::cli {

// From here on, the first SIGINT, SIGTERM or SIGHUP only asks the run to stop (the run then
// cleans up); a second one ends the program at once. A closed pipe on standard output
// becomes a write error instead of a silent death.
void installInterruptHandlers();

bool interruptRequested() noexcept;

} // namespace tarvelo::cli
