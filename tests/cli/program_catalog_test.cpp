// SPDX-License-Identifier: GPL-3.0-or-later
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/civil_time.h"
#include "tests/archive/zip_fixtures.h"
#include "tests/cli/program_run.h"
#include "tests/image/xorriso_image.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The tab and date that show gives a file: its time in the tree it was added from,
// which an image keeps.
std::string shownDate(const fs::path& source)
{
    struct stat info {};
    if (::stat(source.c_str(), &info) != 0) return "?";
    return '\t' + common::isoUtcText(info.st_mtim.tv_sec);
}

std::string sampleDate(const char* relative)
{
    return shownDate(fs::path(TARVELO_SAMPLE_DISC) / relative);
}

// tarvelo-catalog on one catalogue in a temporary folder, with discs made there.
class CatalogProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!xorrisoAvailable()) GTEST_SKIP() << "xorriso is not installed";
    }

    ProgramRun run(Args args, Streams streams = {})
    {
        args.insert(args.begin(), {"--catalog", m_catalogue.string()});
        return RunningProgram(catalogProgram(m_dir.path(), std::move(args)), streams).wait();
    }

    // An image of the tree (the sample disc: README.TXT, DOCS/ARCHIVE.ZIP) with this label.
    std::string image(const std::string& name, const std::string& label,
                      const fs::path& tree = TARVELO_SAMPLE_DISC)
    {
        makeIsoImage(tree, m_dir.path() / name, "-J -V " + label);
        return name;
    }

    TempDir m_dir;
    fs::path m_catalogue = m_dir.path() / "discs.sqlite";
};

// What a user finds, lists, shows, writes again and exports after adding an image.
TEST_F(CatalogProgram, AnAddedImageIsFoundShownWrittenAgainAndExported)
{
    const std::string disc = image("disc.iso", "MYDISC");
    const ProgramRun added = run({"add", "--name", "Backup", "--note", "first copy", disc});
    ASSERT_EQ(added.exitStatus, 0) << added.standardError;
    EXPECT_NE(added.standardError.find("as disc 1"), std::string::npos) << added.standardError;

    const struct
    {
        Args args;
        std::string output;
    } listings[] = {
        {{"txt"},
         "MYDISC\tREADME.TXT\t1234\nMYDISC\tDOCS/ARCHIVE.ZIP/letters/a.txt\t70\n"},
        {{"--format", "jsonl", "txt"},
         R"({"disc":1,"label":"MYDISC","path":"README.TXT","size":1234,"exact":true,"kind":"file"})"
         "\n"
         R"({"disc":1,"label":"MYDISC","path":"DOCS/ARCHIVE.ZIP/letters/a.txt","size":70,)"
         R"("exact":true,"kind":"archive-entry"})"
         "\n"},
        {{"--format", "csv", "--folders", "doc"},
         "disc,label,path,size,exact,kind\n1,MYDISC,DOCS,5000,true,folder\n"},
        {{"show", "1"}, "README.TXT\t1234" + sampleDate("README.TXT") + "\nDOCS/\n"},
        {{"show", "MYDISC", "DOCS"}, "ARCHIVE.ZIP\t5000" + sampleDate("DOCS/ARCHIVE.ZIP") + "\n"},
    };
    for (const auto& listing : listings) {
        Args args = listing.args;
        if (args.front() != "show") args.insert(args.begin(), "find");
        const ProgramRun listed = run(args);
        EXPECT_EQ(listed.exitStatus, 0) << args[1] << ": " << listed.standardError;
        EXPECT_EQ(listed.standardOutput, listing.output) << args[1];
    }

    // The image is known by its absolute path, whatever folder it was added from.
    std::string listed = run({"discs", "--format", "jsonl"}).standardOutput;
    const std::string source = fs::weakly_canonical(m_dir.path() / disc).string();
    if (const auto at = listed.find(source); at != std::string::npos)
        listed.replace(at, source.size(), "SOURCE");
    const std::regex discLine(
        R"(\{"disc":1,"label":"MYDISC","name":"Backup","note":"first copy","serial":-?\d+,)"
        R"("size":[1-9]\d*,"free":\d+,"files":2,"folders":1,"source":"SOURCE",)"
        R"("added":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ","exact":true\}
)");
    EXPECT_TRUE(std::regex_match(listed, discLine)) << listed;

    // Byte for byte what tarvelo-report writes for the image.
    const fs::path written = m_dir.path() / "written.txt";
    ASSERT_EQ(runReportProgram({{disc, "-o", written}, m_dir.path(), {}}).exitStatus, 0);
    const fs::path again = m_dir.path() / "again.txt";
    ASSERT_EQ(run({"report", "MYDISC", "-o", again}).exitStatus, 0);
    EXPECT_EQ(fileBytes(again), fileBytes(written));

    // jsonl and csv exports are find's lines for every entry; DFXML has one fileobject each.
    for (const std::string format : {"jsonl", "csv"}) {
        const fs::path exported = m_dir.path() / ("export." + format);
        ASSERT_EQ(run({"export", "--format", format, "-o", exported}).exitStatus, 0) << format;
        EXPECT_EQ(fileBytes(exported),
                  run({"find", "--glob", "--format", format, "*"}).standardOutput);
    }
    const fs::path dfxml = m_dir.path() / "export.xml";
    ASSERT_EQ(run({"export", "1", "--format", "dfxml", "-o", dfxml}).exitStatus, 0);
    EXPECT_EQ(countOf(fileBytes(dfxml), "<fileobject>"),
              countOf(fileBytes(m_dir.path() / "export.jsonl"), "\n"));
    // The head archivists' tools expect: a Dublin Core type, the program, the disc read.
    const std::string exported = fileBytes(dfxml);
    const std::regex head("<metadata>\\s*<dc:type>[^<]+</dc:type>\\s*</metadata>\\s*<creator>"
                          "[^]*</creator>\\s*<source>\\s*<image_filename>" +
                          (m_dir.path() / disc).string() + "</image_filename>\\s*</source>\\s*<volume>");
    EXPECT_TRUE(std::regex_search(exported.substr(0, exported.find("<fileobject>")), head)) << exported;
    if (std::system("command -v xmllint >/dev/null") == 0) {
        EXPECT_EQ(std::system(("xmllint --noout '" + dfxml.string() + "'").c_str()), 0);
    }

    EXPECT_EQ(run({"remove", "1"}).exitStatus, 0);
    EXPECT_EQ(run({"discs"}).standardOutput, "");
    EXPECT_EQ(run({"find", "txt"}).exitStatus, 1);
    EXPECT_EQ(run({"check"}).exitStatus, 0);
}

