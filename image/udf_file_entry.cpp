// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_file_entry.h"

#include "common/error.h"

#include <set>
#include <string>

namespace tarvelo::image::udf {
namespace {

[[noreturn]] void throwDamaged(std::string_view what, std::string_view problem)
{
    throw Error(ErrorNumber::InvalidFileFormat,
                "the UDF volume is damaged: the " + std::string(what) + " " + std::string(problem));
}

// Walks a file's allocation descriptors into runs, continuing into allocation extents.
class RunCollector
{
public:
    // mayRead: whether allocation extents are read; without it the list ends at the first.
    RunCollector(const Partitions& partitions, std::uint64_t size, std::string_view what,
                 bool mayRead = true)
        : m_partitions(partitions), m_size(size), m_what(what), m_mayRead(mayRead)
    {
    }

    std::vector<Run> collect(Bytes descriptors, std::uint8_t form, std::uint16_t partition);

private:
    // The next descriptors, or nothing when the list ends here.
    std::optional<Bytes> follow(const Allocation& next);

    const Partitions& m_partitions;
    std::uint64_t m_size;
    std::string_view m_what;
    bool m_mayRead;
    std::vector<Run> m_runs;
    std::set<std::uint64_t> m_extentsRead; // continuation blocks by disc offset, so none loops
    std::vector<std::uint8_t> m_extent;
    std::uint64_t m_covered = 0;
};

std::vector<Run> RunCollector::collect(Bytes descriptors, std::uint8_t form, std::uint16_t partition)
{
    const std::size_t step = form == kFormShort ? 8 : 16;
    for (std::size_t at = 0; m_covered < m_size && descriptors.size() - at >= step;) {
        const Allocation ad = form == kFormShort ? decodeShortAd(descriptors, at, partition)
                                                 : decodeLongAd(descriptors, at);
        at += step;
        if (ad.length == 0) break;
        if (ad.kind == kAllocationContinues) {
            const auto next = follow(ad);
            if (!next) break;
            descriptors = *next;
            at = 0;
            continue;
        }
        const std::uint64_t length = std::min<std::uint64_t>(ad.length, m_size - m_covered);
        if (ad.kind == kAllocationRecorded)
            m_partitions.appendRuns(ad.where, length, m_runs);
        else
            appendRun(m_runs, {0, length, true});
        m_covered += length;
        if (m_runs.size() > kMaxRuns) throwDamaged(m_what, "is split into too many pieces");
    }
    // What no descriptor covers was never written: it reads as zeros.
    appendRun(m_runs, {0, m_size - m_covered, true});
    return std::move(m_runs);
}

std::optional<Bytes> RunCollector::follow(const Allocation& next)
{
    if (!m_mayRead) return std::nullopt;
    const std::uint64_t offset = m_partitions.offsetOf(next.where);
    if (!m_extentsRead.insert(offset).second) return std::nullopt;
    m_extent = m_partitions.readBlock(next.where, "allocation extent of the " + std::string(m_what));
    requireTag(m_extent, kTagAllocationExtent, next.where.block,
               "allocation extent of the " + std::string(m_what));
    const auto descriptors = allocationExtentDescriptors(m_extent);
    if (!descriptors) throwDamaged(m_what, "has a malformed allocation extent");
    return descriptors;
}

} // namespace

EntryBlock::EntryBlock(std::vector<std::uint8_t> block, BlockAddress address)
    : m_block(std::move(block)), m_address(address)
{
    const auto decoded = decodeFileEntry(m_block);
    if (!decoded) throw Error(ErrorNumber::InvalidFileFormat, "malformed file entry");
    m_entry = *decoded;
}

EntryBlock readEntry(const Partitions& partitions, BlockAddress address, std::string_view what)
{
    return entryFromBlock(partitions, partitions.readBlock(address, "entry of the " + std::string(what)),
                          address, what);
}

EntryBlock entryFromBlock(const Partitions& partitions, std::vector<std::uint8_t> block,
                          BlockAddress address, std::string_view what)
{
    const std::string name = "entry of the " + std::string(what);
    for (int hops = 0; hops <= kMaxIndirections; ++hops) {
        if (hops > 0) block = partitions.readBlock(address, name);
        const std::uint16_t identifier = le16(block, 0);
        if (identifier == kTagIndirectEntry) {
            requireTag(block, kTagIndirectEntry, address.block, name);
            address = decodeIndirectEntry(block).where;
            continue;
        }
        requireTag(block, identifier == kTagExtendedFileEntry ? kTagExtendedFileEntry : kTagFileEntry,
                   address.block, name);
        if (!decodeFileEntry(block)) throwDamaged(name, "has lengths that do not fit in its block");
        return EntryBlock(std::move(block), address);
    }
    throwDamaged(name, "is a chain of indirect entries that does not end");
}

FileData readFileData(const Partitions& partitions, const EntryBlock& block, std::string_view what)
{
    const FileEntry& entry = block.entry();
    FileData data;
    data.size = entry.size;
    if (entry.allocationForm == kFormEmbedded) {
        if (entry.size > entry.allocations.size())
            throwDamaged(what, "is longer than the data its entry holds");
        data.embedded = true;
        data.bytes.assign(entry.allocations.begin(), entry.allocations.begin() + static_cast<std::ptrdiff_t>(entry.size));
        return data;
    }
    if (entry.allocationForm != kFormShort && entry.allocationForm != kFormLong)
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the " + std::string(what) + " uses extended allocation descriptors, which are not read");
    data.runs = RunCollector(partitions, entry.size, what)
                    .collect(entry.allocations, entry.allocationForm, block.address().partition);
    return data;
}

std::optional<Run> soleRun(const Partitions& partitions, const EntryBlock& block)
{
    const FileEntry& entry = block.entry();
    if (entry.size == 0 || (entry.allocationForm != kFormShort && entry.allocationForm != kFormLong))
        return std::nullopt;
    try {
        const auto runs = RunCollector(partitions, entry.size, "file", false)
                              .collect(entry.allocations, entry.allocationForm, block.address().partition);
        if (runs.size() != 1 || runs.front().sparse) return std::nullopt;
        return runs.front();
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::uint64_t dataPosition(const Partitions& partitions, const EntryBlock& block)
{
    const FileEntry& entry = block.entry();
    const std::size_t step = entry.allocationForm == kFormShort ? 8 : 16;
    try {
        if (entry.allocationForm == kFormEmbedded) return partitions.offsetOf(block.address());
        if ((entry.allocationForm != kFormShort && entry.allocationForm != kFormLong) ||
            entry.allocations.size() < step)
            return 0;
        const Allocation first = entry.allocationForm == kFormShort
                                     ? decodeShortAd(entry.allocations, 0, block.address().partition)
                                     : decodeLongAd(entry.allocations, 0);
        if (first.kind != kAllocationRecorded || first.length == 0) return 0;
        return partitions.offsetOf(first.where);
    } catch (const Error&) {
        return 0;
    }
}

} // namespace tarvelo::image::udf
