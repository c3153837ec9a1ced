// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/rar5_records.h"
#include "tests/archive/rar_fixtures.h"

#include <gtest/gtest.h>

namespace tarvelo::test {
namespace {

using rar5::FileHeader;

Bytes rar5Archive(std::initializer_list<Bytes> headers)
{
    Bytes out = rar5::signature();
    for (const Bytes& h : headers)
        out.insert(out.end(), h.begin(), h.end());
    return out;
}

TEST(Rar5Vint, Decoding)
{
    const struct
    {
        const char* name;
        Bytes bytes;
        std::uint64_t value;
        std::size_t length;
    } cases[] = {
        {"zero", {0x00}, 0, 1},
        {"largest in one byte", {0x7F, 0xFF}, 127, 1},
        {"two bytes", {0x80, 0x01}, 128, 2},
        {"padded zero", {0x80, 0x80, 0x00}, 0, 3},
        {"largest 64-bit value",
         {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01},
         UINT64_MAX,
         10},
    };
    for (const auto& c : cases) {
        const auto v = archive::rar5::decodeVint(c.bytes);
        ASSERT_TRUE(v) << c.name;
        EXPECT_EQ(v->value, c.value) << c.name;
        EXPECT_EQ(v->length, c.length) << c.name;
    }
    EXPECT_FALSE(archive::rar5::decodeVint(Bytes{0x80, 0x80})) << "cut off";
    EXPECT_FALSE(archive::rar5::decodeVint(Bytes{})) << "empty";
}

TEST(Rar5Vint, BeyondSixtyFourBitsIsDamage)
{
    const Bytes tooWide = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02};
    const Bytes tooLong(11, 0x80);
    EXPECT_EQ(failureOf([&] { archive::rar5::decodeVint(tooWide); }),
              ErrorNumber::InvalidFileFormat);
    EXPECT_EQ(failureOf([&] { archive::rar5::decodeVint(tooLong); }),
              ErrorNumber::InvalidFileFormat);
}

TEST(Rar5Reader, ListsFilesAndSkipsServiceHeaders)
{
    const Bytes phantom = rar5::file(FileHeader("phantom"));
    const std::string hidden(phantom.begin(), phantom.end());
    RarFixture f;
    f.read(rar5Archive({rar5::mainHeader(), rar5::header(3, 0, rar5::vint(0) + "CMT", {}, hidden),
                        rar5::file(FileHeader("docs").withFileFlags(0x0001)),
                        rar5::file(FileHeader("docs/a.txt")
                                       .withData(hidden)
                                       .withUnpackedSize(99)
                                       .withCrc(0xCAFEF00D)
                                       .withCompression(3 << 7)
                                       .withHost(1)),
                        rar5::endHeader(), rar5::file(FileHeader("after the end"))}));
    const auto& r = f.reader;
    ASSERT_EQ(f.names(), (std::vector<std::string>{"docs", "docs/a.txt"}));
    EXPECT_TRUE(r.IsDir(1));
    EXPECT_FALSE(r.IsDir(2));
    EXPECT_EQ(r.Compressed_Size(2), static_cast<std::int32_t>(hidden.size()));
    EXPECT_EQ(r.UnCompressed_Size(2), 99);
    EXPECT_EQ(r.CRC32(2), static_cast<std::int32_t>(0xCAFEF00D));
    EXPECT_EQ(f.state.ReadStatus, 6);
}

// RAR 5 codes shown in the words of the older format.
TEST(Rar5Reader, Descriptions)
{
    const struct
    {
        const char* name;
        FileHeader file;
        const char* method;
        const char* system;
        const char* version;
    } cases[] = {
        {"stored on Windows", FileHeader("a").withCompression(0).withHost(0), "No Compression",
         "Win32", "5.0"},
        {"fastest on Unix", FileHeader("a").withCompression(1 << 7).withHost(1), "Fastest", "UNIX",
         "5.0"},
        {"best, RAR 7 algorithm", FileHeader("a").withCompression(5 << 7 | 1), "Maximum", "Win32",
         "7.0"},
        {"unknown method, host and algorithm",
         FileHeader("a").withCompression(6 << 7 | 9).withHost(2), "Unknown", "unKnown", "0.0"},
        {"solid flag and dictionary bits", FileHeader("a").withCompression(0x3C00 | 0x40 | 2 << 7),
         "Fast", "Win32", "5.0"},
    };
    for (const auto& c : cases) {
        RarFixture f;
        f.read(rar5Archive({rar5::mainHeader(), rar5::file(c.file)}));
        ASSERT_EQ(f.reader.FileCount(), 1) << c.name;
        EXPECT_EQ(f.reader.Method(1), c.method) << c.name;
        EXPECT_EQ(f.reader.SystemMadeBy(1), c.system) << c.name;
        EXPECT_EQ(f.reader.VersionNeeded(1), c.version) << c.name;
    }
}

TEST(Rar5Reader, EncryptedFileAndLargeSizes)
{
    const std::string encryptionRecord = rar5::vint(2) + rar5::vint(1) + "x";
    const std::string timeRecord = rar5::vint(2) + rar5::vint(3) + "t";
    RarFixture f;
    f.read(rar5Archive({rar5::mainHeader(),
                        rar5::file(FileHeader("secret").withExtra(timeRecord + encryptionRecord)),
                        rar5::file(FileHeader("plain").withExtra(timeRecord)),
                        rar5::file(FileHeader("huge").withUnpackedSize(0x1'2345'6789))}));
    ASSERT_EQ(f.reader.FileCount(), 3);
    EXPECT_TRUE(f.reader.Encrypted(1));
    EXPECT_FALSE(f.reader.Encrypted(2));
    EXPECT_EQ(f.reader.UnCompressed_Size(3), 0x2345'6789);
}

TEST(Rar5Reader, EncryptedHeadersListNothing)
{
    RarFixture f;
    EXPECT_FALSE(failureOf([&] {
        f.read(rar5Archive(
            {rar5::header(4, 0, std::string(20, '\x01')), rar5::file(FileHeader("hidden"))}));
    }));
    EXPECT_EQ(f.reader.FileCount(), 0);
    EXPECT_EQ(f.state.ReadStatus, 6);
}

TEST(Rar5Reader, DamagedHeadersEndTheListing)
{
    const auto withSize = [](std::string_view sizeField, std::string_view rest) {
        Bytes out = {0, 0, 0, 0};
        out.insert(out.end(), sizeField.begin(), sizeField.end());
        out.insert(out.end(), rest.begin(), rest.end());
        return out;
    };
    const struct
    {
        const char* name;
        Bytes damaged;
    } cases[] = {
        {"header size zero", withSize(rar5::vint(0), "")},
        {"header size past 2 MiB", withSize(rar5::vint(3 * 1024 * 1024), "")},
        {"extra area larger than the header", rar5::header(2, 1, rar5::vint(9) + "ab")},
        {"name running past the header",
         rar5::header(2, 0,
                      rar5::vint(0) + rar5::vint(0) + rar5::vint(0) + rar5::vint(0) +
                          rar5::vint(0) + rar5::vint(9) + "ab")},
    };
    for (const auto& c : cases) {
        RarFixture f;
        const Bytes bytes =
            rar5Archive({rar5::file(FileHeader("one")), rar5::file(FileHeader("two")), c.damaged,
                         rar5::file(FileHeader("after"))});
        EXPECT_FALSE(failureOf([&] { f.read(bytes); })) << c.name;
        EXPECT_EQ(f.names(), (std::vector<std::string>{"one", "two"})) << c.name;
        EXPECT_EQ(f.notices.texts.size(), 1u) << c.name;

        RarFixture first;
        const Bytes damagedFirst = rar5Archive({c.damaged, rar5::file(FileHeader("after"))});
        EXPECT_EQ(failureOf([&] { first.read(damagedFirst); }), ErrorNumber::InvalidFileFormat)
            << c.name;
    }
}

TEST(Rar5Reader, HeaderCutOffByTheEndOfTheFile)
{
    const Bytes head =
        rar5Archive({rar5::mainHeader(), rar5::file(FileHeader("first").withData("0123"))});
    const Bytes whole =
        rar5Archive({rar5::mainHeader(), rar5::file(FileHeader("first").withData("0123")),
                     rar5::file(FileHeader("second"))});
    for (std::size_t length = head.size() - 4; length < whole.size(); ++length) {
        RarFixture f;
        EXPECT_FALSE(failureOf([&] { f.read({whole.data(), length}); })) << length;
        EXPECT_EQ(f.names(), std::vector<std::string>{"first"}) << length;
    }
}

} // namespace
} // namespace tarvelo::test
