// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/cli/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tarvelo::test {
namespace {

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child: puts the chosen descriptor at fd; false when that fails.
bool place(int chosen, int captured, int terminal, int fd)
{
    if (chosen == kClosed) return ::close(fd) == 0;
    const int source = chosen == kCaptured ? captured : chosen == kAtTerminal ? terminal : chosen;
    return source >= 0 && ::dup2(source, fd) >= 0;
}

} // namespace

SmallPipe::SmallPipe()
{
    if (::pipe2(m_fds, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    ::fcntl(m_fds[1], F_SETPIPE_SZ, 4096);
}

SmallPipe::~SmallPipe()
{
    closeReader();
    ::close(m_fds[1]);
}

void SmallPipe::closeReader()
{
    if (m_fds[0] >= 0) ::close(m_fds[0]);
    m_fds[0] = -1;
}

bool SmallPipe::used() const
{
    int queued = 0;
    return ::ioctl(m_fds[0], FIONREAD, &queued) == 0 && queued > 0;
}

Terminal::Terminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY))
{
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_name = ::ptsname(m_master);
}

Terminal::~Terminal()
{
    ::close(m_master);
}

std::string Terminal::drain() const
{
    std::string text;
    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    char buffer[4096];
    for (ssize_t got; (got = ::read(m_master, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::fcntl(m_master, F_SETFL, flags);
    return text;
}

RunningProgram::RunningProgram(const ProgramSetup& setup, Streams streams,
                               const std::string& terminal)
{
    std::vector<std::string> args = setup.args;
    args.insert(args.begin(), setup.program);
    std::vector<std::string> environment = setup.environment;
    environment.insert(environment.begin(), "LANG=C.UTF-8");
    const std::string out = (m_captures.path() / "out").string();
    const std::string err = (m_captures.path() / "err").string();
    std::vector<char*> argv = pointersTo(args);
    std::vector<char*> envp = pointersTo(environment);

    m_pid = ::fork();
    if (m_pid < 0) throw std::runtime_error("fork failed");
    if (m_pid > 0) return;
    // In the child: only calls that are safe after fork, then the program.
    if (!terminal.empty()) ::setsid(); // the terminal becomes the controlling one
    const int in = ::open(terminal.empty() ? "/dev/null" : terminal.c_str(), O_RDWR);
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || outFd < 0 || errFd < 0 || ::dup2(in, 0) < 0 ||
        !place(streams.output, outFd, in, 1) || !place(streams.error, errFd, in, 2) ||
        ::chdir(setup.folder.c_str()) != 0)
        ::_exit(127);
    for (const int fd : {in, outFd, errFd})
        if (fd > 2) ::close(fd);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
}

std::string RunningProgram::standardError() const
{
    return fileBytes(m_captures.path() / "err");
}

ProgramRun RunningProgram::wait()
{
    int status = 0;
    if (!eventually([&] { return ::waitpid(m_pid, &status, WNOHANG) != 0; })) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, &status, 0);
    }
    ProgramRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.standardOutput = fileBytes(m_captures.path() / "out");
    run.standardError = standardError();
    return run;
}

bool eventually(const std::function<bool()>& condition)
{
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= limit) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

ProgramSetup catalogProgram(const std::filesystem::path& folder, std::vector<std::string> args,
                            std::vector<std::string> environment)
{
    return {std::move(args), folder, std::move(environment), TARVELO_CATALOG_PROGRAM};
}

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

ProgramRun runReportProgram(const ProgramSetup& setup, Streams streams)
{
    return RunningProgram(setup, streams).wait();
}

ProgramRun runReportProgramAtTerminal(const ProgramSetup& setup, std::string_view prompt,
                                      const std::function<void(pid_t, int)>& reply)
{
    const Terminal terminal;
    RunningProgram program(setup, {}, terminal.name());
    eventually([&] { return program.standardError().find(prompt) != std::string::npos; });
    reply(program.pid(), terminal.master());
    return program.wait();
}

} // namespace tarvelo::test
