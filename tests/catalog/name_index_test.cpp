// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalog/catalog.h"
#include "catalog/check.h"
#include "catalog/entry_rows.h"
#include "catalog/find.h"
#include "catalog/pattern.h"
#include "catalog/schema.h"
#include "catalog/search_key.h"
#include "common/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarvelo::catalog {
namespace {

// Names whose keys repeat trigrams, change length (ß, ligatures, Cyrillic), are shorter
// than a trigram or are not Latin at all.
const std::vector<std::string> kNames = {
    "invoice_2003.xls", "Račun za ČAŠU.doc", "Ђурђевак.mp3", "zadaća.txt", "aaaa", "aaab",
    "ab",               "Straße.txt",        "ﬁle.TXT",      "x",          "DSC01234.JPG",
    "DSC0123.jpg",      "abcabc",            "日本語ファイル.txt", "caša čaša",  "ÐURÐEVAK",
};

// Discs whose root folder holds the given names as files, added as an add stores them.
class NameIndexTest : public ::testing::Test
{
protected:
    void addDisc(const std::string& label, const std::vector<std::string>& names)
    {
        Transaction transaction(catalog.db());
        DiscRecord disc;
        disc.label = label;
        disc.files = static_cast<std::int64_t>(names.size());
        disc.id = insertDisc(catalog.db(), disc);
        EntryRows rows(catalog.db(), disc.id);
        const std::int64_t root = rows.insert(std::nullopt, 0, "", 0);
        for (const std::string& name : names)
            rows.insert(root, static_cast<std::int64_t>(StoredKind::File), name, name.size());
        rows.finish();
        transaction.commit();
    }

    std::vector<std::string> found(const FindQuery& query)
    {
        std::vector<std::string> hits;
        find(catalog, query, [&](const Hit& hit) { hits.push_back(hit.disc->label + ":" + hit.path); });
        return hits;
    }

    // What matching every name of every disc, one after another, finds.
    std::vector<std::string> everyNameMatched(const FindQuery& query)
    {
        const Pattern pattern(query.pattern, query.glob);
        std::vector<std::string> hits;
        for (const auto& [label, names] : discs)
            for (const std::string& name : names)
                if (pattern.matches(searchKey(name))) hits.push_back(label + ":" + name);
        return hits;
    }

