// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/zip_reader.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/error.h"
#include "tests/archive/reader_fixtures.h"
#include "tests/archive/zip_fixtures.h"
#include "tests/support/byte_builder.h"

namespace tarvelo::test {
namespace {

using Names = std::vector<std::string>;

const std::vector<ZipMember> kThreeMembers = {
    {.name = "a.txt", .data = "abc"}, {.name = "dir/"}, {.name = "dir/b.txt", .data = "b"}};
const Names kThreeNames = {"a.txt", "dir/", "dir/b.txt"};

std::vector<std::uint8_t> cutAt(const std::vector<std::uint8_t>& bytes, std::size_t length)
{
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)};
}

std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> bytes, std::string_view more)
{
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

TEST(ZipReader, WorkedExamples)
{
    const struct
    {
        const char* name;
        std::string comment;
        std::size_t fileLength;
    } cases[] = {{"direct route", "", 111}, {"archive comment", "abc", 114}};
    for (const auto& c : cases) {
        const ZipImage image = buildZip({{.name = "a.txt", .data = "xyz"}}, {.comment = c.comment});
        ASSERT_EQ(image.bytes.size(), c.fileLength) << c.name;
        ASSERT_EQ(image.centralHeaders, std::vector<std::size_t>{38}) << c.name;
        ZipFixture zip;
        zip.read(image.bytes);
        EXPECT_EQ(zip.names(), Names{"a.txt"}) << c.name;
        EXPECT_EQ(zip.reader.CommentsPack(), c.comment) << c.name;
        EXPECT_EQ(zip.state.ReadStatus, 1) << c.name;
        EXPECT_EQ(zip.state.ArchivePath, "test.zip") << c.name;
        EXPECT_TRUE(zip.notices.texts.empty()) << c.name;
        EXPECT_EQ(zip.files.openCount(), 0) << c.name << ": file left open";
    }
}

TEST(ZipReader, FindsTheDirectoryFromTheEndRecord)
{
    std::string fakeEndInComment = "PK\x05\x06";
    fakeEndInComment += std::string(16, '\0') + "\x77\x77"; // its comment would pass the end
    // Ends where the file ends, as a real one would, but its directory is not where it says.
    const std::string fakeEndRecord = std::string("PK\x05\x06") + std::string(4, '\0') +
                                      "\x01\x00\x01\x00"
                                      "\x2E\x00\x00\x00"
                                      "\x05\x00\x00\x00" +
                                      std::string(2, '\0');
    const struct
    {
        const char* name;
        ZipOptions options;
        std::string trailing;
    } cases[] = {
        {"no comment", {}, ""},
        {"comment", {.comment = "Disc 1"}, ""},
        {"longest comment", {.comment = std::string(0xFFFF, 'c')}, ""},
        {"bytes after the comment", {.comment = "Disc 1"}, "trailing junk"},
        {"end signature inside the comment", {.comment = fakeEndInComment}, ""},
        {"whole end record inside the comment", {.comment = "note " + fakeEndRecord}, ""},
        {"whole end record at the end of a long comment",
         {.comment = std::string(9000, 'c') + fakeEndRecord}, ""},
        {"self-extractor stub in front", {.prefix = std::string(1024, 'M')}, ""},
        {"stub and comment", {.comment = "sfx", .prefix = "MZ stub"}, ""},
        {"ZIP64 end records", {.zip64End = true}, ""},
        {"ZIP64 end records behind a stub", {.prefix = "MZ stub", .zip64End = true}, ""},
    };
    for (const auto& c : cases) {
        ZipFixture zip;
        zip.read(buildZip(kThreeMembers, c.options).bytes + c.trailing);
        EXPECT_EQ(zip.names(), kThreeNames) << c.name;
        EXPECT_EQ(zip.reader.CommentsPack(), c.options.comment) << c.name;
        EXPECT_TRUE(zip.notices.texts.empty()) << c.name;
    }
}

TEST(ZipReader, WalksLocalHeadersWhenThereIsNoEndRecord)
{
    const ZipImage plain = buildZip(kThreeMembers);
    std::vector<std::uint8_t> damagedEnd = plain.bytes;
    poke32(damagedEnd, plain.endRecord, 0);
    const struct
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        Names names;
        std::size_t notices;
    } cases[] = {
        {"end record cut off", cutAt(plain.bytes, plain.endRecord), kThreeNames, 0},
        {"end signature damaged", damagedEnd, kThreeNames, 0},
    };
    for (const auto& c : cases) {
        ZipFixture zip;
        zip.read(c.bytes);
        EXPECT_EQ(zip.names(), c.names) << c.name;
        EXPECT_EQ(zip.notices.texts.size(), c.notices) << c.name;
        EXPECT_EQ(zip.reader.CommentsPack(), "") << c.name;
    }
}

