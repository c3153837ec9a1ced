#include "platform/posix_output.h"

#include <sys/stat.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "common/error.h"
#include "tests/support/error_of.h"
#include "tests/platform/scoped_mount.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::platform {
namespace {

namespace fs = std::filesystem;
using test::errorOf;
using test::ScopedMount;
using test::TempDir;

std::string contentOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Sets the process's umask for one test.
class UmaskScope
{
public:
    explicit UmaskScope(mode_t mask) : m_previous(::umask(mask)) {}
    ~UmaskScope() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

TEST(PosixOutput, AnyEntryAtThePathExists)
{
    TempDir dir;
    dir.write("report.txt", "old");
    fs::create_directory(dir.path() / "folder");
    fs::create_symlink("nowhere", dir.path() / "dangling");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);

    const struct { const char* name; bool exists; } cases[] = {
        {"report.txt", true}, {"folder", true}, {"dangling", true}, {"fifo", true}, {"missing", false},
    };
    const PosixOutputService outputs;
    for (const auto& c : cases)
        EXPECT_EQ(outputs.exists((dir.path() / c.name).string()), c.exists) << c.name;
}

TEST(PosixOutput, OldFileStaysUntilTheNewOneIsComplete)
{
    const UmaskScope umask(022);
    TempDir dir;
    const fs::path path = dir.write("report.txt", "old");
    const std::string line = "a report line that is long enough to need several buffers\r\n";

    PosixOutputService outputs;
    auto pending = outputs.create(path.string());
    std::string written;
    for (int i = 0; i < 5000; ++i) {
        pending->write(line);
        written += line;
    }
    pending->finish();
    EXPECT_EQ(contentOf(path), "old");
    EXPECT_EQ(namesIn(dir.path()).size(), 2u) << "the report and its temporary file";

    pending->replace();
    EXPECT_EQ(contentOf(path), written);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"report.txt"});
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644));
}

TEST(PosixOutput, ReportDroppedBeforeReplaceLeavesNoTrace)
{
    const struct { const char* name; bool finished; } cases[] = {
        {"while writing", false}, {"after finishing", true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path path = dir.write("report.txt", "old");
        PosixOutputService outputs;
        {
            auto pending = outputs.create(path.string());
            pending->write("new");
            if (c.finished) pending->finish();
        }
        EXPECT_EQ(contentOf(path), "old") << c.name;
        EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"report.txt"}) << c.name;
    }
}

TEST(PosixOutput, DestinationInAFolderThatCannotExistIsRefused)
{
    TempDir dir;
    dir.write("file.txt", "a file, not a folder");

    const struct { const char* name; const char* path; ErrorNumber number; } cases[] = {
        {"file used as a folder", "file.txt/report.txt", ErrorNumber::PathNotFound},
        {"missing folder", "missing/report.txt", ErrorNumber::FileNotFound},
    };
    PosixOutputService outputs;
    for (const auto& c : cases)
        EXPECT_EQ(errorOf([&] { outputs.create((dir.path() / c.path).string()); }), c.number)
            << c.name;
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"file.txt"});
}

TEST(PosixOutput, FolderInTheWayFailsTheReplaceAndKeepsTheFolder)
{
    TempDir dir;
    dir.write("report.txt/inside", "kept");

    PosixOutputService outputs;
    {
        auto pending = outputs.create((dir.path() / "report.txt").string());
        pending->write("new");
        pending->finish();
        EXPECT_TRUE(errorOf([&] { pending->replace(); }));
    }
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"report.txt"});
    EXPECT_EQ(contentOf(dir.path() / "report.txt/inside"), "kept");
}

TEST(PosixOutput, FullDiskFailsAndKeepsTheOldFile)
{
    TempDir dir;
    const auto mount = ScopedMount::tmpfs(dir.path() / "small", "64k");
    if (!mount) GTEST_SKIP() << "mounting a tmpfs was refused";
    const fs::path path = dir.write("small/report.txt", "old");

    PosixOutputService outputs;
    {
        auto pending = outputs.create(path.string());
        const auto failure = errorOf([&] {
            for (int i = 0; i < 200; ++i)
                pending->write(std::string(1024, 'x'));
            pending->finish();
        });
        EXPECT_EQ(failure, ErrorNumber::DiskFull);
    }
    EXPECT_EQ(contentOf(path), "old");
    EXPECT_EQ(namesIn(mount->folder()), std::set<std::string>{"report.txt"});
}

} // namespace
} // namespace tarvelo::platform
