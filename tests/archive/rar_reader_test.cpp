// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_reader.h"
#include "tests/archive/rar_fixtures.h"
#include "tests/support/corpus.h"

#include <gtest/gtest.h>

namespace tarvelo::test {
namespace {

using rar4::FileBlock;

Bytes plainFile(const std::string& name, const std::string& data = "abc")
{
    return rar4::file(FileBlock(name).withData(data));
}

// Marker, archive header, a.txt with three stored bytes, end block: 67 bytes.
Bytes workedExample()
{
    return rar4::archive({rar4::marker(), rar4::mainHead(),
                          rar4::file(FileBlock("a.txt")
                                         .withData("xyz")
                                         .withHost(2)
                                         .withUnpSize(3)
                                         .withUnpVer(29)
                                         .withMethod(0x30)),
                          rar4::endArc()});
}

TEST(RarReader, WorkedExample)
{
    const Bytes bytes = workedExample();
    ASSERT_EQ(bytes.size(), 67u);
    RarFixture f;
    f.read(bytes);
    const auto& r = f.reader;
    EXPECT_EQ(r.FileCount(), 1);
    EXPECT_EQ(r.FileName(1), "a.txt");
    EXPECT_EQ(r.Compressed_Size(1), 3);
    EXPECT_EQ(r.UnCompressed_Size(1), 3);
    EXPECT_FALSE(r.IsDir(1));
    EXPECT_FALSE(r.Encrypted(1));
    EXPECT_EQ(r.Method(1), "No Compression");
    EXPECT_EQ(r.SystemMadeBy(1), "Win32");
    EXPECT_EQ(r.VersionNeeded(1), "2.9");
    EXPECT_EQ(r.VersionMadeBy(1), "Unknown");
    EXPECT_EQ(r.SystemNeeded(1), "Unknown");
    EXPECT_EQ(r.FileDateTime(1), 0.0);
    EXPECT_EQ(r.CommentsPack(), "");
    EXPECT_EQ(r.CommentsFile(1), "");
    EXPECT_EQ(f.state.ReadStatus, 6);
    EXPECT_EQ(f.state.ArchivePath, "test.rar");
}

TEST(RarReader, SurfaceThatDoesNothing)
{
    RarFixture f;
    EXPECT_FALSE(f.reader.CanUnpack());
    EXPECT_EQ(f.reader.UnPack("a.txt", "out"), 0);
    EXPECT_EQ(f.reader.Pack("x.rar", {"a.txt"}, 0, 0, false), 0);
}

TEST(RarReader, BeforeAnyRead)
{
    RarFixture f;
    EXPECT_EQ(f.reader.FileCount(), 0);
    EXPECT_EQ(f.reader.FileName(1), "");
    EXPECT_EQ(f.reader.CRC32(1), 0);
    EXPECT_FALSE(f.reader.IsDir(1));
    EXPECT_EQ(failureOf([&] { f.reader.CommentsFile(0); }), ErrorNumber::SubscriptOutOfRange);
}

TEST(RarReader, EntryNumbersOutsideTheListing)
{
    RarFixture f;
    f.read(rar4::archive(
        {rar4::marker(), rar4::mainHead(),
         rar4::file(FileBlock("one").withData("1").withCrc(0xDEADBEEF).withMethod(0x33)),
         rar4::file(FileBlock("two").withData("22").withUnpSize(7).withMethod(0x35))}));
    const auto& r = f.reader;
    ASSERT_EQ(f.names(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(r.CRC32(1), static_cast<std::int32_t>(0xDEADBEEF));
    EXPECT_EQ(r.Method(1), "Normal");
    EXPECT_EQ(r.Method(2), "Maximum");
    EXPECT_EQ(r.Compressed_Size(2), 2);
    EXPECT_EQ(r.UnCompressed_Size(2), 7);
    for (std::int32_t n : {0, 3}) {
        EXPECT_EQ(r.FileName(n), "") << n;
        EXPECT_EQ(r.CRC32(n), 0) << n;
        EXPECT_EQ(r.Compressed_Size(n), 0) << n;
        EXPECT_EQ(r.VersionMadeBy(n), "") << n;
        EXPECT_EQ(r.SystemNeeded(n), "") << n;
    }
    EXPECT_EQ(r.CommentsFile(0), "");
    EXPECT_EQ(failureOf([&] { r.CommentsFile(3); }), ErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(failureOf([&] { r.FileName(-1); }), ErrorNumber::SubscriptOutOfRange);
}

TEST(RarReader, DirectoryAndPasswordFlags)
{
    const struct
    {
        const char* name;
        std::uint16_t flags;
        bool isDir;
        bool encrypted;
    } cases[] = {
        {"plain", 0x8000, false, false},
        {"directory", 0x80E0, true, false},
        {"largest dictionary is no directory", 0x80C0, false, false},
        {"password", 0x8004, false, true},
        {"directory with every low bit", 0x80FF, true, true},
    };
    for (const auto& c : cases) {
        RarFixture f;
        f.read(rar4::archive(
            {rar4::marker(), rar4::mainHead(), rar4::file(FileBlock("x").withFlags(c.flags))}));
        ASSERT_EQ(f.reader.FileCount(), 1) << c.name;
        EXPECT_EQ(f.reader.IsDir(1), c.isDir) << c.name;
        EXPECT_EQ(f.reader.Encrypted(1), c.encrypted) << c.name;
    }
}

TEST(RarReader, FilesThatAreNoRar15Archive)
{
    const Bytes marker = rar4::marker();
    const struct
    {
        const char* name;
        Bytes bytes;
        std::uint8_t readStatus;
    } cases[] = {
        {"empty", {}, 0},
        {"six bytes of the marker", Bytes(marker.begin(), marker.begin() + 6), 0},
        {"other seven bytes", {'R', 'a', 'r', '!', 0x1A, 0x07, 0x02}, 0},
        {"RAR 1.4 signature", {'R', 'E', '~', '^', 0x07, 0x00, 0x88, 0x67}, 0},
        {"marker behind other data",
         rar4::archive({{'M', 'Z'}, marker, rar4::mainHead(), plainFile("a")}), 0},
        {"marker alone", marker, 6},
        {"marker and one byte", rar4::archive({marker, {0x73}}), 6},
    };
    for (const auto& c : cases) {
        RarFixture f;
        f.read(c.bytes);
        EXPECT_EQ(f.reader.FileCount(), 0) << c.name;
        EXPECT_EQ(f.state.ReadStatus, c.readStatus) << c.name;
    }
}

// Each archive hides a file header named "phantom" in bytes that belong to another block,
// so a walk that does not skip by HEAD_SIZE and ADD_SIZE lists it.
TEST(RarReader, WalkSkipsEveryBlockBySize)
{
    const Bytes phantom = plainFile("phantom");
    const std::string hidden(phantom.begin(), phantom.end());
    const std::string extTime = std::string("\x00\xF0", 2) + "abc";
    const std::string salt = "saltsalt";
    const struct
    {
        const char* name;
        Bytes archive;
        std::vector<std::string> names;
    } cases[] = {
        {"extended time",
         rar4::archive({rar4::marker(), rar4::mainHead(),
                        rar4::file(FileBlock("a").withData("12").withFlags(0x9000).withAfterName(
                            extTime + hidden)),
                        plainFile("b")}),
         {"a", "b"}},
        {"salt",
         rar4::archive({rar4::marker(), rar4::mainHead(),
                        rar4::file(FileBlock("a").withFlags(0x8404).withAfterName(salt + hidden)),
                        plainFile("b")}),
         {"a", "b"}},
        {"high size words",
         rar4::archive({rar4::marker(), rar4::mainHead(),
                        rar4::file(FileBlock("a").withData(hidden).withFlags(0x8100)),
                        plainFile("b")}),
         {"a", "b"}},
        {"service header with data",
         rar4::archive({rar4::marker(), rar4::mainHead(),
                        rar4::file(FileBlock("CMT").withData(hidden).withType(0x7A)),
                        plainFile("b")}),
         {"b"}},
        {"service header with sub-data in its header",
         rar4::archive(
             {rar4::marker(), rar4::mainHead(),
              rar4::file(FileBlock("AV").withFlags(0xC000).withType(0x7A).withAfterName(hidden)),
              plainFile("b")}),
         {"b"}},
        {"old subblock with data",
         rar4::archive({rar4::marker(), rar4::mainHead(), plainFile("a"),
                        rar4::longBlock(0x77, std::string("\x00\x01\x00", 3), hidden),
                        plainFile("b")}),
         {"a", "b"}},
        {"old recovery record",
         rar4::archive({rar4::marker(), rar4::mainHead(), plainFile("a"),
                        rar4::longBlock(0x78, "PROTECT+", hidden), plainFile("b")}),
         {"a", "b"}},
        {"comment block inside the archive header",
         rar4::archive({rar4::marker(), rar4::mainHead(0x0002, rar4::commentBlock(hidden, 0x33)),
                        plainFile("a")}),
         {"a"}},
        {"unknown block without data",
         rar4::archive(
             {rar4::marker(), rar4::mainHead(), rar4::block(0x79, 0, hidden), plainFile("a")}),
         {"a"}},
        {"end of archive",
         rar4::archive({rar4::marker(), rar4::mainHead(), plainFile("a"), rar4::endArc(),
                        plainFile("after the end")}),
         {"a"}},
    };
    for (const auto& c : cases) {
        RarFixture f;
        f.read(c.archive);
        EXPECT_EQ(f.names(), c.names) << c.name;
    }
}

// Damage ends the listing like the end of the file; the entries before it are kept and
// a notice says why the listing stops there. With nothing before it, the read fails.
TEST(RarReader, DamagedBlockHeadersEndTheListing)
{
    const struct
    {
        const char* name;
        Bytes damaged;
    } cases[] = {
        {"block shorter than its 7 bytes",
         [] {
             Bytes b = rar4::block(0x79, 0, "");
             b[5] = 6; // HEAD_SIZE
             return b;
         }()},
        {"archive header shorter than 13 bytes", rar4::block(0x73, 0, "12345")},
        {"file header shorter than 32 bytes", rar4::block(0x74, 0x8000, std::string(24, '\0'))},
        {"file header with high size words shorter than 40 bytes",
         rar4::block(0x74, 0x8100, std::string(25, '\0'))},
        {"long block without room for ADD_SIZE", rar4::block(0x78, 0x8000, "123")},
        {"name running past HEAD_SIZE",
         [] {
             Bytes b = rar4::file(FileBlock("name"));
             b[26] = 5; // NAME_SIZE one past the header
             return b;
         }()},
    };
    for (const auto& c : cases) {
        RarFixture f;
        const Bytes bytes = rar4::archive({rar4::marker(), rar4::mainHead(), plainFile("one"),
                                           plainFile("two"), c.damaged, plainFile("after")});
        EXPECT_FALSE(failureOf([&] { f.read(bytes); })) << c.name;
        EXPECT_EQ(f.names(), (std::vector<std::string>{"one", "two"})) << c.name;
        EXPECT_EQ(f.state.ReadStatus, 6) << c.name;
        ASSERT_EQ(f.notices.texts.size(), 1u) << c.name;
        EXPECT_NE(f.notices.texts[0].find("2 entries"), std::string::npos) << c.name;

        RarFixture first;
        const Bytes damagedFirst =
            rar4::archive({rar4::marker(), rar4::mainHead(), c.damaged, plainFile("after")});
        EXPECT_EQ(failureOf([&] { first.read(damagedFirst); }), ErrorNumber::InvalidFileFormat)
            << c.name;
        EXPECT_EQ(first.reader.FileCount(), 0) << c.name;
    }
}

TEST(RarReader, BlockCutOffByTheEndOfTheFile)
{
    const Bytes head = rar4::archive({rar4::marker(), rar4::mainHead()});
    const Bytes first = plainFile("first", "0123456789");
    const Bytes second = plainFile("second");
    const Bytes whole = rar4::archive({head, first, second});
    const std::size_t firstDataAt = head.size() + first.size() - 10;
    const struct
    {
        const char* name;
        std::size_t length;
        std::vector<std::string> names;
    } cases[] = {
        {"inside the first block header", head.size() + 3, {}},
        {"inside the first file header", head.size() + 20, {}},
        {"inside the first file's data", firstDataAt + 4, {"first"}},
        {"inside the second file header", head.size() + first.size() + 30, {"first"}},
        {"one byte short of the second file header", whole.size() - 4, {"first"}},
        {"inside the second file's data", whole.size() - 1, {"first", "second"}},
        {"whole", whole.size(), {"first", "second"}},
    };
    for (const auto& c : cases) {
        RarFixture f;
        EXPECT_FALSE(failureOf([&] { f.read({whole.data(), c.length}); })) << c.name;
        EXPECT_EQ(f.names(), c.names) << c.name;
    }
}

TEST(RarReader, HighSizeWords)
{
    RarFixture f;
    f.read(rar4::archive({rar4::marker(), rar4::mainHead(),
                          rar4::file(FileBlock("huge.iso")
                                         .withData("x")
                                         .withFlags(0x8100)
                                         .withUnpSize(0x80000001)
                                         .withHighSizes(1, 2)),
                          plainFile("beyond the data")}));
    ASSERT_EQ(f.names(), std::vector<std::string>{"huge.iso"});
    EXPECT_EQ(f.reader.Compressed_Size(1), 1); // the low word, as stored
    EXPECT_EQ(f.reader.UnCompressed_Size(1), static_cast<std::int32_t>(0x80000001));
}

TEST(RarReader, FirstPartOfAMultiVolumeArchive)
{
    const std::uint16_t volumeNewNumberingFirst = 0x0111;
    RarFixture f;
    f.read(rar4::archive(
        {rar4::marker(), rar4::mainHead(volumeNewNumberingFirst), plainFile("dir\\small"),
         rar4::file(FileBlock("dir\\big").withData("first part").withFlags(0x8002)),
         rar4::block(0x7B, 0x400F, std::string(13, '\x11'))}));
    EXPECT_EQ(f.names(), (std::vector<std::string>{"dir\\small", "dir\\big"}));
}

TEST(RarReader, EncryptedBlockHeadersListNothing)
{
    const Bytes lookalike = plainFile("looks like a file header");
    RarFixture f;
    EXPECT_FALSE(failureOf([&] {
        f.read(rar4::archive({rar4::marker(), rar4::mainHead(0x0080), lookalike}));
    }));
    EXPECT_EQ(f.reader.FileCount(), 0);
    EXPECT_EQ(f.state.ReadStatus, 6);
}

TEST(RarReader, NamesFromEveryEncoding)
{
    const std::string compact = std::string("????.txt\0\x04\x55\x42\x35\x41\x42\xC0\x02", 17);
    RarFixture f;
    f.read(rar4::archive({rar4::marker(), rar4::mainHead(),
                          rar4::file(FileBlock(compact).withFlags(0x8200)),
                          rar4::file(FileBlock("caf\xC3\xA9").withFlags(0x8200)),
                          rar4::file(FileBlock("\xC5\xA1kola").withHost(3)),
                          rar4::file(FileBlock("\x9F\x61j").withHost(2))}));
    EXPECT_EQ(f.names(), (std::vector<std::string>{"тест.txt", "café", "škola", "čaj"}));
}

TEST(RarReader, StoredCommentsAreText)
{
    RarFixture f;
    f.read(
        rar4::archive({rar4::marker(), rar4::mainHead(0x0002, rar4::commentBlock("archive note")),
                       rar4::file(FileBlock("a").withFlags(0x8008).withAfterName(
                           rar4::commentBlock("file note"))),
                       rar4::file(FileBlock("b").withFlags(0x8008).withAfterName(
                           rar4::commentBlock("packed bytes", 0x33)))}));
    EXPECT_EQ(f.names(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(f.reader.CommentsPack(), "archive note");
    EXPECT_EQ(f.reader.CommentsFile(1), "file note");
    EXPECT_EQ(f.reader.CommentsFile(2), "");

    f.read(rar4::archive({rar4::marker(), rar4::mainHead(), plainFile("c")}));
    EXPECT_EQ(f.reader.CommentsPack(), "");
}

TEST(RarReader, SecondReadShowsOnlyTheSecondArchive)
{
    RarFixture f;
    f.read(rar4::archive(
        {rar4::marker(), rar4::mainHead(), plainFile("1"), plainFile("2"), plainFile("3")}));
    f.read(rar4::archive({rar4::marker(), rar4::mainHead(), plainFile("only")}));
    EXPECT_EQ(f.names(), std::vector<std::string>{"only"});
    EXPECT_EQ(f.reader.FileName(2), "");
}

TEST(RarReader, CountAfterAZipReadIsTheZipCount)
{
    TARVELO_SKIP_WITHOUT_CORPUS();
    RarFixture f;
    f.read(rar4::archive(
        {rar4::marker(), rar4::mainHead(), plainFile("1"), plainFile("2"), plainFile("3")}));
    archive::Cls_Zip zip(f.state, common::CodePage::defaultOem());
    const Bytes zipBytes = readBytes(corpusDir() / "zip/comment_stored.zip");
    const MemoryArchive files(zipBytes);
    IgnoredNotices notices;
    zip.Get_Contents("test.zip", {files, notices});
    ASSERT_EQ(zip.FileCount(), 2);
    EXPECT_EQ(f.reader.FileCount(), 2);
    // The shared count guards this reader's own table.
    EXPECT_EQ(f.reader.FileName(2), "2");
    EXPECT_EQ(f.reader.FileName(3), "");
}

} // namespace
} // namespace tarvelo::test