TEST(ZipReader, FailsWhenNoDirectoryCanBeFound)
{
    const ZipImage plain = buildZip(kThreeMembers);
    // Sizes left to a data descriptor: the walk lands in the data and stops there, so a
    // large file that is no archive is never searched through.
    const ZipImage descriptor =
        buildZip({{.name = "s.txt", .data = "DATA1234", .flags = 8, .compressedSize = 0}});
    std::vector<std::uint8_t> descriptorNoEnd = descriptor.bytes;
    descriptorNoEnd.resize(descriptor.endRecord);
    std::vector<std::uint8_t> firstHeaderDamaged = plain.bytes;
    poke32(firstHeaderDamaged, plain.centralHeaders[0], 0x02014B51);
    std::vector<std::uint8_t> offsetOutside = plain.bytes;
    poke32(offsetOutside, plain.endRecord + 16, 0x7FFFFFFF);
    poke32(offsetOutside, plain.endRecord + 12, 0x7FFFFFFF);

    const struct
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t notices;
    } cases[] = {
        {"empty file", {}, 0},
        {"shorter than an end record", ByteBuilder().text("PK\x03\x04 short").data(), 0},
        {"100 bytes of text", ByteBuilder().text(std::string(100, 'x')).data(), 1},
        {"local header cut off", cutAt(plain.bytes, 20), 0},
        {"local headers only", cutAt(plain.bytes, plain.centralHeaders[0]), 0},
        {"first central header damaged", firstHeaderDamaged, 0},
        {"directory outside the file", offsetOutside, 0},
        {"data after a zero-size local header", descriptorNoEnd, 1},
    };
    for (const auto& c : cases) {
        ZipFixture zip;
        EXPECT_EQ(failureOf([&] { zip.read(c.bytes); }), ErrorNumber::InvalidFileFormat) << c.name;
        EXPECT_EQ(zip.notices.texts, Names(c.notices, "Unknown header")) << c.name;
        EXPECT_EQ(zip.state.ReadStatus, 0) << c.name;
        EXPECT_EQ(zip.files.openCount(), 0) << c.name << ": file left open";
    }
}

TEST(ZipReader, WalkWithoutEndRecordStopsAtTheFirstUnknownData)
{
    std::vector<std::uint8_t> bytes = buildZip({{.name = "a.txt", .data = "abc"}}).bytes;
    bytes.resize(bytes.size() - 22); // no end record
    bytes.insert(bytes.begin() + 30 + 5 + 3, 16u << 20, 'x');
    ZipFixture zip;
    EXPECT_EQ(failureOf([&] { zip.read(bytes); }), ErrorNumber::InvalidFileFormat);
    EXPECT_LT(zip.files.bytesRead(), 1u << 20) << "searched the data for records";
}

// On a drive the bytes read cost time: a small directory behind large data is read with
// the end records in one short request, not with the longest comment's worth of bytes.
TEST(ZipReader, SmallDirectoryCostsAShortRead)
{
    ZipFixture zip;
    zip.read(buildZip({{.name = "big.bin", .data = std::string(200 * 1024, 'd')},
                       {.name = "small.txt", .data = "s"}})
                 .bytes);
    EXPECT_EQ(zip.names(), (Names{"big.bin", "small.txt"}));
    EXPECT_LE(zip.files.bytesRead(), 8u * 1024);
}

