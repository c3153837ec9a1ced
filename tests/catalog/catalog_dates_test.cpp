// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalog.h"
#include "catalog/disc_writer.h"
#include "catalog/export.h"
#include "catalog/find.h"
#include "tests/report/run_harness.h"
#include "tests/support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace tarvelo::catalog {
namespace {

using testing::HasSubstr;
using testing::Not;

constexpr std::int64_t kNoon2003 = 1051790400; // 2003-05-01T12:00:00Z
constexpr std::int64_t kBefore1970 = -86400;   // 1969-12-31T00:00:00Z

// Disc D: with dated and undated files, added to a catalogue while its report is written.
class CatalogDatesTest : public ::testing::Test
{
protected:
    CatalogDatesTest()
    {
        harness.files.addFile("D:\\README.TXT", "read me");
        harness.files.setModified("D:\\README.TXT", kNoon2003);
        harness.files.addSizedFile("D:\\OLD\\punch cards.dat", 80);
        harness.files.setModified("D:\\OLD\\punch cards.dat", kBefore1970);
        harness.files.addSizedFile("D:\\OLD\\undated.bin", 5);
        harness.files.addSizedFile("D:\\OLD\\photos.zip", 10);
        harness.files.setModified("D:\\OLD\\photos.zip", kNoon2003);
        harness.zip.add("D:\\OLD\\photos.zip", {{"a.jpg", false}});
        DiscWriter writer(catalog, {"name", "note", "D:", "drive", '.', false});
        report::RunServices services{harness.files, harness.files, {harness.zip, harness.rar},
                                     &writer};
        EXPECT_EQ(report::runReport(harness.request, services, harness.ui).kind,
                  report::OutcomeKind::Done);
        writer.commit();
    }

    test::TempDir dir;
    test::RunHarness harness;
    Catalog catalog{(dir.path() / "c.sqlite").string(), Catalog::Missing::Make};
};

TEST_F(CatalogDatesTest, EachFileKeepsTheDateItsDiscRecords)
{
    std::map<std::string, std::optional<std::int64_t>> dates;
    listEntries(catalog, catalog.discs(), [&](const Hit& hit) { dates[hit.path] = hit.modified; });
    const std::map<std::string, std::optional<std::int64_t>> expected = {
        {"OLD", std::nullopt},
        {"OLD/photos.zip", kNoon2003},
        {"OLD/photos.zip/a.jpg", std::nullopt}, // archive entries are read without dates
        {"OLD/punch cards.dat", kBefore1970},
        {"OLD/undated.bin", std::nullopt},
        {"README.TXT", kNoon2003},
    };
    EXPECT_EQ(dates, expected);
}

TEST_F(CatalogDatesTest, TheReportHasNoDatesAndFindNoNewField)
{
    EXPECT_THAT(harness.report(), Not(HasSubstr("2003"))) << harness.report();
    std::string lines;
    find(catalog, {.pattern = "readme"}, [&](const Hit& hit) {
        lines += hitLine(HitFormat::Jsonl, hit);
    });
    EXPECT_EQ(lines, "{\"disc\":1,\"label\":\"MYDISC\",\"path\":\"README.TXT\",\"size\":7,"
                     "\"exact\":true,\"kind\":\"file\"}\n");
}

TEST_F(CatalogDatesTest, DfxmlGivesTheDateAsMtimeInUtc)
{
    platform::TextFile file;
    exportEntries(catalog, catalog.discs(), ExportFormat::Dfxml, file);
    EXPECT_THAT(file.text, HasSubstr("<filename>README.TXT</filename>\n"
                                     "        <name_type>r</name_type>\n"
                                     "        <filesize>7</filesize>\n"
                                     "        <mtime>2003-05-01T12:00:00Z</mtime>\n"
                                     "      </fileobject>"));
    EXPECT_THAT(file.text, HasSubstr("<mtime>1969-12-31T00:00:00Z</mtime>"));
    EXPECT_THAT(file.text, HasSubstr("<filename>OLD/undated.bin</filename>\n"
                                     "        <name_type>r</name_type>\n"
                                     "        <filesize>5</filesize>\n"
                                     "      </fileobject>"));
}

} // namespace
} // namespace tarvelo::catalog
