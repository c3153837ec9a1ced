// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_volume.h"

#include "common/error.h"
#include "image/folder_lookup.h"
#include "image/udf_entry_batch.h"
#include "image/udf_file_entry.h"
#include "image/udf_file_source.h"
#include "image/udf_partition_tables.h"

#include <algorithm>

namespace tarvelo::image {

using udf::BlockAddress;
using udf::EntryBlock;

namespace {

constexpr std::uint32_t kNoFreeSpaceCount = 0xFFFFFFFF;
// The runs of entries read ahead that are kept for the folders listed next.
constexpr std::size_t kMaxKeptEntryBytes = std::size_t{8} << 20;
// Folders' data kept between their parent's listing and their own: a few runs each, and
// small folders' embedded identifiers.
constexpr std::size_t kMaxKeptFolderBytes = std::size_t{16} << 20;

// A file's ref is where its entry lies (the partition above bit 32, the block below),
// or, with the top bit set, where its data lie when they are one run on the disc: the
// run's first block from kRunBlockShift on, its length in bytes below. Opening the file
// then reads no entry again; a file too long for the field keeps its entry's address.
constexpr std::uint64_t kRunRefBit = std::uint64_t{1} << 63;
constexpr unsigned kRunBlockShift = 31;
constexpr std::uint64_t kRunLengthMask = (std::uint64_t{1} << kRunBlockShift) - 1;

std::uint64_t refOf(BlockAddress address)
{
    return std::uint64_t{address.partition} << 32 | address.block;
}

std::optional<std::uint64_t> runRefOf(const udf::Run& run, std::uint64_t blockSize)
{
    const std::uint64_t block = run.offset / blockSize;
    if (run.offset % blockSize != 0 || block > UINT32_MAX || run.length > kRunLengthMask)
        return std::nullopt;
    return kRunRefBit | block << kRunBlockShift | run.length;
}

udf::FileData dataOfRunRef(std::uint64_t ref, std::uint64_t blockSize)
{
    const std::uint64_t length = ref & kRunLengthMask;
    const std::uint64_t offset = ((ref & ~kRunRefBit) >> kRunBlockShift) * blockSize;
    return {length, false, {}, {{offset, length, false}}};
}

std::size_t bytesHeld(const udf::FileData& data)
{
    return data.bytes.size() + data.runs.size() * sizeof(udf::Run);
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
    : m_disc(std::make_shared<CachedDisc>(std::move(disc), kMaxKeptEntryBytes)),
      m_rootPath(sourcePath), m_sharedData(m_disc->size())
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
    if (!admitFolder(m_rootPath, rootEntry.address(),
                     udf::readFileData(*m_partitions, rootEntry, "folder " + m_rootPath)))
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
    Listing listing = readEntries(folderPath);
    std::vector<bool> refused(listing.entries.size());
    for (auto& [index, subfolder] : listing.subfolders)
        refused[index] = !admitFolder(childPath(folderPath, listing.entries[index].name),
                                      subfolder.address, std::move(subfolder.data));
    std::size_t index = 0;
    std::erase_if(listing.entries, [&](const platform::FolderEntry&) { return refused[index++]; });
    readSubfoldersAhead(folderPath, listing.entries);
    return std::move(listing.entries);
}

// The identifiers of the subfolders just admitted, read in a few requests in disc order
// rather than one seek each when their turn comes.
void UdfVolume::readSubfoldersAhead(const std::string& folderPath,
                                    const std::vector<platform::FolderEntry>& entries) const
{
    std::vector<iso9660::Extent> pieces;
    for (const auto& entry : entries) {
        if (entry.kind != platform::EntryKind::Folder) continue;
        const auto kept = m_folderData.find(childPath(folderPath, entry.name));
        if (kept == m_folderData.end()) continue;
        for (const auto& run : kept->second.runs)
            if (!run.sparse && run.length <= iso9660::kDirectoryReadSize)
                pieces.push_back({run.offset, run.length});
    }
    m_disc->readAhead(std::move(pieces), udf::kMaxEntryGap);
}

std::unique_ptr<platform::ByteSource> UdfVolume::openEntry(const std::string& path,
                                                           std::uint64_t ref) const
{
    if ((ref & kRunRefBit) != 0)
        return openData(dataOfRunRef(ref, m_partitions->blockSize()), path);
    const auto entry = udf::readEntry(*m_partitions, addressOf(ref), "file " + path);
    return openData(udf::readFileData(*m_partitions, entry, path), path);
}

std::unique_ptr<platform::ByteSource> UdfVolume::openFile(const std::string& path) const
{
    const FilePlace place = splitFilePath(m_rootPath, path);

    const auto entries = readEntries(place.folderPath).entries;
    const auto file = std::find_if(entries.begin(), entries.end(), [&place](const auto& entry) {
        return entry.kind != platform::EntryKind::Folder && entry.name == place.name;
    });
    if (file == entries.end())
        throw Error(ErrorNumber::FileNotFound, "no such file on the disc: " + path);
    return openEntry(path, file->ref);
}

// Files may share data (hard links do), but entries that point at the same bytes again
// and again must not make one disc read as many.
std::unique_ptr<platform::ByteSource> UdfVolume::openData(udf::FileData data,
                                                          const std::string& path) const
{
    std::vector<iso9660::Extent> extents;
    for (const auto& run : data.runs)
        if (!run.sparse) extents.push_back({run.offset, run.length});
    if (!m_sharedData.admit(extents))
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: the data of " + path + " is shared too often");
    return std::make_unique<udf::FileSource>(m_disc, std::move(data));
}

UdfVolume::Listing UdfVolume::readEntries(const std::string& folderPath) const
{
    const auto data = std::make_unique<udf::FileSource>(m_disc, folderData(folderPath));
    const auto items = udf::readDirectory(*data, folderPath);
    std::vector<BlockAddress> addresses;
    addresses.reserve(items.size());
    for (const auto& item : items) addresses.push_back(item.entry);

    Listing listing;
    listing.entries.resize(items.size());
    const auto pathOf = [&](std::size_t index) { return childPath(folderPath, items[index].name); };
    udf::readEntriesInDiscOrder(
        *m_disc, *m_partitions, addresses, [&](std::size_t index) { return "file " + pathOf(index); },
        [&](std::size_t index, EntryBlock entry) { describe(pathOf(index), entry, index, listing); });
    for (std::size_t index = 0; index < items.size(); ++index)
        listing.entries[index].name = items[index].name;
    return listing;
}

// The listing's entry at index as its file entry tells; a subfolder's data are kept for
// its admission, a file's ref says where its data lie when it can.
void UdfVolume::describe(const std::string& path, const EntryBlock& entry, std::size_t index,
                         Listing& listing) const
{
    platform::FolderEntry& listed = listing.entries[index];
    listed.kind = kindOf(entry.entry());
    listed.modified = entry.entry().modified;
    listed.ref = refOf(entry.address());
    if (listed.kind == platform::EntryKind::Folder) {
        std::optional<udf::FileData> data;
        try {
            data = udf::readFileData(*m_partitions, entry, "folder " + path);
        } catch (const Error&) {
        }
        // Past the bound the folder's entry is read again when it is admitted.
        if (data && !fitsKept(listing.heldBytes + bytesHeld(*data))) data.reset();
        if (data) listing.heldBytes += bytesHeld(*data);
        listing.subfolders.insert_or_assign(index, Subfolder{entry.address(), std::move(data)});
        return;
    }
    listed.size = entry.entry().size;
    listed.position = udf::dataPosition(*m_partitions, entry);
    if (const auto run = udf::soleRun(*m_partitions, entry))
        listed.ref = runRefOf(*run, m_partitions->blockSize()).value_or(listed.ref);
}

BlockAddress UdfVolume::folderAddress(const std::string& folderPath) const
{
    return findFolder(*this, m_folders, folderPath);
}

// A folder is listed under one path only, and only when neither its entry nor its data
// overlaps another folder's: that ends loops back to an ancestor and any sharing that
// could multiply. data: the folder's, where its parent's listing could read them.
bool UdfVolume::admitFolder(const std::string& path, BlockAddress address,
                            std::optional<udf::FileData> data) const
{
    if (const auto known = m_folders.find(path); known != m_folders.end())
        return known->second.block == address.block && known->second.partition == address.partition;
    const std::uint64_t at = m_partitions->offsetOf(address);
    if (!m_claims.claim({at, m_partitions->blockSize()})) return false;
    if (!data) {
        const auto entry = udf::readEntry(*m_partitions, address, "folder " + path);
        data = udf::readFileData(*m_partitions, entry, "folder " + path);
    }
    for (const auto& run : data->runs)
        if (!run.sparse && !m_claims.claim({run.offset, run.length})) return false;
    m_folders.emplace(path, address);
    keepFolderData(path, std::move(*data));
    return true;
}

void UdfVolume::keepFolderData(const std::string& path, udf::FileData data) const
{
    const std::size_t bytes = bytesHeld(data);
    if (!fitsKept(bytes)) return;
    m_folderDataBytes += bytes;
    m_folderData.insert_or_assign(path, std::move(data));
}

bool UdfVolume::fitsKept(std::size_t moreBytes) const
{
    return moreBytes <= kMaxKeptFolderBytes - m_folderDataBytes;
}

// The folder's data, kept since its parent's listing or else read from its entry.
udf::FileData UdfVolume::folderData(const std::string& folderPath) const
{
    if (const auto kept = m_folderData.find(folderPath); kept != m_folderData.end()) {
        udf::FileData data = std::move(kept->second);
        m_folderDataBytes -= bytesHeld(data);
        m_folderData.erase(kept);
        return data;
    }
    const auto folder =
        udf::readEntry(*m_partitions, folderAddress(folderPath), "folder " + folderPath);
    return udf::readFileData(*m_partitions, folder, "folder " + folderPath);
}

} // namespace tarvelo::image
