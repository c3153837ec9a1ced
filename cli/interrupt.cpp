// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <limits.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <initializer_list>

namespace tarvelo::cli {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
// How long a stopped run may take to clean up before the handler does it.
constexpr long kGraceNanoseconds = 700'000'000;

volatile std::sig_atomic_t g_stopSignal = 0;
volatile std::sig_atomic_t g_pipeBroken = 0;
// Changed only while signals are blocked (see TemporaryFileWatch), read by the handlers.
char g_temporary[PATH_MAX] = {};
timer_t g_graceTimer{};
bool g_haveGraceTimer = false;

// Only async-signal-safe calls: this runs inside handlers too.
[[noreturn]] void endNow(int number) noexcept
{
    if (g_temporary[0] != '\0') ::unlink(g_temporary);
    endBySignal(number);
}

extern "C" void onStopSignal(int number)
{
    if (g_stopSignal != 0) endNow(g_stopSignal); // asked twice: no more waiting
    g_stopSignal = number;
    if (!g_haveGraceTimer) {
        alarm(1); // the coarser clock every system has
        return;
    }
    itimerspec grace{};
    grace.it_value.tv_nsec = kGraceNanoseconds;
    timer_settime(g_graceTimer, 0, &grace, nullptr);
}

extern "C" void onGraceOver(int)
{
    endNow(g_stopSignal);
}

extern "C" void onBrokenPipe(int)
{
    g_pipeBroken = 1;
}

void handle(int number, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    // One handler at a time, so a second signal never interrupts the first one's work.
    sigemptyset(&action.sa_mask);
    for (const int stop : kStopSignals)
        sigaddset(&action.sa_mask, stop);
    sigaddset(&action.sa_mask, SIGALRM);
    // No SA_RESTART: a question waiting on the terminal returns, and the run sees the flag.
    action.sa_flags = 0;
    sigaction(number, &action, nullptr);
}

class SignalSafeWatch final : public platform::TemporaryFileWatch
{
public:
    void made(const std::string& path) noexcept override
    {
        // A longer path cannot have been created; keep nothing rather than a cut name.
        const bool fits = path.size() < sizeof g_temporary;
        std::memcpy(g_temporary, path.c_str(), fits ? path.size() + 1 : 1);
        if (!fits) g_temporary[0] = '\0';
    }
    void gone() noexcept override { g_temporary[0] = '\0'; }
};

} // namespace

void installInterruptHandlers()
{
    sigevent expiry{};
    expiry.sigev_notify = SIGEV_SIGNAL;
    expiry.sigev_signo = SIGALRM;
    g_haveGraceTimer = timer_create(CLOCK_MONOTONIC, &expiry, &g_graceTimer) == 0;
    handle(SIGALRM, onGraceOver);
    // A closed terminal (SIGHUP) stops the run as Ctrl-C does, so no temporary file stays.
    for (const int number : kStopSignals)
        handle(number, onStopSignal);
    handle(SIGPIPE, onBrokenPipe);
}

bool interruptRequested() noexcept
{
    return g_stopSignal != 0;
}

bool pipeBroken() noexcept
{
    return g_pipeBroken != 0;
}

platform::TemporaryFileWatch& temporaryFileWatch() noexcept
{
    static SignalSafeWatch watch;
    return watch;
}

void endIfInterrupted() noexcept
{
    if (g_stopSignal != 0) endNow(g_stopSignal);
}

void endBySignal(int number) noexcept
{
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(number, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(number);
    _exit(128 + number); // a signal whose default is not to end the program
}

} // namespace tarvelo::cli
