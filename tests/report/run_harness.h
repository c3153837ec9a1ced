// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/support/memory_file_system.h"
#include "report/report_run.h"
#include "tests/support/fake_archive_reader.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvelo::test {

// A user who answers from a script and remembers what the run asked and showed.
class ScriptedUi final : public report::RunUi
{
public:
    enum class StopAt
    {
        Never,
        FirstPoll, // while the disc is scanned
        Writing,   // once the report is being written
    };

    std::optional<std::string> savePath = "C:\\REPORT.TXT";
    bool replaceAnswer = true;
    StopAt stopAt = StopAt::Never;

    std::vector<std::string> replaceQuestions;
    std::vector<bool> busyChanges;
    int savePathQuestions = 0;
    int eventPumps = 0;
    std::vector<report::Progress> progressSeen;
    std::vector<std::string> notices;

    std::optional<std::string> askSavePath() override
    {
        ++savePathQuestions;
        return savePath;
    }
    void processEvents() override { ++eventPumps; }
    bool confirmReplace(const std::string& path) override
    {
        replaceQuestions.push_back(path);
        return replaceAnswer;
    }
    void setBusy(bool busy) override { busyChanges.push_back(busy); }
    void progress(const report::Progress& progress) override { progressSeen.push_back(progress); }
    bool stopRequested() override
    {
        if (stopAt == StopAt::FirstPoll) return true;
        return stopAt == StopAt::Writing && !progressSeen.empty() &&
               progressSeen.back().phase == report::Progress::Phase::Writing;
    }
    void notice(std::string_view text) override { notices.emplace_back(text); }
    void archiveNotice(const std::string& archivePath, std::string_view text) override
    {
        notices.push_back(archivePath + ": " + std::string(text));
    }
};

inline constexpr const char* kReportPath = "C:\\REPORT.TXT";

// Drive D: holding the disc, drive C: taking the report, the two fake readers, a user.
struct RunHarness
{
    RunHarness()
    {
        files.addDrive('D', {"MYDISC", 681574400, 0, 1513889538});
        files.addDrive('C', {"SYSTEM", 1u << 30, 1u << 29, 7});
    }

    report::RunOutcome run() { return report::runReport(request, {files, files, {zip, rar}}, ui); }

    std::string report() const { return files.contents(kReportPath).value_or("<no report>"); }

    // The report's lines without their CR LF, after the eight header lines.
    std::vector<std::string> bodyLines() const
    {
        std::vector<std::string> lines;
        const std::string text = report();
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            if (end == std::string::npos) break;
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        lines.erase(lines.begin(), lines.begin() + std::min<std::ptrdiff_t>(8, std::ssize(lines)));
        return lines;
    }

    // Names in the folder of the report, to see that no temporary file stays behind.
    std::vector<std::string> reportFolderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : files.openVolume("C:")->listFolder("C:\\"))
            names.push_back(entry.name);
        return names;
    }

    platform::MemoryFileSystem files;
    archive::ReaderState readerState;
    FakeArchiveReader zip{readerState};
    FakeArchiveReader rar{readerState};
    ScriptedUi ui;
    report::RunRequest request{"D:", true, true, '.'};
};

} // namespace tarvelo::test