    test::TempDir dir;
    Catalog catalog{(dir.path() / "c.sqlite").string(), Catalog::Missing::Make};
    std::vector<std::pair<std::string, std::vector<std::string>>> discs;
};

TEST_F(NameIndexTest, FindsWhatMatchingEveryNameFinds)
{
    std::vector<std::string> reversed(kNames.rbegin(), kNames.rend());
    discs = {{"FIRST", kNames}, {"SECOND", reversed}};
    for (const auto& [label, names] : discs)
        addDisc(label, names);
    const struct
    {
        const char* row;
        FindQuery query;
    } cases[] = {
        {"one trigram", {.pattern = "inv"}},
        {"digits", {.pattern = "2003"}},
        {"carons and case", {.pattern = "CAŠU"}},
        {"Latin for Cyrillic", {.pattern = "djurdj"}},
        {"Cyrillic for Latin", {.pattern = "Ђурђ"}},
        {"Đ as dj", {.pattern = "đurđev"}},
        {"a trigram twice in the pattern", {.pattern = "aaaa"}},
        {"a trigram twice in the name", {.pattern = "bcab"}},
        {"trigrams present but apart", {.pattern = "aab"}},
        {"ß folded to ss", {.pattern = "STRASSE"}},
        {"ligature decomposed", {.pattern = "file"}},
        {"prefix of a longer number", {.pattern = "DSC0123"}},
        {"not Latin", {.pattern = "ファイ"}},
        {"nowhere", {.pattern = "zzz"}},
        {"short: every name read", {.pattern = "ab"}},
        {"glob", {.pattern = "dsc*.jpg", .glob = true}},
        {"glob with short literals", {.pattern = "a?a*", .glob = true}},
        {"glob without a trigram", {.pattern = "*", .glob = true}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(found(c.query), everyNameMatched(c.query)) << c.row;
    EXPECT_EQ(found({.pattern = "aaa", .disc = 2}), (std::vector<std::string>{"SECOND:aaab", "SECOND:aaaa"}));
    EXPECT_EQ(found({.pattern = "aaa", .limit = 3}), (std::vector<std::string>{"FIRST:aaaa", "FIRST:aaab", "SECOND:aaab"}));
    EXPECT_TRUE(checkCatalog(catalog).empty());
}

// Enough discs that they are searched on several threads where there are cores: the hits
// still come in disc order, a limit still takes the first ones, and a damaged disc's
// error comes after the hits of the discs before it.
TEST_F(NameIndexTest, ManyDiscsGiveTheirHitsInOrder)
{
    for (std::size_t number = 0; number < 40; ++number) {
        std::vector<std::string> names = kNames;
        const auto turn = static_cast<std::ptrdiff_t>(number % names.size());
        std::rotate(names.begin(), names.begin() + turn, names.end());
        discs.emplace_back("D" + std::to_string(number + 1), names);
        addDisc(discs.back().first, names);
    }
    for (const char* typed : {"inv", "aaa", "ab", "2003", "zzz"})
        EXPECT_EQ(found({.pattern = typed}), everyNameMatched({.pattern = typed})) << typed;
    std::vector<std::string> first = everyNameMatched({.pattern = "a"});
    first.resize(25);
    EXPECT_EQ(found({.pattern = "a", .limit = 25}), first);

    catalog.db().execute("UPDATE name_trigram SET entries = x'FF' WHERE id >> 32 = 30");
    std::vector<std::string> before;
    EXPECT_THROW(find(catalog, {.pattern = "inv"},
                      [&](const Hit& hit) { before.push_back(hit.disc->label + ":" + hit.path); }),
                 Error);
    std::vector<std::string> expected = everyNameMatched({.pattern = "inv"});
    expected.resize(29); // one a disc, on discs 1 to 29
    EXPECT_EQ(before, expected);
}

TEST_F(NameIndexTest, PathsFoundThroughTheIndexAreThoseOfEveryPath)
{
    // Rows in report order: each folder, its files, each archive's entries after it.
    const struct
    {
        const char* name;
        StoredKind kind;
        int parent; // row number, -1 for the root
    } tree[] = {
        {"", StoredKind::Folder, -1},
        {"Škola", StoredKind::Folder, 0},
        {"raspored.txt", StoredKind::File, 1},
        {"zadaća.zip", StoredKind::File, 1},
        {"Đurđevak/", StoredKind::ArchiveFolder, 3},
        {"Đurđevak/pesma.txt", StoredKind::ArchiveFile, 3},
        {"ocene 2003.xls", StoredKind::File, 1},
        {"Ispit 2003", StoredKind::Folder, 1},
        {"pitanja.doc", StoredKind::File, 7},
        {"Muzika", StoredKind::Folder, 0},
        {"skola.mp3", StoredKind::File, 9},
    };
    std::vector<std::int64_t> ids;
    std::vector<std::string> paths;
    Transaction transaction(catalog.db());
    DiscRecord disc;
    disc.label = "DISC";
    disc.files = 5;
    disc.folders = 3;
    disc.id = insertDisc(catalog.db(), disc);
    EntryRows rows(catalog.db(), disc.id);
    for (const auto& row : tree) {
        const auto parent = row.parent < 0 ? std::nullopt : std::optional(ids[static_cast<std::size_t>(row.parent)]);
        ids.push_back(rows.insert(parent, static_cast<std::int64_t>(row.kind), row.name, 1));
        const std::string& above = row.parent < 0 ? std::string() : paths[static_cast<std::size_t>(row.parent)];
        paths.push_back(above.empty() ? row.name : above + "/" + row.name);
    }
    rows.finish();
    transaction.commit();
    for (const char* typed : {"skol", "SKOLA", "ispit", "2003", "djurdj", "pesma", "zip", "ola/isp",
                              "zip/dj", "a.t", "zzz", "sk"}) {
        const Pattern pattern(typed, false);
        std::vector<std::string> expected;
        for (std::size_t i = 1; i < paths.size(); ++i)
            if (pattern.matches(searchKey(paths[i]))) expected.push_back("DISC:" + paths[i]);
        EXPECT_EQ(found({.pattern = typed, .wholePath = true}), expected) << typed;
    }
    EXPECT_EQ(found({.pattern = "skol", .wholePath = true, .only = FindQuery::Only::Folders}),
              (std::vector<std::string>{"DISC:Škola", "DISC:Škola/zadaća.zip/Đurđevak/", "DISC:Škola/Ispit 2003"}));
    EXPECT_EQ(found({.pattern = "skol", .wholePath = true, .limit = 2}),
              (std::vector<std::string>{"DISC:Škola", "DISC:Škola/raspored.txt"}));
    EXPECT_TRUE(checkCatalog(catalog).empty());
}

TEST_F(NameIndexTest, ADamagedIndexIsReportedNotFollowed)
{
    const struct
    {
        const char* row;
        const char* entries;
    } cases[] = {
        {"unfinished number", "x'FF'"},
        {"number too long", "x'FFFFFFFFFF01'"},
        {"offset past the disc", "x'E807'"},
        {"offset repeated", "x'0100'"},
    };
    addDisc("DISC", kNames);
    for (const auto& c : cases) {
        catalog.db().execute(("UPDATE name_trigram SET entries = " + std::string(c.entries)).c_str());
        EXPECT_THROW(found({.pattern = "inv"}), Error) << c.row;
        EXPECT_EQ(checkCatalog(catalog).size(), 1u) << c.row;
    }
}

TEST_F(NameIndexTest, CheckFindsIndexRowsOfMissingDiscs)
{
    addDisc("DISC", kNames);
    catalog.db().execute("INSERT INTO name_trigram VALUES(7 * 4294967296 + 5, x'01')");
    const std::vector<std::string> problems = checkCatalog(catalog);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems.front().find("disc 7"), std::string::npos) << problems.front();
}

} // namespace
} // namespace tarvelo::catalog
