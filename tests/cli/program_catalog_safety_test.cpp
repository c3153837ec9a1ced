// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalog/sqlite.h"
#include "tests/archive/zip_fixtures.h"
#include "tests/cli/program_run.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// A folder whose add takes a while: many archives with many entries each, so there is
// time to act while the catalogue is being written.
void writeLargeFolder(const TempDir& dir)
{
    std::vector<ZipMember> members;
    for (int i = 0; i < 1000; ++i)
        members.push_back({.name = "letters/entry" + std::to_string(i) + ".txt"});
    const std::vector<std::uint8_t> bytes = buildZip(members).bytes;
    const fs::path first = dir.write("large/archive0.zip",
                                     {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    for (int i = 1; i < 200; ++i)
        fs::create_hard_link(first,
                             dir.path() / "large" / ("archive" + std::to_string(i) + ".zip"));
}

// An add of the large folder, its progress on a terminal of its own.
class LargeAdd
{
public:
    // Returns once the add is writing the disc into the catalogue.
    explicit LargeAdd(const ProgramSetup& setup)
        : m_program(setup, {kCaptured, kAtTerminal}, m_terminal.name())
    {
        EXPECT_TRUE(eventually([&] { return said().find("Writing") != std::string::npos; }))
            << m_said;
    }

    pid_t pid() const noexcept { return m_program.pid(); }
    ProgramRun wait() { return m_program.wait(); }
    // What it wrote on the terminal so far.
    const std::string& said()
    {
        m_said += m_terminal.drain();
        return m_said;
    }

private:
    Terminal m_terminal;
    std::string m_said;
    RunningProgram m_program;
};

class CatalogWhileAdding : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeLargeFolder(m_dir);
        ASSERT_EQ(run({"add", TARVELO_SAMPLE_DISC}).exitStatus, 0);
    }

    ProgramSetup command(Args args) const
    {
        args.insert(args.begin(), {"--catalog", m_catalogue.string()});
        return catalogProgram(m_dir.path(), std::move(args));
    }
    ProgramRun run(Args args) const { return RunningProgram(command(std::move(args))).wait(); }
    ProgramSetup largeAdd() const { return command({"add", (m_dir.path() / "large").string()}); }

    TempDir m_dir;
    fs::path m_catalogue = m_dir.path() / "discs.sqlite";
};

// Stopped or killed midway, an add leaves the catalogue as it was; a stop says so.
TEST_F(CatalogWhileAdding, AStoppedOrKilledAddLeavesTheCatalogueAsItWas)
{
    const std::string before = run({"discs"}).standardOutput;
    const struct
    {
        const char* name;
        int signal;
    } rows[] = {{"Ctrl-C", SIGINT}, {"kill -9", SIGKILL}};
    for (const auto& [name, signal] : rows) {
        SCOPED_TRACE(name);
        LargeAdd adding(largeAdd());
        ::kill(adding.pid(), signal);
        const ProgramRun stopped = adding.wait();
        EXPECT_EQ(stopped.signal, signal); // a shell shows 130 for SIGINT
        if (signal == SIGINT) {
            EXPECT_TRUE(eventually([&] {
                return adding.said().find("interrupted; the catalogue is as it was") !=
                       std::string::npos;
            })) << adding.said();
        }
        EXPECT_EQ(run({"discs"}).standardOutput, before);
        const ProgramRun checked = run({"check"});
        EXPECT_EQ(checked.exitStatus, 0) << checked.standardError;
    }
}