TEST(ZipReader, DamagedEndRecordCostsNoLargeRead)
{
    // A stub in front, so the stated offset misses; the stated size reaches into the stub.
    constexpr std::size_t kStubSize = 4 << 20;
    const ZipImage image = buildZip(kThreeMembers, {.prefix = std::string(kStubSize, 'M')});
    std::vector<std::uint8_t> bytes = image.bytes;
    poke32(bytes, image.endRecord + 12, static_cast<std::uint32_t>(image.endRecord - 16));
    ZipFixture zip;
    EXPECT_EQ(failureOf([&] { zip.read(bytes); }), ErrorNumber::InvalidFileFormat);
    EXPECT_LT(zip.files.bytesRead(), 128u * 1024) << "read the stub as a directory";
}

TEST(ZipReader, EntryTableEndsAtTheFirstBrokenHeader)
{
    const ZipImage plain = buildZip(kThreeMembers);
    const auto damaged = [&](std::size_t at, std::uint32_t value) {
        std::vector<std::uint8_t> bytes = plain.bytes;
        poke32(bytes, at, value);
        return bytes;
    };
    const std::size_t third = plain.centralHeaders[2];
    // A table cut short by damage is listed with a notice; one that merely holds more
    // than its count is not damage.
    const struct
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        Names names;
        std::size_t notices;
    } cases[] = {
        {"second signature wrong", damaged(plain.centralHeaders[1], 0x01014B50), {"a.txt"}, 1},
        {"third header runs into the end record",
         damaged(third + 28, 0xFFFF),
         {"a.txt", "dir/"},
         1},
        {"end record counts fewer", damaged(plain.endRecord + 8, 0x00030002), {"a.txt", "dir/"}, 0},
        {"end record counts more", damaged(plain.endRecord + 8, 0x00030009), kThreeNames, 1},
    };
    for (const auto& c : cases) {
        ZipFixture zip;
        zip.read(c.bytes);
        EXPECT_EQ(zip.names(), c.names) << c.name;
        EXPECT_EQ(zip.reader.FileCount(), static_cast<std::int32_t>(c.names.size())) << c.name;
        EXPECT_EQ(zip.notices.texts.size(), c.notices) << c.name;
    }
    // The first header running past the directory leaves nothing to list: the archive fails.
    ZipFixture first;
    EXPECT_EQ(failureOf([&] { first.read(damaged(plain.centralHeaders[0] + 28, 0xFFFF)); }),
              ErrorNumber::InvalidFileFormat);
}

TEST(ZipReader, EmptyArchiveHasNoEntriesAndNoError)
{
    ZipFixture zip;
    zip.read(buildZip({}).bytes);
    EXPECT_EQ(zip.reader.FileCount(), 0);
    EXPECT_EQ(zip.state.ReadStatus, 1);
}

TEST(ZipReader, CountsFrom32768UpAreUnsigned)
{
    std::vector<ZipMember> members(40000);
    for (std::size_t i = 0; i < members.size(); ++i)
        members[i].name = std::to_string(i);
    ZipFixture zip;
    zip.read(buildZip(members).bytes);
    ASSERT_EQ(zip.reader.FileCount(), 40000);
    EXPECT_EQ(zip.reader.FileName(40000), "39999");
}

