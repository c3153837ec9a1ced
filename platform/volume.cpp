// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/volume.h"

namespace tarvelo::platform {

std::unique_ptr<ByteSource> Volume::openEntry(const std::string& path, std::uint64_t) const
{
    return openFile(path);
}

std::unique_ptr<ByteSource> EntryOpener::openFile(const std::string& path) const
{
    return path == m_path ? m_volume.openEntry(path, m_ref) : m_volume.openFile(path);
}

FolderListing Volume::listEntries(const FolderPlace& place, EntrySink& sink) const
{
    for (const FolderEntry& entry : listFolder(place.path))
        sink.entry(entry.name, entry.kind, entry.size, entry.ref, entry.modified, entry.position);
    return {};
}

std::string Volume::childPath(std::string_view folderPath, std::string_view name) const
{
    std::string path(folderPath);
    if (path.empty() || path.back() != separator()) path += separator();
    path += name;
    return path;
}

} // namespace tarvelo::platform
