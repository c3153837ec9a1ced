// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalog.h"
#include "catalog/check.h"
#include "catalog/disc_writer.h"
#include "catalog/find.h"
#include "catalog/kept_text.h"
#include "catalog/schema.h"
#include "catalog/stored_report.h"
#include "tests/report/run_harness.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tarvelo::catalog {
namespace {

using platform::TextFile;

// Disc D: of the report harness, added to a catalogue in a temporary folder while its
// report is written.
class CatalogTest : public ::testing::Test
{
protected:
    CatalogTest()
    {
        harness.files.addFile("D:\\README.TXT", std::string(1234, 'r'));
        harness.files.addFolder("D:\\Žute stranice");
        harness.files.addSizedFile("D:\\Žute stranice\\ČAŠA.doc", 5000);
        harness.files.addSizedFile("D:\\Žute stranice\\zadaća.ZIP", 300);
        harness.files.addSizedFile("D:\\Žute stranice\\BROKEN.RAR", 10);
        harness.zip.add("D:\\Žute stranice\\zadaća.ZIP", {{"Ђурђевак/", true}, {"Ђурђевак/pesma.txt", false}});
        harness.rar.failAtEntry("D:\\Žute stranice\\BROKEN.RAR",
                                {{"first.txt", false}, {"second.txt", false}}, 2,
                                Error(ErrorNumber::InvalidFileFormat, "damaged"));
    }

    std::string catalogPath() const { return (dir.path() / "c.sqlite").string(); }

    // Runs the report with a catalogue listening; commits when the run says it may.
    report::RunOutcome addDisc(Catalog& catalog, bool replace = false)
    {
        DiscWriter writer(catalog, {"name", "note", "D:", "drive", '.', replace});
        report::RunServices services{harness.files, harness.files, {harness.zip, harness.rar}, &writer};
        const report::RunOutcome outcome = report::runReport(harness.request, services, harness.ui);
        if (outcome.kind == report::OutcomeKind::Done) writer.commit();
        return outcome;
    }

    std::vector<std::string> found(Catalog& catalog, FindQuery query)
    {
        std::vector<std::string> paths;
        find(catalog, query, [&](const Hit& hit) { paths.push_back(hit.path); });
        return paths;
    }

