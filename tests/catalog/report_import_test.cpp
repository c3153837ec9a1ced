// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/find.h"
#include "catalog/report_import.h"
#include "catalog/stored_report.h"
#include "tests/report/run_harness.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace tarvelo::catalog {
namespace {

using platform::TextFile;

// The worked example of a whole report: drive D:, a file in the root, DOCS with a ZIP.
std::string workedExample(std::string_view separator = ".")
{
    std::string text =
        "Tarvelo\r\n------------------------------------------------------------\r\n"
        "CD volume: MYDISC\r\nCD size: 650 MBytes\r\nCD free space: 0 Bytes\r\n"
        "CD serial number: 1513889538\r\nFiles: 2\r\nFolders: 1\r\n"
        "------------------------------------------------------------\r\n"
        "\t\t--------------------\r\n\t\tREADME.TXT\r\n\t\tSize: 1.21 KBytes\r\n"
        "------------------------------------------------------------\r\n"
        "------------------------------------------------------------\r\n"
        "\tFolder:\r\n\tName: DOCS\r\n\tParent folder: D:\\\r\n\tSubfolders: 0\r\n\tFiles: 1\r\n"
        "\tSize: 4.88 KBytes\r\n\r\n"
        "\t\t--------------------\r\n\t\tARCHIVE.ZIP\r\n\t\tSize: 4.88 KBytes\r\n"
        "\t\t\tZIP contents:\r\n\t\t\tTotal files/folders: 2\r\n\t\t\tFiles:\r\n"
        "\t\t\t\t[DIR] letters/\r\n\t\t\t\tletters/a.txt\r\n"
        "------------------------------------------------------------\r\n";
    for (std::size_t at = 0; (at = text.find(" KBytes", at)) != std::string::npos; ++at)
        text.replace(at - 3, 1, separator);
    return text;
}

class ImportTest : public ::testing::Test
{
protected:
    std::string reportOf(std::int64_t disc)
    {
        TextFile file;
        test::ScriptedUi ui;
        writeStoredReport(catalog.db(), catalog.disc(std::to_string(disc)), file, ui);
        return file.text;
    }

    std::vector<Hit> hits(const std::string& pattern)
    {
        std::vector<Hit> all;
        find(catalog, {.pattern = pattern}, [&](const Hit& hit) { all.push_back(hit); });
        return all;
    }

    test::TempDir dir;
    Catalog catalog{(dir.path() / "c.sqlite").string(), Catalog::Missing::Make};
};

TEST_F(ImportTest, ReportsComeBackAsTheyWere)
{
    std::string windows = workedExample(",");
    windows.replace(windows.find("README.TXT"), 10, "\xC8" "A\x8A" "A.TXT"); // ČAŠA in Windows-1250
    const struct
    {
        const char* row;
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"UTF-8", workedExample(), workedExample()},
        {"Windows-1250 with a decimal comma", windows, reportTextOf(windows)},
        {"LF line ends, kept as text", "Tarvelo\n------------------------------------------------------------\n"
                                       "------------------------------------------------------------\n"
                                       "------------------------------------------------------------\n",
         ""},
        {"a header line missing, kept as text", "", ""},
    };
    std::int64_t replaced = 0;
    for (const auto& c : cases) {
        std::string bytes = c.bytes;
        if (bytes.empty()) {
            bytes = workedExample();
            bytes.erase(bytes.find("CD free space"), 24);
        }
        const std::int64_t disc = importReport(catalog, c.row, bytes, true);
        EXPECT_EQ(reportOf(disc), c.utf8.empty() ? bytes : c.utf8) << c.row;
        replaced = disc;
    }
    EXPECT_EQ(reportTextOf(windows).find("ČAŠA.TXT") != std::string::npos, true);
    EXPECT_GT(replaced, 0);
}

TEST_F(ImportTest, SizeTextsStandForInexactByteCounts)
{
    importReport(catalog, "example", workedExample(), false);
    const std::vector<Hit> readme = hits("readme");
    ASSERT_EQ(readme.size(), 1u);
    EXPECT_EQ(readme[0].size, 1239u);
    EXPECT_FALSE(readme[0].exact);
    EXPECT_EQ(readme[0].modified, std::nullopt) << "a report has no dates";
    EXPECT_EQ(hits("a.txt").at(0).path, "DOCS/ARCHIVE.ZIP/letters/a.txt");
    EXPECT_FALSE(catalog.discs().at(0).exact);
}

TEST_F(ImportTest, TextThatIsNoReportIsRefusedNamingTheLine)
{
    const struct
    {
        const char* row;
        std::string text;
        const char* line;
    } cases[] = {
        {"empty", "", "line 1"},
        {"no section line", "Tarvelo\r\nhello\r\n", "line 2"},
        {"a size that is none", workedExample().replace(workedExample().find("1.21 KBytes"), 11, "many"), "line 12"},
        {"a folder under nowhere",
         workedExample() + "------------------------------------------------------------\r\n\tFolder:\r\n"
                           "\tName: X\r\n\tParent folder: E:\\\r\n\tSubfolders: 0\r\n\tFiles: 0\r\n"
                           "\tSize: 0 Bytes\r\n\r\n",
         "line 34"},
    };
    for (const auto& c : cases) {
        try {
            importReport(catalog, c.row, c.text, false);
            ADD_FAILURE() << c.row << " was imported";
        } catch (const Error& error) {
            EXPECT_NE(std::string(error.what()).find(c.line), std::string::npos)
                << c.row << ": " << error.what();
        }
    }
    EXPECT_TRUE(catalog.discs().empty());
}

} // namespace
} // namespace tarvelo::catalog
