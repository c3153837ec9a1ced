// SPDX-License-Identifier: GPL-3.0-or-later
// A listing takes each entry in one call and trusts the reader's word that a name needs
// no replacement on a report line; both must hold for every reader and every name.
#include "archive/rar_reader.h"
#include "archive/zip_reader.h"
#include "common/text.h"
#include "report/held_listing.h"
#include "tests/archive/rar_fixtures.h"
#include "tests/archive/zip_fixtures.h"

#include <gtest/gtest.h>

namespace tarvelo::test {
namespace {

constexpr std::uint16_t kUtf8Flag = 0x0800;
constexpr std::uint16_t kMadeByDos = 20;

struct TrickyName
{
    const char* name;
    std::string stored; // bytes as the archive holds them
    bool oem = false;   // without a sign of UTF-8, so read through the OEM page
};

// Hard spots for the fast check: word boundaries, overlong forms, C1 controls, the
// separators and bidirectional controls, four-byte sequences, and OEM names.
const std::vector<TrickyName> kTrickyNames = {
    {"exactly 8 bytes", "abcdefgh"},
    {"exactly 16 bytes", "folder00/file.tx"},
    {"two-byte sequence across a word", "abcdefg\xC3\xA9.txt"},
    {"invalid byte at a word boundary", "abcdefg\xC3"},
    {"overlong slash", "a\xC0\xAF"
                       "b"},
    {"overlong three-byte", "\xE0\x80\xAF.txt"},
    {"next line", "a\u0085b"},
    {"line separator", "notes\u2028.txt"},
    {"right-to-left override", "evil\u202Etxt.exe"},
    {"first isolate", "\u2066x"},
    {"ellipsis", "more\u2026.txt"},
    {"four-byte", "smile\xF0\x9F\x98\x80.txt"},
    {"carriage return", "a\rb"},
    {"cyrillic", "Извештај.txt"},
    {"CP437 letters and box drawing", "\x80\x81\x82\xC9\xCD\xBB.TXT", true},
    {"CP437 with a control byte", "A\x0D.TXT", true},
};

// Reads the tricky names through the ZIP reader, UTF-8 flagged or as OEM names from DOS.
void readZip(ZipFixture& zip)
{
    std::vector<ZipMember> members;
    for (const TrickyName& n : kTrickyNames)
        members.push_back({.name = n.stored,
                           .versionMadeBy = kMadeByDos,
                           .flags = n.oem ? std::uint16_t{0} : kUtf8Flag});
    zip.read(buildZip(members).bytes);
}

// The same through the RAR 5 reader, whose names are UTF-8 or else OEM.
std::vector<std::uint8_t> rar5Archive()
{
    Bytes bytes = rar5::signature();
    const auto append = [&](const Bytes& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
    };
    append(rar5::mainHeader());
    for (const TrickyName& n : kTrickyNames)
        append(rar5::file(rar5::FileHeader(n.stored)));
    append(rar5::endHeader());
    return bytes;
}

void expectListedAsThePropertiesSay(const archive::ArchiveReader& reader, const char* format)
{
    ASSERT_EQ(reader.FileCount(), static_cast<std::int32_t>(kTrickyNames.size())) << format;
    for (std::int32_t n = 0; n <= reader.FileCount() + 1; ++n) {
        const archive::ListedEntry entry = reader.listedEntry(n);
        const std::string name = reader.FileName(n);
        const bool named = n >= 1 && n <= reader.FileCount();
        const char* row = named ? kTrickyNames[static_cast<std::size_t>(n - 1)].name : "none";
        EXPECT_EQ(entry.name, name) << format << ": " << row;
        EXPECT_EQ(entry.isFolder, reader.IsDir(n)) << format << ": " << row;
        // A number that names nothing has an empty name, which may go through the check.
        if (named) {
            EXPECT_EQ(entry.lineSafe, common::lineSafe(name) == name) << format << ": " << row;
        }
    }
}

TEST(ListedEntry, AgreesWithThePropertiesAndTheLineCheck)
{
    const auto cp437 = common::CodePage::byName("CP437");
    ASSERT_TRUE(cp437);
    ZipFixture zip(*cp437);
    readZip(zip);
    expectListedAsThePropertiesSay(zip.reader, "zip");

    archive::ReaderState state;
    archive::Cls_Rar rar(state, *cp437);
    const std::vector<std::uint8_t> bytes = rar5Archive();
    const MemoryArchive files(bytes);
    IgnoredNotices notices;
    rar.Get_Contents("tricky.rar", {files, notices});
    expectListedAsThePropertiesSay(rar, "rar");
}

// A listing read ahead of its turn says of each name what the reader said.
TEST(ListedEntry, HeldListingKeepsWhatTheReaderSaid)
{
    const auto cp437 = common::CodePage::byName("CP437");
    ASSERT_TRUE(cp437);
    ZipFixture zip(*cp437);
    readZip(zip);
    std::optional<report::HeldListing> held = report::HeldListing::read(
        zip.reader, "test.zip", zip.files, common::neverStop(), false, std::size_t{1} << 20);
    ASSERT_TRUE(held);
    report::HeldListingReader heldReader(std::move(*held));
    IgnoredNotices notices;
    heldReader.Get_Contents("test.zip", {zip.files, notices});
    for (std::int32_t n = 1; n <= zip.reader.FileCount(); ++n) {
        const archive::ListedEntry kept = heldReader.listedEntry(n);
        const archive::ListedEntry read = zip.reader.listedEntry(n);
        const char* row = kTrickyNames[static_cast<std::size_t>(n - 1)].name;
        EXPECT_EQ(kept.name, read.name) << row;
        EXPECT_EQ(kept.lineSafe, read.lineSafe) << row;
    }
}

// Folders are told apart as IsDir tells them: a ZIP name ending in a slash with no data,
// a RAR 4 entry with the directory flags.
TEST(ListedEntry, FoldersAsIsDirTellsThem)
{
    ZipFixture zip;
    zip.read(buildZip({{.name = "dir/"}, {.name = "full/", .data = "x"}, {.name = "file"}}).bytes);
    EXPECT_TRUE(zip.reader.listedEntry(1).isFolder);
    EXPECT_FALSE(zip.reader.listedEntry(2).isFolder);
    EXPECT_FALSE(zip.reader.listedEntry(3).isFolder);

    archive::ReaderState state;
    archive::Cls_Rar rar(state, common::CodePage::defaultOem());
    const Bytes bytes = rar4::archive({rar4::marker(), rar4::mainHead(),
                                       rar4::file(rar4::FileBlock("dir").withFlags(0x80E0)),
                                       rar4::file(rar4::FileBlock("file"))});
    const MemoryArchive files(bytes);
    IgnoredNotices notices;
    rar.Get_Contents("folders.rar", {files, notices});
    EXPECT_TRUE(rar.listedEntry(1).isFolder);
    EXPECT_FALSE(rar.listedEntry(2).isFolder);
}

} // namespace
} // namespace tarvelo::test
