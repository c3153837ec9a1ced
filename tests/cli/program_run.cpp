#include "tests/cli/program_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/temp_dir.h"

namespace tarvelo::test {
namespace {

std::string contentOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<char*> pointersTo(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The program's end, after its output files were written.
class Child
{
public:
    Child(const ProgramSetup& setup, const std::string& terminal)
    {
        std::vector<std::string> args = setup.args;
        args.insert(args.begin(), TARVELO_REPORT_PROGRAM);
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
        if (in < 0 || outFd < 0 || errFd < 0 || ::dup2(in, 0) < 0 || ::dup2(outFd, 1) < 0 ||
            ::dup2(errFd, 2) < 0 || ::chdir(setup.folder.c_str()) != 0)
            ::_exit(127);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }

    pid_t pid() const noexcept { return m_pid; }
    std::string standardError() const { return contentOf(m_captures.path() / "err"); }

    ProgramRun wait()
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        ProgramRun run;
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        run.standardOutput = contentOf(m_captures.path() / "out");
        run.standardError = standardError();
        return run;
    }

private:
    TempDir m_captures;
    pid_t m_pid = -1;
};

// A pseudo-terminal: the master side for the test, the name of the side for the program.
class Terminal
{
public:
    Terminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_name = ::ptsname(m_master);
    }
    ~Terminal() { ::close(m_master); }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    int master() const noexcept { return m_master; }
    const std::string& name() const noexcept { return m_name; }

private:
    int m_master;
    std::string m_name;
};

} // namespace

ProgramRun runReportProgram(const ProgramSetup& setup)
{
    return Child(setup, {}).wait();
}

ProgramRun runReportProgramAtTerminal(const ProgramSetup& setup, std::string_view prompt,
                                      const std::function<void(pid_t, int)>& reply)
{
    const Terminal terminal;
    Child child(setup, terminal.name());
    // Waits for the question rather than for a time; the limit only guards a broken program.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (child.standardError().find(prompt) == std::string::npos &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    reply(child.pid(), terminal.master());
    return child.wait();
}

} // namespace tarvelo::test