TEST(ZipReader, EntryProperties)
{
    const struct
    {
        ZipMember member;
        bool isDir;
        bool encrypted;
        std::int32_t crc;
        std::int32_t compressed;
        std::int32_t uncompressed;
    } cases[] = {
        {{.name = "dir/"}, true, false, 0, 0, 0},
        {{.name = "empty.txt"}, false, false, 0, 0, 0},
        {{.name = "sized/", .data = "x"}, false, false, 0, 1, 0},
        {{.name = "back\\"}, false, false, 0, 0, 0},
        {{.name = ""}, false, false, 0, 0, 0},
        {{.name = "flag 1", .flags = 0x0001}, false, true, 0, 0, 0},
        {{.name = "flags 9", .flags = 0x0009}, false, true, 0, 0, 0},
        {{.name = "flag 8", .flags = 0x0008}, false, false, 0, 0, 0},
        {{.name = "big",
          .crc32 = 0xFFFFFFFF,
          .compressedSize = 3000000000u,
          .uncompressedSize = 0x80000000u},
         false,
         false,
         -1,
         -1294967296,
         std::numeric_limits<std::int32_t>::min()},
    };
    std::vector<ZipMember> members;
    for (const auto& c : cases)
        members.push_back(c.member);
    ZipFixture zip;
    zip.read(buildZip(members).bytes);
    ASSERT_EQ(zip.reader.FileCount(), static_cast<std::int32_t>(members.size()));
    for (std::int32_t i = 1; i <= zip.reader.FileCount(); ++i) {
        const auto& c = cases[i - 1];
        EXPECT_EQ(zip.reader.FileName(i), c.member.name);
        EXPECT_EQ(zip.reader.IsDir(i), c.isDir) << c.member.name;
        EXPECT_EQ(zip.reader.Encrypted(i), c.encrypted) << c.member.name;
        EXPECT_EQ(zip.reader.CRC32(i), c.crc) << c.member.name;
        EXPECT_EQ(zip.reader.Compressed_Size(i), c.compressed) << c.member.name;
        EXPECT_EQ(zip.reader.UnCompressed_Size(i), c.uncompressed) << c.member.name;
    }
}

TEST(ZipReader, DescribesCodedFields)
{
    const struct
    {
        std::uint16_t madeBy, needed, method;
        const char *systemMadeBy, *versionMadeBy, *systemNeeded, *versionNeeded, *methodName;
    } cases[] = {
        {0x033F, 0x0014, 8, "UNIX", "6.3", "MS-DOS and OS/2 (FAT / VFAT / FAT32 file systems)",
         "2.0", "Deflated"},
        {0x1300, 0xFFFF, 0xFFFF, "UnKnown", "0.0", "UnKnown", "25.5", "Unknown"},
        {0x0A2D, 0x0214, 12, "Windows NTFS", "4.5", "2 - OpenVMS", "2.0", "BZip2"},
    };
    std::vector<ZipMember> members;
    for (const auto& c : cases)
        members.push_back(
            {.versionMadeBy = c.madeBy, .versionNeeded = c.needed, .method = c.method});
    ZipFixture zip;
    zip.read(buildZip(members).bytes);
    for (std::int32_t i = 1; i <= zip.reader.FileCount(); ++i) {
        const auto& c = cases[i - 1];
        EXPECT_EQ(zip.reader.SystemMadeBy(i), c.systemMadeBy) << "entry " << i;
        EXPECT_EQ(zip.reader.VersionMadeBy(i), c.versionMadeBy) << "entry " << i;
        EXPECT_EQ(zip.reader.SystemNeeded(i), c.systemNeeded) << "entry " << i;
        EXPECT_EQ(zip.reader.VersionNeeded(i), c.versionNeeded) << "entry " << i;
        EXPECT_EQ(zip.reader.Method(i), c.methodName) << "entry " << i;
    }
}

TEST(ZipReader, Zip64ValuesHandOutTheirLow32Bits)
{
    const auto zip64Extra = [](std::initializer_list<std::uint64_t> values) {
        ByteBuilder block;
        block.u16(0x0001).u16(static_cast<std::uint16_t>(8 * values.size()));
        for (const std::uint64_t value : values)
            block.u64(value);
        return std::string(block.data().begin(), block.data().end());
    };
    const std::vector<ZipMember> members = {
        {.name = "huge.bin",
         .compressedSize = 0xFFFFFFFF,
         .uncompressedSize = 0xFFFFFFFF,
         .extra = zip64Extra({0x100000005, 0x100000003})},
        {.name = "only compressed",
         .compressedSize = 0xFFFFFFFF,
         .uncompressedSize = 7,
         .extra = zip64Extra({0x200000009})},
        {.name = "looks empty/", .compressedSize = 0xFFFFFFFF, .extra = zip64Extra({0x100000000})},
    };
    ZipFixture zip;
    zip.read(buildZip(members, {.zip64End = true}).bytes);
    ASSERT_EQ(zip.reader.FileCount(), 3);
    EXPECT_EQ(zip.reader.Compressed_Size(1), 3);
    EXPECT_EQ(zip.reader.UnCompressed_Size(1), 5);
    EXPECT_EQ(zip.reader.Compressed_Size(2), 9);
    EXPECT_EQ(zip.reader.UnCompressed_Size(2), 7);
    EXPECT_EQ(zip.reader.Compressed_Size(3), 0);
    EXPECT_FALSE(zip.reader.IsDir(3)) << "the real compressed size is 4 GiB";
}