// An archive need not list its folders: show lists those its entries' paths hold.
TEST_F(CatalogProgram, ShowListsTheFoldersOfAnArchive)
{
    const std::vector<std::uint8_t> zip =
        buildZip({{.name = "photos/2003/sea.jpg", .data = "jpeg", .uncompressedSize = 4},
                  {.name = "photos/2003/sky.jpg", .data = "jpeg", .uncompressedSize = 4}})
            .bytes;
    m_dir.write("disc/trip.zip", {reinterpret_cast<const char*>(zip.data()), zip.size()});
    ASSERT_EQ(run({"add", "disc"}).exitStatus, 0);

    const struct
    {
        std::string folder;
        std::string listing;
    } rows[] = {
        {"", "trip.zip\t" + std::to_string(zip.size()) + shownDate(m_dir.path() / "disc/trip.zip") +
                 "\n"},
        {"trip.zip", "photos/\n"},
        {"trip.zip/photos/", "2003/\n"},
        {"trip.zip/photos/2003", "sea.jpg\t4\nsky.jpg\t4\n"},
    };
    for (const auto& row : rows) {
        const ProgramRun shown = run({"show", "1", row.folder});
        EXPECT_EQ(shown.exitStatus, 0) << row.folder << ": " << shown.standardError;
        EXPECT_EQ(shown.standardOutput, row.listing) << row.folder;
    }
}

// Each refusal has its exit status and a message that names what was refused.
// head or a pager that quits ends find as it ends grep: by SIGPIPE, saying nothing.
TEST_F(CatalogProgram, FindIntoAReaderThatLeftEndsQuietly)
{
    ASSERT_EQ(run({"add", image("disc.iso", "MYDISC")}).exitStatus, 0);
    SmallPipe pipe;
    pipe.closeReader();
    const ProgramRun found = run({"find", "a"}, {.output = pipe.writer()});
    EXPECT_EQ(found.signal, SIGPIPE) << found.exitStatus;
    EXPECT_EQ(found.standardError, "");
}

