// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/report/run_harness.h"

#include <functional>
#include <gtest/gtest.h>

namespace tarvelo::report {
namespace {

using test::ScriptedUi;

const std::string kOldReport = "the old report\r\n";

TEST(ReportRun, EndsAsTheUserAndTheSystemDecideAndKeepsTheOldFileUnlessDone)
{
    using Setup = std::function<void(test::RunHarness&)>;
    const struct
    {
        const char* name;
        Setup setup;
        OutcomeKind kind;
        FailureKind failure;
        bool busy; // the writing steps were reached
    } cases[] = {
        {"done", [](test::RunHarness&) {}, OutcomeKind::Done, FailureKind::None, true},
        {"save dialog cancelled", [](test::RunHarness& h) { h.ui.savePath.reset(); },
         OutcomeKind::Cancelled, FailureKind::None, false},
        {"existing file kept", [](test::RunHarness& h) { h.ui.replaceAnswer = false; },
         OutcomeKind::Cancelled, FailureKind::None, false},
        {"report cannot be created",
         [](test::RunHarness& h) {
             h.files.outputFaults().createRefused = "Read-only file system";
         },
         OutcomeKind::Failed, FailureKind::CannotWrite, true},
        {"report folder missing",
         [](test::RunHarness& h) { h.ui.savePath = "C:\\NO SUCH FOLDER\\REPORT.TXT"; },
         OutcomeKind::Failed, FailureKind::CannotWrite, true},
        {"disk full at once", [](test::RunHarness& h) { h.files.outputFaults().spaceLeft = 10; },
         OutcomeKind::Failed, FailureKind::CannotWrite, true},
        {"disk full after the first chunks",
         [](test::RunHarness& h) { h.files.outputFaults().spaceLeft = 600 * 1024; },
         OutcomeKind::Failed, FailureKind::CannotWrite, true},
        {"old file cannot be replaced",
         [](test::RunHarness& h) { h.files.outputFaults().replaceRefused = "Device busy"; },
         OutcomeKind::Failed, FailureKind::CannotReplace, true},
        {"stopped while scanning",
         [](test::RunHarness& h) { h.ui.stopAt = ScriptedUi::StopAt::FirstPoll; },
         OutcomeKind::Interrupted, FailureKind::None, true},
        {"stopped while writing",
         [](test::RunHarness& h) { h.ui.stopAt = ScriptedUi::StopAt::Writing; },
         OutcomeKind::Interrupted, FailureKind::None, true},
    };
    for (const auto& c : cases) {
        test::RunHarness h;
        // Enough names for a report of about a megabyte, written in several chunks.
        for (int i = 0; i < 5000; ++i)
            h.files.addSizedFile("D:\\DATA\\" + std::to_string(i) + std::string(150, 'n'), 1);
        h.files.addFile(test::kReportPath, kOldReport);
        c.setup(h);

        const RunOutcome outcome = h.run();

        EXPECT_EQ(outcome.kind, c.kind) << c.name;
        EXPECT_EQ(outcome.failure, c.failure) << c.name;
        const bool done = c.kind == OutcomeKind::Done;
        EXPECT_EQ(h.report().starts_with("Tarvelo\r\n"), done) << c.name;
        if (!done) {
            EXPECT_EQ(h.report(), kOldReport) << c.name;
        }
        EXPECT_EQ(h.reportFolderNames(), std::vector<std::string>{"REPORT.TXT"}) << c.name;
        const std::vector<bool> busyChanges =
            c.busy ? std::vector<bool>{true, false} : std::vector<bool>{};
        EXPECT_EQ(h.ui.busyChanges, busyChanges) << c.name;
        EXPECT_EQ(h.ui.eventPumps, 1) << c.name;
        if (c.kind == OutcomeKind::Failed) {
            ASSERT_TRUE(outcome.problem) << c.name;
            EXPECT_EQ(outcome.problem->path, *h.ui.savePath) << c.name;
            EXPECT_FALSE(outcome.problem->reason.empty()) << c.name;
        }
    }
}

TEST(ReportRun, AsksBeforeReplacingAnExistingFileOnly)
{
    test::RunHarness fresh;
    fresh.run();
    EXPECT_TRUE(fresh.ui.replaceQuestions.empty());

    test::RunHarness existing;
    existing.files.addFile(test::kReportPath, kOldReport);
    existing.run();
    EXPECT_EQ(existing.ui.replaceQuestions, std::vector<std::string>{test::kReportPath});
}

TEST(ReportRun, SourceWithoutADiscIsNotReadyAndAsksNothing)
{
    const struct
    {
        const char* name;
        const char* source;
        ErrorNumber number;
    } cases[] = {
        {"drive without a disc", "E:", ErrorNumber::DiskNotReady},
        {"no such drive", "Q:\\", ErrorNumber::PathNotFound},
        {"not a drive", "DOCS", ErrorNumber::PathNotFound},
    };
    for (const auto& c : cases) {
        test::RunHarness h;
        h.files.addEmptyDrive('E');
        h.request.source = c.source;

        const RunOutcome outcome = h.run();

        EXPECT_EQ(outcome.kind, OutcomeKind::NotReady) << c.name;
        ASSERT_TRUE(outcome.problem) << c.name;
        EXPECT_EQ(outcome.problem->path, c.source) << c.name;
        EXPECT_FALSE(outcome.problem->reason.empty()) << c.name;
        EXPECT_EQ(h.ui.savePathQuestions, 0) << c.name;
        EXPECT_TRUE(h.ui.busyChanges.empty()) << c.name;
    }
}

TEST(ReportRun, UnreadableFolderMakesTheReportIncompleteAfterTheLinesBeforeIt)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\A\\a.txt", 1);
    h.files.addSizedFile("D:\\B\\b.txt", 2);
    h.files.failListing("D:\\B\\LOST", "Input/output error");
    h.files.addSizedFile("D:\\C\\c.txt", 3);
    h.files.addFile(test::kReportPath, kOldReport);

