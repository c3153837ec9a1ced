// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/code_page.h"
#include "tests/support/memory_file_system.h"
#include "platform/posix_output.h"
#include "report/reader_set.h"
#include "tests/support/temp_dir.h"

namespace tarvelo::test {

// Reports saved as host files, with a gate a test can close: a run that starts its
// report then waits until the test opens the gate again.
class GatedOutputs final : public platform::OutputService
{
public:
    bool exists(const std::string& path) const override { return m_files.exists(path); }
    std::unique_ptr<platform::PendingFile> create(const std::string& path) override;

    void close();
    void open();
    bool waiting() const noexcept { return m_waiting; }

private:
    platform::PosixOutputService m_files;
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_closed = false;
    std::atomic<bool> m_waiting{false};
};

// The drives a window lists, as a test sets them; the empty ones hold no disc.
class FakeDrives final : public platform::DriveFinder
{
public:
    std::vector<platform::OpticalDrive> findDrives() const override { return drives; }
    bool holdsDisc(const std::string& source) const override { return empty.count(source) == 0; }

    std::vector<platform::OpticalDrive> drives;
    std::set<std::string> empty;
};

// What a window reports with in tests: drive D: holding a disc labelled DATA (empty, until
// a test adds files), drive E: without a disc, and reports written into a temporary folder.
struct AppServices
{
    AppServices();

    report::RunServices services() { return services(discs); }
    report::RunServices services(const platform::VolumeOpener& volumes)
    {
        return {volumes, outputs, readers.readers()};
    }
    // A window listing these drives, all holding their discs.
    std::unique_ptr<app::MainWindow> window(const std::vector<platform::OpticalDrive>& listed);
    std::unique_ptr<app::MainWindow> window();
    std::string reportPath(const std::string& name) const
    {
        return (reports.path() / name).string();
    }

    platform::MemoryFileSystem discs;
    FakeDrives drives;
    GatedOutputs outputs;
    report::ReaderSet readers{common::CodePage::defaultOem()};
    TempDir reports;
};

} // namespace tarvelo::test
