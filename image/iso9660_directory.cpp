// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_directory.h"

#include "common/checked.h"
#include "common/error.h"
#include "common/text.h"
#include "image/iso9660_prefetch.h"
#include "image/iso9660_rock_ridge.h"

#include <algorithm>

namespace tarvelo::image::iso9660 {
namespace {

void requireOnDisc(const platform::ByteSource& disc, Extent extent)
{
    if (extent.offset > disc.size() || extent.length > disc.size() - extent.offset)
        throw Error(ErrorNumber::InputPastEndOfFile,
                    "the folder's records lie beyond the end of the disc");
}

template <typename Visit>
void forEachRecord(const platform::ByteSource& disc, Extent directory, DirectoryPrefetch* prefetch,
                   Visit visit)
{
    requireOnDisc(disc, directory);
    if (prefetch != nullptr && directory.length <= kDirectoryReadSize) {
        forEachRecordIn(prefetch->take(directory), visit);
        return;
    }
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t done = 0; done < directory.length; done += chunk.size()) {
        chunk.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kDirectoryReadSize, directory.length - done)));
        disc.readAt(directory.offset + done, chunk);
        forEachRecordIn(chunk, visit);
    }
}

// Writers pack the continuation areas of a folder's records into shared blocks: they are
// read a window at a time, so a folder's areas cost a read or two, and records that all
// point at the same area cost no read again.
class ContinuationWindow
{
public:
    static constexpr std::uint64_t kWindowSize = std::uint64_t{64} << 10;

    ContinuationWindow(const platform::ByteSource& disc, const TreeFormat& format)
        : m_disc(disc), m_format(format)
    {
    }

    std::vector<std::uint8_t> operator()(const ContinuationArea& area)
    {
        const std::uint64_t offset = std::uint64_t{area.block} * m_format.blockSize + area.offset;
        if (offset > m_disc.size() || area.length > m_disc.size() - offset) return {};
        if (offset < m_start || offset + area.length > m_start + m_bytes.size()) {
            m_start = offset - offset % m_format.blockSize;
            const auto end =
                std::min(m_disc.size(), std::max(m_start + kWindowSize, offset + area.length));
            m_bytes = m_disc.read(m_start, static_cast<std::size_t>(end - m_start));
        }
        const auto from = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset - m_start);
        return {from, from + area.length};
    }

private:
    const platform::ByteSource& m_disc;
    const TreeFormat& m_format;
    std::uint64_t m_start = 0;
    std::vector<std::uint8_t> m_bytes;
};

// The bytes of the "." record that opens a directory; empty when it has none.
std::vector<std::uint8_t> selfRecordBytes(const platform::ByteSource& disc, Extent directory)
{
    const auto length = std::min<std::uint64_t>(directory.length, kSectorSize);
    if (directory.offset > disc.size() || length > disc.size() - directory.offset) return {};
    auto bytes = disc.read(directory.offset, static_cast<std::size_t>(length));
    if (bytes.empty() || bytes[0] > bytes.size()) return {};
    bytes.resize(bytes[0]);
    const auto self = decodeDirectoryRecord(bytes);
    if (!self || !self->isSelfOrParent()) return {};
    return bytes;
}

// Turns records into items, joining the records of a multi-extent file: every record
// but the last carries the multi-extent flag, and all carry the same identifier.
class ItemAssembler
{
public:
    ItemAssembler(const platform::ByteSource& disc, const TreeFormat& format)
        : m_disc(disc), m_format(format), m_readArea(ContinuationWindow(disc, format))
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
    std::string nameOf(const DirectoryRecord& record,
                       std::optional<std::string> rockRidgeName) const;
    Extent movedFolderExtent(std::uint32_t block) const;

    const platform::ByteSource& m_disc;
    const TreeFormat& m_format;
    ContinuationReader m_readArea;
    std::vector<DirectoryItem> m_items;
    std::optional<DirectoryItem> m_pending; // a multi-extent file still collecting extents
    std::vector<std::uint8_t> m_pendingIdentifier;
};

void ItemAssembler::add(const DirectoryRecord& record)
{
    if (record.isSelfOrParent() || (record.flags & kFlagAssociatedFile) != 0) return;
    RockRidgeEntries rockRidge;
    if (m_format.names == NameSet::RockRidge)
        rockRidge = readRockRidge(record.systemUse, m_format.suspSkip, m_readArea);
    if (rockRidge.relocated) return; // shown where its "CL" entry stands
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
    DirectoryItem item{nameOf(record, std::move(rockRidge.name)),
                       record.isDirectory(),
                       record.interleaved,
                       record.isDirectory() ? 0 : record.dataLength,
                       {extent},
                       rockRidge.modified ? rockRidge.modified : record.recorded};
    if (item.name.empty()) return;
    if (rockRidge.childLink) {
        item.isFolder = true;
        item.size = 0;
        item.extents = {movedFolderExtent(*rockRidge.childLink)};
        m_items.push_back(std::move(item));
    } else if (moreToCome) {
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

std::string ItemAssembler::nameOf(const DirectoryRecord& record,
                                  std::optional<std::string> rockRidgeName) const
{
    if (rockRidgeName) return common::asPathComponent(std::move(*rockRidgeName));
    std::string name = m_format.names == NameSet::Joliet
                           ? decodeUcs2(record.identifier)
                           : std::string(record.identifier.begin(), record.identifier.end());
    return common::asPathComponent(record.isDirectory() ? name : withoutVersion(std::move(name)));
}

// A moved folder's length is in its own "." record. Without one, a block is taken, and
// reading it shows what is wrong.
Extent ItemAssembler::movedFolderExtent(std::uint32_t block) const
{
    const Extent start = m_format.extentOf(block, m_format.blockSize);
    const auto self = selfRecordBytes(m_disc, start);
    const auto record = decodeDirectoryRecord(self);
    return record ? m_format.extentOf(block, record->dataLength) : start;
}

} // namespace

std::vector<DirectoryItem> readDirectory(const platform::ByteSource& disc, const TreeFormat& format,
                                         Extent directory, DirectoryPrefetch* prefetch)
{
    ItemAssembler items(disc, format);
    forEachRecord(disc, directory, prefetch,
                  [&items](const DirectoryRecord& record) { items.add(record); });
    return items.finish();
}

std::optional<std::size_t> readSuspSkip(const platform::ByteSource& disc, Extent root)
{
    const auto bytes = selfRecordBytes(disc, root);
    const auto self = decodeDirectoryRecord(bytes);
    if (!self) return std::nullopt;
    return suspSkipLength(self->systemUse);
}

} // namespace tarvelo::image::iso9660
