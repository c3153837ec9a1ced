// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/iso9660_prefetch.h"

#include "common/little_endian.h"

#include <algorithm>
#include <iterator>

namespace tarvelo::image::iso9660 {
namespace {

constexpr std::size_t kPathRecordFixedSize = 8; // length, attribute length, block, parent
// A folder's parent is a 16-bit number in the table: more folders than that it cannot name.
constexpr std::size_t kMaxPathTableFolders = 65535;

} // namespace

void DirectoryPrefetch::expect(Extent folder)
{
    const bool onDisc = folder.offset <= m_disc.size() && folder.length <= kDirectoryReadSize &&
                        folder.length <= m_disc.size() - folder.offset;
    if (onDisc && folder.length > 0 && !m_read.contains(folder.offset))
        m_expected.insert_or_assign(folder.offset, folder.length);
}

void DirectoryPrefetch::expectPathTable(Bytes table)
{
    std::size_t folders = 0;
    for (std::size_t at = 0;
         at + kPathRecordFixedSize <= table.size() && folders < kMaxPathTableFolders; ++folders) {
        const std::size_t nameLength = table[at];
        const std::uint64_t block = std::uint64_t{common::le32(table, at + 2)} + table[at + 1];
        if (nameLength == 0) break;
        const Extent folder = m_format.extentOf(block, m_format.blockSize);
        if (!m_expected.contains(folder.offset)) expect(folder);
        at += kPathRecordFixedSize + nameLength + nameLength % 2;
    }
}

std::vector<std::uint8_t> DirectoryPrefetch::take(Extent folder)
{
    auto records = m_kept.find(folder);
    if (!records) records = readRun(folder);
    m_expected.erase(folder.offset);
    m_read.insert(folder.offset);
    return {records->begin(), records->end()};
}

// One request for the folder and the folders to come near it on either side, kept whole.
Bytes DirectoryPrefetch::readRun(Extent folder)
{
    std::uint64_t runStart = folder.offset, runEnd = folder.end();
    // Whether a neighbour joins the run: close enough, and the run within its bound.
    const auto join = [&](Extent next) {
        const std::uint64_t start = std::min(runStart, next.offset);
        const std::uint64_t end = std::max(runEnd, next.end());
        const std::uint64_t gap = next.offset >= runEnd ? next.offset - runEnd
                                                        : runStart - std::min(runStart, next.end());
        if (gap > kMaxReadGap || end - start > kDirectoryReadSize) return false;
        runStart = start;
        runEnd = end;
        return true;
    };
    const auto after = m_expected.upper_bound(folder.offset);
    for (auto next = after; next != m_expected.end(); ++next)
        if (!join({next->first, next->second})) break;
    for (auto next = std::make_reverse_iterator(after); next != m_expected.rend(); ++next)
        if (!join({next->first, next->second})) break;

    auto run = m_disc.read(runStart, static_cast<std::size_t>(runEnd - runStart));
    // The folders to come that the run holds whole tell of the folders below them.
    for (auto next = m_expected.lower_bound(runStart);
         next != m_expected.end() && next->first + next->second <= runEnd; ++next)
        expectSubfolders(Bytes(run).subspan(static_cast<std::size_t>(next->first - runStart),
                                            static_cast<std::size_t>(next->second)));
    expectSubfolders(Bytes(run).subspan(static_cast<std::size_t>(folder.offset - runStart),
                                        static_cast<std::size_t>(folder.length)));
    return m_kept.keep(runStart, std::move(run))
        .subspan(static_cast<std::size_t>(folder.offset - runStart), static_cast<std::size_t>(folder.length));
}

void DirectoryPrefetch::expectSubfolders(Bytes records)
{
    forEachRecordIn(records, [this](const DirectoryRecord& record) {
        if (record.isDirectory() && !record.isSelfOrParent())
            expect(m_format.extentOf(record.dataBlock(), record.dataLength));
    });
}

} // namespace tarvelo::image::iso9660
