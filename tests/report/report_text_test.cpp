// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/report/run_harness.h"

#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>

namespace tarvelo::report {
namespace {

const std::string kSection(60, '-');
const std::string kFileLine = "\t\t--------------------";

std::string joinLines(const std::vector<std::string>& lines)
{
    return std::accumulate(
        lines.begin(), lines.end(), std::string(),
        [](std::string text, const std::string& line) { return std::move(text) + line + "\r\n"; });
}

TEST(ReportText, WritesTheWorkedExampleByteForByte)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\README.TXT", 1234);
    h.files.addSizedFile("D:\\DOCS\\ARCHIVE.ZIP", 5000);
    h.zip.add("D:\\DOCS\\ARCHIVE.ZIP", {{"letters/", true}, {"letters/a.txt", false}});

    const RunOutcome outcome = h.run();

    EXPECT_EQ(outcome.kind, OutcomeKind::Done);
    EXPECT_EQ(h.report(), joinLines({
                              "Tarvelo",
                              kSection,
                              "CD volume: MYDISC",
                              "CD size: 650 MBytes",
                              "CD free space: 0 Bytes",
                              "CD serial number: 1513889538",
                              "Files: 2",
                              "Folders: 1",
                              kSection,
                              kFileLine,
                              "\t\tREADME.TXT",
                              "\t\tSize: 1.21 KBytes",
                              kSection,
                              kSection,
                              "\tFolder:",
                              "\tName: DOCS",
                              "\tParent folder: D:\\",
                              "\tSubfolders: 0",
                              "\tFiles: 1",
                              "\tSize: 4.88 KBytes",
                              "",
                              kFileLine,
                              "\t\tARCHIVE.ZIP",
                              "\t\tSize: 4.88 KBytes",
                              "\t\t\tZIP contents:",
                              "\t\t\tTotal files/folders: 2",
                              "\t\t\tFiles:",
                              "\t\t\t\t[DIR] letters/",
                              "\t\t\t\tletters/a.txt",
                              kSection,
                          }));
    EXPECT_EQ(outcome.totalFiles, 2);
    EXPECT_EQ(outcome.totalFolders, 1);
}

TEST(ReportText, WritesTheHeaderOfEveryKindOfDisc)
{
    using Setup = std::function<void(test::RunHarness&)>;
    const struct
    {
        const char* name;
        platform::VolumeFacts facts;
        Setup setup;
        char separator;
        std::vector<std::string> header; // lines 3 to 8
    } cases[] = {
        {"empty disc, no label",
         {"", 0, 0, 0},
         [](test::RunHarness&) {},
         '.',
         {"CD volume: ", "CD size: 0 Bytes", "CD free space: 0 Bytes", "CD serial number: 0",
          "Files: 0", "Folders: 0"}},
        {"serial with all bits set",
         {"X", 1536, 1019, -1},
         [](test::RunHarness&) {},
         '.',
         {"CD volume: X", "CD size: 1.5 KBytes", "CD free space: 1 KBytes", "CD serial number: -1",
          "Files: 0", "Folders: 0"}},
        {"serial with the top bit set",
         {"X", 0, 0, std::numeric_limits<std::int32_t>::min()},
         [](test::RunHarness&) {},
         '.',
         {"CD volume: X", "CD size: 0 Bytes", "CD free space: 0 Bytes",
          "CD serial number: -2147483648", "Files: 0", "Folders: 0"}},
        {"files only in the root",
         {"FILES", 4700000000, 1152, 42},
         [](test::RunHarness& h) {
             for (const char* name : {"D:\\a", "D:\\b", "D:\\c"})
                 h.files.addSizedFile(name, 1);
         },
         ',',
         {"CD volume: FILES", "CD size: 4482,27 MBytes", "CD free space: 1,12 KBytes",
          "CD serial number: 42", "Files: 3", "Folders: 0"}},
        {"two folders, one inside the first",
         {"TREE", 0, 0, 1},
         [](test::RunHarness& h) {
             h.files.addFolder("D:\\ONE\\INNER");
             h.files.addFolder("D:\\TWO");
         },
         '.',
         {"CD volume: TREE", "CD size: 0 Bytes", "CD free space: 0 Bytes", "CD serial number: 1",
          "Files: 0", "Folders: 3"}},
        {"label with a line break",
         {"A\r\nB", 0, 0, 0},
         [](test::RunHarness&) {},
         '.',
         {"CD volume: A\uFFFD\uFFFDB", "CD size: 0 Bytes", "CD free space: 0 Bytes",
          "CD serial number: 0", "Files: 0", "Folders: 0"}},
    };
    for (const auto& c : cases) {
        test::RunHarness h;
        h.files.addDrive('D', c.facts);
        c.setup(h);
        h.request.decimalSeparator = c.separator;
        h.run();
        std::vector<std::string> header{"Tarvelo", kSection};
        header.insert(header.end(), c.header.begin(), c.header.end());
        EXPECT_EQ(h.report().substr(0, joinLines(header).size()), joinLines(header)) << c.name;
    }
}

TEST(ReportText, EmptyDiscHasABodyOfTwoSectionLines)
{
    test::RunHarness h;
    h.run();
    EXPECT_EQ(h.bodyLines(), (std::vector<std::string>{kSection, kSection}));
}

TEST(ReportText, FolderWithSubfoldersButNoFilesKeepsItsFactsAndEmptyLine)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\OUTER\\INNER\\x.bin", 2048);
    h.run();

    const std::vector<std::string> body = h.bodyLines();
    ASSERT_GE(body.size(), 15u);
    const std::vector<std::string> outer(body.begin() + 2, body.begin() + 11);
    EXPECT_EQ(outer, (std::vector<std::string>{kSection, "\tFolder:", "\tName: OUTER",
                                               "\tParent folder: D:\\", "\tSubfolders: 1",
                                               "\tFiles: 0", "\tSize: 2 KBytes", "", kSection}));
    EXPECT_EQ(body[14], "\tParent folder: D:\\OUTER");
}

} // namespace
} // namespace tarvelo::report
