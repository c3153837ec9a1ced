// SPDX-License-Identifier: GPL-3.0-or-later
// Where the report goes: what the program does to the destination, the descriptors it
// was given and the signals it gets.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kReportStart = "Tarvelo\r\n";

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

mode_t typeOf(const fs::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

bool hasTemporaryFile(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".tarvelo-")) return true;
    return false;
}

// A disc of many archives that are not archives: each gives a warning, and together
// they give a report larger than a pipe holds.
void addJunkArchives(const TempDir& dir)
{
    for (int i = 0; i < 1000; ++i)
        dir.write("disc/junk" + std::to_string(i) + ".zip", "JUNK");
}

TEST(ReportOutput, FolderIsRefusedBeforeTheDiscIsRead)
{
    TempDir dir;
    dir.write("disc/README.TXT", "x");
    dir.write("out/kept", "kept");
    for (const std::vector<std::string>& extra : {std::vector<std::string>{}, {"--force"}}) {
        std::vector<std::string> args = {"disc", "-o", "out"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ProgramRun run = runReportProgram({args, dir.path(), {}});
        EXPECT_EQ(run.exitStatus, 1) << extra.size();
        EXPECT_EQ(run.standardError, "tarvelo-report: cannot write the report 'out': Is a directory\n");
        EXPECT_EQ(typeOf(dir.path() / "out/kept"), S_IFREG);
    }
}

// Warnings are written to descriptor 2 whatever it is; a caller that closed it must not
// find them inside the report.
TEST(ReportOutput, ClosedStandardErrorNeverReachesTheReport)
{
    TempDir dir;
    dir.write("disc/junk.zip", "JUNKJUNKJUNK");
    const struct { const char* name; const char* output; } cases[] = {
        {"to a file", "r.txt"},
        {"to standard output", "-"},
    };
    for (const auto& c : cases) {
        Streams streams;
        streams.error = kClosed;
        const ProgramRun run = runReportProgram({{"disc", "-o", c.output}, dir.path(), {}}, streams);
        EXPECT_EQ(run.exitStatus, 0) << c.name;
        const std::string report =
            c.output == std::string("-") ? run.standardOutput : contentOf(dir.path() / c.output);
        EXPECT_TRUE(report.starts_with(kReportStart)) << c.name;
        EXPECT_FALSE(contains(report, "warning")) << c.name << ": " << report;
    }
}

// A pager or head that quits ends the program as it ends find: by SIGPIPE, saying nothing.
TEST(ReportOutput, ReaderThatLeavesEndsTheRunQuietly)
{
    TempDir dir;
    addJunkArchives(dir);
    SmallPipe pipe;
    pipe.closeReader();
    Streams streams;
    streams.output = pipe.writer();
    const ProgramRun run = runReportProgram({{"disc", "-o", "-", "--no-zip"}, dir.path(), {}}, streams);
    EXPECT_TRUE(run.signal == SIGPIPE || run.exitStatus == 0) << run.exitStatus;
    EXPECT_EQ(run.standardError, "");
}

TEST(ReportOutput, ProgressIsNeverDrawnOnTheReportsTerminal)
{
    TempDir dir;
    dir.write("disc/README.TXT", "x");
    const Terminal terminal;
    const struct { const char* name; std::string output; int standardOutput; bool progress; } cases[] = {
        {"report to a file", "r.txt", kCaptured, true},
        {"report on standard output", "-", kAtTerminal, false},
        {"report to the terminal by name", terminal.name(), kCaptured, false},
        {"report to /dev/tty", "/dev/tty", kCaptured, false},
    };
    for (const auto& c : cases) {
        if (c.output == "/dev/tty" && typeOf(c.output) != S_IFCHR) continue; // a bare container
        Streams streams;
        streams.output = c.standardOutput;
        streams.error = kAtTerminal;
        RunningProgram program({{"disc", "-o", c.output, "--force"}, dir.path(), {}}, streams,
                               terminal.name());
        const ProgramRun run = program.wait();
        const std::string shown = terminal.drain();
        EXPECT_EQ(run.exitStatus, 0) << c.name << ": " << shown;
        EXPECT_EQ(contains(shown, "\x1b[K"), c.progress) << c.name << ": " << shown;
    }
}

// Ended wherever it waits, the program removes its temporary file and ends by the
// signal it got, as a shell loop expects.
TEST(ReportOutput, StopSignalsEndTheRunBySignalAndLeaveNoFile)
{
    const struct { const char* name; std::vector<int> signals; bool reportOnStandardOutput; } cases[] = {
        {"terminate while a warning waits", {SIGTERM}, false},
        {"hang-up while a warning waits", {SIGHUP}, false},
        {"two interrupts at once", {SIGINT, SIGINT}, false},
        {"terminate while the report waits", {SIGTERM}, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        addJunkArchives(dir);
        dir.write("r.txt", "old");
        SmallPipe pipe;
        Streams streams;
        (c.reportOnStandardOutput ? streams.output : streams.error) = pipe.writer();
        RunningProgram program(
            {{"disc", "-o", c.reportOnStandardOutput ? "-" : "r.txt", "--force"}, dir.path(), {}},
            streams);
        ASSERT_TRUE(eventually([&] {
            return pipe.used() && (c.reportOnStandardOutput || hasTemporaryFile(dir.path()));
        })) << c.name;
        for (const int number : c.signals)
            ::kill(program.pid(), number);
        const ProgramRun run = program.wait();
        EXPECT_EQ(run.signal, c.signals.front()) << c.name << ": " << run.standardError;
        EXPECT_FALSE(hasTemporaryFile(dir.path())) << c.name;
        EXPECT_EQ(typeOf(dir.path() / "r.txt"), S_IFREG) << c.name;
    }
}

} // namespace
} // namespace tarvelo::test
