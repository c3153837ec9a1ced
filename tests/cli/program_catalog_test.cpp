// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "catalog/catalog.h"
#include "catalog/stored_report.h"
#include "tests/cli/program_run.h"
#include "tests/report/run_harness.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {
namespace {

namespace fs = std::filesystem;

using platform::TextFile;

std::string contentsOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

    catalog::Catalog catalog(catalogue, catalog::Catalog::Missing::Refuse);
    TextFile again;
    ScriptedUi ui;
    ASSERT_TRUE(catalog::writeStoredReport(catalog.db(), catalog.disc("1"), again, ui));
    EXPECT_EQ(again.text, contentsOf(dir.path() / "r.txt"));

    // The same folder again: its report is written, the catalogue keeps the first.
    const ProgramRun second = runReportProgram(
        {{"--catalog=" + catalogue, disc.string(), "-o", (dir.path() / "r2.txt").string()},
         dir.path(), {"LC_NUMERIC=C"}});
    EXPECT_EQ(second.exitStatus, 1);
    EXPECT_NE(second.standardError.find("already holds this disc"), std::string::npos)
        << second.standardError;
    EXPECT_TRUE(fs::exists(dir.path() / "r2.txt"));
    EXPECT_EQ(catalog.discs().size(), 1u);
}

} // namespace
} // namespace tarvelo::test
