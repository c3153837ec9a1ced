// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/folder_walk.h"

#include "common/error.h"
#include "common/stop_check.h"
#include "common/text.h"
#include "report/archive_kind.h"
#include "report/size_text.h"

#include <new>

namespace tarvelo::report {
namespace {

// Hands a reader's notices to the user together with the archive they are about.
class ArchiveNotices final : public common::NoticeSink
{
public:
    ArchiveNotices(RunUi& ui, const std::string& archivePath)
        : m_ui(ui), m_archivePath(archivePath)
    {
    }

    void notice(std::string_view text) override { m_ui.archiveNotice(m_archivePath, text); }

private:
    RunUi& m_ui;
    const std::string& m_archivePath;
};

// Reading an archive's directory or one of its entries skips that archive only, whatever
// the reader throws (running out of memory included), and a reader's error is never taken
// for the report file's. A stop ends the read quietly: the walk's next poll ends the run.
// A template rather than a std::function: it runs once per archive entry, and a
// std::function of the walk's lambdas would allocate each time.
template <typename Read>
bool guardedRead(std::vector<Problem>& skipped, const std::string& path, Read&& read)
{
    try {
        read();
        return true;
    } catch (const common::Stopped&) {
    } catch (const Error& error) {
        skipped.push_back({path, error.what()});
    } catch (const std::bad_alloc&) {
        skipped.push_back({path, "not enough memory to list it"});
    } catch (const std::exception& error) {
        skipped.push_back({path, error.what()});
    }
    return false;
}

} // namespace

FolderWalk::FolderWalk(const platform::Volume& volume, const RunRequest& request,
                       ArchiveReaders readers, ReportWriter& out, RunUi& ui,
                       InventorySink* inventory)
    : m_volume(volume), m_request(request), m_readers(readers), m_out(out), m_ui(ui),
      m_inventory(inventory), m_readAhead(volume, request, readers, ui, inventory != nullptr)
{
    m_progress.phase = Progress::Phase::Writing;
}

bool FolderWalk::writeBody(const DiscScan& scan)
{
    m_progress.filesTotal = scan.totalFiles();
    m_readAhead.plan(scan);
    FolderPath path(m_volume.rootPath(), m_volume.separator());
    for (std::size_t i = 0; i < scan.folderCount(); ++i) {
        const ScannedFolder folder = scan.folder(i);
        if (i > 0) path.enter(i, folder.parent, folder.name);
        if (m_inventory)
            m_inventory->folder(i, folder.parent, common::lineSafe(folder.name), folder.totalSize);
        if (!writeFolder(scan, folder, path, i == 0)) return false;
        ++m_progress.foldersDone;
    }
    return true;
}

bool FolderWalk::writeFolder(const DiscScan& scan, const ScannedFolder& folder,
                             const FolderPath& path, bool isRoot)
{
    m_out.sectionLine();
    if (!isRoot) writeFacts(folder, path);
    for (std::size_t i = folder.firstFile; i < folder.firstFile + folder.fileCount; ++i) {
        if (m_ui.stopRequested()) return false;
        writeFile(scan, path.current(), i);
        ++m_progress.filesDone;
        m_ui.progress(m_progress);
    }
    m_out.sectionLine();
    return !m_ui.stopRequested();
}

void FolderWalk::writeFacts(const ScannedFolder& folder, const FolderPath& path)
{
    const char separator = m_request.decimalSeparator;
    m_out.line(kFactsLevel, "Folder:");
    m_out.line(kFactsLevel, "Name: ", common::lineSafe(folder.name));
    m_out.line(kFactsLevel, "Parent folder: ", common::lineSafe(path.pathOf(folder.parent)));
    m_out.line(kFactsLevel, "Subfolders: ", std::to_string(folder.subfolderCount));
    m_out.line(kFactsLevel, "Files: ", std::to_string(folder.fileCount));
    m_out.line(kFactsLevel, "Size: ", getSize(folder.totalSize, separator));
    m_out.emptyLine();
}

void FolderWalk::writeFile(const DiscScan& scan, const std::string& folderPath, std::size_t index)
{
    const ScannedFile file = scan.file(index);
    m_out.fileLine();
    const std::string name = common::lineSafe(file.name);
    m_out.line(kFileLevel, name);
    if (m_inventory) m_inventory->file(name, file.size, file.kind, file.modified);
    m_out.line(kFileLevel, "Size: ", getSize(file.size, m_request.decimalSeparator));
    const ArchiveKind kind = archiveKindOf(file.kind, file.name);
    archive::ArchiveReader* reader = readerFor(kind, m_request, m_readers);
    if (reader == nullptr) return;
    const std::string_view heading = kind == ArchiveKind::Zip ? "ZIP contents:" : "RAR contents:";
    const std::string path = m_volume.childPath(folderPath, file.name);
    if (auto held = m_readAhead.turnOf(scan, index)) {
        HeldListingReader heldReader(std::move(*held));
        listArchive(heldReader, heading, path, file.ref);
    } else {
        listArchive(*reader, heading, path, file.ref);
    }
}

// Each entry is fetched from the reader and written straight away: no second copy of the
// listing. What was read before a failing entry stays written.
void FolderWalk::listArchive(archive::ArchiveReader& reader, std::string_view heading,
                             const std::string& path, std::uint64_t ref)
{
    std::int32_t count = 0;
    ArchiveNotices notices(m_ui, path);
    guardedRead(m_skipped, path, [&] {
        // Opened through its entry: a name is not always enough to find it again.
        const platform::EntryOpener file(m_volume, path, ref);
        reader.Get_Contents(path, archive::ReadContext{file, notices, m_ui});
        count = reader.FileCount();
        if (m_inventory) m_inventory->archiveListed(count);
    });
    if (count <= 0) return;
    m_out.line(kArchiveLevel, heading);
    m_out.line(kArchiveLevel, "Total files/folders: ", std::to_string(count));
    m_out.line(kArchiveLevel, "Files:");
    std::string safeName;
    archive::ListedEntry entry;
    for (std::int64_t wide = 1; wide <= count; ++wide) {
        const auto number = static_cast<std::int32_t>(wide);
        const bool read = guardedRead(m_skipped, path, [&] {
            entry = reader.listedEntry(number);
            // A name the reader found line-safe when it decoded it is not checked again.
            if (!entry.lineSafe) {
                safeName.clear();
                common::appendLineSafe(safeName, entry.name);
                entry.name = safeName;
            }
            if (m_inventory) tellEntry(reader, number, entry.name, entry.isFolder);
        });
        if (!read) return;
        m_out.line(kEntryLevel, entry.isFolder ? std::string_view("[DIR] ") : std::string_view(),
                   entry.name);
    }
}

// Archive sizes are 32-bit fields kept in signed values; their bits are the size.
void FolderWalk::tellEntry(const archive::ArchiveReader& reader, std::int32_t number,
                           std::string_view name, bool isFolder)
{
    const auto widen = [](std::int32_t bits) {
        return std::uint64_t{static_cast<std::uint32_t>(bits)};
    };
    m_inventory->archiveEntry(name, isFolder, widen(reader.UnCompressed_Size(number)),
                              widen(reader.Compressed_Size(number)));
}

} // namespace tarvelo::report
