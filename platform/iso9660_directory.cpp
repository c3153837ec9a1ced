#include "platform/iso9660_directory.h"

#include "common/checked.h"
#include "common/error.h"
#include "platform/iso9660_rock_ridge.h"

#include <algorithm>

namespace tarvelo::platform::iso9660 {
namespace {

void requireOnDisc(const ByteSource& disc, Extent extent)
{
    if (extent.offset > disc.size() || extent.length > disc.size() - extent.offset)
        throw Error(ErrorNumber::InputPastEndOfFile,
                    "the folder's records lie beyond the end of the disc");
}

// Records never cross a sector: a zero length byte pads the rest of the sector, and a
// length that would cross it means the rest of the sector is unreadable.
template <typename Visit> void forEachRecordInSector(Bytes sector, Visit& visit)
{
    std::size_t at = 0;
    while (at < sector.size()) {
        const std::size_t length = sector[at];
        if (length == 0 || length > sector.size() - at) return;
        if (const auto record = decodeDirectoryRecord(sector.subspan(at, length))) visit(*record);
        at += length;
    }
}

template <typename Visit> void forEachRecord(const ByteSource& disc, Extent directory, Visit visit)
{
    requireOnDisc(disc, directory);
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t done = 0; done < directory.length; done += chunk.size()) {
        chunk.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kDirectoryReadSize, directory.length - done)));
        disc.readAt(directory.offset + done, chunk);
        const Bytes bytes(chunk);
        for (std::size_t sector = 0; sector < bytes.size(); sector += kSectorSize)
            forEachRecordInSector(
                bytes.subspan(sector, std::min(kSectorSize, bytes.size() - sector)), visit);
    }
}

ContinuationReader continuationReader(const ByteSource& disc, const TreeFormat& format)
{
    return [&disc, &format](const ContinuationArea& area) -> std::vector<std::uint8_t> {
        const std::uint64_t offset = std::uint64_t{area.block} * format.blockSize + area.offset;
        if (offset > disc.size() || area.length > disc.size() - offset) return {};
        return disc.read(offset, area.length);
    };
}

// Turns records into items, joining the records of a multi-extent file: every record
// but the last carries the multi-extent flag, and all carry the same identifier.
class ItemAssembler
{
  public:
    ItemAssembler(const TreeFormat& format, ContinuationReader readArea)
        : m_format(format), m_readArea(std::move(readArea))
    {
    }

    void add(const DirectoryRecord& record);

    std::vector<DirectoryItem> finish()
    {
        flush();
        return std::move(m_items);
    }

  private:
    bool continuesPending(const DirectoryRecord& record) const;
    void flush();
    std::string nameOf(const DirectoryRecord& record) const;

    const TreeFormat& m_format;
    ContinuationReader m_readArea;
    std::vector<DirectoryItem> m_items;
    std::optional<DirectoryItem> m_pending; // a multi-extent file still collecting extents
    std::vector<std::uint8_t> m_pendingIdentifier;
};

void ItemAssembler::add(const DirectoryRecord& record)
{
    if (record.isSelfOrParent() || (record.flags & kFlagAssociatedFile) != 0) return;
    const Extent extent = m_format.extentOf(record.dataBlock(), record.dataLength);
    const bool moreToCome = !record.isDirectory() && (record.flags & kFlagMultiExtent) != 0;
    if (continuesPending(record)) {
        m_pending->extents.push_back(extent);
        m_pending->size = common::checkedAdd(m_pending->size, std::uint64_t{record.dataLength});
        m_pending->interleaved = m_pending->interleaved || record.interleaved;
        if (!moreToCome) flush();
        return;
    }
    flush();
    DirectoryItem item{nameOf(record),
                       record.isDirectory(),
                       record.interleaved,
                       record.isDirectory() ? 0 : record.dataLength,
                       {extent}};
    if (item.name.empty()) return;
    if (moreToCome) {
        m_pending = std::move(item);
        m_pendingIdentifier.assign(record.identifier.begin(), record.identifier.end());
    } else {
        m_items.push_back(std::move(item));
    }
}

bool ItemAssembler::continuesPending(const DirectoryRecord& record) const
{
    return m_pending && !record.isDirectory() &&
           std::equal(record.identifier.begin(), record.identifier.end(),
                      m_pendingIdentifier.begin(), m_pendingIdentifier.end());
}

void ItemAssembler::flush()
{
    if (m_pending) m_items.push_back(std::move(*m_pending));
    m_pending.reset();
}

std::string ItemAssembler::nameOf(const DirectoryRecord& record) const
{
    if (m_format.names == NameSet::RockRidge) {
        if (auto name = rockRidgeName(record.systemUse, m_format.suspSkip, m_readArea))
            return std::move(*name);
    }
    std::string name = m_format.names == NameSet::Joliet
                           ? decodeUcs2(record.identifier)
                           : std::string(record.identifier.begin(), record.identifier.end());
    return record.isDirectory() ? name : withoutVersion(std::move(name));
}

} // namespace

std::vector<DirectoryItem> readDirectory(const ByteSource& disc, const TreeFormat& format,
                                         Extent directory)
{
    ItemAssembler items(format, continuationReader(disc, format));
    forEachRecord(disc, directory, [&items](const DirectoryRecord& record) { items.add(record); });
    return items.finish();
}

std::optional<std::size_t> readSuspSkip(const ByteSource& disc, Extent root)
{
    root.length = std::min<std::uint64_t>(root.length, kSectorSize);
    if (root.offset > disc.size() || root.length > disc.size() - root.offset) return std::nullopt;
    const auto sector = disc.read(root.offset, static_cast<std::size_t>(root.length));
    if (sector.empty() || sector[0] > sector.size()) return std::nullopt;
    const auto self = decodeDirectoryRecord(Bytes(sector).first(sector[0]));
    if (!self || !self->isSelfOrParent()) return std::nullopt;
    return suspSkipLength(self->systemUse);
}

} // namespace tarvelo::platform::iso9660