    const RunOutcome outcome = h.run();

    EXPECT_EQ(outcome.kind, OutcomeKind::Incomplete);
    ASSERT_TRUE(outcome.problem);
    EXPECT_EQ(outcome.problem->path, "D:\\B\\LOST");
    EXPECT_EQ(outcome.problem->reason, "Input/output error");
    EXPECT_EQ(outcome.totalFolders, 2);
    const std::string report = h.report();
    EXPECT_NE(report.find("Folders: 2\r\n"), std::string::npos);
    EXPECT_NE(report.find("\tName: B\r\n\tParent folder: D:\\\r\n\tSubfolders: 1\r\n"),
              std::string::npos);
    EXPECT_TRUE(
        report.ends_with("\t\tb.txt\r\n\t\tSize: 2 Bytes\r\n" + std::string(60, '-') + "\r\n"));
    EXPECT_EQ(report.find("LOST"), std::string::npos);
    EXPECT_EQ(report.find("c.txt"), std::string::npos);
}

TEST(ReportRun, UnreadableRootGivesTheHeaderAlone)
{
    test::RunHarness h;
    h.files.failListing("D:\\", "Permission denied");

    const RunOutcome outcome = h.run();

    EXPECT_EQ(outcome.kind, OutcomeKind::Incomplete);
    EXPECT_EQ(outcome.problem->path, "D:\\");
    EXPECT_TRUE(h.bodyLines().empty());
    EXPECT_TRUE(h.report().ends_with("Files: 0\r\nFolders: 0\r\n"));
}

TEST(ReportRun, ReportSavedInsideTheDiscDoesNotListItself)
{
    test::RunHarness h;
    h.files.addSizedFile("D:\\a.txt", 1);
    h.ui.savePath = "D:\\REPORT.TXT";

    EXPECT_EQ(h.run().kind, OutcomeKind::Done);
    const std::string report = h.files.contents("D:\\REPORT.TXT").value_or("");
    EXPECT_NE(report.find("Files: 1\r\n"), std::string::npos);
    EXPECT_EQ(report.find("REPORT.TXT"), std::string::npos);
}

TEST(ReportRun, WritingProgressCountsEveryFileOfTheDisc)
{
    test::RunHarness h;
    for (const char* path : {"D:\\a", "D:\\S\\b", "D:\\S\\T\\c"})
        h.files.addSizedFile(path, 1);

    h.run();

    ASSERT_FALSE(h.ui.progressSeen.empty());
    const Progress& last = h.ui.progressSeen.back();
    EXPECT_EQ(last.phase, Progress::Phase::Writing);
    EXPECT_EQ(last.filesDone, 3);
    EXPECT_EQ(last.filesTotal, 3);
}

} // namespace
} // namespace tarvelo::report
