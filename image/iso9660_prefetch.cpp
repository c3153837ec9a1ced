#include "image/iso9660_prefetch.h"

#include <algorithm>
#include <iterator>

namespace tarvelo::image::iso9660 {

void DirectoryPrefetch::expect(Extent folder)
{
    const bool onDisc = folder.offset <= m_disc.size() && folder.length <= kDirectoryReadSize &&
                        folder.length <= m_disc.size() - folder.offset;
    if (onDisc && folder.length > 0 && !m_read.contains(folder.offset))
        m_expected.emplace(folder.offset, folder.length);
}

std::vector<std::uint8_t> DirectoryPrefetch::take(Extent folder)
{
    if (const auto kept = m_kept.find(folder.offset); kept != m_kept.end()) {
        std::vector<std::uint8_t> records = std::move(kept->second);
        m_kept.erase(kept);
        m_keptBytes -= records.size();
        if (records.size() == folder.length) return records;
    }
    return readRun(folder);
}

// One request for the folder and the expected folders close to it on either side; those
// are kept for their turn.
std::vector<std::uint8_t> DirectoryPrefetch::readRun(Extent folder)
{
    m_expected.erase(folder.offset);
    std::vector<Extent> ahead;
    std::uint64_t runStart = folder.offset, runEnd = folder.end();
    std::size_t aheadBytes = 0;
    // Whether a neighbour joins the run: close enough, and the run and the bytes kept
    // within their bounds. One that overlaps the run is read on its own, if ever.
    const auto join = [&](Extent candidate) {
        const std::uint64_t start = std::min(runStart, candidate.offset);
        const std::uint64_t end = std::max(runEnd, candidate.end());
        const std::uint64_t gap =
            candidate.offset >= runEnd ? candidate.offset - runEnd : runStart - candidate.end();
        if (gap > kMaxReadGap || end - start > kDirectoryReadSize ||
            m_keptBytes + aheadBytes + candidate.length > kMaxPrefetchedBytes)
            return false;
        ahead.push_back(candidate);
        aheadBytes += static_cast<std::size_t>(candidate.length);
        runStart = start;
        runEnd = end;
        return true;
    };
    const auto after = m_expected.upper_bound(folder.offset);
    for (auto next = after; next != m_expected.end(); ++next)
        if (next->first >= runEnd && !join({next->first, next->second})) break;
    for (auto next = std::make_reverse_iterator(after); next != m_expected.rend(); ++next)
        if (next->first + next->second <= runStart && !join({next->first, next->second})) break;

    const auto run = m_disc.read(runStart, static_cast<std::size_t>(runEnd - runStart));
    const auto recordsAt = [&](Extent extent) {
        const auto from = run.begin() + static_cast<std::ptrdiff_t>(extent.offset - runStart);
        return std::vector<std::uint8_t>(from, from + static_cast<std::ptrdiff_t>(extent.length));
    };
    m_read.insert(folder.offset);
    for (const Extent& extent : ahead) {
        m_expected.erase(extent.offset);
        m_read.insert(extent.offset);
        auto& kept = m_kept[extent.offset] = recordsAt(extent);
        m_keptBytes += kept.size();
        expectSubfolders(kept);
    }
    auto records = recordsAt(folder);
    expectSubfolders(records);
    return records;
}

void DirectoryPrefetch::expectSubfolders(Bytes records)
{
    forEachRecordIn(records, [this](const DirectoryRecord& record) {
        if (record.isDirectory() && !record.isSelfOrParent())
            expect(m_format.extentOf(record.dataBlock(), record.dataLength));
    });
}

} // namespace tarvelo::image::iso9660
