// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
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
using Lines = std::vector<std::string>;

const std::string kSection(60, '-');
const std::string kFileLine = "\t\t" + std::string(20, '-');
const std::string kReplacement = "\xEF\xBF\xBD";

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Lines linesOf(const std::string& report)
{
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(report.substr(start, end - start));
    if (start != report.size()) lines.push_back("(unterminated) " + report.substr(start));
    return lines;
}

bool hasLine(const std::string& report, const std::string& line)
{
    const Lines lines = linesOf(report);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

ProgramSetup setupIn(const fs::path& folder, std::vector<std::string> args)
{
    return {std::move(args), folder, {"LC_NUMERIC=C"}};
}

// The bundled sample disc gives the worked example, its facts aside (they are the host's).
TEST(ReportProgram, SampleDiscGivesTheWorkedReport)
{
    TempDir out;
    const fs::path examples = fs::path(TARVELO_SAMPLE_DISC).parent_path();
    const fs::path report = out.path() / "disc.txt";
    const ProgramRun run = runReportProgram(setupIn(examples, {"sample-disc/", "-o", report}));
    ASSERT_EQ(run.exitStatus, 0) << run.standardError;
    EXPECT_EQ(run.standardError, "");

    Lines lines = linesOf(contentOf(report));
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_TRUE(lines[2].starts_with("CD volume: ")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("CD size: ")) << lines[3];
    EXPECT_TRUE(lines[4].starts_with("CD free space: ")) << lines[4];
    lines.erase(lines.begin() + 2, lines.begin() + 5);
    const Lines expected = {
        "Tarvelo", kSection, "CD serial number: 0", "Files: 2", "Folders: 1",
        kSection, kFileLine, "\t\tREADME.TXT", "\t\tSize: 1.21 KBytes", kSection,
        kSection, "\tFolder:", "\tName: DOCS", "\tParent folder: sample-disc/",
        "\tSubfolders: 0", "\tFiles: 1", "\tSize: 4.88 KBytes", "",
        kFileLine, "\t\tARCHIVE.ZIP", "\t\tSize: 4.88 KBytes",
        "\t\t\tZIP contents:", "\t\t\tTotal files/folders: 2", "\t\t\tFiles:",
        "\t\t\t\t[DIR] letters/", "\t\t\t\tletters/a.txt", kSection,
    };
    EXPECT_EQ(lines, expected);

    const ProgramRun toStandardOutput =
        runReportProgram(setupIn(examples, {"sample-disc", "-o", "-"}));
    EXPECT_EQ(toStandardOutput.exitStatus, 0) << toStandardOutput.standardError;
    Lines printed = linesOf(toStandardOutput.standardOutput);
    ASSERT_EQ(printed.size(), 30u);
    printed.erase(printed.begin() + 2, printed.begin() + 5);
    EXPECT_EQ(printed, expected);
}

TEST(ReportProgram, OddEntriesAreListedSafelyAndNeverOpened)
{
    TempDir disc;
    disc.write("Čačak/Ђурђевдан 文件.txt", "names in UTF-8");
    disc.write("bad\xff.txt", "");
    disc.write("tab\there", "");
    fs::resize_file(disc.write("disc.iso", ""), 4'700'000'000);
    ASSERT_EQ(::mkfifo((disc.path() / "x.zip").c_str(), 0600), 0);
    fs::create_symlink("loop-b", disc.path() / "loop-a");
    fs::create_symlink("loop-a", disc.path() / "loop-b");
    TempDir out;

    const ProgramRun run =
        runReportProgram(setupIn(disc.path(), {".", "-o", (out.path() / "r.txt").string()}));
    ASSERT_EQ(run.exitStatus, 0) << run.standardError;
    const std::string report = contentOf(out.path() / "r.txt");
    for (const std::string& line : Lines{"\tName: Čačak", "\t\tЂурђевдан 文件.txt", "\t\tbad" + kReplacement + ".txt",
          "\t\ttab" + kReplacement + "here", "\t\tSize: 4482.27 MBytes", "\t\tx.zip",
          "\t\tloop-a", "\t\tloop-b", "Files: 7"})
        EXPECT_TRUE(hasLine(report, line)) << line;
    EXPECT_FALSE(hasLine(report, "\t\t\tZIP contents:"));
}

// Data in front of an archive, or an archive of nothing but junk, makes the ZIP reader say
// "Unknown header"; each such warning names the archive it is about.
TEST(ReportProgram, ReaderNoticesNameTheirArchive)
{
    TempDir dir;
    const fs::path sampleZip = fs::path(TARVELO_SAMPLE_DISC) / "DOCS" / "ARCHIVE.ZIP";
    dir.write("disc/junk.zip", "JUNKJUNKJUNK");
    dir.write("disc/prefixed.zip", "JUNKJUNK" + contentOf(sampleZip));

    const ProgramRun run = runReportProgram(setupIn(dir.path(), {"disc", "-o", "-"}));
    EXPECT_EQ(run.exitStatus, 0) << run.standardError;
    std::istringstream messages(run.standardError);
    int notices = 0;
    for (std::string line; std::getline(messages, line);) {
        if (!line.ends_with("Unknown header")) continue;
        ++notices;
        EXPECT_TRUE(line == "tarvelo-report: warning: 'disc/junk.zip': Unknown header" ||
                    line == "tarvelo-report: warning: 'disc/prefixed.zip': Unknown header")
            << line;
    }
    EXPECT_GT(notices, 0) << run.standardError;
}

TEST(ReportProgram, ExistingReportIsReplacedOnlyWhenAllowed)
{
    const struct { const char* name; std::vector<std::string> extra; int status; const char* kept; } cases[] = {
        {"no terminal to ask", {}, 1, "old"},
        {"forced", {"--force"}, 0, nullptr},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("disc/README.TXT", "x");
        dir.write("disc.txt", "old");
        std::vector<std::string> args = {"disc", "-o", "disc.txt"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());

        const ProgramRun run = runReportProgram(setupIn(dir.path(), args));
        EXPECT_EQ(run.exitStatus, c.status) << c.name << ": " << run.standardError;
        const std::string content = contentOf(dir.path() / "disc.txt");
        if (c.kept) {
            EXPECT_EQ(content, c.kept) << c.name;
            EXPECT_NE(run.standardError.find("--force"), std::string::npos) << c.name;
        } else {
            EXPECT_TRUE(content.starts_with("Tarvelo\r\n")) << c.name;
        }
    }
}

TEST(ReportProgram, QuestionOnTheTerminalDecides)
{
    const auto typing = [](const char* answer) {
        return [answer](pid_t, int terminal) {
            ASSERT_GT(::write(terminal, answer, std::char_traits<char>::length(answer)), 0);
        };
    };
    const auto signalling = [](int number) {
        return [number](pid_t program, int) { ::kill(program, number); };
    };
    // A signal ends the program by that signal, as a shell loop expects.
    const struct { const char* name; std::function<void(pid_t, int)> reply; int status; int signal; bool kept; } cases[] = {
        {"yes", typing("y\n"), 0, 0, false},
        {"no", typing("n\n"), 1, 0, true},
        {"interrupted", signalling(SIGINT), -1, SIGINT, true},
        {"terminal hung up", signalling(SIGHUP), -1, SIGHUP, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("disc/README.TXT", "x");
        dir.write("disc.txt", "old");

        const ProgramRun run = runReportProgramAtTerminal(
            setupIn(dir.path(), {"disc", "-o", "disc.txt"}), "[y/N]", c.reply);
        EXPECT_EQ(run.exitStatus, c.status) << c.name << ": " << run.standardError;
        EXPECT_EQ(run.signal, c.signal) << c.name;
        EXPECT_EQ(contentOf(dir.path() / "disc.txt") == "old", c.kept) << c.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
            << c.name << ": no temporary file left";
    }
}

// The overwrite question takes yes in the language of the user's locale.
TEST(ReportProgram, QuestionTakesTheLocalesYes)
{
    TempDir locales;
    const std::string make = "localedef -i sr_RS -f UTF-8 '" +
                             (locales.path() / "sr_RS.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "cannot make a Serbian locale";
    const std::vector<std::string> serbian = {"LOCPATH=" + locales.path().string(),
                                              "LC_ALL=sr_RS.UTF-8"};
    const struct { const char* name; std::vector<std::string> environment; const char* answer; bool kept; } cases[] = {
        {"English yes", {}, "yes\n", false},
        {"Serbian da in English", {}, "d\n", true},
        {"Serbian da", serbian, "d\n", false},
        {"Serbian da in Cyrillic", serbian, "да\n", false},
        {"Serbian ne", serbian, "n\n", true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("disc/README.TXT", "x");
        dir.write("disc.txt", "old");
        const ProgramRun run = runReportProgramAtTerminal(
            {{"disc", "-o", "disc.txt"}, dir.path(), c.environment}, "[y/N]",
            [&](pid_t, int terminal) {
                ASSERT_GT(::write(terminal, c.answer, std::char_traits<char>::length(c.answer)), 0);
            });
        EXPECT_EQ(run.exitStatus, c.kept ? 1 : 0) << c.name << ": " << run.standardError;
        EXPECT_EQ(contentOf(dir.path() / "disc.txt") == "old", c.kept) << c.name;
    }
}

TEST(ReportProgram, FailuresEndWithTheirStatusAndReason)
{
    TempDir dir;
    dir.write("disc/README.TXT", "x");
    const struct { const char* name; std::vector<std::string> args; int status; const char* says; } cases[] = {
        {"usage error", {"disc"}, 2, "missing -o FILE"},
        {"missing source", {"nothing", "-o", "r.txt"}, 1,
         "cannot read the disc at 'nothing': No such file or directory"},
        {"report in a folder that cannot exist", {"disc", "-o", "disc/README.TXT/r.txt"}, 1,
         "cannot write the report 'disc/README.TXT/r.txt': Not a directory"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = runReportProgram(setupIn(dir.path(), c.args));
        EXPECT_EQ(run.exitStatus, c.status) << c.name;
        EXPECT_NE(run.standardError.find(c.says), std::string::npos) << c.name << ": " << run.standardError;
    }
}

// A folder whose path is longer than the system takes cannot be read: the report ends there.
TEST(ReportProgram, UnreadableFolderGivesAnIncompleteReport)
{
    TempDir dir;
    dir.write("disc/README.TXT", "x");
    int folder = ::open((dir.path() / "disc").c_str(), O_RDONLY | O_DIRECTORY);
    const std::string name(250, 'd');
    for (int depth = 0; depth < 20 && folder >= 0; ++depth) {
        ASSERT_EQ(::mkdirat(folder, name.c_str(), 0755), 0);
        const int inner = ::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(folder);
        folder = inner;
    }
    ASSERT_GE(folder, 0);
    ::close(folder);

    const ProgramRun run = runReportProgram(setupIn(dir.path(), {"disc", "-o", "r.txt"}));
    EXPECT_EQ(run.exitStatus, 3) << run.standardError;
    EXPECT_NE(run.standardError.find("is incomplete: cannot read 'disc/" + name),
              std::string::npos) << run.standardError;
    EXPECT_NE(run.standardError.find("File name too long"), std::string::npos);
    EXPECT_TRUE(hasLine(contentOf(dir.path() / "r.txt"), "\t\tREADME.TXT"));
}

TEST(ReportProgram, DecimalSeparatorIsTheLocales)
{
    TempDir locales;
    const std::string make = "localedef -i de_DE -f UTF-8 '" +
                             (locales.path() / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "cannot make a locale with a decimal comma";
    TempDir dir;
    dir.write("disc/README.TXT", std::string(1234, 'r'));

    const ProgramRun run = runReportProgram(
        {{"disc", "-o", "-"}, dir.path(),
         {"LOCPATH=" + locales.path().string(), "LC_NUMERIC=de_DE.UTF-8"}});
    EXPECT_EQ(run.exitStatus, 0) << run.standardError;
    EXPECT_TRUE(hasLine(run.standardOutput, "\t\tSize: 1,21 KBytes")) << run.standardOutput;
}

} // namespace
} // namespace tarvelo::test
