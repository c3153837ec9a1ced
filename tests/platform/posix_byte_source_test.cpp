// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_byte_source.h"

#include <sys/stat.h>

#include <string>

#include <gtest/gtest.h>

#include "common/error.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;
using test::errorOf;
using test::TempDir;

std::string text(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

TEST(PosixByteSource, ReadsAnyRangeInsideTheFile)
{
    TempDir dir;
    const auto source = PosixByteSource::open(dir.write("digits", "0123456789").string());
    EXPECT_EQ(source->size(), 10u);

    const struct { const char* name; std::uint64_t offset; std::size_t count; const char* bytes; } cases[] = {
        {"start", 0, 3, "012"}, {"middle", 3, 4, "3456"}, {"up to the end", 8, 2, "89"},
        {"nothing at the end", 10, 0, ""}, {"whole file", 0, 10, "0123456789"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(source->read(c.offset, c.count)), c.bytes) << c.name;
}

TEST(PosixByteSource, RangePastTheEndIsAnError)
{
    TempDir dir;
    const auto source = PosixByteSource::open(dir.write("digits", "0123456789").string());
    std::vector<std::uint8_t> out(4);

    const struct { const char* name; std::uint64_t offset; } cases[] = {
        {"crossing the end", 8}, {"after the end", 11}, {"offset near the top", ~std::uint64_t{0} - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { source->readAt(c.offset, out); }),
                  ErrorNumber::InputPastEndOfFile) << c.name;
}

TEST(PosixByteSource, FileThatShrinksAfterOpeningEndsTheReadWithAnError)
{
    TempDir dir;
    const fs::path path = dir.write("shrinking", std::string(100, 's'));
    const auto source = PosixByteSource::open(path.string());
    fs::resize_file(path, 10);

    std::vector<std::uint8_t> out(50);
    EXPECT_EQ(errorOf([&] { source->readAt(20, out); }), ErrorNumber::InputPastEndOfFile);
}

TEST(PosixByteSource, RefusesWhatIsNoFileWithoutWaiting)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path() / "x.zip").c_str(), 0600), 0);
    fs::create_directory(dir.path() / "folder.zip");

    const struct { const char* name; const char* path; ErrorNumber number; } cases[] = {
        {"FIFO", "x.zip", ErrorNumber::PathFileAccess},
        {"folder", "folder.zip", ErrorNumber::PathFileAccess},
        {"missing", "gone.zip", ErrorNumber::FileNotFound},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { PosixByteSource::open((dir.path() / c.path).string()); }), c.number)
            << c.name;
}

} // namespace
} // namespace tarvelo::platform
