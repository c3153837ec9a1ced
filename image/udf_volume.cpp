// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_volume.h"

#include "common/error.h"
#include "image/folder_lookup.h"
#include "image/udf_file_entry.h"
#include "image/udf_file_source.h"
#include "image/udf_partition_tables.h"

#include <algorithm>

namespace tarvelo::image {

using udf::BlockAddress;
using udf::EntryBlock;

namespace {

constexpr std::uint32_t kNoFreeSpaceCount = 0xFFFFFFFF;

std::uint64_t refOf(BlockAddress address)
{
    return std::uint64_t{address.partition} << 32 | address.block;
}

BlockAddress addressOf(std::uint64_t ref)
{
    return {static_cast<std::uint32_t>(ref), static_cast<std::uint16_t>(ref >> 32)};
}

platform::EntryKind kindOf(const udf::FileEntry& entry)
{
    switch (entry.fileType) {
    case udf::kFileTypeDirectory: return platform::EntryKind::Folder;
    case udf::kFileTypeRegular:
    case udf::kFileTypeRealTime:
    case udf::kFileTypeUnspecified: return platform::EntryKind::RegularFile;
    default: return platform::EntryKind::OtherFile;
    }
}

} // namespace

UdfVolume::UdfVolume(std::shared_ptr<const platform::ByteSource> disc, const std::string& sourcePath,
                     std::uint64_t sessionStartSector, std::optional<std::uint64_t> lastWrittenSector)
    : m_disc(std::move(disc)), m_rootPath(sourcePath), m_sharedData(m_disc->size())
{
    if (m_rootPath.empty() || m_rootPath.back() != '/') m_rootPath += '/';
    const auto layout = udf::readVolumeLayout(*m_disc, sessionStartSector);
    m_partitions = std::make_unique<udf::Partitions>(*m_disc, layout);
    std::optional<std::uint64_t> lastBlock;
    if (lastWrittenSector)
        lastBlock = *lastWrittenSector * udf::kRecognitionSectorSize / layout.blockSize;
    udf::loadPartitionTables(*m_disc, *m_partitions, lastBlock);

    const BlockAddress fileSet = layout.logicalVolume.fileSet.where;
    const auto descriptor = m_partitions->readBlock(fileSet, "file set descriptor");
    udf::requireTag(descriptor, udf::kTagFileSet, fileSet.block, "file set descriptor");
    const BlockAddress root = udf::decodeFileSetRoot(descriptor).where;
    const auto rootEntry = udf::readEntry(*m_partitions, root, "root folder");
    if (!rootEntry.isDirectory())
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: its root folder is not a folder");
    readFacts(layout, fileSet, descriptor);
    if (!admitFolder(m_rootPath, rootEntry))
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: its root folder's data overlaps itself");
}

UdfVolume::~UdfVolume() = default;

void UdfVolume::readFacts(const udf::VolumeLayout& layout, BlockAddress fileSet,
                          common::Bytes fileSetBlock)
{
    m_facts.label = layout.logicalVolume.identifier;
    m_facts.serialNumber = udf::volumeSerialNumber(fileSetBlock);

    const auto& partition = m_partitions->descriptor(fileSet.partition);
    m_facts.totalBytes = std::uint64_t{partition.length} * layout.blockSize;
    if (!layout.integrity) return;
    const auto& free = layout.integrity->freeBlocks;
    for (std::uint16_t reference = 0; reference < std::min(free.size(), m_partitions->count());
         ++reference)
        if (m_partitions->descriptor(reference).number == partition.number &&
            free[reference] != kNoFreeSpaceCount)
            m_facts.freeBytes += std::uint64_t{free[reference]} * layout.blockSize;
}

std::vector<platform::FolderEntry> UdfVolume::listFolder(const std::string& folderPath) const
{
    auto entries = readEntries(folderPath);
    std::erase_if(entries, [&](const platform::FolderEntry& entry) {
        if (entry.kind != platform::EntryKind::Folder) return false;
        const std::string path = childPath(folderPath, entry.name);
        return !admitFolder(path, udf::readEntry(*m_partitions, addressOf(entry.ref), "folder " + path));
    });
    return entries;
}

std::unique_ptr<platform::ByteSource> UdfVolume::openEntry(const std::string& path,
                                                           std::uint64_t ref) const
{
    return openData(udf::readEntry(*m_partitions, addressOf(ref), "file " + path), path);
}

std::unique_ptr<platform::ByteSource> UdfVolume::openFile(const std::string& path) const
{
    const FilePlace place = splitFilePath(m_rootPath, path);

    const auto entries = readEntries(place.folderPath);
    const auto file = std::find_if(entries.begin(), entries.end(), [&place](const auto& entry) {
        return entry.kind != platform::EntryKind::Folder && entry.name == place.name;
    });
    if (file == entries.end())
        throw Error(ErrorNumber::FileNotFound, "no such file on the disc: " + path);
    return openEntry(path, file->ref);
}

// Files may share data (hard links do), but entries that point at the same bytes again
// and again must not make one disc read as many.
std::unique_ptr<platform::ByteSource> UdfVolume::openData(const EntryBlock& entry,
                                                          const std::string& path) const
{
    auto data = udf::readFileData(*m_partitions, entry, path);
    std::vector<iso9660::Extent> extents;
    for (const auto& run : data.runs)
        if (!run.sparse) extents.push_back({run.offset, run.length});
    if (!m_sharedData.admit(extents))
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: the data of " + path + " is shared too often");
    return std::make_unique<udf::FileSource>(m_disc, std::move(data));
}

std::vector<platform::FolderEntry> UdfVolume::readEntries(const std::string& folderPath) const
{
    const auto folder = udf::readEntry(*m_partitions, folderAddress(folderPath), "folder " + folderPath);
    const auto data = std::make_unique<udf::FileSource>(
        m_disc, udf::readFileData(*m_partitions, folder, "folder " + folderPath));
    std::vector<platform::FolderEntry> entries;
    for (auto& item : udf::readDirectory(*data, folderPath)) {
        const auto entry = udf::readEntry(*m_partitions, item.entry,
                                          "file " + childPath(folderPath, item.name));
        const auto kind = kindOf(entry.entry());
        const std::uint64_t size = kind == platform::EntryKind::Folder ? 0 : entry.entry().size;
        entries.push_back({std::move(item.name), kind, size, refOf(entry.address()),
                           entry.entry().modified,
                           kind == platform::EntryKind::Folder ? 0 : udf::dataPosition(*m_partitions, entry)});
    }
    return entries;
}

BlockAddress UdfVolume::folderAddress(const std::string& folderPath) const
{
    return findFolder(*this, m_folders, folderPath);
}

// A folder is listed under one path only, and only when neither its entry nor its data
// overlaps another folder's: that ends loops back to an ancestor and any sharing that
// could multiply.
bool UdfVolume::admitFolder(const std::string& path, const EntryBlock& entry) const
{
    if (const auto known = m_folders.find(path); known != m_folders.end())
        return known->second.block == entry.address().block &&
               known->second.partition == entry.address().partition;
    const std::uint64_t at = m_partitions->offsetOf(entry.address());
    if (!m_claims.claim({at, m_partitions->blockSize()})) return false;
    for (const auto& run : udf::readFileData(*m_partitions, entry, "folder " + path).runs)
        if (!run.sparse && !m_claims.claim({run.offset, run.length})) return false;
    m_folders.emplace(path, entry.address());
    return true;
}

} // namespace tarvelo::image
