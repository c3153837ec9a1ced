// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/posix_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "common/error.h"
#include "platform/posix_fd.h"
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

// Only what writing would destroy is worth a question; a link is asked about for its target.
TEST(PosixOutput, ExistsWhereWritingDestroysSomething)
{
    TempDir dir;
    dir.write("report.txt", "old");
    fs::create_directory(dir.path() / "folder");
    fs::create_symlink("report.txt", dir.path() / "link");
    fs::create_symlink("nowhere", dir.path() / "dangling");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);

    const struct { const char* name; bool exists; } cases[] = {
        {"report.txt", true}, {"folder", true}, {"link", true}, {"dangling", false},
        {"fifo", false}, {"missing", false}, {"report.txt/below", false},
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

// A folder made at the destination while the report was being written.
TEST(PosixOutput, FolderInTheWayFailsTheReplaceAndKeepsTheFolder)
{
    TempDir dir;
    PosixOutputService outputs;
    {
        auto pending = outputs.create((dir.path() / "report.txt").string());
        dir.write("report.txt/inside", "kept");
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

// Writes a whole report through the service, as a run does.
void saveReport(PosixOutputService& outputs, const fs::path& path, const std::string& text)
{
    auto pending = outputs.create(path.string());
    pending->write(text);
    pending->finish();
    pending->replace();
}

mode_t typeOf(const fs::path& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & S_IFMT;
}

// A pipe whose writing end is also reachable by a path, as /dev/stdout is.
class PipeEnds
{
public:
    PipeEnds() { EXPECT_EQ(::pipe2(m_fds, O_NONBLOCK), 0); }
    ~PipeEnds()
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    PipeEnds(const PipeEnds&) = delete;
    PipeEnds& operator=(const PipeEnds&) = delete;

    std::string writerPath() const { return "/proc/self/fd/" + std::to_string(m_fds[1]); }
    std::string drain() const
    {
        std::string text(1 << 16, '\0');
        const ssize_t got = ::read(m_fds[0], text.data(), text.size());
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return text;
    }

private:
    int m_fds[2] = {-1, -1};
};

// A device, a FIFO or a descriptor alias gets the report itself and stays what it was.
TEST(PosixOutput, NodesAreWrittenThroughNeverReplaced)
{
    TempDir dir;
    const fs::path null = dir.path() / "null";
    if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node was refused";
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const UniqueFd fifoReader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
    const PipeEnds pipe;
    fs::create_symlink(pipe.writerPath(), dir.path() / "stdout");
    // A descriptor alias of a file, as /dev/stdout is under ">> log": nothing in it is lost.
    const fs::path log = dir.write("log", "kept\n");
    const UniqueFd logFd(::open(log.c_str(), O_WRONLY | O_APPEND));
    fs::create_symlink("/proc/self/fd/" + std::to_string(logFd.get()), dir.path() / "appended");

    const struct { const char* name; mode_t type; std::function<std::string()> received; const char* expected; } cases[] = {
        {"null", S_IFCHR, [] { return std::string("report"); }, "report"},
        {"fifo", S_IFIFO, [&] {
             std::string text(64, '\0');
             text.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fifoReader.get(), text.data(), text.size()))));
             return text;
         }, "report"},
        {"stdout", S_IFLNK, [&] { return pipe.drain(); }, "report"},
        {"appended", S_IFLNK, [&] { return contentOf(log); }, "kept\nreport"},
    };
    PosixOutputService outputs;
    for (const auto& c : cases) {
        saveReport(outputs, dir.path() / c.name, "report");
        EXPECT_EQ(typeOf(dir.path() / c.name), c.type) << c.name;
        EXPECT_EQ(c.received(), c.expected) << c.name;
    }
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"null", "fifo", "stdout", "log", "appended"}));
}

TEST(PosixOutput, LinkIsFollowedAndStays)
{
    const struct { const char* name; const char* link; const char* via; const char* target; } cases[] = {
        {"to a file", "r.txt", nullptr, "old/r.txt"},
        {"to a link to a file", "r.txt", "hop", "old/r.txt"},
        {"dangling", "r.txt", nullptr, "old/new.txt"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        dir.write("old/r.txt", "old");
        const fs::path end = dir.path() / c.target;
        fs::create_symlink(end, dir.path() / (c.via ? c.via : c.link));
        if (c.via) fs::create_symlink(c.via, dir.path() / c.link);

        PosixOutputService outputs;
        saveReport(outputs, dir.path() / c.link, "new");
        EXPECT_EQ(typeOf(dir.path() / c.link), S_IFLNK) << c.name;
        EXPECT_EQ(contentOf(end), "new") << c.name;
        EXPECT_EQ(namesIn(end.parent_path()).size(), c.target == std::string("old/r.txt") ? 1u : 2u)
            << c.name << ": no temporary file left";
    }
}

TEST(PosixOutput, ReplacedFileKeepsModeAndOwner)
{
    const UmaskScope umask(022);
    TempDir dir;
    const fs::path path = dir.write("report.txt", "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const bool owned = ::chown(path.c_str(), 1234, 5678) == 0;

    PosixOutputService outputs;
    saveReport(outputs, path, "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (owned) {
        EXPECT_EQ(info.st_uid, 1234u);
        EXPECT_EQ(info.st_gid, 5678u);
    }
}

TEST(PosixOutput, FolderIsRefusedBeforeAnythingIsWritten)
{
    TempDir dir;
    dir.write("folder/inside", "kept");
    fs::create_symlink("folder", dir.path() / "link");
    PosixOutputService outputs;
    for (const char* name : {"folder", "link", "."}) {
        const std::string path = (dir.path() / name).string();
        EXPECT_TRUE(errorOf([&] { outputs.checkDestination(path); })) << name;
        EXPECT_TRUE(errorOf([&] { outputs.create(path); })) << name;
    }
    EXPECT_FALSE(errorOf([&] { outputs.checkDestination((dir.path() / "new.txt").string()); }));
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"folder", "link"}));
    EXPECT_EQ(namesIn(dir.path() / "folder"), std::set<std::string>{"inside"});
}

} // namespace
} // namespace tarvelo::platform
