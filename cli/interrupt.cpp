#include "cli/interrupt.h"

#include <signal.h>

#include <csignal>
#include <initializer_list>

namespace tarvelo::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}

} // namespace

void installInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question waiting on the terminal returns, and the run sees the flag.
    action.sa_flags = static_cast<int>(SA_RESETHAND);
    // A closed terminal (SIGHUP) stops the run as Ctrl-C does, so no temporary file stays.
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool interruptRequested() noexcept
{
    return g_interrupted != 0;
}

} // namespace tarvelo::cli
