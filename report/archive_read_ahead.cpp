// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/archive_read_ahead.h"

#include "common/stop_check.h"
#include "report/archive_kind.h"
#include "report/folder_path.h"

#include <algorithm>

namespace tarvelo::report {

ArchiveReadAhead::ArchiveReadAhead(const platform::Volume& volume, const RunRequest& request,
                                   ArchiveReaders readers, RunUi& ui, bool withSizes,
                                   std::size_t heldBytes)
    : m_volume(volume), m_request(request), m_readers(readers), m_ui(ui), m_withSizes(withSizes),
      m_heldLimit(heldBytes)
{
}

void ArchiveReadAhead::plan(const DiscScan& scan)
{
    for (std::size_t folder = 0; folder < scan.folderCount(); ++folder) {
        const ScannedFolder facts = scan.folder(folder);
        for (std::size_t file = facts.firstFile; file < facts.firstFile + facts.fileCount; ++file) {
            const ScannedFile found = scan.file(file);
            if (found.position != 0 &&
                readerFor(archiveKindOf(found.kind, found.name), m_request, m_readers))
                m_planned.push_back({found.position, file, folder});
        }
    }
    std::sort(m_planned.begin(), m_planned.end());
}

std::optional<HeldListing> ArchiveReadAhead::turnOf(const DiscScan& scan, std::size_t file)
{
    if (const auto held = m_held.find(file); held != m_held.end()) {
        std::optional<HeldListing> listing(std::move(held->second));
        m_heldBytes -= listing->bytes();
        m_held.erase(held);
        return listing;
    }
    const std::uint64_t position = scan.file(file).position;
    if (position == 0) return std::nullopt;
    const Planned own{position, file, 0};
    // Once one does not fit or the user stops, the rest up to this archive wait for their
    // turn: reading them now would only be reading them twice.
    bool reading = true;
    for (; m_next < m_planned.size() && m_planned[m_next] < own; ++m_next)
        reading = reading && !m_ui.stopRequested() && hold(scan, m_planned[m_next]);
    if (m_next < m_planned.size() && m_planned[m_next].file == file) ++m_next;
    return std::nullopt;
}

// Reads one archive and holds its listing; false when it does not fit or a stop ended it.
bool ArchiveReadAhead::hold(const DiscScan& scan, const Planned& archive)
{
    if (m_heldBytes >= m_heldLimit) return false;
    const ScannedFile file = scan.file(archive.file);
    archive::ArchiveReader* reader = readerFor(archiveKindOf(file.kind, file.name), m_request, m_readers);
    const std::string path = pathOf(scan, archive);
    const platform::EntryOpener opener(m_volume, path, file.ref);
    try {
        auto listing = HeldListing::read(*reader, path, opener, m_ui, m_withSizes,
                                         m_heldLimit - m_heldBytes);
        if (!listing) return false;
        m_heldBytes += listing->bytes();
        m_held.emplace(archive.file, std::move(*listing));
        return true;
    } catch (const common::Stopped&) {
        return false;
    }
}

// The archive's path as the walk makes it when it comes to the archive's folder.
std::string ArchiveReadAhead::pathOf(const DiscScan& scan, const Planned& archive) const
{
    std::vector<std::size_t> chain; // the folder and its ancestors below the root
    for (std::size_t folder = archive.folder; folder != 0; folder = scan.folder(folder).parent)
        chain.push_back(folder);
    FolderPath path(m_volume.rootPath(), m_volume.separator());
    for (auto folder = chain.rbegin(); folder != chain.rend(); ++folder)
        path.enter(*folder, scan.folder(*folder).parent, scan.folder(*folder).name);
    return m_volume.childPath(path.current(), scan.file(archive.file).name);
}

} // namespace tarvelo::report