    test::TempDir dir;
    test::RunHarness harness;
};

TEST_F(CatalogTest, FindsNamesThroughTheSearchKey)
{
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    const struct
    {
        const char* row;
        FindQuery query;
        std::vector<std::string> paths;
    } cases[] = {
        {"case and carons", {.pattern = "časa"}, {"Žute stranice/ČAŠA.doc"}},
        {"Latin finds Cyrillic in an archive", {.pattern = "djurdj", .only = FindQuery::Only::Files},
         {"Žute stranice/zadaća.ZIP/Ђурђевак/pesma.txt"}},
        {"short pattern reads every name", {.pattern = "aĆ"}, {"Žute stranice/zadaća.ZIP"}},
        {"folders only", {.pattern = "ute", .only = FindQuery::Only::Folders}, {"Žute stranice"}},
        {"no archive entries", {.pattern = "urđ", .archiveEntries = false}, {}},
        {"glob on names", {.pattern = "*.rar", .glob = true}, {"Žute stranice/BROKEN.RAR"}},
        {"path across a folder", {.pattern = "stranice/cas", .wholePath = true}, {"Žute stranice/ČAŠA.doc"}},
        {"sizes", {.pattern = "e", .minSize = 1000, .maxSize = 2000}, {"README.TXT"}},
        {"limit", {.pattern = "t", .limit = 1}, {"README.TXT"}},
        {"entries read before the damage", {.pattern = ".txt", .only = FindQuery::Only::Files},
         {"README.TXT", "Žute stranice/BROKEN.RAR/first.txt", "Žute stranice/zadaća.ZIP/Ђурђевак/pesma.txt"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(found(catalog, c.query), c.paths) << c.row;
    EXPECT_TRUE(checkCatalog(catalog).empty());
}

TEST_F(CatalogTest, WritesTheReportAgainByteForByte)
{
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    TextFile again;
    ASSERT_TRUE(writeStoredReport(catalog.db(), catalog.disc("1"), again, harness.ui));
    EXPECT_EQ(again.text, harness.report());
}

TEST_F(CatalogTest, TheSameDiscIsRefusedUnlessReplaced)
{
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    EXPECT_THROW(addDisc(catalog), Error);
    ASSERT_EQ(addDisc(catalog, true).kind, report::OutcomeKind::Done);
    ASSERT_EQ(catalog.discs().size(), 1u);
    EXPECT_EQ(found(catalog, {.pattern = "readme"}).size(), 1u);
    EXPECT_TRUE(checkCatalog(catalog).empty());
}

TEST_F(CatalogTest, RemoveTakesTheDiscOutOfTheIndex)
{
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    catalog.remove(catalog.disc("MYDISC"));
    EXPECT_TRUE(catalog.discs().empty());
    EXPECT_TRUE(found(catalog, {.pattern = "readme"}).empty());
    EXPECT_TRUE(checkCatalog(catalog).empty());
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    EXPECT_EQ(catalog.discs().front().id, 2) << "a disc number is never given again";
}

TEST_F(CatalogTest, AStoppedAddLeavesTheCatalogueAsItWas)
{
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    harness.ui.stopAt = test::ScriptedUi::StopAt::Writing;
    EXPECT_EQ(addDisc(catalog).kind, report::OutcomeKind::Interrupted);
    EXPECT_TRUE(catalog.discs().empty());
    EXPECT_TRUE(found(catalog, {.pattern = "readme"}).empty());
}

TEST_F(CatalogTest, OtherFilesAreNeverTakenOrWritten)
{
    const struct
    {
        const char* row;
        std::string bytes;
    } cases[] = {
        {"text file", "just some text, not a database at all................................"},
        {"another program's database", ""},
        {"a newer catalogue", ""},
    };
    for (const auto& c : cases) {
        const std::string path = (dir.path() / c.row).string();
        if (c.bytes.empty()) {
            Database db(path, Database::Access::ReadWrite);
            db.execute(std::string(c.row) == "a newer catalogue"
                           ? "CREATE TABLE t(x); PRAGMA application_id = 1415672438; PRAGMA user_version = 99"
                           : "CREATE TABLE t(x)");
        } else {
            dir.write(c.row, c.bytes);
        }
        std::ifstream before(path, std::ios::binary);
        const std::string original((std::istreambuf_iterator<char>(before)), {});
        EXPECT_THROW(Catalog(path, Catalog::Missing::Make), Error) << c.row;
        std::ifstream after(path, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), original) << c.row;
    }
}

TEST_F(CatalogTest, AnOlderCatalogueIsBroughtUpToDate)
{
    // Each older version as its migrations left it, with a kept report text.
    const std::string toVersion1 =
        "DROP TABLE name_trigram; DROP TABLE disc_folders; DROP TABLE disc_report; "
        "ALTER TABLE disc ADD COLUMN report_text BLOB; UPDATE disc SET report_text = 'kept text'; ";
    const struct
    {
        const char* row;
        std::string downgrade;
    } cases[] = {
        {"version 1: no search index", toVersion1 + "PRAGMA user_version = 1"},
        {"version 2: a full-text index",
         toVersion1 + "CREATE VIRTUAL TABLE entry_key USING fts5(key, content='', "
                      "tokenize='trigram case_sensitive 1', detail=none, columnsize=0); "
                      "PRAGMA user_version = 2"},
        {"version 3: a name index keyed by text",
         "DROP TABLE name_trigram; CREATE TABLE name_trigram(disc INTEGER NOT NULL, trigram TEXT "
         "NOT NULL, entries BLOB NOT NULL, PRIMARY KEY(disc, trigram)) WITHOUT ROWID; "
         "PRAGMA user_version = 3"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(catalogPath());
        {
            Catalog catalog(catalogPath(), Catalog::Missing::Make);
            ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
            keepText(catalog.db(), 1, "kept text");
            catalog.db().execute(c.downgrade.c_str());
        }
        Catalog catalog(catalogPath(), Catalog::Missing::Make);
        EXPECT_EQ(found(catalog, {.pattern = "časa"}), std::vector<std::string>{"Žute stranice/ČAŠA.doc"}) << c.row;
        EXPECT_TRUE(checkCatalog(catalog).empty()) << c.row;
        TextFile kept;
        ASSERT_TRUE(writeStoredReport(catalog.db(), catalog.disc("1"), kept, harness.ui));
        EXPECT_EQ(kept.text, "kept text") << c.row;
        Statement oldIndex = catalog.db().prepare("SELECT count(*) FROM sqlite_schema WHERE name = 'entry_key'");
        EXPECT_TRUE(oldIndex.step() && oldIndex.integer(0) == 0) << c.row;
    }
}

TEST_F(CatalogTest, ADamagedKeptTextIsRefused)
{
    const struct
    {
        const char* row;
        const char* damage;
    } cases[] = {
        {"size beyond what the row can hold", "UPDATE disc_report SET size = 1000000000000"},
        {"size not the text's", "UPDATE disc_report SET size = size + 1"},
        {"not compressed text", "UPDATE disc_report SET text = x'0001'"},
    };
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    for (const auto& c : cases) {
        catalog.db().execute("DELETE FROM disc_report");
        keepText(catalog.db(), 1, "kept text");
        catalog.db().execute(c.damage);
        TextFile again;
        EXPECT_THROW(writeStoredReport(catalog.db(), catalog.disc("1"), again, harness.ui), Error) << c.row;
    }
}

TEST_F(CatalogTest, CheckFindsBrokenRules)
{
    Catalog catalog(catalogPath(), Catalog::Missing::Make);
    ASSERT_EQ(addDisc(catalog).kind, report::OutcomeKind::Done);
    catalog.db().execute("UPDATE disc SET files = files + 1; "
                         "UPDATE entry SET parent = 999999 WHERE name = 'README.TXT'");
    EXPECT_EQ(checkCatalog(catalog).size(), 2u);
}

TEST(CatalogMissing, ReadingDoesNotMakeOne)
{
    test::TempDir dir;
    EXPECT_THROW(Catalog((dir.path() / "none.sqlite").string(), Catalog::Missing::Refuse), Error);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "none.sqlite"));
}

} // namespace
} // namespace tarvelo::catalog
