// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tarvelo::test {

// A pipe the test holds both ends of, made as small as the system allows so that a
// program writing into it soon waits.
class SmallPipe
{
public:
    SmallPipe();
    ~SmallPipe();
    SmallPipe(const SmallPipe&) = delete;
    SmallPipe& operator=(const SmallPipe&) = delete;

    int writer() const noexcept { return m_fds[1]; }
    void closeReader();
    // Something was written, so the program is at it, and soon waits.
    bool used() const;

private:
    int m_fds[2] = {-1, -1};
};

// How one run of a program ended and what it printed.
struct ProgramRun
{
    int exitStatus = -1; // -1 when a signal ended it
    int signal = 0;      // the signal that ended it, if one did
    std::string standardOutput;
    std::string standardError;
};

// Where standard output or error goes: a file the run captures, no descriptor at all,
// the terminal the program runs at, or a descriptor of the test's (0 and up).
inline constexpr int kCaptured = -1;
inline constexpr int kClosed = -2;
inline constexpr int kAtTerminal = -3;

struct ProgramSetup
{
    std::vector<std::string> args;
    std::filesystem::path folder;          // where it runs
    std::vector<std::string> environment; // added to LANG=C.UTF-8
    std::string program = TARVELO_REPORT_PROGRAM;
};

struct Streams
{
    int output = kCaptured;
    int error = kCaptured;
};

// A pseudo-terminal: the master side for the test, the name of the side for the program.
class Terminal
{
public:
    Terminal();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    int master() const noexcept { return m_master; }
    const std::string& name() const noexcept { return m_name; }
    // What the program wrote to the terminal so far.
    std::string drain() const;

private:
    int m_master;
    std::string m_name;
};

// The program started, for tests that act on it while it runs. Its standard input is the
// terminal when one is named, else /dev/null.
class RunningProgram
{
public:
    explicit RunningProgram(const ProgramSetup& setup, Streams streams = {},
                            const std::string& terminal = {});
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t pid() const noexcept { return m_pid; }
    std::string standardError() const;

    // Waits for the end; a program still running after a minute is killed (SIGKILL).
    ProgramRun wait();

private:
    TempDir m_captures;
    pid_t m_pid = -1;
};

// Waits for a condition, not for a time; the limit only guards a broken program.
bool eventually(const std::function<bool()>& condition);

// tarvelo-catalog with these arguments, run in folder.
ProgramSetup catalogProgram(const std::filesystem::path& folder, std::vector<std::string> args,
                            std::vector<std::string> environment = {});

// A file's bytes; empty when it cannot be read.
std::string fileBytes(const std::filesystem::path& path);

// Runs the program with no input (standard input is /dev/null).
ProgramRun runReportProgram(const ProgramSetup& setup, Streams streams = {});

// Runs the program with a terminal as its standard input. Once its standard error shows
// prompt, reply gets the program's process and the terminal to type into.
ProgramRun runReportProgramAtTerminal(const ProgramSetup& setup, std::string_view prompt,
                                      const std::function<void(pid_t, int)>& reply);

} // namespace tarvelo::test