TEST_F(CatalogProgram, RefusalsSayWhatAndEndWithTheirStatus)
{
    TempDir more;
    more.write("large.bin", std::string(300000, 'x')); // another size: another disc
    const std::string first = image("first.iso", "SAME");
    ASSERT_EQ(run({"add", first}).exitStatus, 0);
    ASSERT_EQ(run({"add", image("second.iso", "SAME", more.path())}).exitStatus, 0);

    const struct
    {
        const char* name;
        Args args;
        int status;
        std::string message;
    } rows[] = {
        {"nothing found", {"find", "nothing-like-this"}, 1, ""},
        {"unknown disc", {"show", "9"}, 1, "no disc '9' in the catalogue"},
        {"ambiguous label", {"report", "SAME", "-o", "-"}, 1,
         "more than one disc has the label 'SAME'; choose by number: 1, 2"},
        {"same disc again", {"add", first}, 1, "already holds this disc as number 1 ('SAME')"},
        {"no pattern", {"find"}, 2, "find: missing operand"},
        {"no folder for the report", {"report", "2", "-o", "none/r.txt"}, 1,
         "cannot write 'none/r.txt': No such file or directory"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ProgramRun refused = run(row.args);
        EXPECT_EQ(refused.exitStatus, row.status);
        EXPECT_EQ(refused.standardOutput, "");
        if (row.message.empty()) {
            EXPECT_EQ(refused.standardError, "");
        }
        EXPECT_NE(refused.standardError.find(row.message), std::string::npos)
            << refused.standardError;
    }

    // --replace puts the disc in the place of the one added before, under a new number.
    const ProgramRun replaced = run({"add", "--replace", first});
    EXPECT_EQ(replaced.exitStatus, 0) << replaced.standardError;
    EXPECT_EQ(run({"show", "1"}).exitStatus, 1);
    EXPECT_EQ(run({"show", "3"}).standardOutput,
              "README.TXT\t1234" + sampleDate("README.TXT") + "\nDOCS/\n");
    EXPECT_EQ(run({"check"}).exitStatus, 0);
}

// The catalogue used: --catalog, else TARVELO_CATALOG, else under XDG_DATA_HOME, else
// under HOME; made by the first add.
TEST(CatalogProgramPlace, TheCatalogueIsWhereTheUserSays)
{
    const struct
    {
        const char* name;
        Args options;
        Args environment;
        std::string made;
    } rows[] = {
        {"option", {"--catalog", "given.sqlite"}, {"TARVELO_CATALOG=env.sqlite"}, "given.sqlite"},
        {"environment", {}, {"TARVELO_CATALOG=env.sqlite", "XDG_DATA_HOME=/nowhere"}, "env.sqlite"},
        {"data home", {}, {"XDG_DATA_HOME=DIR/data", "HOME=DIR/home"},
         "data/tarvelo/catalog.sqlite"},
        {"home", {}, {"HOME=DIR/home"}, "home/.local/share/tarvelo/catalog.sqlite"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        Args environment = row.environment;
        for (std::string& variable : environment)
            if (const auto at = variable.find("DIR"); at != std::string::npos)
                variable.replace(at, 3, dir.path().string());
        const auto runWith = [&](Args args) {
            args.insert(args.begin(), row.options.begin(), row.options.end());
            return RunningProgram(catalogProgram(dir.path(), std::move(args), environment)).wait();
        };
        const ProgramRun added = runWith({"add", TARVELO_SAMPLE_DISC});
        EXPECT_EQ(added.exitStatus, 0) << added.standardError;
        EXPECT_TRUE(fs::is_regular_file(dir.path() / row.made));
        if (row.made != "env.sqlite") {
            EXPECT_FALSE(fs::exists(dir.path() / "env.sqlite"));
        }
        EXPECT_NE(runWith({"discs"}).standardOutput.find("sample-disc"), std::string::npos);
    }
}

// One scan writes the report and adds the disc; the catalogue writes the same report.
TEST(ReportProgram, CatalogueOptionAddsTheDiscOfTheReport)
{
    TempDir dir;
    const std::string catalogue = (dir.path() / "c.sqlite").string();
    const fs::path disc = TARVELO_SAMPLE_DISC;
    const ProgramRun first = runReportProgram(
        {{"--catalog=" + catalogue, disc.string(), "-o", (dir.path() / "r.txt").string()},
         dir.path(), {"LC_NUMERIC=C"}});
    ASSERT_EQ(first.exitStatus, 0) << first.standardError;
    EXPECT_NE(first.standardError.find("as disc 1"), std::string::npos) << first.standardError;

    const Args writeAgain = {"--catalog", catalogue, "report", "1", "-o", "-"};
    const ProgramRun again =
        RunningProgram(catalogProgram(dir.path(), writeAgain, {"LC_NUMERIC=C"})).wait();
    EXPECT_EQ(again.standardOutput, fileBytes(dir.path() / "r.txt"));

    // The same folder again: its report is written, the catalogue keeps the first.
    const ProgramRun second = runReportProgram(
        {{"--catalog=" + catalogue, disc.string(), "-o", (dir.path() / "r2.txt").string()},
         dir.path(), {"LC_NUMERIC=C"}});
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_NE(second.standardError.find("already holds this disc"), std::string::npos)
        << second.standardError;
    EXPECT_TRUE(fs::exists(dir.path() / "r2.txt"));
    const ProgramRun discs =
        RunningProgram(catalogProgram(dir.path(), {"--catalog", catalogue, "discs"})).wait();
    EXPECT_EQ(countOf(discs.standardOutput, "\n"), 1u);
}

} // namespace
} // namespace tarvelo::test
