#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::test {

// How one run of tarvelo-report ended and what it printed.
struct ProgramRun
{
    int exitStatus = -1; // -1 when a signal ended it
    int signal = 0;      // the signal that ended it, if one did
    std::string standardOutput;
    std::string standardError;
};

struct ProgramSetup
{
    std::vector<std::string> args;
    std::filesystem::path folder;          // where it runs
    std::vector<std::string> environment; // added to LANG=C.UTF-8
};

// Runs the program with no input (standard input is /dev/null).
ProgramRun runReportProgram(const ProgramSetup& setup);

// Runs the program with a terminal as its standard input. Once its standard error shows
// prompt, reply gets the program's process and the terminal to type into.
ProgramRun runReportProgramAtTerminal(const ProgramSetup& setup, std::string_view prompt,
                                      const std::function<void(pid_t, int)>& reply);

} // namespace tarvelo::test
