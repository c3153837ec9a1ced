// SPDX-License-Identifier: GPL-3.0-or-later
#include "image/udf_partitions.h"

#include "common/error.h"

#include <algorithm>
#include <string>

namespace tarvelo::image::udf {
namespace {

// A sparing table larger than this is a forgery: it would map more packets than a disc has.
constexpr std::uint64_t kMaxSparingTableSize = std::uint64_t{1} << 20;

[[noreturn]] void throwOutside()
{
    throw Error(ErrorNumber::InvalidFileFormat,
                "the UDF volume is damaged: a block lies outside its partition");
}

} // namespace

void appendRun(std::vector<Run>& runs, Run run)
{
    if (run.length == 0) return;
    if (!runs.empty() && runs.back().sparse == run.sparse &&
        (run.sparse || runs.back().offset + runs.back().length == run.offset)) {
        runs.back().length += run.length;
        return;
    }
    runs.push_back(run);
}

Partitions::Partitions(const platform::ByteSource& disc, const VolumeLayout& layout)
    : m_disc(disc), m_blockSize(layout.blockSize)
{
    const auto& maps = layout.logicalVolume.maps;
    for (const auto& map : maps) {
        const PartitionDescriptor* partition = layout.partition(map.partitionNumber);
        if (!partition)
            throw Error(ErrorNumber::InvalidFileFormat,
                        "the UDF volume is damaged: a partition map names a missing partition");
        Mapping mapping{map, *partition, static_cast<std::uint16_t>(m_maps.size()), {}, {}, {}};
        if (map.kind == MapKind::Sparable) readSparingTable(mapping);
        if (map.kind == MapKind::Virtual || map.kind == MapKind::Metadata) {
            const auto below = std::find_if(maps.begin(), maps.end(), [&](const PartitionMap& other) {
                return other.partitionNumber == map.partitionNumber &&
                       (other.kind == MapKind::Physical || other.kind == MapKind::Sparable);
            });
            if (below == maps.end())
                throw Error(ErrorNumber::InvalidFileFormat,
                            "the UDF volume is damaged: a virtual or metadata partition has no "
                            "partition below it");
            mapping.physical = static_cast<std::uint16_t>(below - maps.begin());
        }
        m_maps.push_back(std::move(mapping));
    }
}

void Partitions::readSparingTable(Mapping& into) const
{
    const PartitionMap& map = into.map;
    const platform::ByteSource& disc = m_disc;
    const std::uint64_t size = std::min<std::uint64_t>(
        std::max<std::uint64_t>(map.sparingTableSize, m_blockSize), kMaxSparingTableSize);
    for (const std::uint32_t sector : map.sparingTables) {
        const std::uint64_t offset = std::uint64_t{sector} * m_blockSize;
        if (offset > disc.size() || size > disc.size() - offset) continue;
        const auto table = disc.read(offset, static_cast<std::size_t>(size));
        if (tagProblem(table, 0, sector)) continue;
        for (const auto& packet : decodeSparingTable(table)) into.spared[packet.original] = packet.mapped;
        return;
    }
    throw Error(ErrorNumber::InvalidFileFormat,
                "the UDF volume is damaged: none of its sparing tables is readable");
}

void Partitions::setVirtualTable(std::uint16_t reference, std::vector<std::uint32_t> table)
{
    m_maps.at(reference).virtualTable = std::move(table);
}

void Partitions::setMetadataRuns(std::uint16_t reference, std::vector<Run> runs)
{
    auto& into = m_maps.at(reference).metadataRuns;
    std::uint64_t at = 0;
    for (const Run& run : runs) {
        into.emplace(at, run);
        at += run.length;
    }
}

const Partitions::Mapping& Partitions::mapping(std::uint16_t reference) const
{
    if (reference >= m_maps.size())
        throw Error(ErrorNumber::InvalidFileFormat,
                    "the UDF volume is damaged: an address names a partition it does not have");
    return m_maps[reference];
}

Partitions::Piece Partitions::physicalPiece(const Mapping& map, std::uint32_t block,
                                            std::uint64_t wanted) const
{
    if (block >= map.partition.length) throwOutside();
    std::uint64_t blocks = std::min<std::uint64_t>(wanted, map.partition.length - block);
    std::uint64_t sector = std::uint64_t{map.partition.start} + block;
    if (map.map.kind == MapKind::Sparable) {
        const std::uint32_t packetStart = block - block % map.map.packetLength;
        blocks = std::min<std::uint64_t>(blocks, map.map.packetLength - (block - packetStart));
        if (const auto spared = map.spared.find(packetStart); spared != map.spared.end())
            sector = std::uint64_t{spared->second} + (block - packetStart);
    }
    return {sector * m_blockSize, blocks};
}

Partitions::Piece Partitions::metadataPiece(const Mapping& map, std::uint32_t block,
                                            std::uint64_t wanted) const
{
    const std::uint64_t at = std::uint64_t{block} * m_blockSize;
    auto run = map.metadataRuns.upper_bound(at);
    if (run == map.metadataRuns.begin()) throwOutside();
    --run;
    const std::uint64_t within = at - run->first;
    if (run->second.sparse || within >= run->second.length) throwOutside();
    const std::uint64_t blocks = (run->second.length - within) / m_blockSize;
    if (blocks == 0) throwOutside();
    return {run->second.offset + within, std::min(blocks, wanted)};
}

Partitions::Piece Partitions::piece(const Mapping& map, std::uint32_t block, std::uint64_t wanted) const
{
    switch (map.map.kind) {
    case MapKind::Physical:
    case MapKind::Sparable: return physicalPiece(map, block, wanted);
    case MapKind::Metadata: return metadataPiece(map, block, wanted);
    case MapKind::Virtual:
        if (block >= map.virtualTable.size()) throwOutside();
        return physicalPiece(m_maps[map.physical], map.virtualTable[block], 1);
    }
    throwOutside();
}

void Partitions::appendRuns(BlockAddress where, std::uint64_t length, std::vector<Run>& runs) const
{
    const Mapping& map = mapping(where.partition);
    std::uint64_t block = where.block;
    while (length > 0) {
        if (block > UINT32_MAX) throwOutside();
        const std::uint64_t wanted = (length + m_blockSize - 1) / m_blockSize;
        const Piece found = piece(map, static_cast<std::uint32_t>(block), wanted);
        const std::uint64_t bytes = std::min(length, found.blocks * m_blockSize);
        appendRun(runs, {found.offset, bytes, false});
        length -= bytes;
        block += found.blocks;
    }
}

std::uint64_t Partitions::offsetOf(BlockAddress where) const
{
    return piece(mapping(where.partition), where.block, 1).offset;
}

std::vector<std::uint8_t> Partitions::readBlock(BlockAddress where, std::string_view what) const
{
    const std::uint64_t offset = offsetOf(where);
    if (offset > m_disc.size() || m_blockSize > m_disc.size() - offset)
        throw Error(ErrorNumber::InvalidFileFormat, "the UDF volume is damaged: its " +
                                                        std::string(what) +
                                                        " lies beyond the end of the disc");
    return m_disc.read(offset, m_blockSize);
}

} // namespace tarvelo::image::udf
