// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_volume.h"

#include "common/error.h"
#include "image/folder_lookup.h"
#include "image/iso9660_descriptors.h"
#include "image/iso9660_file_source.h"

#include <algorithm>

namespace tarvelo::image {

using iso9660::Extent;

IsoVolume::IsoVolume(std::shared_ptr<const platform::ByteSource> disc,
                     const std::string& sourcePath, std::uint64_t sessionStartSector)
    : m_disc(std::move(disc)), m_rootPath(sourcePath), m_prefetch(*m_disc, m_format),
      m_sharedData(m_disc->size())
{
    if (m_rootPath.empty() || m_rootPath.back() != '/') m_rootPath += '/';
    const auto descriptor = iso9660::chooseVolumeDescriptor(*m_disc, sessionStartSector);
    m_facts.label = descriptor.label;
    m_facts.totalBytes = std::uint64_t{descriptor.volumeSpaceSize} * descriptor.logicalBlockSize;
    m_facts.serialNumber = descriptor.serialNumber;

    m_format.blockSize = descriptor.logicalBlockSize;
    m_format.names = descriptor.joliet ? iso9660::NameSet::Joliet : iso9660::NameSet::Primary;
    const Extent root = m_format.extentOf(descriptor.root->block, descriptor.root->length);
    if (!descriptor.joliet) {
        if (const auto skip = iso9660::readSuspSkip(*m_disc, root)) {
            m_format.names = iso9660::NameSet::RockRidge;
            m_format.suspSkip = *skip;
        }
    }
    m_claims.claim(root);
    m_folders.emplace(m_rootPath, root);
    m_prefetch.expect(root);
    expectPathTable(descriptor.pathTable);
}

// The path table only tells where folders lie, to read them ahead: one that cannot be
// read is passed over.
void IsoVolume::expectPathTable(iso9660::DirectoryExtent table) const
{
    const Extent extent = m_format.extentOf(table.block, table.length);
    if (extent.length == 0 || extent.offset > m_disc->size() ||
        extent.length > m_disc->size() - extent.offset)
        return;
    const auto length = std::min<std::uint64_t>(extent.length, iso9660::kMaxPathTableBytes);
    m_prefetch.expectPathTable(m_disc->read(extent.offset, static_cast<std::size_t>(length)));
}

std::vector<platform::FolderEntry> IsoVolume::listFolder(const std::string& folderPath) const
{
    std::vector<platform::FolderEntry> entries;
    for (const auto& item :
         iso9660::readDirectory(*m_disc, m_format, folderExtent(folderPath), &m_prefetch)) {
        if (item.isFolder) {
            if (!admitFolder(childPath(folderPath, item.name), item.extents.front())) continue;
            m_prefetch.expect(item.extents.front());
            entries.push_back({item.name, platform::EntryKind::Folder, 0, 0, item.modified});
        } else {
            entries.push_back({item.name, platform::EntryKind::RegularFile, item.size,
                               m_files.add(item.extents, item.interleaved), item.modified,
                               item.extents.front().offset});
        }
    }
    return entries;
}

// Never by the path, which a name holding "/" could make another file's.
std::unique_ptr<platform::ByteSource> IsoVolume::openEntry(const std::string& /*path*/,
                                                           std::uint64_t ref) const
{
    const auto file = m_files.file(ref);
    return openData(file.extents, file.interleaved);
}

std::unique_ptr<platform::ByteSource> IsoVolume::openFile(const std::string& path) const
{
    const FilePlace place = splitFilePath(m_rootPath, path);

    const auto items = iso9660::readDirectory(*m_disc, m_format, folderExtent(place.folderPath));
    const auto file = std::find_if(items.begin(), items.end(), [&place](const auto& item) {
        return !item.isFolder && item.name == place.name;
    });
    if (file == items.end())
        throw Error(ErrorNumber::FileNotFound, "no such file on the disc: " + path);
    return openData(file->extents, file->interleaved);
}

// Data that lie beyond the end of the disc, or that other files' data have already been
// read for too often, are refused before anything is read.
std::unique_ptr<platform::ByteSource> IsoVolume::openData(std::span<const Extent> extents,
                                                          bool interleaved) const
{
    if (interleaved)
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the file is interleaved on the disc, which is not read");
    const std::uint64_t discSize = m_disc->size();
    for (const Extent& extent : extents)
        if (extent.offset > discSize || extent.length > discSize - extent.offset)
            throw Error(ErrorNumber::InputPastEndOfFile,
                        "the file's data lie beyond the end of the disc");
    if (!m_sharedData.admit(extents))
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the file's data are shared with files already read, more often than the "
                    "disc could hold");
    return std::make_unique<iso9660::FileSource>(
        m_disc, std::vector<Extent>(extents.begin(), extents.end()));
}

Extent IsoVolume::folderExtent(const std::string& folderPath) const
{
    return findFolder(*this, m_folders, folderPath);
}

// A folder is listed under one path only, and only when its records overlap no other
// folder's: that ends loops back to an ancestor and any sharing that could multiply.
bool IsoVolume::admitFolder(const std::string& path, Extent extent) const
{
    if (const auto known = m_folders.find(path); known != m_folders.end())
        return known->second.offset == extent.offset && known->second.length == extent.length;
    if (!m_claims.claim(extent)) return false;
    m_folders.emplace(path, extent);
    return true;
}

} // namespace tarvelo::image
