// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/archive_read_ahead.h"
#include "report/folder_path.h"
#include "report/inventory_sink.h"
#include "report/report_run.h"
#include "report/report_writer.h"
#include "report/scan.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvelo::report {

// Writes the report body from a scan: every folder's section in pre-order, its facts
// (not for the root), its files with their sizes and the entries of the archives the
// request asks for. An archive that cannot be read is skipped with its reason; the
// lines already written for it stay. Archives are read in the order they lie on the disc
// where the volume can tell it (ArchiveReadAhead), which changes nothing in what is written.
class FolderWalk
{
public:
    // What the walk writes is also told to inventory, when one is given.
    FolderWalk(const platform::Volume& volume, const RunRequest& request, ArchiveReaders readers,
               ReportWriter& out, RunUi& ui, InventorySink* inventory = nullptr);

    // False when the user asked to stop before the body was complete.
    bool writeBody(const DiscScan& scan);

    const std::vector<Problem>& skippedArchives() const noexcept { return m_skipped; }

private:
    bool writeFolder(const DiscScan& scan, const ScannedFolder& folder, const FolderPath& path,
                     bool isRoot);
    void writeFacts(const ScannedFolder& folder, const FolderPath& path);
    void writeFile(const DiscScan& scan, const std::string& folderPath, std::size_t index);
    void listArchive(archive::ArchiveReader& reader, std::string_view heading,
                     const std::string& path, std::uint64_t ref);
    void tellEntry(const archive::ArchiveReader& reader, std::int32_t number,
                   std::string_view name, bool isFolder);

    const platform::Volume& m_volume;
    const RunRequest& m_request;
    ArchiveReaders m_readers;
    ReportWriter& m_out;
    RunUi& m_ui;
    Progress m_progress;
    std::vector<Problem> m_skipped;
    InventorySink* m_inventory;
    ArchiveReadAhead m_readAhead;
};

} // namespace tarvelo::report