// WAL and a busy timeout: finding goes on during an add, and a second add waits its turn.
TEST_F(CatalogWhileAdding, FindAndAnotherAddWorkDuringAnAdd)
{
    TempDir other;
    other.write("notes/plan.txt", "another disc");
    LargeAdd adding(largeAdd());
    RunningProgram second(command({"add", other.path().string()}));

    const ProgramRun found = run({"find", "readme"});
    EXPECT_EQ(found.exitStatus, 0) << found.standardError;
    EXPECT_NE(found.standardOutput.find("README.TXT"), std::string::npos);

    const ProgramRun first = adding.wait();
    EXPECT_EQ(first.exitStatus, 0) << adding.said();
    const ProgramRun last = second.wait();
    EXPECT_EQ(last.exitStatus, 0) << last.standardError;
    EXPECT_EQ(run({"find", "plan"}).exitStatus, 0);
    EXPECT_EQ(run({"find", "entry999"}).exitStatus, 0);
    EXPECT_EQ(run({"check"}).exitStatus, 0);
}

// An export stopped midway leaves neither the file nor its temporary beside it.
TEST_F(CatalogWhileAdding, AnInterruptedExportLeavesNoFile)
{
    ASSERT_EQ(run({"add", (m_dir.path() / "large").string()}).exitStatus, 0);
    const fs::path folder = m_dir.path() / "export";
    fs::create_directory(folder);
    const auto isEmpty = [&] { return fs::is_empty(folder); };
    RunningProgram exporting(command({"export", "--format", "dfxml", "-o", folder / "all.xml"}));
    ASSERT_TRUE(eventually([&] { return !isEmpty(); })); // it has begun writing
    ::kill(exporting.pid(), SIGINT);
    EXPECT_EQ(exporting.wait().signal, SIGINT);
    EXPECT_TRUE(isEmpty());
}

// A catalogue holding the sample disc, as the program makes it.
void makeCatalogue(const fs::path& file)
{
    const Args add = {"--catalog", file.string(), "add", TARVELO_SAMPLE_DISC};
    RunningProgram(catalogProgram(file.parent_path(), add)).wait();
}

void execute(const fs::path& file, const char* sql)
{
    catalog::Database(file.string(), catalog::Database::Access::ReadWrite).execute(sql);
}

// A file that is no catalogue of this program is refused with its reason and never
// written to, by any command.
TEST(CatalogProgramFiles, OtherFilesAreRefusedAndLeftAsTheyWere)
{
    const Args add = {"add", TARVELO_SAMPLE_DISC};
    const std::vector<Args> reading = {{"find", "readme"}, {"remove", "1"}};
    const struct
    {
        const char* name;
        std::function<void(const TempDir&)> make; // makes dir/file
        std::string message;
        bool addRefused; // an add makes a catalogue in an empty file
    } rows[] = {
        {"text", [](const TempDir& dir) { dir.write("file", "Disc 1: photos\n"); },
         "file is not a database", true},
        {"another program's database",
         [](const TempDir& dir) { execute(dir.path() / "file", "CREATE TABLE photo(name TEXT)"); },
         "not a catalogue", true},
        {"newer catalogue",
         [](const TempDir& dir) {
             makeCatalogue(dir.path() / "file");
             execute(dir.path() / "file", "PRAGMA user_version = 99");
         },
         "made by a newer version of this program", true},
        {"cut short",
         [](const TempDir& dir) {
             makeCatalogue(dir.path() / "file");
             fs::resize_file(dir.path() / "file", fs::file_size(dir.path() / "file") / 2);
         },
         "malformed", true},
        {"empty", [](const TempDir& dir) { dir.write("file", ""); }, "no catalogue there yet",
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const fs::path file = dir.path() / "file";
        row.make(dir);
        const std::string bytes = fileBytes(file);
        std::vector<Args> commands = reading;
        if (row.addRefused) commands.push_back(add);
        for (Args args : commands) {
            args.insert(args.begin(), {"--catalog", file.string()});
            const ProgramRun refused = RunningProgram(catalogProgram(dir.path(), args)).wait();
            EXPECT_EQ(refused.exitStatus, 1) << args[2];
            EXPECT_NE(refused.standardError.find(row.message), std::string::npos)
                << refused.standardError;
        }
        EXPECT_TRUE(fileBytes(file) == bytes) << "the file was written to";
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

} // namespace
} // namespace tarvelo::test
