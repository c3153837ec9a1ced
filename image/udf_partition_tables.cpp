// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_partition_tables.h"

#include "common/error.h"
#include "image/udf_file_source.h"

#include <algorithm>
#include <cstring>


namespace tarvelo::image::udf {
namespace {

// The table whose entry sits in the block, or nothing when the block holds none.
std::optional<std::vector<std::uint32_t>> vatAt(const platform::ByteSource& disc,
                                                const Partitions& partitions,
                                                BlockAddress address)
{
    try {
        const auto entry = readEntry(partitions, address, "virtual allocation table");
        const auto type = entry.entry().fileType;
        if (type != kFileTypeVat && type != kFileTypeUnspecified) return std::nullopt;
        const auto data = readFileData(partitions, entry, "virtual allocation table");
        // One entry a block of the partition below, after a header of at most 64 KiB.
        const std::uint64_t largest = std::min(
            kMaxVatSize, std::uint64_t{4} * partitions.descriptor(address.partition).length + 65536);
        if (data.size > disc.size() || data.size > largest) return std::nullopt;
        return decodeVat(readWholeFile(disc, data), type == kFileTypeVat);
    } catch (const Error&) {
        return std::nullopt; // not the table: look further back
    }
}

// An image of a disc that was not filled ends in blank blocks after its last track. They
// are looked through this far at most, so a huge sparse image costs no more.
constexpr std::uint64_t kMaxBlankScan = std::uint64_t{256} << 20;

std::uint64_t lastRecordedBlock(const platform::ByteSource& disc, std::uint32_t blockSize)
{
    constexpr std::uint64_t kScanBlocks = 512;
    const std::uint64_t last = disc.size() / blockSize;
    const std::uint64_t floor = last - std::min(last, kMaxBlankScan / blockSize);
    const std::vector<std::uint8_t> blank(blockSize, 0);
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t end = last; end > floor;) {
        const std::uint64_t start = end - std::min(end - floor, kScanBlocks);
        chunk.resize(static_cast<std::size_t>((end - start) * blockSize));
        disc.readAt(start * blockSize, chunk);
        for (std::uint64_t block = end; block-- > start;)
            if (std::memcmp(chunk.data() + (block - start) * blockSize, blank.data(), blockSize) != 0)
                return block;
        end = start;
    }
    return last == 0 ? 0 : last - 1;
}

void loadVirtualTable(const platform::ByteSource& disc, Partitions& partitions,
                      std::uint16_t reference, std::optional<std::uint64_t> lastBlock)
{
    const std::uint16_t below = partitions.physicalReference(reference);
    const std::uint64_t start = partitions.descriptor(below).start;
    const std::uint64_t last = lastBlock ? *lastBlock : lastRecordedBlock(disc, partitions.blockSize());
    for (std::uint64_t back = 0; back < kVatSearchBlocks && back <= last; ++back) {
        const std::uint64_t sector = last - back;
        if (sector < start || sector - start > UINT32_MAX) continue;
        auto table = vatAt(disc, partitions, {static_cast<std::uint32_t>(sector - start), below});
        if (!table) continue;
        partitions.setVirtualTable(reference, std::move(*table));
        return;
    }
    throw Error(ErrorNumber::InvalidFileFormat,
                "the UDF volume is damaged: no virtual allocation table was found at the end of "
                "the disc");
}

std::vector<Run> metadataRuns(const Partitions& partitions, BlockAddress address, std::uint8_t type)
{
    const auto entry = readEntry(partitions, address, "metadata file");
    if (entry.entry().fileType != type || entry.entry().allocationForm == kFormEmbedded)
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: its metadata file is not one");
    return readFileData(partitions, entry, "metadata file").runs;
}

void loadMetadataRuns(Partitions& partitions, std::uint16_t reference, const PartitionMap& map)
{
    const std::uint16_t below = partitions.physicalReference(reference);
    std::vector<Run> runs;
    try {
        runs = metadataRuns(partitions, {map.metadataFile, below}, kFileTypeMetadata);
    } catch (const Error& damaged) {
        try {
            runs = metadataRuns(partitions, {map.metadataMirror, below}, kFileTypeMetadataMirror);
        } catch (const Error&) {
            throw damaged;
        }
    }
    partitions.setMetadataRuns(reference, std::move(runs));
}

} // namespace

void loadPartitionTables(const platform::ByteSource& disc, Partitions& partitions,
                         std::optional<std::uint64_t> lastBlock)
{
    for (std::uint16_t reference = 0; reference < partitions.count(); ++reference) {
        if (partitions.kind(reference) == MapKind::Virtual)
            loadVirtualTable(disc, partitions, reference, lastBlock);
        else if (partitions.kind(reference) == MapKind::Metadata)
            loadMetadataRuns(partitions, reference, partitions.map(reference));
    }
}

} // namespace tarvelo::image::udf
