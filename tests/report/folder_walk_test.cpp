// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/report/run_harness.h"

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <gtest/gtest.h>
#include <pthread.h>

namespace tarvelo::report {
namespace {

using test::FakeEntry;

std::size_t countLines(const std::vector<std::string>& lines, const std::string& line)
{
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

// Runs work on a thread whose stack is far too small for a walk that recurses per level.
void onSmallStack(std::function<void()> work)
{
    constexpr std::size_t kStackBytes = 128 * 1024;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_t thread;
    const auto run = [](void* job) -> void* {
        (*static_cast<std::function<void()>*>(job))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &work), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(FolderWalk, OpensTheArchivesTheOptionsAndNamesAskFor)
{
    const struct
    {
        const char* name;
        const char* file;
        platform::EntryKind kind;
        bool listZip;
        bool listRar;
        const char* heading; // nullptr: only the three file lines
    } cases[] = {
        {"upper-case zip", "PHOTOS.ZIP", platform::EntryKind::RegularFile, true, true,
         "ZIP contents:"},
        {"mixed-case zip", "photos.Zip", platform::EntryKind::RegularFile, true, true,
         "ZIP contents:"},
        {"lower-case zip", "photos.zip", platform::EntryKind::RegularFile, true, true,
         "ZIP contents:"},
        {"zip option off", "photos.zip", platform::EntryKind::RegularFile, false, true, nullptr},
        {"rar with zip off", "music.rar", platform::EntryKind::RegularFile, false, true,
         "RAR contents:"},
        {"rar option off", "MUSIC.RAR", platform::EntryKind::RegularFile, true, false, nullptr},
        {"longer extension", "photos.zipx", platform::EntryKind::RegularFile, true, true, nullptr},
        {"name shorter than the extension", "zip", platform::EntryKind::RegularFile, true, true,
         nullptr},
        {"extension alone", ".zip", platform::EntryKind::RegularFile, true, true, "ZIP contents:"},
        {"fifo named like a zip", "pipe.zip", platform::EntryKind::OtherFile, true, true, nullptr},
    };
    for (const auto& c : cases) {
        test::RunHarness h;
        const std::string path = std::string("D:\\") + c.file;
        h.files.addSizedFile(path, 10, c.kind);
        h.zip.add(path, {{"inside.txt"}});
        h.rar.add(path, {{"inside.txt"}});
        h.request.listZip = c.listZip;
        h.request.listRar = c.listRar;

        EXPECT_EQ(h.run().kind, OutcomeKind::Done) << c.name;

        const std::vector<std::string> body = h.bodyLines();
        const std::vector<std::string> fileLines(body.begin() + 1, body.begin() + 4);
        EXPECT_EQ(fileLines[1], std::string("\t\t") + c.file) << c.name;
        const std::size_t read = h.zip.pathsRead().size() + h.rar.pathsRead().size();
        if (c.heading == nullptr) {
            EXPECT_EQ(read, 0u) << c.name;
            EXPECT_EQ(body.size(), 5u) << c.name;
            continue;
        }
        EXPECT_EQ(read, 1u) << c.name;
        const std::vector<std::string> listing(body.begin() + 4, body.end() - 1);
        EXPECT_EQ(listing, (std::vector<std::string>{std::string("\t\t\t") + c.heading,
                                                     "\t\t\tTotal files/folders: 1",
                                                     "\t\t\tFiles:", "\t\t\t\tinside.txt"}))
            << c.name;
    }
}

TEST(FolderWalk, SkipsEveryFailingArchiveAndGoesOnWithTheNextFile)
{
    test::RunHarness h;
    for (const char* name : {"A.ZIP", "B.ZIP", "C.RAR", "D.ZIP", "E.TXT"})
        h.files.addSizedFile(std::string("D:\\") + name, 1);
    h.zip.fail("D:\\A.ZIP", Error(ErrorNumber::InvalidFileFormat, "not a zip archive"));
    h.zip.failAtEntry("D:\\B.ZIP", {{"one"}, {"two"}, {"three"}}, 2,
                      Error(ErrorNumber::SubscriptOutOfRange, "subscript out of range"));
    h.rar.fail("D:\\C.RAR", Error(ErrorNumber::InputPastEndOfFile, "input past end of file"));
    h.zip.add("D:\\D.ZIP", {});

    const RunOutcome outcome = h.run();

    EXPECT_EQ(outcome.kind, OutcomeKind::Done);
    ASSERT_EQ(outcome.skippedArchives.size(), 3u);
    const Problem expected[] = {{"D:\\A.ZIP", "not a zip archive"},
                                {"D:\\B.ZIP", "subscript out of range"},
                                {"D:\\C.RAR", "input past end of file"}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(outcome.skippedArchives[i].path, expected[i].path);
        EXPECT_EQ(outcome.skippedArchives[i].reason, expected[i].reason);
    }
    const std::string sixty(60, '-');
    const std::vector<std::string> body = h.bodyLines();
    const std::vector<std::string> wanted = {
        sixty,
        "\t\t--------------------",
        "\t\tA.ZIP",
        "\t\tSize: 1 Bytes",
        "\t\t--------------------",
        "\t\tB.ZIP",
        "\t\tSize: 1 Bytes",
        "\t\t\tZIP contents:",
        "\t\t\tTotal files/folders: 3",
        "\t\t\tFiles:",
        "\t\t\t\tone",
        "\t\t--------------------",
        "\t\tC.RAR",
        "\t\tSize: 1 Bytes",
        "\t\t--------------------",
        "\t\tD.ZIP",
        "\t\tSize: 1 Bytes",
        "\t\t--------------------",
        "\t\tE.TXT",
        "\t\tSize: 1 Bytes",
        sixty,
    };
    EXPECT_EQ(body, wanted);
}

// Whatever a reader throws (running out of memory included) costs that archive only.
TEST(FolderWalk, AnyExceptionWhileListingSkipsThatArchiveOnly)
{
    test::RunHarness h;
    for (const char* name : {"A.ZIP", "B.ZIP", "C.ZIP"})
        h.files.addSizedFile(std::string("D:\\") + name, 1);
    h.zip.fail("D:\\A.ZIP", std::bad_alloc());
    h.zip.fail("D:\\B.ZIP", std::length_error("vector too long"));
    h.zip.add("D:\\C.ZIP", {{"kept.txt"}});

    const RunOutcome outcome = h.run();

    EXPECT_EQ(outcome.kind, OutcomeKind::Done);
    ASSERT_EQ(outcome.skippedArchives.size(), 2u);
    EXPECT_EQ(outcome.skippedArchives[0].path, "D:\\A.ZIP");
    EXPECT_EQ(outcome.skippedArchives[0].reason, "not enough memory to list it");
    EXPECT_EQ(outcome.skippedArchives[1].path, "D:\\B.ZIP");
    EXPECT_EQ(outcome.skippedArchives[1].reason, "vector too long");
    EXPECT_EQ(countLines(h.bodyLines(), "\t\t\t\tkept.txt"), 1u);
}

TEST(FolderWalk, ReaderNoticesNameTheirArchive)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\DOCS\\A.ZIP", 1);
    h.files.addSizedFile("D:\\DOCS\\B.ZIP", 1);
    h.zip.add("D:\\DOCS\\A.ZIP", {{"a.txt"}});
    h.zip.add("D:\\DOCS\\B.ZIP", {{"b.txt"}});
    h.zip.noticeWhileReading("D:\\DOCS\\B.ZIP", "Unknown header");

    EXPECT_EQ(h.run().kind, OutcomeKind::Done);
    EXPECT_EQ(h.ui.notices, std::vector<std::string>{"D:\\DOCS\\B.ZIP: Unknown header"});
}

TEST(FolderWalk, WritesEveryNameOnOneLineWithUnsafeBytesReplaced)
{
    const struct
    {
        const char* name;
        std::string stored;
        std::string written;
    } cases[] = {
        {"serbian latin", "Izveštaj čćžšđ.txt", "Izveštaj čćžšđ.txt"},
        {"serbian cyrillic", "Извештај.txt", "Извештај.txt"},
        {"cjk", "報告書.txt", "報告書.txt"},
        {"invalid byte", "bad\xFF.txt", "bad\uFFFD.txt"},
        {"line break", "a\r\nb.txt", "a\uFFFD\uFFFDb.txt"},
        {"tab", "tab\there.txt", "tab\uFFFDhere.txt"},
    };
    for (const auto& c : cases) {
        test::RunHarness h;
        h.files.addSizedFile("D:\\" + c.stored + "\\" + c.stored, 1);
        h.files.addSizedFile("D:\\" + c.stored + "\\list.zip", 1);
        h.zip.add("D:\\" + c.stored + "\\list.zip", {{c.stored, true}, {c.stored}});

        h.run();

        const std::vector<std::string> body = h.bodyLines();
        EXPECT_EQ(body.size(), 22u) << c.name; // no name adds a line
        EXPECT_EQ(countLines(body, "\tName: " + c.written), 1u) << c.name;
        EXPECT_EQ(countLines(body, "\t\t" + c.written), 1u) << c.name;
        EXPECT_EQ(countLines(body, "\t\t\t\t[DIR] " + c.written), 1u) << c.name;
        EXPECT_EQ(countLines(body, "\t\t\t\t" + c.written), 1u) << c.name;
    }
}

TEST(FolderWalk, ParentFolderIsTheWholePathAndSizesAreWhatTheSubtreeHolds)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\DVD\\VIDEO_TS\\movie.vob", 4700000000);
    h.files.addSizedFile("D:\\DVD\\readme.txt", 1234);

    h.run();

    const std::vector<std::string> body = h.bodyLines();
    EXPECT_EQ(countLines(body, "\tSize: 4482.27 MBytes"), 2u);
    EXPECT_EQ(countLines(body, "\t\tSize: 4482.27 MBytes"), 1u);
    EXPECT_EQ(countLines(body, "\tParent folder: D:\\DVD"), 1u);
}

TEST(FolderWalk, DeepTreeNeedsNoDeepStack)
{
    constexpr int kDepth = 1000;
    test::RunHarness h;
    std::string path = "D:";
    for (int level = 0; level < kDepth; ++level)
        path += "\\d";
    h.files.addSizedFile(path + "\\bottom.txt", 1234);

    RunOutcome outcome;
    onSmallStack([&] { outcome = h.run(); });

    EXPECT_EQ(outcome.kind, OutcomeKind::Done);
    EXPECT_EQ(outcome.totalFolders, kDepth);
    const std::vector<std::string> body = h.bodyLines();
    // Every folder holds the one file below it: the sizes add up through all levels.
    EXPECT_EQ(countLines(body, "\tSize: 1.21 KBytes"), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(countLines(body, "\tParent folder: " + path.substr(0, path.size() - 2)), 1u);
    EXPECT_EQ(body[body.size() - 3], "\t\tbottom.txt");
}

} // namespace
} // namespace tarvelo::report