TEST(ZipReader, EntryNumbersThatNameNoEntry)
{
    ZipFixture zip;
    EXPECT_EQ(zip.reader.FileCount(), 0);
    EXPECT_EQ(zip.reader.FileName(1), "");
    EXPECT_EQ(zip.reader.CRC32(1), 0);
    EXPECT_FALSE(zip.reader.IsDir(1));
    EXPECT_EQ(zip.reader.Method(1), "");
    EXPECT_EQ(zip.reader.SystemMadeBy(1), "");
    EXPECT_TRUE(zip.reader.CanUnpack());
    EXPECT_EQ(zip.reader.Pack("x.zip", {"a"}, 8, 9, true), 0);

    zip.read(buildZip(kThreeMembers).bytes);
    for (const std::int32_t unused : {0, 4, std::numeric_limits<std::int32_t>::max()}) {
        EXPECT_EQ(zip.reader.FileName(unused), "") << unused;
        EXPECT_EQ(zip.reader.Compressed_Size(unused), 0) << unused;
        EXPECT_FALSE(zip.reader.Encrypted(unused)) << unused;
    }
    for (const std::int32_t negative : {-1, std::numeric_limits<std::int32_t>::min()}) {
        EXPECT_EQ(failureOf([&] { zip.reader.FileName(negative); }),
                  ErrorNumber::SubscriptOutOfRange);
        EXPECT_EQ(failureOf([&] { zip.reader.VersionNeeded(negative); }),
                  ErrorNumber::SubscriptOutOfRange);
    }
}

TEST(ZipReader, SharedStateFollowsTheLatestRead)
{
    archive::ReaderState state;
    archive::Cls_Zip first(state, common::CodePage::defaultOem());
    archive::Cls_Zip second(state, common::CodePage::defaultOem());
    MemoryFiles files;
    RecordedNotices notices;
    files.add("three.zip", buildZip(kThreeMembers).bytes);
    files.add("one.zip", buildZip({{.name = "only.txt"}}, {.comment = "one"}).bytes);
    std::vector<ZipMember> fiveMembers(5, ZipMember{.name = "five"});
    files.add("five.zip", buildZip(fiveMembers).bytes);

    first.Get_Contents("three.zip", {files, notices});
    second.Get_Contents("one.zip", {files, notices});
    EXPECT_EQ(first.FileCount(), 1);
    EXPECT_EQ(first.CommentsPack(), "one");
    EXPECT_EQ(first.FileName(2), "") << "guarded by the latest count";
    EXPECT_EQ(second.FileName(1), "only.txt");

    second.Get_Contents("five.zip", {files, notices});
    EXPECT_EQ(first.FileCount(), 5);
    EXPECT_EQ(failureOf([&] { first.FileName(5); }), ErrorNumber::SubscriptOutOfRange)
        << "past the first reader's own table";

    // A failed read hands nothing out but leaves the count.
    EXPECT_EQ(failureOf([&] {
                  second.Get_Contents("missing.zip", {files, notices});
              }),
              ErrorNumber::FileNotFound);
    EXPECT_EQ(state.ArchivePath, "missing.zip");
    EXPECT_EQ(second.FileCount(), 5);
    EXPECT_EQ(second.FileName(1), "");
    EXPECT_EQ(second.CommentsPack(), "");
}

} // namespace
} // namespace tarvelo::test
